#include "core/LoggerSettings.h"

namespace {

// Registry values are read into a buffer of 128 bytes: 63 characters and the
// terminator.
const DWORD kRegistryTextBytes = 128;

// A text value of an open key; false when it is missing or does not fit.
bool ReadRegistryText(HKEY key, const WCHAR* name, CBstrString& text)
{
    WCHAR buffer[kRegistryTextBytes / sizeof(WCHAR)] = {};
    DWORD size = kRegistryTextBytes;
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    // A value stored without its terminator still ends inside the buffer.
    UINT length = 0;
    UINT limit = size / sizeof(WCHAR);
    while (length < limit && buffer[length])
        ++length;
    text.Assign(buffer, length);
    return true;
}

} // namespace

void CLoggerSettings::SetRegistryRoot(BSTR root)
{
    m_registryRoot = CBstrString::FromBstr(root);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_registryRoot.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    for (int number = 1;; ++number) {
        CBstrString name;
        name.Format(W("Eve%d"), number);
        CBstrString type;
        if (!ReadRegistryText(key, name.c_str(), type))
            break;
        m_enabledEventTypes.insert(WideString(type.c_str(), type.Length()));
    }
    if (!ReadRegistryText(key, W("IterDir"), m_iterationFolderPrefix))
        m_iterationFolderPrefix = W("Row");
    RegCloseKey(key);
}

bool CLoggerSettings::ReadResultsDirectory(CBstrString& directory) const
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_registryRoot.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    bool found = ReadRegistryText(key, W("Directory"), directory);
    RegCloseKey(key);
    return found;
}

bool CLoggerSettings::IsEnabledEventType(BSTR eventType) const
{
    const std::basic_string_view<WCHAR> type(eventType ? eventType : W(""), SysStringLen(eventType));
    return m_enabledEventTypes.count(type) != 0;
}
