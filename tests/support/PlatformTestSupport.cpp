#include "support/PlatformTestSupport.h"

#include <cstdio>

#include "pal/com_object.h"
#include "support/TestSupport.h"

namespace test {

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
