#include "registry/registry_hive.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "kernel/errno_map.h"
#include "pal/reg_file_codec.h"
#include "pal/utf8.h"
#include "registry/reg_file.h"

namespace {

struct Hive {
    std::unique_ptr<PalRegKeyNode> root;
    bool exists = false;
    std::string bytes;    // the file the tree was read from
    bool current = false; // the tree is that of "bytes"
    LSTATUS error = ERROR_SUCCESS;
};

std::mutex& HivesLock()
{
    static std::mutex lock;
    return lock;
}

// The hives read so far, by file name. Kept for the life of the process.
std::map<std::string, Hive>& Hives()
{
    static std::map<std::string, Hive>* hives = new std::map<std::string, Hive>();
    return *hives;
}

std::string HiveFile(const std::string& folder, const WideString& rootName)
{
    return folder.empty() ? std::string() : folder + "/" + PalToUtf8(rootName.c_str()) + ".reg";
}

// A batch of changes (PalBeginHiveBatch): the writers' lock of its folder is
// held throughout, and the hives it changed are written at its end.
struct Batch {
    bool active = false;
    std::string folder;
    int lockFd = -1;
    std::map<std::string, WideString> changed; // hive file -> root name
    bool failed = false;                       // a change failed: nothing is written
};

Batch& TheBatch()
{
    static Batch* batch = new Batch();
    return *batch;
}

bool InBatch(const std::string& folder) { return TheBatch().active && TheBatch().folder == folder; }

Hive& HiveFor(const std::string& file)
{
    std::map<std::string, Hive>& hives = Hives();
    // Hives of folders no longer in use (tests use many) are forgotten, but
    // never while a batch holds changes that are not written yet.
    if (hives.size() > 32 && !hives.count(file) && !TheBatch().active)
        hives.clear();
    return hives[file];
}

LSTATUS ErrorFromErrno(int error, LSTATUS fallback)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    default:
        return fallback;
    }
}

// Reads the whole file; false with errno set on a failure other than a
// missing file.
bool ReadWholeFile(const std::string& file, bool& exists, std::string& bytes)
{
    exists = false;
    bytes.clear();
    int fd = file.empty() ? -1 : open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return file.empty() || errno == ENOENT || errno == ENOTDIR;
    exists = true;
    char buffer[65536];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            int error = errno;
            close(fd);
            errno = error;
            return false;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return true;
}

// Brings the tree of the hive up to date with its file. The file is read on
// every call (hives are small): only what it holds tells for sure whether
// another process changed it.
LSTATUS Refresh(Hive& hive, const std::string& file, const WideString& rootName)
{
    bool exists = false;
    std::string bytes;
    if (!ReadWholeFile(file, exists, bytes)) {
        hive.current = false;
        return ErrorFromErrno(errno, ERROR_CANTREAD);
    }
    if (hive.current && hive.root && exists == hive.exists && bytes == hive.bytes)
        return hive.error;

    hive.root = std::make_unique<PalRegKeyNode>(rootName);
    hive.error = ERROR_SUCCESS;
    std::string problem;
    if (exists && !PalParseRegFile(PalRegDecodeText(bytes, nullptr), *hive.root, problem)) {
        std::fprintf(stderr, "annalist: the registry file %s cannot be read (%s); its keys are unavailable until it is repaired\n",
                     file.c_str(), problem.c_str());
        hive.root = std::make_unique<PalRegKeyNode>(rootName);
        hive.error = ERROR_BADDB;
    }
    hive.exists = exists;
    hive.bytes.swap(bytes);
    hive.current = true;
    return hive.error;
}

LSTATUS MakeFolders(const std::string& folder)
{
    if (folder.empty())
        return ERROR_PATH_NOT_FOUND;
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/')
            continue;
        std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return ErrorFromErrno(errno, ERROR_CANTWRITE);
    }
    return ERROR_SUCCESS;
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Writes the tree over the hive file: a temporary file, then a rename.
LSTATUS Save(Hive& hive, const std::string& file)
{
    std::string bytes = PalRegEncodeText(PalFormatRegFile(*hive.root));
    std::string temporary = file + ".tmp" + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return ErrorFromErrno(errno, ERROR_CANTWRITE);
    struct stat old;
    if (stat(file.c_str(), &old) == 0)
        fchmod(fd, old.st_mode & 07777); // the hive keeps its permissions
    bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && rename(temporary.c_str(), file.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        unlink(temporary.c_str());
        return ErrorFromErrno(error, ERROR_CANTWRITE);
    }
    hive.exists = true;
    hive.bytes.swap(bytes);
    return ERROR_SUCCESS;
}

} // namespace

