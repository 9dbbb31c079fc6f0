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
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "oleaut/variant_types.h"
#include "pal/com_object.h"

namespace {

// What a key is compared by.
enum class KeyKind { Text, Number, Flag, Object };

// A text key's units, kept inside the entry when they are few (most keys of
// an event description are) and on the heap otherwise.
class KeyText {
public:
    KeyText() noexcept = default;
    ~KeyText() { delete[] m_heap; }
    KeyText(KeyText&& other) noexcept { Take(other); }
    KeyText& operator=(KeyText&& other) noexcept
    {
        if (this != &other) {
            delete[] m_heap;
            Take(other);
        }
        return *this;
    }
    KeyText(const KeyText&) = delete;
    KeyText& operator=(const KeyText&) = delete;

    // False (nothing changed) when memory runs out.
    bool Assign(const WCHAR* text, size_t length) noexcept
    {
        WCHAR* heap = nullptr;
        if (length > kInline) {
            heap = new (std::nothrow) WCHAR[length];
            if (!heap)
                return false;
        }
        delete[] m_heap;
        m_heap = heap;
        m_length = length;
        if (length)
            std::memcpy(heap ? heap : m_inline, text, length * sizeof(WCHAR));
        return true;
    }
    const WCHAR* Data() const noexcept { return m_heap ? m_heap : m_inline; }
    size_t Length() const noexcept { return m_length; }

private:
    static const size_t kInline = 24;

    void Take(KeyText& other) noexcept
    {
        m_heap = other.m_heap;
        m_length = other.m_length;
        if (!m_heap && m_length)
            std::memcpy(m_inline, other.m_inline, m_length * sizeof(WCHAR));
        other.m_heap = nullptr;
        other.m_length = 0;
    }

