// The stand-in for the Scripting Runtime's dictionary (Scripting.Dictionary):
// a dictionary of VARIANT items keyed by VARIANTs that answers IDictionary
// with the real one's IID, method order and DISPIDs, and behaves as it does:
// - keys keep their insertion order;
// - under binary comparison (the default) text keys compare exactly, under
//   text comparison without case; a text key never equals a numeric key;
//   numeric keys compare by value whatever their type (1, 1.0 and a date of
//   1.0 are one key); flags are keys of their own; objects compare by
//   identity;
// - reading Item of a missing key adds the key with an empty item;
// - Add of an existing key fails with CTL_E_KEY_ALREADY_EXISTS, Remove of a
//   missing key with CTL_E_ELEMENT_NOT_FOUND;
// - keys and items that arrive by reference are stored by value, so nothing
//   stored points into the caller's variables.
// Items, Keys and _NewEnum answer E_NOTIMPL: they return SAFEARRAYs and
// enumerators, which the POSIX layer does not have. Like the real object the
// dictionary is apartment-threaded: one thread uses it at a time.
#include <cmath>
#include <functional>
#include <iterator>
#include <list>
#include <new>
#include <unordered_map>
#include <utility>

#include "pal/com_object.h"

namespace {

// What a key is compared by.
struct KeyIdentity {
    enum Kind { Text, Number, Flag, Object };
    Kind kind = Text;
    WideString text;               // Text (folded to lower case under text comparison)
    double number = 0;             // Number; Flag (0 or 1)
    const void* object = nullptr;  // Object: its IUnknown

    bool operator==(const KeyIdentity& other) const
    {
        if (kind != other.kind)
            return false;
        switch (kind) {
        case Text:
            return text == other.text;
        case Number:
            return number == other.number || (std::isnan(number) && std::isnan(other.number));
        case Flag:
            return number == other.number;
        case Object:
            return object == other.object;
        }
        return false;
    }
};

struct KeyIdentityHash {
    size_t operator()(const KeyIdentity& key) const
    {
        switch (key.kind) {
        case KeyIdentity::Text:
            return std::hash<WideString>()(key.text);
        case KeyIdentity::Number:
            return std::isnan(key.number) ? 0x7FF8 : std::hash<double>()(key.number);
        case KeyIdentity::Flag:
            return key.number != 0 ? 0x5A5A : 0xA5A5;
        case KeyIdentity::Object:
            return std::hash<const void*>()(key.object);
        }
        return 0;
    }
};

// The identity of a key value (that holds no reference).
HRESULT MakeIdentity(VARIANT* key, CompareMethod mode, KeyIdentity* out)
{
    out->text.clear();
    out->number = 0;
    out->object = nullptr;
    switch (V_VT(key)) {
    case VT_BSTR:
        out->kind = KeyIdentity::Text;
        out->text.assign(V_BSTR(key) ? V_BSTR(key) : u"", SysStringLen(V_BSTR(key)));
        if (mode != BinaryCompare)
            for (WCHAR& c : out->text)
                c = PAL_towlower(c);
        return S_OK;
    case VT_BOOL:
        out->kind = KeyIdentity::Flag;
        out->number = V_BOOL(key) ? 1 : 0;
        return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        out->kind = KeyIdentity::Object;
        IUnknown* object = V_VT(key) == VT_DISPATCH ? V_DISPATCH(key) : V_UNKNOWN(key);
        out->object = object;
        IUnknown* identity = nullptr;
        if (object && SUCCEEDED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
            out->object = identity;
            identity->Release();
        }
        return S_OK;
    }
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_CY: {
        VARIANT number;
        VariantInit(&number);
        HRESULT hr = VariantChangeType(&number, key, 0, VT_R8);
        if (FAILED(hr))
            return hr;
        out->kind = KeyIdentity::Number;
        out->number = V_R8(&number) == 0 ? 0.0 : V_R8(&number); // -0 is 0
        return S_OK;
    }
    default:
        return CTL_E_ILLEGALFUNCTIONCALL;
    }
}

struct Member {
    const WCHAR* name;
    DISPID id;
};

