// Renaming files: MoveFileExW.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file/path.h"
#include "kernel/errno_map.h"

namespace {

// Puts what was written to the file (or folder) on the disk.
void SyncToDisk(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

} // namespace

extern "C" BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags)
{
    const DWORD known = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if ((dwFlags & ~known) != 0 || !lpNewFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string from;
    std::string to;
    if (!PalPathArgument(lpExistingFileName, ERROR_PATH_NOT_FOUND, from) ||
        !PalPathArgument(lpNewFileName, ERROR_PATH_NOT_FOUND, to))
        return FALSE;
    struct stat source;
    if (lstat(from.c_str(), &source) != 0) {
        PalSetLastErrorForPath(errno, from);
        return FALSE;
    }
    if (dwFlags & MOVEFILE_WRITE_THROUGH)
        SyncToDisk(from);

    int result;
    if (dwFlags & MOVEFILE_REPLACE_EXISTING) {
        struct stat target;
        if (lstat(to.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED); // a folder is never replaced
            return FALSE;
        }
        result = rename(from.c_str(), to.c_str());
    } else {
        result = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        if (result != 0 && errno == EINVAL) {
            // A file system that cannot refuse in the same step: looked at first.
            struct stat target;
            if (lstat(to.c_str(), &target) == 0) {
                SetLastError(ERROR_ALREADY_EXISTS);
                return FALSE;
            }
            result = rename(from.c_str(), to.c_str());
        }
    }
    if (result != 0) {
        int error = errno;
        if (error == EEXIST || error == ENOTEMPTY)
            SetLastError(ERROR_ALREADY_EXISTS);
        else if (error == EXDEV)
            SetLastError(ERROR_NOT_SAME_DEVICE);
        else if (error == ENOENT || error == ENOTDIR)
            SetLastError(ERROR_PATH_NOT_FOUND); // the new name's folder is missing
        else
            PalSetLastErrorFromErrno(error);
        return FALSE;
    }
    if (dwFlags & MOVEFILE_WRITE_THROUGH)
        SyncToDisk(PalParentPath(to));
    return TRUE;
}
