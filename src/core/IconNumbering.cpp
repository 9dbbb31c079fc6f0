#include "core/IconNumbering.h"

#include <new>

#include "core/FolderNaming.h"
#include "fs/IconFiles.h"
#include "text/ResourceStrings.h"

namespace {

const WCHAR kLocalModule[] = W("LocalDll");
const LONG kMaxIconNumber = 0x7FFFFFFF;

// A VARIANT cleared when it goes out of scope.
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&m_value); }
    ~ScopedVariant() { VariantClear(&m_value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    VARIANT* Ptr() { return &m_value; }

private:
    VARIANT m_value;
};

// A description key as the dictionary takes it: a VT_BSTR variant.
class DescriptionKey {
public:
    explicit DescriptionKey(const WCHAR* key)
    {
        V_VT(m_key.Ptr()) = VT_BSTR;
        V_BSTR(m_key.Ptr()) = SysAllocString(key);
    }
    VARIANT* Ptr() { return m_key.Ptr(); }
    bool IsValid() { return V_BSTR(m_key.Ptr()) != nullptr; }

private:
    ScopedVariant m_key;
};

// The value under the key converted to `type` (as VariantChangeType converts,
// read through a reference). `found` is false when the key does not exist or
// its value does not convert; the result is the dictionary's failure, if any.
HRESULT ReadValue(IDictionary* description, const WCHAR* key, VARTYPE type, VARIANT* out, bool& found)
{
    found = false;
    DescriptionKey name(key);
    if (!name.IsValid())
        return E_OUTOFMEMORY;
    VARIANT_BOOL exists = VARIANT_FALSE;
    HRESULT hr = description->Exists(name.Ptr(), &exists);
    if (FAILED(hr) || exists == VARIANT_FALSE)
        return FAILED(hr) ? hr : S_OK;
    ScopedVariant stored;
    hr = description->get_Item(name.Ptr(), stored.Ptr());
    if (FAILED(hr))
        return hr;
    ScopedVariant value;
    if (FAILED(VariantCopyInd(value.Ptr(), stored.Ptr())))
        return S_OK;
    found = SUCCEEDED(VariantChangeType(out, value.Ptr(), 0, type));
    return S_OK;
}

HRESULT ReadText(IDictionary* description, const WCHAR* key, CBstrString& out, bool& found)
{
    ScopedVariant value;
    HRESULT hr = ReadValue(description, key, VT_BSTR, value.Ptr(), found);
    if (found)
        out = CBstrString::FromBstr(V_BSTR(value.Ptr()));
    return hr;
}

HRESULT ReadInt(IDictionary* description, const WCHAR* key, LONG& out, bool& found)
{
    ScopedVariant value;
    HRESULT hr = ReadValue(description, key, VT_I4, value.Ptr(), found);
    if (found)
        out = V_I4(value.Ptr());
    return hr;
}

HRESULT WriteInt(IDictionary* description, const WCHAR* key, LONG number)
{
    DescriptionKey name(key);
    if (!name.IsValid())
        return E_OUTOFMEMORY;
    ScopedVariant value;
    V_VT(value.Ptr()) = VT_I4;
    V_I4(value.Ptr()) = number;
    return description->put_Item(name.Ptr(), value.Ptr());
}

// Whether the path names an icon file: its last four characters are ".ico",
// in any case.
bool IsIconFilePath(const CBstrString& path)
{
    const UINT length = path.Length();
    if (length < 4)
        return false;
    const WCHAR* tail = path.c_str() + length - 4;
    const char extension[] = ".ico";
    for (int i = 0; i < 4; ++i)
        if (PAL_towlower(tail[i]) != static_cast<WCHAR>(extension[i]))
            return false;
    return true;
}

// "%s%d": the module path followed by the resource number.
WideString ModuleIconKey(const CBstrString& path, LONG number)
{
    CBstrString key;
    key.Format(W("%s%d"), path.c_str(), number);
    return WideString(key.c_str(), key.Length());
}

} // namespace

void CIconNumbering::ResetRun()
{
    m_nextIconNumber = 1;
    m_iconCache.clear();
}

LONG CIconNumbering::FindFreeIconNumber(const WCHAR* resultsFolder, LONG first, CBstrString& path)
{
    LONG number = first;
    for (;;) {
        CBstrString relative;
        relative.Format(W("Icons\\%d.ico"), number);
        path = JoinResultsPath(resultsFolder, relative.c_str());
        if (number == kMaxIconNumber || _waccess(path.c_str(), 0) != 0)
            return number;
        ++number;
    }
}

LONG CIconNumbering::IconFileNumber(const WideString& key, const CBstrString& path, bool isIconFile,
                                    LONG resourceNumber, const CBstrString& targetPath)
{
    auto cached = m_iconCache.find(key);
    if (cached != m_iconCache.end())
        return cached->second;

    IconSetPtr icon;
    if (isIconFile)
        icon.reset(LoadIconFile(path.c_str()));
    else if (path == kLocalModule)
        icon.reset(LoadIconGroupFromModule(GetResourceModule(), kLocalModule, resourceNumber));
    else
        icon.reset(LoadIconGroup(path.c_str(), resourceNumber));
    if (!icon) {
        m_iconCache[key] = 0;
        return 0;
    }
    // A file that cannot be written keeps its number: the report then names
    // a missing file, and the disk-full prompt has told the user.
    WriteIconFile(icon.get(), targetPath.c_str());
    LONG number = m_nextIconNumber;
    m_iconCache[key] = number;
    if (m_nextIconNumber < kMaxIconNumber)
        ++m_nextIconNumber;
    return number;
}

HRESULT CIconNumbering::ResolveNodeIcons(IDictionary* description, const WCHAR* resultsFolder)
{
    if (!description)
        return S_OK;
    try {
        LONG normal = 0;
        LONG selected = 0;
        CBstrString path;
        LONG index = 0;
        bool hasPath = false, hasIndex = false;
        HRESULT hr = ReadText(description, W("DllPAth"), path, hasPath);
        if (SUCCEEDED(hr))
            hr = ReadInt(description, W("DllIconIndex"), index, hasIndex);
        if (FAILED(hr))
            return hr;

        if (hasPath && hasIndex) {
            CBstrString target;
            m_nextIconNumber = FindFreeIconNumber(resultsFolder, m_nextIconNumber, target);
            LONG selectedIndex = index;
            bool hasSelectedIndex = false;
            hr = ReadInt(description, W("DllIconSelIndex"), selectedIndex, hasSelectedIndex);
            if (FAILED(hr))
                return hr;

            const bool isIconFile = IsIconFilePath(path);
            WideString key = isIconFile ? WideString(path.c_str(), path.Length()) : ModuleIconKey(path, index);
            normal = IconFileNumber(key, path, isIconFile, index, target);

            if (isIconFile) {
                selected = normal;
            } else {
                m_nextIconNumber = FindFreeIconNumber(resultsFolder, m_nextIconNumber, target);
                selected = IconFileNumber(ModuleIconKey(path, selectedIndex), path, false, selectedIndex, target);
                if (selected == 0)
                    selected = normal;
            }
        }

        hr = WriteInt(description, W("IconIndex"), normal);
        if (SUCCEEDED(hr))
            hr = WriteInt(description, W("IconSelIndex"), selected);
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
