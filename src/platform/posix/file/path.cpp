#include "file/path.h"

#include <sys/stat.h>

#include <cerrno>

#include "kernel/errno_map.h"
#include "pal/utf8.h"

std::string PalPosixPath(LPCWSTR path)
{
    std::string converted = PalToUtf8(path);
    for (char& c : converted)
        if (c == '\\')
            c = '/';
    return converted;
}

std::string PalParentPath(const std::string& path)
{
    size_t end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    size_t slash = path.rfind('/', end - 1);
    if (end == 0 || slash == std::string::npos)
        return ".";
    while (slash > 0 && path[slash - 1] == '/')
        --slash;
    return slash == 0 ? "/" : path.substr(0, slash);
}

DWORD PalMissingPathError(const std::string& path)
{
    struct stat info;
    std::string parent = PalParentPath(path);
    if (stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return ERROR_FILE_NOT_FOUND;
    return ERROR_PATH_NOT_FOUND;
}

bool PalPathArgument(LPCWSTR path, DWORD whenEmpty, std::string& posixPath)
{
    if (!path || !*path) {
        SetLastError(whenEmpty);
        return false;
    }
    posixPath = PalPosixPath(path);
    return true;
}

void PalSetLastErrorForPath(int error, const std::string& path)
{
    if (error == ENOENT || error == ENOTDIR)
        SetLastError(PalMissingPathError(path));
    else
        PalSetLastErrorFromErrno(error);
}
