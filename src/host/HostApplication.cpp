#include "host/HostApplication.h"

CInterfacePtr<IQlxApplication> ConnectHostApplication()
{
    CInterfacePtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(CLSID_QlxApplication, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                  factory.OutVoid());
    CInterfacePtr<IQlxApplication> application;
    if (FAILED(hr) || !factory)
        return application;
    // Only the pointer counts: a factory that answers with a failure code but
    // still hands out an object is taken at its object.
    factory->CreateInstance(nullptr, IID_IQlxApplication, application.OutVoid());
    return application;
}
