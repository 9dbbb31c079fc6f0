// Running registry scripts (see Registrar.h).
#include "component/Registrar.h"

namespace {

HRESULT FromWin32(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

// The last error as a failure code (E_FAIL when no error was recorded).
HRESULT LastErrorResult()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

HRESULT SetValue(HKEY key, const WCHAR* name, const RegistryScriptEntry& entry)
{
    return FromWin32(RegSetValueExW(key, name, 0, entry.valueType, entry.valueData.data(),
                                    static_cast<DWORD>(entry.valueData.size())));
}

HRESULT DeleteSubtree(HKEY parent, const WCHAR* name)
{
    LSTATUS status = RegDeleteTreeW(parent, name);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND)
        return S_OK;
    return FromWin32(status);
}

HRESULT RegisterEntries(HKEY parent, const std::vector<RegistryScriptEntry>& entries);

HRESULT RegisterEntry(HKEY parent, const RegistryScriptEntry& entry)
{
    switch (entry.kind) {
    case RegistryScriptEntry::Kind::Value:
        return SetValue(parent, entry.name.c_str(), entry);
    case RegistryScriptEntry::Kind::Delete:
        return DeleteSubtree(parent, entry.name.c_str());
    case RegistryScriptEntry::Kind::Key:
        break;
    }
    if (entry.flag == RegistryScriptEntry::Flag::ForceRemove) {
        HRESULT hr = DeleteSubtree(parent, entry.name.c_str());
        if (FAILED(hr))
            return hr;
    }
    HKEY key = nullptr;
    HRESULT hr = FromWin32(RegCreateKeyExW(parent, entry.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
    if (FAILED(hr))
        return hr;
    if (entry.hasValue)
        hr = SetValue(key, nullptr, entry);
    if (SUCCEEDED(hr))
        hr = RegisterEntries(key, entry.children);
    RegCloseKey(key);
    return hr;
}

HRESULT RegisterEntries(HKEY parent, const std::vector<RegistryScriptEntry>& entries)
{
    for (const RegistryScriptEntry& entry : entries) {
        HRESULT hr = RegisterEntry(parent, entry);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

void UnregisterEntries(HKEY parent, const std::vector<RegistryScriptEntry>& entries)
{
    for (const RegistryScriptEntry& entry : entries) {
        if (entry.kind != RegistryScriptEntry::Kind::Key)
            continue;
        HKEY key = nullptr;
        if (RegOpenKeyExW(parent, entry.name.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
            continue;
        UnregisterEntries(key, entry.children);
        RegCloseKey(key);
        // Fails, and so keeps the key, while it still has subkeys.
        if (entry.flag != RegistryScriptEntry::Flag::NoRemove)
            RegDeleteKeyW(parent, entry.name.c_str());
    }
}

} // namespace

HRESULT CRegistrar::Run(const WCHAR* script, bool registering)
{
    if (!script)
        return E_POINTER;
    CRegistryScript parsed;
    HRESULT hr = parsed.Parse(script, m_replacements);
    m_error = parsed.Error();
    if (FAILED(hr))
        return hr;
    if (registering) {
        for (const RegistryScriptRoot& root : parsed.Roots()) {
            hr = RegisterEntries(root.root, root.entries);
            if (FAILED(hr))
                break;
        }
        if (SUCCEEDED(hr))
            return S_OK;
    }
    // Unregistering, or undoing a registration that failed part way.
    for (const RegistryScriptRoot& root : parsed.Roots())
        UnregisterEntries(root.root, root.entries);
    return registering ? hr : S_OK;
}

HRESULT CRegistrar::RunResource(HMODULE module, UINT id, const WCHAR* type, bool registering)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!resource)
        return LastErrorResult();
    HGLOBAL loaded = LoadResource(module, resource);
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    DWORD size = SizeofResource(module, resource);
    if (!data)
        return LastErrorResult();
    WideString text;
    if (!DecodeRegistryScript(data, size, text))
        return DISP_E_EXCEPTION;
    return Run(text.c_str(), registering);
}
