// Free space and the root of a path. A POSIX path's "root", in the sense of the
// drive that Windows strips a path to, is the mount point of the file system
// that holds it: that is where the free space is the same as for the path.
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "kernel/errno_map.h"
#include "file/path.h"
#include "pal/utf8.h"

extern "C" BOOL GetDiskFreeSpaceExW(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                                    PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes)
{
    std::string path = lpDirectoryName && *lpDirectoryName ? PalPosixPath(lpDirectoryName) : std::string(".");
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        int error = errno;
        SetLastError(error == ENOENT || error == ENOTDIR ? ERROR_PATH_NOT_FOUND : PalErrnoToWin32(error));
        return FALSE;
    }
    if (!S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    struct statvfs space;
    if (statvfs(path.c_str(), &space) != 0) {
        PalSetLastErrorFromErrno(errno);
        return FALSE;
    }
    ULONGLONG unit = space.f_frsize ? space.f_frsize : space.f_bsize;
    if (lpFreeBytesAvailableToCaller)
        lpFreeBytesAvailableToCaller->QuadPart = static_cast<ULONGLONG>(space.f_bavail) * unit;
    if (lpTotalNumberOfBytes)
        lpTotalNumberOfBytes->QuadPart = static_cast<ULONGLONG>(space.f_blocks) * unit;
    if (lpTotalNumberOfFreeBytes)
        lpTotalNumberOfFreeBytes->QuadPart = static_cast<ULONGLONG>(space.f_bfree) * unit;
    return TRUE;
}

extern "C" BOOL PathStripToRootW(LPWSTR pszPath)
{
    if (!pszPath || !*pszPath)
        return FALSE;
    // The nearest part of the path that exists (the path itself when it does).
    std::string existing = PalPosixPath(pszPath);
    struct stat info;
    while (stat(existing.c_str(), &info) != 0) {
        if (existing == "/" || existing == ".")
            return FALSE;
        existing = PalParentPath(existing);
    }
    char resolved[PATH_MAX];
    if (!realpath(existing.c_str(), resolved) || stat(resolved, &info) != 0)
        return FALSE;
    // Up while the parent is on the same file system.
    std::string root = resolved;
    while (root != "/") {
        std::string parent = PalParentPath(root);
        struct stat parentInfo;
        if (stat(parent.c_str(), &parentInfo) != 0 || parentInfo.st_dev != info.st_dev)
            break;
        root = parent;
    }
    WideString wide = PalFromUtf8(root.c_str());
    if (wide.size() > PAL_wcslen(pszPath))
        return FALSE; // the path is reduced in place, never lengthened
    std::memcpy(pszPath, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return TRUE;
}

extern "C" BOOL PathFileExistsW(LPCWSTR pszPath)
{
    if (!pszPath || !*pszPath)
        return FALSE;
    struct stat info;
    return stat(PalPosixPath(pszPath).c_str(), &info) == 0 ? TRUE : FALSE;
}
