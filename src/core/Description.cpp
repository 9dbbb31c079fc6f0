#include "core/Description.h"

#include "pal/variant_holder.h"

namespace {

// A key as the dictionary gets it: a VT_BSTR variant that borrows the key's
// text.
class CKey {
public:
    explicit CKey(const CDescriptionKey& key) noexcept
    {
        VariantInit(&m_value);
        V_VT(&m_value) = VT_BSTR;
        V_BSTR(&m_value) = key.Bstr();
    }
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;
    VARIANT* Get() noexcept { return &m_value; }

private:
    VARIANT m_value; // never cleared: the text is the key's
};

void Check(HRESULT hr)
{
    if (FAILED(hr))
        throw CDescriptionFailure{hr};
}

// The default of a typed read in the target type; the empty value of the type
// when the default does not convert.
void ConvertDefault(VARIANT* defaultValue, VARTYPE type, VARIANT* out)
{
    VariantClear(out);
    if (defaultValue && SUCCEEDED(VariantChangeType(out, defaultValue, 0, type)))
        return;
    CVariantValue empty;
    if (FAILED(VariantChangeType(out, empty.Get(), 0, type)))
        VariantInit(out);
}

} // namespace

CDescription::CDescription(IDispatch* object) noexcept
{
    if (object && SUCCEEDED(m_dictionary.QueryFrom(object, IID_IDictionary)))
        m_own = PAL_OwnDictionary(m_dictionary.Get());
}

bool CDescription::Has(const CDescriptionKey& key)
{
    if (!m_dictionary)
        return false;
    if (m_own)
        return PAL_DictionaryItem(m_own, key.Bstr(), key.Length()) != nullptr;
    CKey name(key);
    VARIANT_BOOL exists = VARIANT_FALSE;
    Check(m_dictionary->Exists(name.Get(), &exists));
    return exists != VARIANT_FALSE;
}

bool CDescription::ReadStored(const CDescriptionKey& key, VARIANT* out)
{
    CKey name(key);
    Check(m_dictionary->get_Item(name.Get(), out));
    if (!(V_VT(out) & VT_BYREF))
        return true;
    // A script's variable: the value it refers to.
    CVariantValue direct;
    if (FAILED(VariantCopyInd(direct.Get(), out))) {
        VariantClear(out);
        return false;
    }
    VariantClear(out);
    direct.MoveTo(out);
    return true;
}

const VARIANT* CDescription::Find(const CDescriptionKey& key, CVariantValue& held)
{
    if (m_own) {
        // Its items are stored by value, never as references.
        return PAL_DictionaryItem(m_own, key.Bstr(), key.Length());
    }
    if (!Has(key) || !ReadStored(key, held.Get()))
        return nullptr;
    return held.Get();
}

bool CDescription::ReadValue(const CDescriptionKey& key, VARTYPE type, VARIANT* defaultValue, VARIANT* out)
{
    ConvertDefault(defaultValue, type, out);
    CVariantValue held;
    const VARIANT* stored = Find(key, held);
    if (!stored)
        return false;
    CVariantValue converted;
    if (V_VT(stored) == type) {
        if (stored == held.Get())
            held.MoveTo(converted.Get());
        else
            Check(VariantCopy(converted.Get(), const_cast<VARIANT*>(stored)));
    } else if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(stored), 0, type))) {
        return false;
    }
    VariantClear(out);
    converted.MoveTo(out);
    return true;
}

