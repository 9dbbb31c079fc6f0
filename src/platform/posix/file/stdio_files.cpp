// C runtime streams opened by a wide file name.
#include <cerrno>
#include <cstdio>
#include <string>

#include "file/path.h"

namespace {

// Turns a Windows stream mode ("wb", "ab", "r+b", "rt", "wx"...) into the
// C library's; false for a mode that is not one.
bool ConvertMode(const WCHAR* mode, std::string& posixMode)
{
    if (!mode || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a'))
        return false;
    posixMode.assign(1, static_cast<char>(mode[0]));
    bool plus = false, exclusive = false, binary = false, text = false;
    for (const WCHAR* c = mode + 1; *c; ++c) {
        switch (*c) {
        case '+':
            if (plus)
                return false;
            plus = true;
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
            if (exclusive || mode[0] != 'w')
                return false;
            exclusive = true;
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
    if (plus)
        posixMode += '+';
    posixMode += 'e';
    if (exclusive)
        posixMode += 'x';
    return true;
}

} // namespace

extern "C" errno_t _wfopen_s(FILE** pFile, const WCHAR* filename, const WCHAR* mode)
{
    if (!pFile)
        return EINVAL;
    *pFile = nullptr;
    std::string posixMode;
    if (!filename || !ConvertMode(mode, posixMode))
        return EINVAL;
    if (!*filename)
        return ENOENT;
    FILE* file = std::fopen(PalPosixPath(filename).c_str(), posixMode.c_str());
    if (!file) {
        int error = errno;
        return error == EISDIR ? EACCES : error; // the Windows runtime's code for a folder
    }
    *pFile = file;
    return 0;
}
