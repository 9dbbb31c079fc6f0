// Files opened by handle: CreateFileW and the calls on its handles, with the
// Windows share modes enforced between the handles of this process (and
// between writers of every process, see file/write_lock.h); and DeleteFileW,
// which the share modes also govern.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>

#include "kernel/errno_map.h"
#include "kernel/handle.h"
#include "file/path.h"
#include "file/write_lock.h"
#include "kernel/live_objects.h"

namespace {

// What one open of a file asks for and what it lets others do.
struct OpenMode {
    bool read = false;
    bool write = false;
    bool remove = false;
    DWORD share = 0;
};

struct PalFile : PalHandle {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    OpenMode mode;
    ~PalFile() override;
};

bool Conflicts(const OpenMode& wanted, const OpenMode& held)
{
    if ((wanted.read && !(held.share & FILE_SHARE_READ)) || (wanted.write && !(held.share & FILE_SHARE_WRITE)) ||
        (wanted.remove && !(held.share & FILE_SHARE_DELETE)))
        return true;
    return (held.read && !(wanted.share & FILE_SHARE_READ)) || (held.write && !(wanted.share & FILE_SHARE_WRITE)) ||
           (held.remove && !(wanted.share & FILE_SHARE_DELETE));
}

// True when an open of the file with this mode would violate the share mode of
// an open handle. The caller holds the lock.
bool SharingViolation(dev_t device, ino_t inode, const OpenMode& wanted)
{
    for (PalFile* file : PalLive<PalFile>().objects)
        if (file->device == device && file->inode == inode && Conflicts(wanted, file->mode))
            return true;
    return false;
}

PalFile::~PalFile()
{
    {
        std::lock_guard<std::mutex> guard(PalLive<PalFile>().lock);
        PalLive<PalFile>().objects.erase(this);
    }
    if (fd >= 0)
        close(fd);
}

void SetOpenError(int error, const std::string& path, DWORD disposition)
{
    if (error == ENOENT)
        SetLastError(PalMissingPathError(path));
    else if (error == ENOTDIR)
        SetLastError(ERROR_PATH_NOT_FOUND);
    else if (error == EEXIST && disposition == CREATE_NEW)
        SetLastError(ERROR_FILE_EXISTS);
    else
        PalSetLastErrorFromErrno(error);
}

} // namespace

extern "C" HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                              DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    OpenMode mode;
    mode.read = (dwDesiredAccess & (GENERIC_READ | GENERIC_ALL)) != 0;
    mode.write = (dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL)) != 0;
    mode.share = dwShareMode & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING ||
        (dwCreationDisposition == TRUNCATE_EXISTING && !mode.write)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }

    std::string path = PalPosixPath(lpFileName);
    int flags = O_CLOEXEC | (mode.read && mode.write ? O_RDWR : mode.write ? O_WRONLY : O_RDONLY);
    mode_t permissions = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    bool creates = dwCreationDisposition == CREATE_NEW || dwCreationDisposition == CREATE_ALWAYS ||
                   dwCreationDisposition == OPEN_ALWAYS;
    bool existed = false;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        if (creates) {
            fd = open(path.c_str(), flags | O_CREAT | O_EXCL, permissions);
            if (fd >= 0 || errno != EEXIST || dwCreationDisposition == CREATE_NEW)
                break;
        }
        // The file exists (or must exist): open it without creating it. When it
        // vanished in between, creating it is tried again.
        fd = open(path.c_str(), flags);
        existed = fd >= 0;
        if (fd >= 0 || errno != ENOENT || !creates)
            break;
    }
    if (fd < 0) {
        SetOpenError(errno, path, dwCreationDisposition);
        return INVALID_HANDLE_VALUE;
    }

    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        // A folder is not a file (handles on folders are not supported).
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    PalFile* file = new PalFile();
    file->fd = fd;
    file->device = info.st_dev;
    file->inode = info.st_ino;
    file->mode = mode;
    bool violation = false;
    {
        std::lock_guard<std::mutex> guard(PalLive<PalFile>().lock);
        violation = SharingViolation(file->device, file->inode, mode);
        if (!violation)
            PalLive<PalFile>().objects.insert(file);
    }
    // Writers of other processes (and streams of this one) are kept apart by
    // the write lock.
    if (!violation && mode.write)
        violation = !PalTakeWriteLock(fd, (mode.share & FILE_SHARE_WRITE) ? PalWriteLock::Shared
                                                                          : PalWriteLock::Exclusive);
    if (violation) {
        delete file; // closes the descriptor
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    // Truncate only once the share modes allow the open.
    if (existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING) &&
        ftruncate(fd, 0) != 0) {
        int error = errno;
        delete file;
        PalSetLastErrorFromErrno(error);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = PalRegisterHandle(file);
    bool reportExisting = existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

namespace {

// The file behind a handle when it may move count bytes through the buffer in
// the direction asked (write or read); else null with the last error set.
PalFile* FileForTransfer(HANDLE handle, LPCVOID buffer, DWORD count, LPOVERLAPPED overlapped, bool write,
                         LPDWORD moved)
{
    if (moved)
        *moved = 0;
    PalFile* file = PalHandleAs<PalFile>(handle);
    if (!file)
        return nullptr;
    DWORD error = ERROR_SUCCESS;
    if (overlapped)
        error = ERROR_NOT_SUPPORTED;
    else if (!(write ? file->mode.write : file->mode.read))
        error = ERROR_ACCESS_DENIED;
    else if (!buffer && count)
        error = ERROR_INVALID_PARAMETER;
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    return file;
}

} // namespace

extern "C" BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                          LPOVERLAPPED lpOverlapped)
{
    PalFile* file = FileForTransfer(hFile, lpBuffer, nNumberOfBytesToWrite, lpOverlapped, true, lpNumberOfBytesWritten);
    if (!file)
        return FALSE;
    const char* data = static_cast<const char*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        ssize_t written = write(file->fd, data + done, nNumberOfBytesToWrite - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            int error = written < 0 ? errno : ENOSPC;
            if (lpNumberOfBytesWritten)
                *lpNumberOfBytesWritten = done;
            PalSetLastErrorFromErrno(error);
            return FALSE;
        }
        done += static_cast<DWORD>(written);
    }
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = done;
    return TRUE;
}

