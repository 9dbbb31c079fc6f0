// Folders: creating and removing one level.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "kernel/errno_map.h"
#include "file/path.h"

extern "C" BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    std::string path;
    if (!PalPathArgument(lpPathName, ERROR_PATH_NOT_FOUND, path))
        return FALSE;
    if (mkdir(path.c_str(), 0777) == 0)
        return TRUE;
    int error = errno;
    if (error == ENOENT || error == ENOTDIR)
        SetLastError(ERROR_PATH_NOT_FOUND); // a folder on the way is missing
    else
        PalSetLastErrorFromErrno(error);
    return FALSE;
}

extern "C" BOOL RemoveDirectoryW(LPCWSTR lpPathName)
{
    std::string path;
    if (!PalPathArgument(lpPathName, ERROR_PATH_NOT_FOUND, path))
        return FALSE;
    if (rmdir(path.c_str()) == 0)
        return TRUE;
    int error = errno;
    struct stat info;
    if (error == ENOENT) {
        SetLastError(PalMissingPathError(path));
    } else if (error == ENOTDIR) {
        bool isFile = stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
        SetLastError(isFile ? ERROR_DIRECTORY : ERROR_PATH_NOT_FOUND);
    } else if (error == ENOTEMPTY || error == EEXIST) {
        SetLastError(ERROR_DIR_NOT_EMPTY);
    } else {
        PalSetLastErrorFromErrno(error);
    }
    return FALSE;
}
