#include "annalist/ReplaySettings.h"

#include "pal/tool_support.h"

CPrivateRegistry::~CPrivateRegistry()
{
    if (m_active)
        PAL_EndPrivateRegistry();
}

bool CPrivateRegistry::Begin(std::string& error)
{
    if (m_active)
        return true;
    LONG status = PAL_BeginPrivateRegistry(m_where);
    if (status != ERROR_SUCCESS) {
        error = "cannot set up a private registry for the replay (error " + std::to_string(status) + ")";
        return false;
    }
    m_active = true;
    return true;
}

WideString NormalizeRegistryRoot(const WideString& root)
{
    WideString path = root;
    for (const WCHAR* prefix : {W("HKEY_LOCAL_MACHINE\\"), W("HKLM\\")}) {
        size_t n = PAL_wcslen(prefix);
        if (path.size() >= n) {
            WideString head = path.substr(0, n);
            if (PAL_wcsicmp(head.c_str(), prefix) == 0) {
                path.erase(0, n);
                break;
            }
        }
    }
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

bool WriteDefaultSettings(const WideString& root, std::string& error)
{
    static const WCHAR* const kEventTypes[] = {W("Replay"),       W("User"),    W("Error"), W("Verification"),
                                               W("Transaction"), W("Context"), W("Table")};
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, root.c_str(), 0, nullptr, kPrivateKeyOptions, KEY_ALL_ACCESS,
                                  nullptr, &key, &disposition);
    if (status != ERROR_SUCCESS) {
        error = "cannot create the registry root (error " + std::to_string(status) + ")";
        return false;
    }
    auto set = [&](const WCHAR* name, const WCHAR* value) {
        if (status != ERROR_SUCCESS)
            return;
        status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                static_cast<DWORD>((PAL_wcslen(value) + 1) * sizeof(WCHAR)));
    };
    set(W("Directory"), W("."));
    set(W("IterDir"), W("Row"));
    for (size_t i = 0; i < sizeof(kEventTypes) / sizeof(kEventTypes[0]); ++i) {
        WideString name = W("Eve") + PAL_AsciiToWide(std::to_string(i + 1).c_str());
        set(name.c_str(), kEventTypes[i]);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        error = "cannot write the default settings (error " + std::to_string(status) + ")";
        return false;
    }
    return true;
}

bool ReadSettingText(const WideString& root, const WCHAR* name, WideString& text)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, root.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    // As the logger reads it: 128 bytes, whatever the value's type, up to
    // the first zero character.
    WCHAR buffer[64] = {};
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    size_t length = 0;
    while (length < size / sizeof(WCHAR) && buffer[length])
        ++length;
    text.assign(buffer, length);
    return true;
}

bool ReadDirectorySetting(const WideString& root, WideString& directory)
{
    return ReadSettingText(root, W("Directory"), directory);
}

bool RootExists(const WideString& root)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, root.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

WideString ResultsFolderFor(const WideString& path, const WideString& directory)
{
    if (directory == W("."))
        return path;
    return path + W("\\") + directory;
}
