#include "host/HostApplication.h"

extern "C" {
const CLSID CLSID_QlxApplication = {0x94F8A015, 0x2338, 0x4006, {0xBE, 0x10, 0xED, 0x16, 0x95, 0x9E, 0x38, 0x54}};
const IID IID_IQlxApplication = {0x32311D01, 0x2768, 0x40F0, {0xB2, 0xBD, 0xCD, 0x19, 0xC5, 0x3E, 0x36, 0x76}};
}

IQlxApplication* ConnectHostApplication()
{
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(CLSID_QlxApplication, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || !factory)
        return nullptr;
    // Only the pointer counts: a factory that answers with a failure code but
    // still hands out an object is taken at its object.
    IQlxApplication* application = nullptr;
    factory->CreateInstance(nullptr, IID_IQlxApplication, reinterpret_cast<void**>(&application));
    factory->Release();
    return application;
}