extern "C" BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                         LPOVERLAPPED lpOverlapped)
{
    PalFile* file = FileForTransfer(hFile, lpBuffer, nNumberOfBytesToRead, lpOverlapped, false, lpNumberOfBytesRead);
    if (!file)
        return FALSE;
    char* data = static_cast<char*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        ssize_t got = read(file->fd, data + done, nNumberOfBytesToRead - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            int error = errno;
            if (lpNumberOfBytesRead)
                *lpNumberOfBytesRead = done;
            PalSetLastErrorFromErrno(error);
            return FALSE;
        }
        if (got == 0)
            break; // end of file
        done += static_cast<DWORD>(got);
    }
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = done;
    return TRUE;
}

extern "C" DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod)
{
    PalFile* file = PalHandleAs<PalFile>(hFile);
    if (!file)
        return INVALID_SET_FILE_POINTER;
    int64_t distance = lpDistanceToMoveHigh
                           ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                                                  static_cast<uint32_t>(lDistanceToMove))
                           : static_cast<int64_t>(lDistanceToMove);
    int64_t base = 0;
    if (dwMoveMethod == FILE_CURRENT) {
        off_t current = lseek(file->fd, 0, SEEK_CUR);
        if (current < 0) {
            PalSetLastErrorFromErrno(errno);
            return INVALID_SET_FILE_POINTER;
        }
        base = current;
    } else if (dwMoveMethod == FILE_END) {
        struct stat info;
        if (fstat(file->fd, &info) != 0) {
            PalSetLastErrorFromErrno(errno);
            return INVALID_SET_FILE_POINTER;
        }
        base = info.st_size;
    } else if (dwMoveMethod != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if ((distance > 0 && base > INT64_MAX - distance)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t target = base + distance;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (!lpDistanceToMoveHigh && target > 0xFFFFFFFE) {
        // Without the high part the position must fit in the result.
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(file->fd, static_cast<off_t>(target), SEEK_SET) < 0) {
        PalSetLastErrorFromErrno(errno);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
    DWORD low = static_cast<DWORD>(static_cast<uint64_t>(target) & 0xFFFFFFFF);
    if (low == INVALID_SET_FILE_POINTER)
        SetLastError(NO_ERROR); // tells the valid position from a failure
    return low;
}

extern "C" DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    PalFile* file = PalHandleAs<PalFile>(hFile);
    if (!file)
        return INVALID_FILE_SIZE;
    struct stat info;
    if (fstat(file->fd, &info) != 0) {
        PalSetLastErrorFromErrno(errno);
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(info.st_size);
    if (lpFileSizeHigh)
        *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    DWORD low = static_cast<DWORD>(size & 0xFFFFFFFF);
    if (low == INVALID_FILE_SIZE)
        SetLastError(NO_ERROR);
    return low;
}

extern "C" BOOL DeleteFileW(LPCWSTR lpFileName)
{
    std::string path;
    if (!PalPathArgument(lpFileName, ERROR_PATH_NOT_FOUND, path))
        return FALSE;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) {
        PalSetLastErrorForPath(errno, path);
        return FALSE;
    }
    if (S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(PalLive<PalFile>().lock);
    OpenMode removal;
    removal.remove = true;
    removal.share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    if (SharingViolation(info.st_dev, info.st_ino, removal)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (unlink(path.c_str()) != 0) {
        PalSetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}
