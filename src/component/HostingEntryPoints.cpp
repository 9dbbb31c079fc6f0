// The entry points of the public header annalist/annalist.h, for programs
// that host the logger themselves: a logger made by the library's class
// object (as CoCreateInstance would make it, without registration), an event
// description, and the BSTR and VARIANT calls of the library's own OLE layer
// under names of their own, so that the library adds no Win32 names to a
// program's symbols.
#include "annalist/annalist.h"
#include "component/ModuleExports.h"
#include "pal/pal.h"

extern "C" HRESULT AnnalistCreateLogger(ILogMedia3** logger)
{
    if (!logger)
        return E_POINTER;
    *logger = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = DllGetClassObject(CLSID_Annalist, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    if (!factory)
        return E_UNEXPECTED;
    hr = factory->CreateInstance(nullptr, IID_ILogMedia3, reinterpret_cast<void**>(logger));
    factory->Release();
    if (SUCCEEDED(hr) && !*logger)
        hr = E_UNEXPECTED;
    return hr;
}

extern "C" HRESULT AnnalistCreateDescription(IDictionary** description)
{
    if (!description)
        return E_POINTER;
    *description = nullptr;
    return PAL_CreateDictionary(description);
}

extern "C" BSTR AnnalistAllocString(const OLECHAR* text) { return SysAllocString(text); }

extern "C" BSTR AnnalistAllocStringLen(const OLECHAR* text, UINT length) { return SysAllocStringLen(text, length); }

extern "C" UINT AnnalistStringLen(BSTR text) { return SysStringLen(text); }

extern "C" void AnnalistFreeString(BSTR text) { SysFreeString(text); }

extern "C" HRESULT AnnalistVariantClear(VARIANT* value) { return VariantClear(value); }
