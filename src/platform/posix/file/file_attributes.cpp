// What a path is: attributes and access checks.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "kernel/errno_map.h"
#include "file/path.h"

extern "C" DWORD GetFileAttributesW(LPCWSTR lpFileName)
{
    std::string path;
    if (!PalPathArgument(lpFileName, ERROR_FILE_NOT_FOUND, path))
        return INVALID_FILE_ATTRIBUTES;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        PalSetLastErrorForPath(errno, path);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISDIR(info.st_mode)) {
        attributes = FILE_ATTRIBUTE_DIRECTORY;
    } else {
        attributes = FILE_ATTRIBUTE_ARCHIVE;
        if (!(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            attributes |= FILE_ATTRIBUTE_READONLY;
    }
    // Dot files are the hidden files of POSIX.
    size_t end = path.find_last_not_of('/');
    if (end != std::string::npos) {
        size_t start = path.rfind('/', end);
        start = start == std::string::npos ? 0 : start + 1;
        std::string name = path.substr(start, end - start + 1);
        if (name.size() > 1 && name[0] == '.' && name != "..")
            attributes |= FILE_ATTRIBUTE_HIDDEN;
    }
    return attributes;
}

extern "C" int _waccess(const WCHAR* path, int mode)
{
    if (!path || (mode & ~6) != 0) {
        errno = EINVAL;
        return -1;
    }
    int wanted = F_OK;
    if (mode & 2)
        wanted |= W_OK;
    if (mode & 4)
        wanted |= R_OK;
    return access(PalPosixPath(path).c_str(), wanted) == 0 ? 0 : -1;
}
