#include "com/registry_text.h"

#include <vector>

bool PalReadClassesRootText(const WideString& subKey, WideString& text)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    bool read = false;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<WCHAR> buffer(size / sizeof(WCHAR) + 1, 0);
        // One unit more than the value, so that the text always ends with a zero.
        DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(WCHAR));
        if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) ==
                ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            text.assign(buffer.data());
            read = true;
        }
    }
    RegCloseKey(key);
    return read;
}