bool CDescription::ReadText(const CDescriptionKey& key, CBstrString& out, const WCHAR* defaultValue)
{
    // The default first (no text is allocated for an empty one).
    if (defaultValue && *defaultValue)
        out = defaultValue;
    else
        out.Empty();
    CVariantValue held;
    const VARIANT* stored = Find(key, held);
    if (!stored)
        return false;
    if (V_VT(stored) == VT_BSTR) {
        if (stored == held.Get()) {
            // The copy Item gave is taken over.
            out.Attach(V_BSTR(held.Get()));
            V_VT(held.Get()) = VT_EMPTY;
            return true;
        }
        const BSTR text = V_BSTR(stored);
        BSTR copy = nullptr;
        if (text) {
            // The text as it is stored, to the byte.
            copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
            if (!copy)
                throw CDescriptionFailure{E_OUTOFMEMORY}; // as Item fails
        }
        out.Attach(copy);
        return true;
    }
    CVariantValue converted;
    if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(stored), 0, VT_BSTR)))
        return false;
    out.Attach(V_BSTR(converted.Get()));
    V_VT(converted.Get()) = VT_EMPTY;
    return true;
}

const VARIANT* CDescription::FindTyped(const CDescriptionKey& key, VARTYPE type, CVariantValue& held,
                                       CVariantValue& converted)
{
    const VARIANT* stored = Find(key, held);
    if (!stored || V_VT(stored) == type)
        return stored;
    if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(stored), 0, type)))
        return nullptr;
    return converted.Get();
}

bool CDescription::ReadInt(const CDescriptionKey& key, LONG& out, LONG defaultValue)
{
    CVariantValue held, converted;
    const VARIANT* value = FindTyped(key, VT_I4, held, converted);
    out = value ? V_I4(value) : defaultValue;
    return value != nullptr;
}

bool CDescription::ReadFlag(const CDescriptionKey& key, bool& out, bool defaultValue)
{
    CVariantValue held, converted;
    const VARIANT* value = FindTyped(key, VT_BOOL, held, converted);
    out = value ? V_BOOL(value) != VARIANT_FALSE : defaultValue;
    return value != nullptr;
}

void CDescription::ReadRaw(const CDescriptionKey& key, VARIANT* out)
{
    VariantClear(out);
    if (!m_dictionary)
        return;
    if (m_own) {
        // A present key's item, copied as reading Item copies it; a missing
        // one is read through IDictionary, which adds it.
        if (const VARIANT* stored = PAL_DictionaryItem(m_own, key.Bstr(), key.Length())) {
            Check(VariantCopy(out, const_cast<VARIANT*>(stored)));
            return;
        }
    }
    CVariantValue stored;
    CKey name(key);
    Check(m_dictionary->get_Item(name.Get(), stored.Get()));
    if (V_VT(stored.Get()) & VT_BYREF)
        VariantCopyInd(out, stored.Get());
    else
        stored.MoveTo(out);
}

void CDescription::Write(const CDescriptionKey& key, VARIANT* value)
{
    if (!m_dictionary)
        return;
    CKey name(key);
    Check(m_dictionary->put_Item(name.Get(), value));
}

void CDescription::WriteInt(const CDescriptionKey& key, LONG value)
{
    CVariantValue item;
    Write(key, item.SetI4(value).Get());
}

void CDescription::WriteText(const CDescriptionKey& key, const WCHAR* value)
{
    CVariantValue item;
    Write(key, item.SetText(value).Get());
}

void CDescription::WriteFlag(const CDescriptionKey& key, bool value)
{
    CVariantValue item;
    Write(key, item.SetBool(value).Get());
}

IUnknown* ObjectOfValue(VARIANT* value) noexcept
{
    if (!value)
        return nullptr;
    if (V_VT(value) == (VT_BYREF | VT_VARIANT))
        value = V_VARIANTREF(value);
    if (!value)
        return nullptr;
    switch (V_VT(value)) {
    case VT_UNKNOWN:
        return V_UNKNOWN(value);
    case VT_DISPATCH:
        return V_DISPATCH(value);
    case VT_BYREF | VT_UNKNOWN:
        return V_UNKNOWNREF(value) ? *V_UNKNOWNREF(value) : nullptr;
    case VT_BYREF | VT_DISPATCH:
        return V_DISPATCHREF(value) ? *V_DISPATCHREF(value) : nullptr;
    default:
        return nullptr;
    }
}
