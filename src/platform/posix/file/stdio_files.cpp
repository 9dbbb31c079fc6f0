// C runtime streams opened by a wide file name, and the few runtime calls on
// them that the library needs beyond the C library's own.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "file/path.h"
#include "file/write_lock.h"
#include "kernel/errno_map.h"

namespace {

// A Windows stream mode ("wb", "ab", "r+b", "rt", "wx"...): what it opens the
// file for.
struct StreamMode {
    char kind = 0; // 'r', 'w' or 'a'
    bool plus = false;
    bool exclusive = false; // "x": fail when the file exists
};

// False for a mode that is not one.
bool ParseMode(const WCHAR* mode, StreamMode& parsed)
{
    if (!mode || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a'))
        return false;
    parsed.kind = static_cast<char>(mode[0]);
    bool binary = false, text = false;
    for (const WCHAR* c = mode + 1; *c; ++c) {
        switch (*c) {
        case '+':
            if (parsed.plus)
                return false;
            parsed.plus = true;
            break;
        case 'b':
            if (binary || text)
                return false;
            binary = true;
            break;
        case 't':
            if (binary || text)
                return false;
            text = true; // no line-end translation on this platform
            break;
        case 'x':
            if (parsed.exclusive || parsed.kind != 'w')
                return false;
            parsed.exclusive = true;
            break;
        case 'N': // not inherited: every stream is opened close-on-exec
        case 'S':
        case 'R':
        case 'T':
        case 'D':
            break;
        default:
            return false; // among others "ccs=": encoded text streams are not supported
        }
    }
    return true;
}

// The error _wfopen_s answers for errno value error on path; the last error
// is set as the Windows runtime leaves it (from the failed CreateFileW).
errno_t OpenError(int error, const std::string& path)
{
    PalSetLastErrorForPath(error == EISDIR ? EACCES : error, path);
    return error == EISDIR ? EACCES : error; // the Windows runtime's code for a folder
}

// Opens a stream with the Windows sharing rule of shareFlag (_SH_...): a
// stream that writes takes the write lock, exclusive unless it lets others
// write too (_SH_DENYNO, _SH_DENYRD).
errno_t OpenStream(const WCHAR* filename, const WCHAR* mode, int shareFlag, FILE** out)
{
    *out = nullptr;
    StreamMode parsed;
    if (!filename || !ParseMode(mode, parsed))
        return EINVAL;
    if (!*filename)
        return ENOENT;
    const std::string path = PalPosixPath(filename);

    if (parsed.kind == 'r' && !parsed.plus) {
        // Reading takes no lock.
        FILE* file = std::fopen(path.c_str(), "rbe");
        if (!file)
            return OpenError(errno, path);
        *out = file;
        return 0;
    }

    // Writing: the file is opened without truncating it, so that a writer who
    // is refused (another open writes the file) changes nothing; it is cut
    // only once the lock is held.
    int flags = O_CLOEXEC | (parsed.plus ? O_RDWR : O_WRONLY);
    const char* streamMode = "r+";
    if (parsed.kind == 'w') {
        flags |= O_CREAT | (parsed.exclusive ? O_EXCL : 0);
        streamMode = parsed.plus ? "w+" : "w";
    } else if (parsed.kind == 'a') {
        flags |= O_CREAT | O_APPEND;
        streamMode = parsed.plus ? "a+" : "a";
    }
    int fd = open(path.c_str(), flags, 0666);
    if (fd < 0)
        return OpenError(errno, path);
    bool sharesWriting = shareFlag == _SH_DENYNO || shareFlag == _SH_DENYRD;
    if (!PalTakeWriteLock(fd, sharesWriting ? PalWriteLock::Shared : PalWriteLock::Exclusive)) {
        close(fd);
        SetLastError(ERROR_SHARING_VIOLATION);
        return EACCES;
    }
    if (parsed.kind == 'w' && ftruncate(fd, 0) != 0) {
        int error = errno;
        close(fd);
        return OpenError(error, path);
    }
    FILE* file = fdopen(fd, streamMode);
    if (!file) {
        int error = errno;
        close(fd);
        return OpenError(error, path);
    }
    *out = file;
    return 0;
}

} // namespace

extern "C" errno_t _wfopen_s(FILE** pFile, const WCHAR* filename, const WCHAR* mode)
{
    if (!pFile)
        return EINVAL;
    // As the Windows runtime: a stream that writes is not shared at all.
    return OpenStream(filename, mode, _SH_SECURE, pFile);
}

extern "C" FILE* _wfsopen(const WCHAR* filename, const WCHAR* mode, int shflag)
{
    if (shflag != _SH_DENYRW && shflag != _SH_DENYWR && shflag != _SH_DENYRD && shflag != _SH_DENYNO &&
        shflag != _SH_SECURE) {
        errno = EINVAL;
        return nullptr;
    }
    FILE* file = nullptr;
    errno_t error = OpenStream(filename, mode, shflag, &file);
    if (error != 0)
        errno = error;
    return file;
}

extern "C" int _fileno(FILE* stream) { return stream ? fileno(stream) : -1; }

extern "C" errno_t _chsize_s(int fd, long long size)
{
    if (fd < 0 || size < 0)
        return EINVAL;
    while (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

extern "C" int _fseeki64(FILE* stream, long long offset, int origin)
{
    return stream ? fseeko(stream, static_cast<off_t>(offset), origin) : -1;
}

extern "C" long long _ftelli64(FILE* stream) { return stream ? static_cast<long long>(ftello(stream)) : -1; }
