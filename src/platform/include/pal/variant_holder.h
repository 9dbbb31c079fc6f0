// CVariantValue: a VARIANT that is initialised when made and cleared when it
// goes away. The setters clear it first and can be chained. The one VARIANT
// holder of the whole project, above the platform layer as in it.
#pragma once

#include "pal/pal.h"

class CVariantValue {
public:
    CVariantValue() noexcept { VariantInit(&m_value); }
    ~CVariantValue() { VariantClear(&m_value); }
    CVariantValue(const CVariantValue&) = delete;
    CVariantValue& operator=(const CVariantValue&) = delete;

    VARIANT* Get() noexcept { return &m_value; }
    const VARIANT* Get() const noexcept { return &m_value; }
    VARTYPE Type() const noexcept { return V_VT(&m_value); }
    void Clear() noexcept { VariantClear(&m_value); }

    // VT_BSTR with a copy of the text (a null text gives a null BSTR).
    CVariantValue& SetText(const WCHAR* text) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_BSTR;
        V_BSTR(&m_value) = text ? SysAllocString(text) : nullptr;
        return *this;
    }
    // VT_BSTR taking over the string (freed with this value).
    CVariantValue& SetOwnedText(BSTR text) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_BSTR;
        V_BSTR(&m_value) = text;
        return *this;
    }
    CVariantValue& SetI2(SHORT value) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_I2;
        V_I2(&m_value) = value;
        return *this;
    }
    CVariantValue& SetI4(LONG value) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_I4;
        V_I4(&m_value) = value;
        return *this;
    }
    CVariantValue& SetR4(FLOAT value) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_R4;
        V_R4(&m_value) = value;
        return *this;
    }
    CVariantValue& SetR8(DOUBLE value) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_R8;
        V_R8(&m_value) = value;
        return *this;
    }
    CVariantValue& SetDate(DATE value) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_DATE;
        V_DATE(&m_value) = value;
        return *this;
    }
    // VT_BOOL: VARIANT_TRUE or VARIANT_FALSE.
    CVariantValue& SetBool(bool value) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_BOOL;
        V_BOOL(&m_value) = value ? VARIANT_TRUE : VARIANT_FALSE;
        return *this;
    }
    CVariantValue& SetNull() noexcept
    {
        Clear();
        V_VT(&m_value) = VT_NULL;
        return *this;
    }
    // VT_DISPATCH / VT_UNKNOWN with a reference of its own on the object.
    CVariantValue& SetDispatch(IDispatch* object) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_DISPATCH;
        V_DISPATCH(&m_value) = object;
        if (object)
            object->AddRef();
        return *this;
    }
    CVariantValue& SetUnknown(IUnknown* object) noexcept
    {
        Clear();
        V_VT(&m_value) = VT_UNKNOWN;
        V_UNKNOWN(&m_value) = object;
        if (object)
            object->AddRef();
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
    VARIANT m_value;
};
