// The keys and values of one registry hive in memory. Names compare without
// regard to case and keep the case they were created with; subkeys are kept in
// the order the registry enumerates them (by upper-cased name), values in the
// order they were first set.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "pal/pal.h"

struct PalRegValue {
    WideString name; // empty for the key's default value
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

class PalRegKeyNode {
public:
    explicit PalRegKeyNode(const WideString& name) : m_name(name) {}

    const WideString& Name() const { return m_name; }

    const std::vector<std::unique_ptr<PalRegKeyNode>>& Subkeys() const { return m_subkeys; }
    PalRegKeyNode* FindSubkey(const WideString& name) const;
    // The subkey of that name, created when missing.
    PalRegKeyNode* AddSubkey(const WideString& name, bool* created = nullptr);
    // Removes the subkey with its whole subtree; false when there is none.
    bool RemoveSubkey(const WideString& name);
    void RemoveAllSubkeys() { m_subkeys.clear(); }

    const std::vector<PalRegValue>& Values() const { return m_values; }
    const PalRegValue* FindValue(const WideString& name) const;
    // Sets a value; false when it already held exactly this.
    bool SetValue(const WideString& name, DWORD type, const BYTE* data, size_t size);
    bool RemoveValue(const WideString& name);
    void RemoveAllValues()
    {
        m_values.clear();
        m_valueIndex.clear();
    }

    // The key at the end of a path of names below this one, or null.
    PalRegKeyNode* Find(const std::vector<WideString>& path);

private:
    // The position in m_values of the value with that name; null when none.
    PalRegValue* ValueNamed(const WideString& name);
    void IndexValues();

    WideString m_name;
    std::vector<PalRegValue> m_values;
    // The values' positions by upper-cased name, so that a key with thousands
    // of values finds each one at once.
    std::unordered_map<WideString, size_t> m_valueIndex;
    std::vector<std::unique_ptr<PalRegKeyNode>> m_subkeys;
};

// Compares two key or value names as the registry does: case-insensitively.
int PalRegCompareNames(const WideString& a, const WideString& b);
// The name as PalRegCompareNames sees it (upper case).
WideString PalRegNameKey(const WideString& name);

// Splits a key path at its backslashes; empty parts (doubled or trailing
// backslashes) are dropped.
std::vector<WideString> PalRegSplitPath(const WCHAR* path);
