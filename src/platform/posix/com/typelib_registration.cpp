// Type libraries made from a description, and their registration in the
// registry (see pal/posix/typelib.h).
#include <new>
#include <string>
#include <vector>

#include "pal/com_object.h"

extern "C" const IID IID_ITypeLib = {0x00020402, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

// Asked for by RegisterTypeLib to recognise the layer's own type libraries.
const IID kPalTypeLibImplementation = {0x5B1E0F4C, 0x6A2D, 0x4E31, {0x9C, 0x57, 0x1D, 0x8A, 0x0B, 0x3E, 0x62, 0x94}};

// The proxy of OLE Automation interfaces (PSOAInterface).
const WCHAR kAutomationProxy[] = W("{00020424-0000-0000-C000-000000000046}");

class CPalTypeLib final : public CComObject<CPalTypeLib, ITypeLib> {
public:
    explicit CPalTypeLib(const PAL_TYPELIB_DESCRIPTION* description) : m_description(description) {}
    ~CPalTypeLib() = default;

    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<CPalTypeLib, IUnknown, ITypeLib>(IID_IUnknown),
            ComEntry<CPalTypeLib, ITypeLib>(IID_ITypeLib),
            ComEntry<CPalTypeLib, ITypeLib>(kPalTypeLibImplementation),
            ComTableEnd(),
        };
        return table;
    }

    const PAL_TYPELIB_DESCRIPTION* Description() const { return m_description; }

    STDMETHODIMP_(UINT) GetTypeInfoCount() override { return m_description->interfaceCount; }
    STDMETHODIMP GetTypeInfo(UINT, ITypeInfo** ppTInfo) override { return NoTypeInfo(ppTInfo); }
    STDMETHODIMP GetTypeInfoType(UINT index, TYPEKIND* pTKind) override
    {
        if (!pTKind)
            return E_INVALIDARG;
        if (index >= m_description->interfaceCount)
            return TYPE_E_ELEMENTNOTFOUND;
        *pTKind = TKIND_INTERFACE;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfoOfGuid(REFGUID, ITypeInfo** ppTinfo) override { return NoTypeInfo(ppTinfo); }
    STDMETHODIMP GetLibAttr(TLIBATTR** ppTLibAttr) override
    {
        if (!ppTLibAttr)
            return E_INVALIDARG;
        *ppTLibAttr = new (std::nothrow) TLIBATTR(m_description->attributes);
        return *ppTLibAttr ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP GetTypeComp(ITypeComp** ppTComp) override
    {
        if (ppTComp)
            *ppTComp = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                  BSTR* pBstrHelpFile) override
    {
        LPCOLESTR name = nullptr, doc = nullptr;
        if (index == -1) {
            name = m_description->name;
            doc = m_description->docString;
        } else if (index >= 0 && static_cast<UINT>(index) < m_description->interfaceCount) {
            name = m_description->interfaces[index].name;
        } else {
            return TYPE_E_ELEMENTNOTFOUND;
        }
        if (pBstrName)
            *pBstrName = name ? SysAllocString(name) : nullptr;
        if (pBstrDocString)
            *pBstrDocString = doc ? SysAllocString(doc) : nullptr;
        if (pdwHelpContext)
            *pdwHelpContext = 0;
        if (pBstrHelpFile)
            *pBstrHelpFile = nullptr;
        return S_OK;
    }
    STDMETHODIMP IsName(LPOLESTR, ULONG, BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP FindName(LPOLESTR, ULONG, ITypeInfo**, MEMBERID*, USHORT*) override { return E_NOTIMPL; }
    STDMETHODIMP_(void) ReleaseTLibAttr(TLIBATTR* pTLibAttr) override { delete pTLibAttr; }

private:
    static HRESULT NoTypeInfo(ITypeInfo** ppTInfo)
    {
        if (ppTInfo)
            *ppTInfo = nullptr;
        return E_NOTIMPL;
    }

    const PAL_TYPELIB_DESCRIPTION* m_description;
};

WideString Hex(DWORD value)
{
    static const char digits[] = "0123456789abcdef";
    WideString text;
    do {
        text.insert(text.begin(), static_cast<WCHAR>(digits[value & 15]));
        value >>= 4;
    } while (value);
    return text;
}

WideString Decimal(DWORD value) { return PAL_AsciiToWide(std::to_string(value).c_str()); }

WideString GuidText(REFGUID guid)
{
    WCHAR text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

WideString VersionText(WORD major, WORD minor) { return Hex(major) + W(".") + Hex(minor); }

WideString SystemKeyName(SYSKIND syskind) { return syskind == SYS_WIN64 ? W("win64") : W("win32"); }

// Creates the key and sets one string value of it (null name: the default).
bool SetKeyString(const WideString& path, LPCOLESTR name, const WideString& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    LSTATUS status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool ReadKeyString(HKEY parent, const WideString& path, LPCOLESTR name, WideString& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    WCHAR buffer[128];
    DWORD type = 0, bytes = sizeof(buffer) - sizeof(WCHAR);
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return false;
    buffer[bytes / sizeof(WCHAR)] = 0;
    value = buffer;
    return true;
}

std::vector<WideString> SubkeyNames(HKEY parent, const WideString& path)
{
    std::vector<WideString> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        WCHAR name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

bool HasSubkeys(const WideString& path) { return !SubkeyNames(HKEY_CLASSES_ROOT, path).empty(); }

} // namespace

extern "C" HRESULT PAL_CreateTypeLib(const PAL_TYPELIB_DESCRIPTION* description, ITypeLib** pptlib)
{
    if (!pptlib)
        return E_POINTER;
    *pptlib = nullptr;
    if (!description || (description->interfaceCount && !description->interfaces))
        return E_INVALIDARG;
    *pptlib = NewComObject<CPalTypeLib>(description);
    return *pptlib ? S_OK : E_OUTOFMEMORY;
}

extern "C" HRESULT RegisterTypeLib(ITypeLib* ptlib, LPOLESTR szFullPath, LPOLESTR szHelpDir)
{
    if (!ptlib || !szFullPath)
        return E_INVALIDARG;
    CPalTypeLib* library = nullptr;
    if (FAILED(ptlib->QueryInterface(kPalTypeLibImplementation, reinterpret_cast<void**>(&library))))
        return E_INVALIDARG;
    const PAL_TYPELIB_DESCRIPTION* description = library->Description();
    library->Release();

    try {
        const TLIBATTR& attributes = description->attributes;
        WideString libid = GuidText(attributes.guid);
        WideString version = VersionText(attributes.wMajorVerNum, attributes.wMinorVerNum);
        WideString versionKey = W("TypeLib\\") + libid + W("\\") + version;
        bool written = SetKeyString(versionKey, nullptr, description->docString ? description->docString : W("")) &&
                       SetKeyString(versionKey + W("\\FLAGS"), nullptr, Decimal(attributes.wLibFlags)) &&
                       SetKeyString(versionKey + W("\\") + Hex(attributes.lcid) + W("\\") +
                                        SystemKeyName(attributes.syskind),
                                    nullptr, szFullPath);
        if (written && szHelpDir)
            written = SetKeyString(versionKey + W("\\HELPDIR"), nullptr, szHelpDir);
        for (UINT i = 0; written && i < description->interfaceCount; ++i) {
            const PAL_TYPELIB_INTERFACE& entry = description->interfaces[i];
            WideString key = W("Interface\\") + GuidText(entry.iid);
            written = SetKeyString(key, nullptr, entry.name ? entry.name : W("")) &&
                      SetKeyString(key + W("\\ProxyStubClsid"), nullptr, kAutomationProxy) &&
                      SetKeyString(key + W("\\ProxyStubClsid32"), nullptr, kAutomationProxy) &&
                      SetKeyString(key + W("\\TypeLib"), nullptr, libid) &&
                      SetKeyString(key + W("\\TypeLib"), W("Version"), version);
        }
        return written ? S_OK : TYPE_E_REGISTRYACCESS;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

extern "C" HRESULT UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind)
{
    try {
        WideString libid = GuidText(libID);
        WideString version = VersionText(wVerMajor, wVerMinor);
        WideString libraryKey = W("TypeLib\\") + libid;
        WideString versionKey = libraryKey + W("\\") + version;
        WideString localeKey = versionKey + W("\\") + Hex(lcid);
        HKEY probe = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (localeKey + W("\\") + SystemKeyName(syskind)).c_str(), 0, KEY_READ,
                          &probe) != ERROR_SUCCESS)
            return TYPE_E_REGISTRYACCESS;
        RegCloseKey(probe);

        // The interfaces that name this library and version.
        for (const WideString& iid : SubkeyNames(HKEY_CLASSES_ROOT, W("Interface"))) {
            WideString owner, ownerVersion;
            WideString typeLibKey = W("Interface\\") + iid + W("\\TypeLib");
            if (ReadKeyString(HKEY_CLASSES_ROOT, typeLibKey, nullptr, owner) &&
                PAL_wcsicmp(owner.c_str(), libid.c_str()) == 0 &&
                ReadKeyString(HKEY_CLASSES_ROOT, typeLibKey, W("Version"), ownerVersion) && ownerVersion == version)
                RegDeleteTreeW(HKEY_CLASSES_ROOT, (W("Interface\\") + iid).c_str());
        }

        RegDeleteTreeW(HKEY_CLASSES_ROOT, (localeKey + W("\\") + SystemKeyName(syskind)).c_str());
        if (!HasSubkeys(localeKey))
            RegDeleteKeyW(HKEY_CLASSES_ROOT, localeKey.c_str());
        // The version key goes when no other locale remains in it.
        bool otherLocales = false;
        for (const WideString& name : SubkeyNames(HKEY_CLASSES_ROOT, versionKey))
            if (PAL_wcsicmp(name.c_str(), W("FLAGS")) != 0 && PAL_wcsicmp(name.c_str(), W("HELPDIR")) != 0)
                otherLocales = true;
        if (!otherLocales) {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, versionKey.c_str());
            if (!HasSubkeys(libraryKey))
                RegDeleteKeyW(HKEY_CLASSES_ROOT, libraryKey.c_str());
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
