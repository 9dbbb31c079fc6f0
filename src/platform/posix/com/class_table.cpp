// The per-process class table: class objects registered with
// CoRegisterClassObject answer CoGetClassObject and CoCreateInstance. The
// table is shared by all threads and guarded by one lock; objects are called
// (QueryInterface, Release) outside it.
#include <mutex>
#include <vector>

#include "com/inproc_server.h"
#include "pal/pal.h"

namespace {

struct Registration {
    DWORD cookie;
    CLSID clsid;
    IUnknown* object; // one reference, held until revoked
    DWORD context;
    DWORD flags;
    bool handedOut; // a REGCLS_SINGLEUSE object is handed out once
};

struct ClassTable {
    std::mutex mutex;
    std::vector<Registration> entries;
    DWORD nextCookie = 1;
};

ClassTable& Table()
{
    static ClassTable table;
    return table;
}

// The registered class object for the class and context, with a reference
// for the caller; null when there is none.
IUnknown* FindClassObject(REFCLSID rclsid, DWORD context)
{
    ClassTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (Registration& entry : table.entries) {
        if (!IsEqualCLSID(entry.clsid, rclsid) || !(entry.context & context))
            continue;
        if (entry.flags == REGCLS_SINGLEUSE) {
            if (entry.handedOut)
                continue;
            entry.handedOut = true;
        }
        entry.object->AddRef();
        return entry.object;
    }
    return nullptr;
}

// Activation of a class that is not in the table: the registry names its
// in-process server, which is loaded and asked through its DllGetClassObject
// export.
HRESULT ActivateFromRegistry(REFCLSID rclsid, DWORD context, REFIID riid, LPVOID* ppv)
{
    return PalGetInprocClassObject(rclsid, context, riid, ppv);
}

} // namespace

extern "C" HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags,
                                         LPDWORD lpdwRegister)
{
    if (!pUnk || !lpdwRegister)
        return E_INVALIDARG;
    ClassTable& table = Table();
    try {
        std::lock_guard<std::mutex> lock(table.mutex);
        DWORD cookie = table.nextCookie++;
        table.entries.push_back(Registration{cookie, rclsid, pUnk, dwClsContext, flags, false});
        pUnk->AddRef();
        *lpdwRegister = cookie;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

extern "C" HRESULT CoRevokeClassObject(DWORD dwRegister)
{
    IUnknown* object = nullptr;
    {
        ClassTable& table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        for (auto it = table.entries.begin(); it != table.entries.end(); ++it) {
            if (it->cookie == dwRegister) {
                object = it->object;
                table.entries.erase(it);
                break;
            }
        }
    }
    if (!object)
        return E_INVALIDARG;
    object->Release();
    return S_OK;
}

extern "C" HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    IUnknown* object = FindClassObject(rclsid, dwClsContext);
    if (!object)
        return ActivateFromRegistry(rclsid, dwClsContext, riid, ppv);
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

extern "C" HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    if (FAILED(hr))
        *ppv = nullptr;
    return hr;
}