    WCHAR m_inline[kInline];
    WCHAR* m_heap = nullptr;
    size_t m_length = 0;
};

// The identity of a key as a lookup sees it. A text key points at the
// caller's units; nothing is copied until the key is stored.
struct KeyProbe {
    KeyKind kind = KeyKind::Text;
    uint32_t tag = 0;    // KeyTag: what a walk over the entries compares first
    bool hashed = false; // a text key's hash is worked out when an index needs it
    uint32_t hash = 0;
    const WCHAR* text = nullptr;  // Text
    size_t length = 0;            // Text
    double number = 0;            // Number; Flag (0 or 1)
    const void* object = nullptr; // Object: its IUnknown
};

const uint32_t kHashSeed = 2166136261u;
const uint32_t kHashPrime = 16777619u;

uint32_t HashText(const WCHAR* text, size_t length, CompareMethod mode)
{
    uint32_t hash = kHashSeed;
    if (mode == BinaryCompare) {
        for (size_t i = 0; i < length; ++i)
            hash = (hash ^ static_cast<uint16_t>(text[i])) * kHashPrime;
    } else {
        for (size_t i = 0; i < length; ++i)
            hash = (hash ^ static_cast<uint16_t>(PAL_towlower(text[i]))) * kHashPrime;
    }
    return hash;
}

uint32_t HashBits(uint64_t bits)
{
    bits ^= bits >> 33;
    bits *= 0xFF51AFD7ED558CCDull;
    bits ^= bits >> 33;
    return static_cast<uint32_t>(bits);
}

uint32_t HashNumber(double number)
{
    if (std::isnan(number))
        return 0x7FF8;
    uint64_t bits;
    std::memcpy(&bits, &number, sizeof(bits));
    return HashBits(bits);
}

bool SameText(const WCHAR* a, const WCHAR* b, size_t length, CompareMethod mode)
{
    if (mode == BinaryCompare)
        return length == 0 || std::memcmp(a, b, length * sizeof(WCHAR)) == 0;
    for (size_t i = 0; i < length; ++i)
        if (PAL_towlower(a[i]) != PAL_towlower(b[i]))
            return false;
    return true;
}

// A cheap mark that equal keys share: a text key's length and its last unit
// (folded under text comparison); one mark per kind for the others.
uint32_t TextTag(const WCHAR* text, size_t length, CompareMethod mode)
{
    if (length == 0)
        return 0;
    WCHAR last = mode == BinaryCompare ? text[length - 1] : PAL_towlower(text[length - 1]);
    return static_cast<uint32_t>(length << 16) ^ static_cast<uint16_t>(last);
}

uint32_t OtherTag(KeyKind kind) { return 0xFFFFFFF0u | static_cast<uint32_t>(kind); }

// The probe of a text key.
void SetTextProbe(const WCHAR* text, size_t length, CompareMethod mode, KeyProbe* probe)
{
    probe->kind = KeyKind::Text;
    probe->hashed = false;
    probe->text = text ? text : u"";
    probe->length = text ? length : 0;
    probe->tag = TextTag(probe->text, probe->length, mode);
}

uint32_t HashOf(KeyProbe& probe, CompareMethod mode)
{
    if (!probe.hashed) {
        probe.hash = HashText(probe.text, probe.length, mode);
        probe.hashed = true;
    }
    return probe.hash;
}

// The identity of a key value (that holds no reference).
HRESULT MakeProbe(VARIANT* key, CompareMethod mode, KeyProbe* out)
{
    out->hashed = true;
    switch (V_VT(key)) {
    case VT_BSTR:
        SetTextProbe(V_BSTR(key), SysStringLen(V_BSTR(key)), mode, out);
        return S_OK;
    case VT_BOOL:
        out->kind = KeyKind::Flag;
        out->tag = OtherTag(out->kind);
        out->number = V_BOOL(key) ? 1 : 0;
        out->hash = V_BOOL(key) ? 0x5A5A : 0xA5A5;
        return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        out->kind = KeyKind::Object;
        out->tag = OtherTag(out->kind);
        IUnknown* object = V_VT(key) == VT_DISPATCH ? V_DISPATCH(key) : V_UNKNOWN(key);
        out->object = object;
        IUnknown* identity = nullptr;
        if (object && SUCCEEDED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
            out->object = identity;
            identity->Release();
        }
        out->hash = HashBits(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(out->object)));
        return S_OK;
    }
    default:
        break;
    }
    if (!PalIsNumberType(V_VT(key)) && V_VT(key) != VT_DATE)
        return CTL_E_ILLEGALFUNCTIONCALL;
    // Equal numbers are equal keys, whatever their types.
    VARIANT number;
    VariantInit(&number);
    HRESULT hr = VariantChangeType(&number, key, 0, VT_R8);
    if (FAILED(hr))
        return hr;
    out->kind = KeyKind::Number;
    out->tag = OtherTag(out->kind);
    out->number = V_R8(&number) == 0 ? 0.0 : V_R8(&number); // -0 is 0
    out->hash = HashNumber(out->number);
    return S_OK;
}

// A copy of a stored item into an empty VARIANT: texts and objects as
// VariantCopy copies them, plain values as they are.
HRESULT CopyItem(VARIANT* out, const VARIANT* item)
{
    switch (V_VT(item)) {
    case VT_BSTR: {
        BSTR text = V_BSTR(item);
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = nullptr;
        if (!text)
            return S_OK;
        V_BSTR(out) = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
        if (V_BSTR(out))
            return S_OK;
        V_VT(out) = VT_EMPTY;
        return E_OUTOFMEMORY;
    }
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_BOOL:
        *out = *item;
        return S_OK;
    default:
        return VariantCopy(out, const_cast<VARIANT*>(item));
    }
}

// A key as a call hands it over, read for a lookup. A plain text key (what
// nearly every caller passes) is looked at where it is; any other key is
// first read through its reference into a value of its own, which lives as
// long as the reader.
class CKeyReader {
public:
    CKeyReader() noexcept = default;
    ~CKeyReader()
    {
        if (m_hasValue)
            VariantClear(&m_value);
    }
    CKeyReader(const CKeyReader&) = delete;
    CKeyReader& operator=(const CKeyReader&) = delete;

