#include "registry/registry_tree.h"

#include <algorithm>
#include <cstring>

int PalRegCompareNames(const WideString& a, const WideString& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        WCHAR x = PAL_towupper(a[i]), y = PAL_towupper(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::vector<WideString> PalRegSplitPath(const WCHAR* path)
{
    std::vector<WideString> parts;
    WideString part;
    for (const WCHAR* c = path; c && *c; ++c) {
        if (*c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part.push_back(*c);
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

namespace {

bool NameBefore(const std::unique_ptr<PalRegKeyNode>& key, const WideString& name)
{
    return PalRegCompareNames(key->Name(), name) < 0;
}

} // namespace

PalRegKeyNode* PalRegKeyNode::FindSubkey(const WideString& name) const
{
    auto it = std::lower_bound(m_subkeys.begin(), m_subkeys.end(), name, NameBefore);
    if (it != m_subkeys.end() && PalRegCompareNames((*it)->Name(), name) == 0)
        return it->get();
    return nullptr;
}

PalRegKeyNode* PalRegKeyNode::AddSubkey(const WideString& name, bool* created)
{
    auto it = std::lower_bound(m_subkeys.begin(), m_subkeys.end(), name, NameBefore);
    if (it != m_subkeys.end() && PalRegCompareNames((*it)->Name(), name) == 0) {
        if (created)
            *created = false;
        return it->get();
    }
    if (created)
        *created = true;
    return m_subkeys.insert(it, std::make_unique<PalRegKeyNode>(name))->get();
}

bool PalRegKeyNode::RemoveSubkey(const WideString& name)
{
    auto it = std::lower_bound(m_subkeys.begin(), m_subkeys.end(), name, NameBefore);
    if (it == m_subkeys.end() || PalRegCompareNames((*it)->Name(), name) != 0)
        return false;
    m_subkeys.erase(it);
    return true;
}

const PalRegValue* PalRegKeyNode::FindValue(const WideString& name) const
{
    for (const PalRegValue& value : m_values)
        if (PalRegCompareNames(value.name, name) == 0)
            return &value;
    return nullptr;
}

bool PalRegKeyNode::SetValue(const WideString& name, DWORD type, const BYTE* data, size_t size)
{
    for (PalRegValue& value : m_values) {
        if (PalRegCompareNames(value.name, name) != 0)
            continue;
        if (value.type == type && value.data.size() == size && (size == 0 || std::memcmp(value.data.data(), data, size) == 0))
            return false;
        value.type = type;
        value.data.assign(data, data + size);
        return true;
    }
    PalRegValue value;
    value.name = name;
    value.type = type;
    value.data.assign(data, data + size);
    m_values.push_back(std::move(value));
    return true;
}

bool PalRegKeyNode::RemoveValue(const WideString& name)
{
    for (auto it = m_values.begin(); it != m_values.end(); ++it) {
        if (PalRegCompareNames(it->name, name) == 0) {
            m_values.erase(it);
            return true;
        }
    }
    return false;
}

PalRegKeyNode* PalRegKeyNode::Find(const std::vector<WideString>& path)
{
    PalRegKeyNode* key = this;
    for (const WideString& name : path) {
        key = key->FindSubkey(name);
        if (!key)
            return nullptr;
    }
    return key;
}
