#include "support/PlatformTestSupport.h"

#include <cstdio>

#include "pal/com_object.h"
#include "support/TestSupport.h"

namespace test {

ScopedVariant& ScopedVariant::Bstr(const WCHAR* text)
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_BSTR;
    V_BSTR(&m_value) = text ? SysAllocString(text) : nullptr;
    return *this;
}

ScopedVariant& ScopedVariant::I2(SHORT value)
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_I2;
    V_I2(&m_value) = value;
    return *this;
}

ScopedVariant& ScopedVariant::I4(LONG value)
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_I4;
    V_I4(&m_value) = value;
    return *this;
}

ScopedVariant& ScopedVariant::R4(FLOAT value)
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_R4;
    V_R4(&m_value) = value;
    return *this;
}

ScopedVariant& ScopedVariant::R8(DOUBLE value)
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_R8;
    V_R8(&m_value) = value;
    return *this;
}

ScopedVariant& ScopedVariant::Date(DATE value)
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_DATE;
    V_DATE(&m_value) = value;
    return *this;
}

ScopedVariant& ScopedVariant::Bool(bool value)
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_BOOL;
    V_BOOL(&m_value) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return *this;
}

ScopedVariant& ScopedVariant::Null()
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_NULL;
    return *this;
}

ScopedVariant& ScopedVariant::Dispatch(IDispatch* object)
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_DISPATCH;
    V_DISPATCH(&m_value) = object;
    if (object)
        object->AddRef();
    return *this;
}

ScopedVariant& ScopedVariant::Unknown(IUnknown* object)
{
    VariantClear(&m_value);
    V_VT(&m_value) = VT_UNKNOWN;
    V_UNKNOWN(&m_value) = object;
    if (object)
        object->AddRef();
    return *this;
}

std::string Narrow(BSTR text) { return Utf16ToUtf8(WideString(text ? text : W(""), SysStringLen(text))); }

std::string HrText(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "0x%08lX", static_cast<unsigned long>(hr));
    return buffer;
}

std::string TextOf(VARIANT* value, USHORT flags)
{
    ScopedVariant out;
    HRESULT hr = VariantChangeType(out.get(), value, flags, VT_BSTR);
    if (FAILED(hr))
        return "failed " + HrText(hr);
    return Narrow(V_BSTR(out.get()));
}

HRESULT ConvertText(const WCHAR* text, VARTYPE vt, ScopedVariant* out)
{
    ScopedVariant source;
    source.Bstr(text);
    return VariantChangeType(out->get(), source.get(), 0, vt);
}

STDMETHODIMP CountedObject::QueryInterface(REFIID riid, void** ppvObject)
{
    static const ComInterfaceEntry table[] = {
        ComEntry<CountedObject, IUnknown>(IID_IUnknown),
        ComTableEnd(),
    };
    return QueryComInterface(this, table, riid, ppvObject);
}

} // namespace test