    HRESULT Read(VARIANT* key, CompareMethod mode) noexcept
    {
        if (!key)
            return E_POINTER;
        if (V_VT(key) == VT_BSTR) {
            SetTextProbe(V_BSTR(key), SysStringLen(V_BSTR(key)), mode, &m_probe);
            return S_OK;
        }
        VariantInit(&m_value);
        m_hasValue = true;
        HRESULT hr = VariantCopyInd(&m_value, key);
        if (SUCCEEDED(hr))
            hr = MakeProbe(&m_value, mode, &m_probe);
        return hr;
    }
    KeyProbe& Probe() noexcept { return m_probe; }
    // The value read through a reference (null for a plain text key).
    VARIANT* Value() noexcept { return m_hasValue ? &m_value : nullptr; }

private:
    KeyProbe m_probe;
    bool m_hasValue = false;
    VARIANT m_value;
};

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
        std::vector<Entry> removed;
        removed.swap(m_entries);
        m_indexValid = false;
        m_tagBits = 0;
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

    // The item under a text key, as it is stored; null when there is none.
    const VARIANT* ItemOf(const WCHAR* key, size_t length)
    {
        KeyProbe probe;
        SetTextProbe(key, length, m_compareMode, &probe);
        long found = Find(probe);
        return found >= 0 ? &m_entries[static_cast<size_t>(found)].item : nullptr;
    }

private:
    struct Entry {
        uint32_t tag = 0;
        KeyKind kind = KeyKind::Text;
        bool hashed = false; // see KeyProbe
        uint32_t hash = 0;
        KeyText text;          // Text
        double number = 0;     // Number; Flag
        VARIANT object;        // Object: the key value, which holds its reference
        const void* identity = nullptr; // Object: its IUnknown
        VARIANT item;

        Entry() noexcept
        {
            VariantInit(&object);
            VariantInit(&item);
        }
        ~Entry()
        {
            VariantClear(&object);
            VariantClear(&item);
        }
        Entry(Entry&& other) noexcept { TakeFrom(other); }
        Entry& operator=(Entry&& other) noexcept
        {
            if (this != &other) {
                VariantClear(&object);
                VariantClear(&item);
                TakeFrom(other);
            }
            return *this;
        }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;

        void TakeFrom(Entry& other) noexcept
        {
            tag = other.tag;
            kind = other.kind;
            hashed = other.hashed;
            hash = other.hash;
            text = std::move(other.text);
            number = other.number;
            object = other.object;
            identity = other.identity;
            item = other.item;
            VariantInit(&other.object);
            VariantInit(&other.item);
        }
    };

    // Up to this many entries a lookup walks them; beyond, it uses the index.
    static constexpr size_t kLinearLimit = 16;
    static constexpr int32_t kFreeSlot = -1;

    bool Matches(const Entry& entry, const KeyProbe& probe) const
    {
        if (entry.kind != probe.kind)
            return false;
        switch (probe.kind) {
        case KeyKind::Text:
            return entry.text.Length() == probe.length &&
                   SameText(entry.text.Data(), probe.text, probe.length, m_compareMode);
        case KeyKind::Number:
            return entry.number == probe.number || (std::isnan(entry.number) && std::isnan(probe.number));
        case KeyKind::Flag:
            return entry.number == probe.number;
        case KeyKind::Object:
            return entry.identity == probe.object;
        }
        return false;
    }

    uint32_t HashOf(Entry& entry) const
    {
        if (!entry.hashed) {
            entry.hash = HashText(entry.text.Data(), entry.text.Length(), m_compareMode);
            entry.hashed = true;
        }
        return entry.hash;
    }

    // The position of the entry with the key; -1 when there is none. Few
    // entries are walked; many are found through the index.
    long Find(KeyProbe& probe)
    {
        if (m_entries.size() <= kLinearLimit || (!m_indexValid && !RebuildIndex())) {
            const uint32_t tag = probe.tag;
            if (!(m_tagBits & TagBit(tag)))
                return -1; // no entry has the mark

            for (size_t i = 0; i < m_entries.size(); ++i)
                if (m_entries[i].tag == tag && Matches(m_entries[i], probe))
                    return static_cast<long>(i);
            return -1;
        }
        const uint32_t hash = ::HashOf(probe, m_compareMode);
        const size_t mask = m_slots.size() - 1;
        for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            int32_t position = m_slots[slot];
            if (position == kFreeSlot)
                return -1;
            Entry& entry = m_entries[static_cast<size_t>(position)];
            if (entry.hash == hash && Matches(entry, probe))
                return position;
        }
    }

    // One bit of 64 per mark; m_tagBits holds the bits of the entries' marks,
    // so most keys that are not there are known at once.
    static uint64_t TagBit(uint32_t tag) { return uint64_t(1) << ((tag ^ (tag >> 16) ^ (tag >> 6)) & 63); }
    void RecomputeTagBits()
    {
        m_tagBits = 0;
        for (const Entry& entry : m_entries)
            m_tagBits |= TagBit(entry.tag);
    }

    // The index over the entries: open addressing, at most half full. False
    // when memory runs out (lookups then walk the entries).
    bool RebuildIndex()
    {
        m_indexValid = false;
        size_t size = 64;
        while (size < m_entries.size() * 2)
            size *= 2;
        try {
            m_slots.assign(size, kFreeSlot);
        } catch (...) {
            return false;
        }
        for (size_t i = 0; i < m_entries.size(); ++i)
            IndexEntry(i);
        m_indexValid = true;
        return true;
    }

    void IndexEntry(size_t position)
    {
        const size_t mask = m_slots.size() - 1;
        size_t slot = HashOf(m_entries[position]) & mask;
        while (m_slots[slot] != kFreeSlot)
            slot = (slot + 1) & mask;
        m_slots[slot] = static_cast<int32_t>(position);
    }

    // Sets the entry's key from the probe (the key value is kept for an
    // object). False when memory runs out.
    static bool SetKey(Entry& entry, const KeyProbe& probe, VARIANT* keyValue)
    {
        entry.tag = probe.tag;
        entry.kind = probe.kind;
        entry.hashed = probe.hashed;
        entry.hash = probe.hash;
        switch (probe.kind) {
        case KeyKind::Text:
            return entry.text.Assign(probe.text, probe.length);
        case KeyKind::Number:
        case KeyKind::Flag:
            entry.number = probe.number;
            return true;
        case KeyKind::Object:
            entry.identity = probe.object;
            return SUCCEEDED(VariantCopy(&entry.object, keyValue));
        }
        return false;
    }

    // Appends an entry for the key; it takes over the item (left empty).
    HRESULT Append(KeyProbe& probe, VARIANT* keyValue, VARIANT* item)
    {
        try {
            if (m_entries.capacity() == 0)
                m_entries.reserve(kLinearLimit);
            m_entries.emplace_back();
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        Entry& entry = m_entries.back();
        if (!SetKey(entry, probe, keyValue)) {
            m_entries.pop_back();
            return E_OUTOFMEMORY;
        }
        entry.item = *item;
        VariantInit(item);
        m_tagBits |= TagBit(entry.tag);
        if (m_entries.size() > kLinearLimit) {
            if (m_indexValid && m_entries.size() * 2 <= m_slots.size())
                IndexEntry(m_entries.size() - 1);
            else
                m_indexValid = false;
        }
        return S_OK;
    }

    HRESULT SetItem(VARIANT* Key, VARIANT* Item);
    HRESULT InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError);

    std::vector<Entry> m_entries; // in insertion order
    std::vector<int32_t> m_slots; // positions in m_entries; used beyond kLinearLimit entries
    bool m_indexValid = false;
    uint64_t m_tagBits = 0;
    CompareMethod m_compareMode = BinaryCompare;
};