const Member kMembers[] = {
    {u"Item", 0},    {u"Add", 1},       {u"Count", 2},        {u"Exists", 3},   {u"Items", 4},
    {u"Key", 5},     {u"Keys", 6},      {u"Remove", 7},       {u"RemoveAll", 8}, {u"CompareMode", 9},
    {u"HashVal", 10}, {u"_NewEnum", DISPID_NEWENUM},
};

const WCHAR* ErrorText(HRESULT hr)
{
    switch (hr) {
    case CTL_E_KEY_ALREADY_EXISTS:
        return u"This key is already associated with an element of this collection";
    case CTL_E_ELEMENT_NOT_FOUND:
        return u"Element not found";
    case CTL_E_ILLEGALFUNCTIONCALL:
        return u"Invalid procedure call or argument";
    default:
        return nullptr;
    }
}

class CDictionary final : public CComObject<CDictionary, IDictionary> {
public:
    CDictionary() = default;
    ~CDictionary() = default;

    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<CDictionary, IUnknown, IDictionary>(IID_IUnknown),
            ComEntry<CDictionary, IDispatch, IDictionary>(IID_IDispatch),
            ComEntry<CDictionary, IDictionary>(IID_IDictionary),
            ComTableEnd(),
        };
        return table;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_INVALIDARG;
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override
    {
        if (ppTInfo)
            *ppTInfo = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // IDictionary
    STDMETHODIMP putref_Item(VARIANT* Key, VARIANT* pRetItem) override { return SetItem(Key, pRetItem); }
    STDMETHODIMP put_Item(VARIANT* Key, VARIANT* pRetItem) override { return SetItem(Key, pRetItem); }
    STDMETHODIMP get_Item(VARIANT* Key, VARIANT* pRetItem) override;
    STDMETHODIMP Add(VARIANT* Key, VARIANT* Item) override;
    STDMETHODIMP get_Count(LONG* pCount) override
    {
        if (!pCount)
            return E_POINTER;
        *pCount = static_cast<LONG>(m_entries.size());
        return S_OK;
    }
    STDMETHODIMP Exists(VARIANT* Key, VARIANT_BOOL* pExists) override;
    STDMETHODIMP Items(VARIANT* pItemsArray) override
    {
        VariantInit(pItemsArray);
        return E_NOTIMPL;
    }
    STDMETHODIMP put_Key(VARIANT* Key, VARIANT* rhs) override;
    STDMETHODIMP Keys(VARIANT* pKeysArray) override
    {
        VariantInit(pKeysArray);
        return E_NOTIMPL;
    }
    STDMETHODIMP Remove(VARIANT* Key) override;
    STDMETHODIMP RemoveAll() override
    {
        // Items are released after the dictionary is consistent again.
        EntryList removed;
        removed.swap(m_entries);
        m_index.clear();
        return S_OK;
    }
    STDMETHODIMP put_CompareMode(CompareMethod pcomp) override
    {
        if (!m_entries.empty() || pcomp < BinaryCompare || pcomp > DatabaseCompare)
            return CTL_E_ILLEGALFUNCTIONCALL;
        m_compareMode = pcomp;
        return S_OK;
    }
    STDMETHODIMP get_CompareMode(CompareMethod* pcomp) override
    {
        if (!pcomp)
            return E_POINTER;
        *pcomp = m_compareMode;
        return S_OK;
    }
    STDMETHODIMP _NewEnum(IUnknown** ppunk) override
    {
        if (ppunk)
            *ppunk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP get_HashVal(VARIANT* Key, VARIANT* HashVal) override;

private:
    struct Entry {
        VARIANT key;
        VARIANT item;
        KeyIdentity identity;
        Entry()
        {
            VariantInit(&key);
            VariantInit(&item);
        }
        ~Entry()
        {
            VariantClear(&key);
            VariantClear(&item);
        }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
    };
    typedef std::list<Entry> EntryList;
    typedef std::unordered_map<KeyIdentity, EntryList::iterator, KeyIdentityHash> Index;

    // The key's value (read through a reference) and identity.
    HRESULT ReadKey(VARIANT* key, VARIANT* value, KeyIdentity* identity) const
    {
        if (!key)
            return E_POINTER;
        VariantInit(value);
        HRESULT hr = VariantCopyInd(value, key);
        if (SUCCEEDED(hr))
            hr = MakeIdentity(value, m_compareMode, identity);
        if (FAILED(hr))
            VariantClear(value);
        return hr;
    }

    // The identity of a key whose value is not kept.
    HRESULT ReadIdentity(VARIANT* key, KeyIdentity* identity) const
    {
        VARIANT value;
        HRESULT hr = ReadKey(key, &value, identity);
        if (SUCCEEDED(hr))
            VariantClear(&value);
        return hr;
    }

    // Appends an entry; on success it takes over the key and item values.
    HRESULT Append(VARIANT* key, VARIANT* item, const KeyIdentity& identity)
    {
        try {
            m_entries.emplace_back();
            EntryList::iterator entry = std::prev(m_entries.end());
            try {
                entry->identity = identity;
                m_index.emplace(identity, entry);
            } catch (...) {
                m_entries.pop_back();
                throw;
            }
            entry->key = *key;
            entry->item = *item;
            VariantInit(key);
            VariantInit(item);
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT SetItem(VARIANT* Key, VARIANT* Item);
    HRESULT InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError);

    EntryList m_entries;
    Index m_index;
    CompareMethod m_compareMode = BinaryCompare;
};

HRESULT CDictionary::SetItem(VARIANT* Key, VARIANT* Item)
{
    if (!Item)
        return E_POINTER;
    VARIANT key;
    KeyIdentity identity;
    HRESULT hr = ReadKey(Key, &key, &identity);
    if (FAILED(hr))
        return hr;
    VARIANT item;
    VariantInit(&item);
    hr = VariantCopyInd(&item, Item);
    if (FAILED(hr)) {
        VariantClear(&key);
        return hr;
    }
    Index::iterator found = m_index.find(identity);
    if (found != m_index.end()) {
        VARIANT old = found->second->item;
        found->second->item = item;
        VariantClear(&old);
        VariantClear(&key);
        return S_OK;
    }
    hr = Append(&key, &item, identity);
    VariantClear(&key);
    VariantClear(&item);
    return hr;
}

STDMETHODIMP CDictionary::get_Item(VARIANT* Key, VARIANT* pRetItem)
{
    if (!pRetItem)
        return E_POINTER;
    VariantInit(pRetItem);
    VARIANT key;
    KeyIdentity identity;
    HRESULT hr = ReadKey(Key, &key, &identity);
    if (FAILED(hr))
        return hr;
    Index::iterator found = m_index.find(identity);
    if (found != m_index.end()) {
        VariantClear(&key);
        return VariantCopy(pRetItem, &found->second->item);
    }
    // A missing key is added with an empty item.
    VARIANT empty;
    VariantInit(&empty);
    hr = Append(&key, &empty, identity);
    VariantClear(&key);
    return hr;
}

STDMETHODIMP CDictionary::Add(VARIANT* Key, VARIANT* Item)
{
    if (!Item)
        return E_POINTER;
    VARIANT key;
    KeyIdentity identity;
    HRESULT hr = ReadKey(Key, &key, &identity);
    if (FAILED(hr))
        return hr;
    if (m_index.count(identity)) {
        VariantClear(&key);
        return CTL_E_KEY_ALREADY_EXISTS;
    }
    VARIANT item;
    VariantInit(&item);
    hr = VariantCopyInd(&item, Item);
    if (SUCCEEDED(hr))
        hr = Append(&key, &item, identity);
    VariantClear(&key);
    VariantClear(&item);
    return hr;
}

STDMETHODIMP CDictionary::Exists(VARIANT* Key, VARIANT_BOOL* pExists)
{
    if (!pExists)
        return E_POINTER;
    KeyIdentity identity;
    HRESULT hr = ReadIdentity(Key, &identity);
    if (FAILED(hr))
        return hr;
    *pExists = m_index.count(identity) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP CDictionary::put_Key(VARIANT* Key, VARIANT* rhs)
{
    VARIANT newKey;
    KeyIdentity oldIdentity, newIdentity;
    HRESULT hr = ReadIdentity(Key, &oldIdentity);
    if (FAILED(hr))
        return hr;
    hr = ReadKey(rhs, &newKey, &newIdentity);
    if (FAILED(hr))
        return hr;
    if (m_index.count(newIdentity)) {
        VariantClear(&newKey);
        return CTL_E_KEY_ALREADY_EXISTS;
    }
    Index::iterator found = m_index.find(oldIdentity);
    if (found == m_index.end()) {
        VariantClear(&newKey);
        return CTL_E_ELEMENT_NOT_FOUND;
    }
    // The entry keeps its place in the order under its new key.
    EntryList::iterator entry = found->second;
    try {
        m_index.emplace(newIdentity, entry);
    } catch (...) {
        VariantClear(&newKey);
        return E_OUTOFMEMORY;
    }
    m_index.erase(oldIdentity);
    std::swap(entry->identity, newIdentity);
    VARIANT replaced = entry->key;
    entry->key = newKey;
    VariantClear(&replaced);
    return S_OK;
}

STDMETHODIMP CDictionary::Remove(VARIANT* Key)
{
    KeyIdentity identity;
    HRESULT hr = ReadIdentity(Key, &identity);
    if (FAILED(hr))
        return hr;
    Index::iterator found = m_index.find(identity);
    if (found == m_index.end())
        return CTL_E_ELEMENT_NOT_FOUND;
    // The entry is released after the dictionary is consistent again.
    EntryList removed;
    removed.splice(removed.begin(), m_entries, found->second);
    m_index.erase(found);
    return S_OK;
}

// A number from 0 to 1200 that equal keys share.
STDMETHODIMP CDictionary::get_HashVal(VARIANT* Key, VARIANT* HashVal)
{
    if (!HashVal)
        return E_POINTER;
    VariantInit(HashVal);
    KeyIdentity identity;
    HRESULT hr = ReadIdentity(Key, &identity);
    if (FAILED(hr))
        return hr;
    V_VT(HashVal) = VT_I4;
    V_I4(HashVal) = static_cast<LONG>(KeyIdentityHash()(identity) % 1201);
    return S_OK;
}

// Names compare without case; argument names are not known.
STDMETHODIMP CDictionary::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (cNames == 0)
        return S_OK;
    if (!rgszNames || !rgDispId)
        return E_INVALIDARG;
    for (UINT i = 0; i < cNames; ++i)
        rgDispId[i] = DISPID_UNKNOWN;
    HRESULT hr = DISP_E_UNKNOWNNAME;
    if (rgszNames[0]) {
        for (const Member& member : kMembers) {
            if (PAL_wcsicmp(rgszNames[0], member.name) == 0) {
                rgDispId[0] = member.id;
                hr = S_OK;
                break;
            }
        }
    }
    return cNames > 1 ? DISP_E_UNKNOWNNAME : hr;
}

// Arguments arrive last first: for a property put, rgvarg[0] is the value
// (the named argument DISPID_PROPERTYPUT) and rgvarg[1] the key.
HRESULT CDictionary::InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError)
{
    const bool method = (flags & DISPATCH_METHOD) != 0;
    const bool get = (flags & DISPATCH_PROPERTYGET) != 0;
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    const bool putRef = (flags & DISPATCH_PROPERTYPUTREF) != 0;
    VARIANT* args = params->rgvarg;
    const UINT count = params->cArgs;
    auto expect = [count](UINT wanted) { return count == wanted ? S_OK : DISP_E_BADPARAMCOUNT; };

    switch (member) {
    case 0: // Item
        if (put || putRef) {
            if (count != 2)
                return DISP_E_BADPARAMCOUNT;
            return putRef ? putref_Item(&args[1], &args[0]) : put_Item(&args[1], &args[0]);
        }
        if (!get)
            return DISP_E_MEMBERNOTFOUND;
        if (count != 1)
            return DISP_E_BADPARAMCOUNT;
        return get_Item(&args[0], result);
    case 1: // Add
        if (!method)
            return DISP_E_MEMBERNOTFOUND;
        return FAILED(expect(2)) ? DISP_E_BADPARAMCOUNT : Add(&args[1], &args[0]);
    case 2: { // Count
        if (!get)
            return DISP_E_MEMBERNOTFOUND;
        if (FAILED(expect(0)))
            return DISP_E_BADPARAMCOUNT;
        LONG value = 0;
        get_Count(&value);
        V_VT(result) = VT_I4;
        V_I4(result) = value;
        return S_OK;
    }
    case 3: { // Exists
        if (!method)
            return DISP_E_MEMBERNOTFOUND;
        if (FAILED(expect(1)))
            return DISP_E_BADPARAMCOUNT;
        VARIANT_BOOL exists = VARIANT_FALSE;
        HRESULT hr = Exists(&args[0], &exists);
        if (SUCCEEDED(hr)) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = exists;
        }
        return hr;
    }
    case 4: // Items
        if (!method)
            return DISP_E_MEMBERNOTFOUND;
        return FAILED(expect(0)) ? DISP_E_BADPARAMCOUNT : Items(result);
    case 5: // Key
        if (!put)
            return DISP_E_MEMBERNOTFOUND;
        return FAILED(expect(2)) ? DISP_E_BADPARAMCOUNT : put_Key(&args[1], &args[0]);
    case 6: // Keys
        if (!method)
            return DISP_E_MEMBERNOTFOUND;
        return FAILED(expect(0)) ? DISP_E_BADPARAMCOUNT : Keys(result);
    case 7: // Remove
        if (!method)
            return DISP_E_MEMBERNOTFOUND;
        return FAILED(expect(1)) ? DISP_E_BADPARAMCOUNT : Remove(&args[0]);
    case 8: // RemoveAll
        if (!method)
            return DISP_E_MEMBERNOTFOUND;
        return FAILED(expect(0)) ? DISP_E_BADPARAMCOUNT : RemoveAll();
    case 9: // CompareMode
        if (put) {
            if (count != 1)
                return DISP_E_BADPARAMCOUNT;
            VARIANT mode;
            VariantInit(&mode);
            if (FAILED(VariantChangeType(&mode, &args[0], 0, VT_I4))) {
                if (argError)
                    *argError = 0;
                return DISP_E_TYPEMISMATCH;
            }
            return put_CompareMode(static_cast<CompareMethod>(V_I4(&mode)));
        }
        if (get) {
            if (count != 0)
                return DISP_E_BADPARAMCOUNT;
            CompareMethod mode = BinaryCompare;
            get_CompareMode(&mode);
            V_VT(result) = VT_I4;
            V_I4(result) = mode;
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    case 10: // HashVal
        if (!get)
            return DISP_E_MEMBERNOTFOUND;
        return FAILED(expect(1)) ? DISP_E_BADPARAMCOUNT : get_HashVal(&args[0], result);
    case DISPID_NEWENUM: {
        if (!method && !get)
            return DISP_E_MEMBERNOTFOUND;
        if (FAILED(expect(0)))
            return DISP_E_BADPARAMCOUNT;
        IUnknown* enumerator = nullptr;
        return _NewEnum(&enumerator);
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

STDMETHODIMP CDictionary::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                                 VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!pDispParams || (pDispParams->cArgs && !pDispParams->rgvarg) ||
        (pDispParams->cNamedArgs && !pDispParams->rgdispidNamedArgs))
        return E_INVALIDARG;
    // The only named argument is the value of a property put, which must be
    // named so.
    if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (pDispParams->cNamedArgs != 1 || pDispParams->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTFOUND;
    } else if (pDispParams->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }

    VARIANT result;
    VariantInit(&result);
    HRESULT hr = InvokeMember(dispIdMember, wFlags, pDispParams, &result, puArgErr);
    if (SUCCEEDED(hr)) {
        if (pVarResult) {
            VariantInit(pVarResult);
            *pVarResult = result;
        } else {
            VariantClear(&result);
        }
        return S_OK;
    }
    VariantClear(&result);
    switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_TYPEMISMATCH:
        return hr;
    default:
        // A failure of the member itself is reported as an exception.
        if (pExcepInfo) {
            pExcepInfo->wCode = 0;
            pExcepInfo->wReserved = 0;
            pExcepInfo->bstrSource = nullptr;
            pExcepInfo->bstrDescription = ErrorText(hr) ? SysAllocString(ErrorText(hr)) : nullptr;
            pExcepInfo->bstrHelpFile = nullptr;
            pExcepInfo->dwHelpContext = 0;
            pExcepInfo->pvReserved = nullptr;
            pExcepInfo->pfnDeferredFillIn = nullptr;
            pExcepInfo->scode = hr;
        }
        return DISP_E_EXCEPTION;
    }
}

} // namespace

extern "C" HRESULT PAL_CreateDictionary(IDictionary** ppDictionary)
{
    if (!ppDictionary)
        return E_POINTER;
    *ppDictionary = NewComObject<CDictionary>();
    return *ppDictionary ? S_OK : E_OUTOFMEMORY;
}
