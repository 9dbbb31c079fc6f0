// Environment variables, in the process environment that getenv also sees.
#include <cstdlib>
#include <cstring>

#include "kernel/time_zone.h"
#include "pal/pal.h"
#include "pal/utf8.h"

extern "C" DWORD GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize)
{
    if (!lpName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* value = std::getenv(PalToUtf8(lpName).c_str());
    if (!value) {
        SetLastError(203); // ERROR_ENVVAR_NOT_FOUND
        return 0;
    }
    WideString wide = PalFromUtf8(value);
    DWORD needed = static_cast<DWORD>(wide.size()) + 1;
    if (!lpBuffer || nSize < needed)
        return needed;
    std::memcpy(lpBuffer, wide.c_str(), needed * sizeof(WCHAR));
    return needed - 1;
}

extern "C" BOOL SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue)
{
    if (!lpName || !*lpName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string name = PalToUtf8(lpName);
    int result = lpValue ? setenv(name.c_str(), PalToUtf8(lpValue).c_str(), 1) : unsetenv(name.c_str());
    if (result != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (name == "TZ")
        PalZoneSettingChanged();
    return TRUE;
}