HRESULT CDictionary::SetItem(VARIANT* Key, VARIANT* Item)
{
    if (!Item)
        return E_POINTER;
    CKeyReader key;
    HRESULT hr = key.Read(Key, m_compareMode);
    if (FAILED(hr))
        return hr;
    VARIANT item;
    VariantInit(&item);
    hr = VariantCopyInd(&item, Item);
    if (FAILED(hr))
        return hr;
    long found = Find(key.Probe());
    if (found >= 0) {
        VARIANT old = m_entries[static_cast<size_t>(found)].item;
        m_entries[static_cast<size_t>(found)].item = item;
        VariantClear(&old);
        return S_OK;
    }
    hr = Append(key.Probe(), key.Value(), &item);
    VariantClear(&item);
    return hr;
}

STDMETHODIMP CDictionary::get_Item(VARIANT* Key, VARIANT* pRetItem)
{
    if (!pRetItem)
        return E_POINTER;
    VariantInit(pRetItem);
    CKeyReader key;
    HRESULT hr = key.Read(Key, m_compareMode);
    if (FAILED(hr))
        return hr;
    long found = Find(key.Probe());
    if (found >= 0)
        return CopyItem(pRetItem, &m_entries[static_cast<size_t>(found)].item);
    // A missing key is added with an empty item.
    VARIANT empty;
    VariantInit(&empty);
    return Append(key.Probe(), key.Value(), &empty);
}

