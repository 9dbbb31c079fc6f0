// CVariantValue: a VARIANT that is initialised when made and cleared when it
// goes away. The setters clear it first and can be chained. The one VARIANT
// holder of the whole project, above the platform layer as in it.
#pragma once

#include <cstring>

#include "pal/pal.h"

class CVariantValue {
public:
    CVariantValue() noexcept { std::memset(&m_value, 0, sizeof(m_value)); } // VT_EMPTY
    ~CVariantValue()
    {
        if (V_VT(&m_value) != VT_EMPTY)
            VariantClear(&m_value);
    }
    CVariantValue(const CVariantValue&) = delete;
    CVariantValue& operator=(const CVariantValue&) = delete;

    VARIANT* Get() noexcept { return &m_value; }
    const VARIANT* Get() const noexcept { return &m_value; }
    VARTYPE Type() const noexcept { return V_VT(&m_value); }
    void Clear() noexcept { VariantClear(&m_value); }

    // The setters: the value cleared, then given the type and the value.
    // VT_BSTR with a copy of the text (a null text gives a null BSTR), or
    // taking over a BSTR (freed with this value).
    CVariantValue& SetText(const WCHAR* text) noexcept { return SetOwnedText(text ? SysAllocString(text) : nullptr); }
    CVariantValue& SetOwnedText(BSTR text) noexcept { V_BSTR(Reset(VT_BSTR)) = text; return *this; }
    CVariantValue& SetI2(SHORT value) noexcept { V_I2(Reset(VT_I2)) = value; return *this; }
    CVariantValue& SetI4(LONG value) noexcept { V_I4(Reset(VT_I4)) = value; return *this; }
    CVariantValue& SetR4(FLOAT value) noexcept { V_R4(Reset(VT_R4)) = value; return *this; }
    CVariantValue& SetR8(DOUBLE value) noexcept { V_R8(Reset(VT_R8)) = value; return *this; }
    CVariantValue& SetDate(DATE value) noexcept { V_DATE(Reset(VT_DATE)) = value; return *this; }
    // VT_BOOL: VARIANT_TRUE or VARIANT_FALSE.
    CVariantValue& SetBool(bool value) noexcept
    {
        V_BOOL(Reset(VT_BOOL)) = value ? VARIANT_TRUE : VARIANT_FALSE;
        return *this;
    }
    CVariantValue& SetNull() noexcept
    {
        Reset(VT_NULL);
        return *this;
    }
    // VT_DISPATCH / VT_UNKNOWN with a reference of its own on the object.
    CVariantValue& SetDispatch(IDispatch* object) noexcept
    {
        V_DISPATCH(Reset(VT_DISPATCH)) = AddRefOf(object);
        return *this;
    }
    CVariantValue& SetUnknown(IUnknown* object) noexcept
    {
        V_UNKNOWN(Reset(VT_UNKNOWN)) = AddRefOf(object);
        return *this;
    }

    // Hands the value to out (which must be empty or cleared by the caller);
    // this is VT_EMPTY afterwards.
    void MoveTo(VARIANT* out) noexcept
    {
        *out = m_value;
        VariantInit(&m_value);
    }

private:
    // Clears the value and gives it the type; the value to fill in.
    VARIANT* Reset(VARTYPE type) noexcept
    {
        VariantClear(&m_value);
        V_VT(&m_value) = type;
        return &m_value;
    }
    template <class Object>
    static Object* AddRefOf(Object* object) noexcept
    {
        if (object)
            object->AddRef();
        return object;
    }

    VARIANT m_value;
};
