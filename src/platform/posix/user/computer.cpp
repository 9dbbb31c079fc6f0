// The computer name: the host name up to its first dot, at most
// MAX_COMPUTERNAME_LENGTH (15) characters as a Windows computer name is.
#include <climits>
#include <cstring>
#include <unistd.h>

#include "pal/pal.h"
#include "pal/utf8.h"

extern "C" BOOL GetComputerNameW(LPWSTR lpBuffer, LPDWORD nSize)
{
    if (!nSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof(host) - 1) != 0) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (char* dot = std::strchr(host, '.'))
        *dot = 0;
    WideString name = PalFromUtf8(host);
    if (name.size() > MAX_COMPUTERNAME_LENGTH)
        name.resize(MAX_COMPUTERNAME_LENGTH);
    DWORD needed = static_cast<DWORD>(name.size()) + 1;
    if (!lpBuffer || *nSize < needed) {
        *nSize = needed;
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    std::memcpy(lpBuffer, name.c_str(), needed * sizeof(WCHAR));
    *nSize = needed - 1;
    return TRUE;
}