STDMETHODIMP CDictionary::Add(VARIANT* Key, VARIANT* Item)
{
    if (!Item)
        return E_POINTER;
    CKeyReader key;
    HRESULT hr = key.Read(Key, m_compareMode);
    if (FAILED(hr))
        return hr;
    if (Find(key.Probe()) >= 0)
        return CTL_E_KEY_ALREADY_EXISTS;
    VARIANT item;
    VariantInit(&item);
    hr = VariantCopyInd(&item, Item);
    if (SUCCEEDED(hr))
        hr = Append(key.Probe(), key.Value(), &item);
    VariantClear(&item);
    return hr;
}

STDMETHODIMP CDictionary::Exists(VARIANT* Key, VARIANT_BOOL* pExists)
{
    if (!pExists)
        return E_POINTER;
    CKeyReader key;
    HRESULT hr = key.Read(Key, m_compareMode);
    if (FAILED(hr))
        return hr;
    *pExists = Find(key.Probe()) >= 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP CDictionary::put_Key(VARIANT* Key, VARIANT* rhs)
{
    CKeyReader oldKey, newKey;
    HRESULT hr = oldKey.Read(Key, m_compareMode);
    if (FAILED(hr))
        return hr;
    hr = newKey.Read(rhs, m_compareMode);
    if (FAILED(hr))
        return hr;
    if (Find(newKey.Probe()) >= 0)
        return CTL_E_KEY_ALREADY_EXISTS;
    long found = Find(oldKey.Probe());
    if (found < 0)
        return CTL_E_ELEMENT_NOT_FOUND;
    // The entry keeps its place in the order under its new key.
    Entry renamed;
    if (!SetKey(renamed, newKey.Probe(), newKey.Value()))
        return E_OUTOFMEMORY;
    Entry& entry = m_entries[static_cast<size_t>(found)];
    renamed.item = entry.item;
    VariantInit(&entry.item);
    entry = std::move(renamed);
    m_indexValid = false;
    RecomputeTagBits();
    return S_OK;
}

STDMETHODIMP CDictionary::Remove(VARIANT* Key)
{
    CKeyReader key;
    HRESULT hr = key.Read(Key, m_compareMode);
    if (FAILED(hr))
        return hr;
    long found = Find(key.Probe());
    if (found < 0)
        return CTL_E_ELEMENT_NOT_FOUND;
    // The entry is released after the dictionary is consistent again.
    Entry removed(std::move(m_entries[static_cast<size_t>(found)]));
    m_entries.erase(m_entries.begin() + found);
    m_indexValid = false;
    RecomputeTagBits();
    return S_OK;
}

// A number from 0 to 1200 that equal keys share.
STDMETHODIMP CDictionary::get_HashVal(VARIANT* Key, VARIANT* HashVal)
{
    if (!HashVal)
        return E_POINTER;
    VariantInit(HashVal);
    CKeyReader key;
    HRESULT hr = key.Read(Key, m_compareMode);
    if (FAILED(hr))
        return hr;
    V_VT(HashVal) = VT_I4;
    V_I4(HashVal) = static_cast<LONG>(::HashOf(key.Probe(), m_compareMode) % 1201);
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

extern "C" PalDictionary* PAL_OwnDictionary(IDictionary* dictionary)
{
    CDictionary* own = dynamic_cast<CDictionary*>(dictionary);
    return reinterpret_cast<PalDictionary*>(own);
}

extern "C" const VARIANT* PAL_DictionaryItem(PalDictionary* dictionary, const WCHAR* key, UINT length)
{
    return dictionary ? reinterpret_cast<CDictionary*>(dictionary)->ItemOf(key, length) : nullptr;
}

extern "C" HRESULT PAL_CreateDictionary(IDictionary** ppDictionary)
{
    if (!ppDictionary)
        return E_POINTER;
    *ppDictionary = NewComObject<CDictionary>();
    return *ppDictionary ? S_OK : E_OUTOFMEMORY;
}