std::string PalRegistryFolder()
{
    const char* chosen = std::getenv("ANNALIST_REGISTRY");
    if (chosen && *chosen)
        return chosen;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/annalist/registry";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        struct passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || !*home)
        return std::string();
    return std::string(home) + "/.config/annalist/registry";
}

LSTATUS PalReadHive(const std::string& folder, const WideString& rootName,
                    const std::function<LSTATUS(PalRegKeyNode& root)>& read)
{
    std::lock_guard<std::mutex> guard(HivesLock());
    std::string file = HiveFile(folder, rootName);
    Hive& hive = HiveFor(file);
    // Inside a batch nobody else writes the folder: the tree is current.
    LSTATUS status = InBatch(folder) && hive.current ? hive.error : Refresh(hive, file, rootName);
    if (status != ERROR_SUCCESS)
        return status;
    return read(*hive.root);
}

namespace {

// Takes the writers' lock of the folder (between processes); -1 and the
// error when it cannot.
int LockFolder(const std::string& folder, LSTATUS& status)
{
    status = MakeFolders(folder);
    if (status != ERROR_SUCCESS)
        return -1;
    std::string lockFile = folder + "/registry.lock";
    int lockFd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lockFd < 0) {
        status = ErrorFromErrno(errno, ERROR_CANTWRITE);
        return -1;
    }
    while (flock(lockFd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            status = ErrorFromErrno(errno, ERROR_CANTWRITE);
            close(lockFd);
            return -1;
        }
    }
    return lockFd;
}

} // namespace

LSTATUS PalChangeHive(const std::string& folder, const WideString& rootName,
                      const std::function<LSTATUS(PalRegKeyNode& root, bool& changed)>& change)
{
    std::lock_guard<std::mutex> guard(HivesLock());
    std::string file = HiveFile(folder, rootName);
    if (InBatch(folder)) {
        // The lock is held already; the hive is written when the batch ends.
        Hive& hive = HiveFor(file);
        LSTATUS status = hive.current ? hive.error : Refresh(hive, file, rootName);
        if (status != ERROR_SUCCESS)
            return status;
        bool changed = false;
        status = change(*hive.root, changed);
        if (changed)
            TheBatch().changed[file] = rootName;
        // A change that failed after it touched the tree may have left part
        // of itself there: then nothing of the batch is written.
        if (status != ERROR_SUCCESS && changed)
            TheBatch().failed = true;
        return status;
    }
    LSTATUS status = ERROR_SUCCESS;
    int lockFd = LockFolder(folder, status);
    if (lockFd < 0)
        return status;
    Hive& hive = HiveFor(file);
    status = Refresh(hive, file, rootName);
    if (status == ERROR_SUCCESS) {
        bool changed = false;
        status = change(*hive.root, changed);
        if (status == ERROR_SUCCESS && changed)
            status = Save(hive, file);
        // After a failure the tree may hold a change that the file does not:
        // it is read again next time.
        if (status != ERROR_SUCCESS)
            hive.current = false;
    }
    close(lockFd); // releases the lock
    return status;
}

LSTATUS PalBeginHiveBatch(const std::string& folder)
{
    std::lock_guard<std::mutex> guard(HivesLock());
    Batch& batch = TheBatch();
    if (batch.active)
        return ERROR_ALREADY_EXISTS;
    if (folder.empty())
        return ERROR_PATH_NOT_FOUND;
    LSTATUS status = ERROR_SUCCESS;
    int lockFd = LockFolder(folder, status);
    if (lockFd < 0)
        return status;
    batch.active = true;
    batch.folder = folder;
    batch.lockFd = lockFd;
    batch.changed.clear();
    // What was read before the lock was taken is read again.
    for (auto& entry : Hives())
        entry.second.current = false;
    return ERROR_SUCCESS;
}

LSTATUS PalEndHiveBatch(bool keep)
{
    std::lock_guard<std::mutex> guard(HivesLock());
    Batch& batch = TheBatch();
    if (!batch.active)
        return ERROR_INVALID_PARAMETER;
    LSTATUS result = ERROR_SUCCESS;
    keep = keep && !batch.failed;
    for (const auto& entry : batch.changed) {
        Hive& hive = HiveFor(entry.first);
        LSTATUS status = keep && hive.current && hive.root ? Save(hive, entry.first) : ERROR_SUCCESS;
        if (!keep || status != ERROR_SUCCESS)
            hive.current = false; // the tree holds what the file does not: read it again
        if (result == ERROR_SUCCESS)
            result = status;
    }
    close(batch.lockFd); // releases the lock
    batch = Batch();
    return result;
}
