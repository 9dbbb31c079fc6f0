#include "core/Description.h"

#include "pal/variant_holder.h"

namespace {

// A key as the dictionary gets it: a VT_BSTR variant.
class CKey : public CVariantValue {
public:
    explicit CKey(const WCHAR* text) noexcept { SetText(text); }
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
    if (object)
        m_dictionary.QueryFrom(object, IID_IDictionary);
}

bool CDescription::Has(const WCHAR* key)
{
    if (!m_dictionary)
        return false;
    CKey name(key);
    VARIANT_BOOL exists = VARIANT_FALSE;
    Check(m_dictionary->Exists(name.Get(), &exists));
    return exists != VARIANT_FALSE;
}

bool CDescription::ReadValue(const WCHAR* key, VARTYPE type, VARIANT* defaultValue, VARIANT* out)
{
    ConvertDefault(defaultValue, type, out);
    if (!Has(key))
        return false;
    CKey name(key);
    CVariantValue stored;
    Check(m_dictionary->get_Item(name.Get(), stored.Get()));
    CVariantValue direct;
    if (FAILED(VariantCopyInd(direct.Get(), stored.Get())))
        return false;
    CVariantValue converted;
    if (FAILED(VariantChangeType(converted.Get(), direct.Get(), 0, type)))
        return false;
    VariantClear(out);
    converted.MoveTo(out);
    return true;
}

bool CDescription::ReadTyped(const WCHAR* key, CVariantValue& value)
{
    CVariantValue fallback;
    value.MoveTo(fallback.Get());
    return ReadValue(key, fallback.Type(), fallback.Get(), value.Get());
}

bool CDescription::ReadText(const WCHAR* key, CBstrString& out, const WCHAR* defaultValue)
{
    CVariantValue value;
    bool found = ReadTyped(key, value.SetText(defaultValue));
    if (value.Type() == VT_BSTR) {
        out.Attach(V_BSTR(value.Get()));
        V_VT(value.Get()) = VT_EMPTY;
    } else {
        out.Empty();
    }
    return found;
}

bool CDescription::ReadInt(const WCHAR* key, LONG& out, LONG defaultValue)
{
    CVariantValue value;
    bool found = ReadTyped(key, value.SetI4(defaultValue));
    out = value.Type() == VT_I4 ? V_I4(value.Get()) : 0;
    return found;
}

bool CDescription::ReadFlag(const WCHAR* key, bool& out, bool defaultValue)
{
    CVariantValue value;
    bool found = ReadTyped(key, value.SetBool(defaultValue));
    out = value.Type() == VT_BOOL && V_BOOL(value.Get()) != VARIANT_FALSE;
    return found;
}

void CDescription::ReadRaw(const WCHAR* key, VARIANT* out)
{
    VariantClear(out);
    if (!m_dictionary)
        return;
    CKey name(key);
    CVariantValue stored;
    Check(m_dictionary->get_Item(name.Get(), stored.Get()));
    VariantCopyInd(out, stored.Get());
}

void CDescription::Write(const WCHAR* key, VARIANT* value)
{
    if (!m_dictionary)
        return;
    CKey name(key);
    Check(m_dictionary->put_Item(name.Get(), value));
}

void CDescription::WriteInt(const WCHAR* key, LONG value)
{
    CVariantValue item;
    Write(key, item.SetI4(value).Get());
}

void CDescription::WriteText(const WCHAR* key, const WCHAR* value)
{
    CVariantValue item;
    Write(key, item.SetText(value).Get());
}

void CDescription::WriteFlag(const WCHAR* key, bool value)
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
