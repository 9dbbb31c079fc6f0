#include "annalist/LoggerFactory.h"

#include "component/ModuleExports.h"

HRESULT CreateLogger(CInterfacePtr<ILogMedia3>& logger)
{
    logger.Release();
    CInterfacePtr<IClassFactory> factory;
    HRESULT hr = DllGetClassObject(CLSID_Annalist, IID_IClassFactory, reinterpret_cast<void**>(factory.Out()));
    if (FAILED(hr))
        return hr;
    if (!factory)
        return E_UNEXPECTED;
    hr = factory->CreateInstance(nullptr, IID_ILogMedia3, reinterpret_cast<void**>(logger.Out()));
    if (SUCCEEDED(hr) && !logger)
        hr = E_UNEXPECTED;
    return hr;
}
