// The registry API over the hive files (see pal/posix/registry.h).
#include <cstring>
#include <functional>
#include <mutex>

#include "kernel/live_objects.h"
#include "registry/registry_hive.h"

// An open key: the hive it lives in and its path there.
struct PalKey {
    std::string folder;
    WideString rootName;
    std::vector<WideString> path; // names as stored, below the root
    REGSAM access = 0;
};

namespace {

const REGSAM kAllRights = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS;
const size_t kMaxKeyNameLength = 255;
const size_t kMaxValueNameLength = 16383;

const char* PredefinedRootName(HKEY key)
{
    if (key == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (key == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (key == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (key == HKEY_USERS)
        return "HKEY_USERS";
    return nullptr;
}

REGSAM GrantedRights(REGSAM wanted)
{
    if (wanted & (MAXIMUM_ALLOWED | GENERIC_ALL))
        return kAllRights;
    REGSAM granted = wanted & kAllRights;
    if (wanted & GENERIC_READ)
        granted |= KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
    if (wanted & GENERIC_WRITE)
        granted |= KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
    return granted;
}

// A copy of what a handle names (a predefined root or an open key), checked
// for the rights the call needs.
LSTATUS Resolve(HKEY handle, REGSAM needed, PalKey& key)
{
    if (const char* root = PredefinedRootName(handle)) {
        key.folder = PalRegistryFolder();
        key.rootName = PAL_AsciiToWide(root);
        key.path.clear();
        key.access = kAllRights;
        return ERROR_SUCCESS;
    }
    {
        std::lock_guard<std::mutex> guard(PalLive<PalKey>().lock);
        if (!handle || !PalLive<PalKey>().objects.count(handle))
            return ERROR_INVALID_HANDLE;
        key = *handle;
    }
    return (key.access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

HKEY NewHandle(const PalKey& key)
{
    PalKey* handle = new PalKey(key);
    std::lock_guard<std::mutex> guard(PalLive<PalKey>().lock);
    PalLive<PalKey>().objects.insert(handle);
    return handle;
}

bool HasLineBreak(const WideString& name)
{
    return name.find('\r') != WideString::npos || name.find('\n') != WideString::npos;
}

WideString ValueName(LPCWSTR name) { return name ? WideString(name) : WideString(); }

// The node of an open key, or null when the key was deleted.
PalRegKeyNode* NodeOf(PalRegKeyNode& root, const PalKey& key) { return root.Find(key.path); }

// Runs read on the node of an open key (ERROR_KEY_DELETED when it is gone).
LSTATUS ReadNode(const PalKey& key, const std::function<LSTATUS(PalRegKeyNode& node)>& read)
{
    return PalReadHive(key.folder, key.rootName, [&](PalRegKeyNode& root) -> LSTATUS {
        PalRegKeyNode* node = NodeOf(root, key);
        return node ? read(*node) : ERROR_KEY_DELETED;
    });
}

// Runs change on the node of an open key; the hive is written when it sets
// "changed".
LSTATUS ChangeNode(const PalKey& key, const std::function<LSTATUS(PalRegKeyNode& node, bool& changed)>& change)
{
    return PalChangeHive(key.folder, key.rootName, [&](PalRegKeyNode& root, bool& changed) -> LSTATUS {
        PalRegKeyNode* node = NodeOf(root, key);
        return node ? change(*node, changed) : ERROR_KEY_DELETED;
    });
}

// Hands out a handle to the key that was opened or created (status tells),
// with the rights asked for.
LSTATUS HandOut(LSTATUS status, PalKey& key, REGSAM wanted, PHKEY result)
{
    if (status != ERROR_SUCCESS)
        return status;
    key.access = GrantedRights(wanted);
    *result = NewHandle(key);
    return ERROR_SUCCESS;
}

// The key a handle names and the names of a path below it.
LSTATUS ResolvePath(HKEY handle, LPCWSTR subKey, PalKey& key, std::vector<WideString>& below)
{
    LSTATUS status = Resolve(handle, 0, key);
    if (status != ERROR_SUCCESS)
        return status;
    if (subKey && subKey[0] == '\\')
        return ERROR_BAD_PATHNAME;
    below = PalRegSplitPath(subKey);
    return ERROR_SUCCESS;
}

// As ResolvePath, for a call that hands out a handle through result.
LSTATUS ResolveForHandle(HKEY handle, LPCWSTR subKey, PHKEY result, PalKey& key, std::vector<WideString>& below)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    return ResolvePath(handle, subKey, key, below);
}

} // namespace

extern "C" LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    PalKey key;
    std::vector<WideString> below;
    LSTATUS status = ResolveForHandle(hKey, lpSubKey, phkResult, key, below);
    if (status != ERROR_SUCCESS)
        return status;
    status = ReadNode(key, [&](PalRegKeyNode& start) -> LSTATUS {
        PalRegKeyNode* node = &start;
        for (const WideString& name : below) {
            node = node->FindSubkey(name);
            if (!node)
                return ERROR_FILE_NOT_FOUND;
            key.path.push_back(node->Name());
        }
        return ERROR_SUCCESS;
    });
    return HandOut(status, key, samDesired, phkResult);
}

extern "C" LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                                   LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition)
{
    PalKey key;
    std::vector<WideString> below;
    LSTATUS status = ResolveForHandle(hKey, lpSubKey, phkResult, key, below);
    if (status != ERROR_SUCCESS)
        return status;
    for (const WideString& name : below)
        if (name.size() > kMaxKeyNameLength || HasLineBreak(name))
            return ERROR_INVALID_PARAMETER;
    bool createdAny = false;
    status = ChangeNode(key, [&](PalRegKeyNode& start, bool& changed) -> LSTATUS {
        PalRegKeyNode* node = &start;
        // Creating needs the right to create below the key the handle names.
        size_t existing = 0;
        for (PalRegKeyNode* walk = node; existing < below.size(); ++existing) {
            walk = walk->FindSubkey(below[existing]);
            if (!walk)
                break;
        }
        if (existing < below.size() && !(key.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        for (const WideString& name : below) {
            bool created = false;
            node = node->AddSubkey(name, &created);
            createdAny = createdAny || created;
            key.path.push_back(node->Name());
        }
        changed = createdAny;
        return ERROR_SUCCESS;
    });
    if (status == ERROR_SUCCESS && lpdwDisposition)
        *lpdwDisposition = createdAny ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return HandOut(status, key, samDesired, phkResult);
}

extern "C" LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                    LPDWORD lpcbData)
{
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    PalKey key;
    LSTATUS status = Resolve(hKey, KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS)
        return status;
    WideString name = ValueName(lpValueName);
    return ReadNode(key, [&](PalRegKeyNode& node) -> LSTATUS {
        const PalRegValue* value = node.FindValue(name);
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        if (lpType)
            *lpType = value->type;
        DWORD size = static_cast<DWORD>(value->data.size());
        if (!lpcbData)
            return ERROR_SUCCESS;
        DWORD room = *lpcbData;
        *lpcbData = size;
        if (!lpData)
            return ERROR_SUCCESS;
        if (room < size)
            return ERROR_MORE_DATA;
        if (size)
            std::memcpy(lpData, value->data.data(), size);
        return ERROR_SUCCESS;
    });
}

extern "C" LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    if (!lpData && cbData)
        return ERROR_NOACCESS;
    PalKey key;
    LSTATUS status = Resolve(hKey, KEY_SET_VALUE, key);
    if (status != ERROR_SUCCESS)
        return status;
    WideString name = ValueName(lpValueName);
    if (name.size() > kMaxValueNameLength || HasLineBreak(name))
        return ERROR_INVALID_PARAMETER;
    return ChangeNode(key, [&](PalRegKeyNode& node, bool& changed) -> LSTATUS {
        changed = node.SetValue(name, dwType, lpData, cbData);
        return ERROR_SUCCESS;
    });
}

extern "C" LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName)
{
    PalKey key;
    LSTATUS status = Resolve(hKey, KEY_SET_VALUE, key);
    if (status != ERROR_SUCCESS)
        return status;
    WideString name = ValueName(lpValueName);
    return ChangeNode(key, [&](PalRegKeyNode& node, bool& changed) -> LSTATUS {
        changed = node.RemoveValue(name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

namespace {

// Deletes the key at hKey\subKey: only when it has no subkeys, or with its
// whole subtree.
LSTATUS DeleteKey(HKEY hKey, LPCWSTR lpSubKey, bool withSubtree)
{
    PalKey key;
    std::vector<WideString> below;
    LSTATUS status = ResolvePath(hKey, lpSubKey, key, below);
    if (status != ERROR_SUCCESS)
        return status;
    std::vector<WideString> target = key.path;
    target.insert(target.end(), below.begin(), below.end());
    return PalChangeHive(key.folder, key.rootName, [&](PalRegKeyNode& root, bool& changed) -> LSTATUS {
        if (!NodeOf(root, key))
            return ERROR_KEY_DELETED;
        PalRegKeyNode* node = root.Find(target);
        if (!node)
            return ERROR_FILE_NOT_FOUND;
        if (target.empty())
            return ERROR_ACCESS_DENIED; // a root key stays
        if (!withSubtree && !node->Subkeys().empty())
            return ERROR_ACCESS_DENIED;
        std::vector<WideString> parentPath(target.begin(), target.end() - 1);
        changed = root.Find(parentPath)->RemoveSubkey(target.back());
        return ERROR_SUCCESS;
    });
}

} // namespace

extern "C" LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    return DeleteKey(hKey, lpSubKey, false);
}

extern "C" LSTATUS RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey)
{
    if (lpSubKey && *lpSubKey)
        return DeleteKey(hKey, lpSubKey, true);
    // No subkey: the key itself stays, emptied of its values and subkeys.
    PalKey key;
    LSTATUS status = Resolve(hKey, KEY_SET_VALUE, key);
    if (status != ERROR_SUCCESS)
        return status;
    return ChangeNode(key, [&](PalRegKeyNode& node, bool& changed) -> LSTATUS {
        changed = !node.Values().empty() || !node.Subkeys().empty();
        node.RemoveAllValues();
        node.RemoveAllSubkeys();
        return ERROR_SUCCESS;
    });
}

extern "C" LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                                 LPWSTR lpClass, LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime)
{
    if (!lpName || !lpcchName || lpReserved)
        return ERROR_INVALID_PARAMETER;
    PalKey key;
    LSTATUS status = Resolve(hKey, KEY_ENUMERATE_SUB_KEYS, key);
    if (status != ERROR_SUCCESS)
        return status;
    return ReadNode(key, [&](PalRegKeyNode& node) -> LSTATUS {
        if (dwIndex >= node.Subkeys().size())
            return ERROR_NO_MORE_ITEMS;
        const WideString& name = node.Subkeys()[dwIndex]->Name();
        if (name.size() + 1 > *lpcchName)
            return ERROR_MORE_DATA;
        std::memcpy(lpName, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        *lpcchName = static_cast<DWORD>(name.size());
        if (lpClass && lpcchClass && *lpcchClass > 0)
            lpClass[0] = 0;
        if (lpcchClass)
            *lpcchClass = 0;
        if (lpftLastWriteTime)
            *lpftLastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

extern "C" LSTATUS RegCloseKey(HKEY hKey)
{
    if (PredefinedRootName(hKey))
        return ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> guard(PalLive<PalKey>().lock);
        if (!hKey || !PalLive<PalKey>().objects.erase(hKey))
            return ERROR_INVALID_HANDLE;
    }
    delete hKey;
    return ERROR_SUCCESS;
}
