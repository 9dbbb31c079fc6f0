#include "registry/registry_tree.h"

#include <algorithm>
#include <cstddef>
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

WideString PalRegNameKey(const WideString& name)
{
    WideString key = name;
    for (WCHAR& c : key)
        c = PAL_towupper(c);
    return key;
}

void PalRegKeyNode::IndexValues()
{
    m_valueIndex.clear();
    for (size_t i = 0; i < m_values.size(); ++i)
        m_valueIndex[PalRegNameKey(m_values[i].name)] = i;
}

PalRegValue* PalRegKeyNode::ValueNamed(const WideString& name)
{
    auto it = m_valueIndex.find(PalRegNameKey(name));
    return it == m_valueIndex.end() ? nullptr : &m_values[it->second];
}

const PalRegValue* PalRegKeyNode::FindValue(const WideString& name) const
{
    return const_cast<PalRegKeyNode*>(this)->ValueNamed(name);
}

bool PalRegKeyNode::SetValue(const WideString& name, DWORD type, const BYTE* data, size_t size)
{
    if (PalRegValue* value = ValueNamed(name)) {
        if (value->type == type && value->data.size() == size &&
            (size == 0 || std::memcmp(value->data.data(), data, size) == 0))
            return false;
        value->type = type;
        value->data.assign(data, data + size);
        return true;
    }
    PalRegValue value;
    value.name = name;
    value.type = type;
    value.data.assign(data, data + size);
    m_valueIndex[PalRegNameKey(name)] = m_values.size();
    m_values.push_back(std::move(value));
    return true;
}

bool PalRegKeyNode::RemoveValue(const WideString& name)
{
    auto it = m_valueIndex.find(PalRegNameKey(name));
    if (it == m_valueIndex.end())
        return false;
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(it->second));
    IndexValues();
    return true;
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
