// A tiny in-process server for the activation tests of the native builds
// (a shared object of its own, not part of the test program). Its one class
// answers IUnknown and ITestAnswer, whose methods give 42 and the number of the
// class's objects still alive. It uses the layer's declarations only: nothing
// of the library is linked into it.
#include <cstring>

#include "pal/com_object.h"

// Declared as the tests declare it.
struct ITestAnswer : public IUnknown {
    STDMETHOD(GetAnswer)(LONG* value) = 0;
    STDMETHOD(GetLiveObjects)(LONG* count) = 0;
};

namespace {

const GUID kUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// The served class {B0E3F2A6-1C57-4D0A-9E61-3F2C8D5A7B10} and its interface.
const GUID kServerClass = {0xB0E3F2A6, 0x1C57, 0x4D0A, {0x9E, 0x61, 0x3F, 0x2C, 0x8D, 0x5A, 0x7B, 0x10}};
const GUID kAnswerInterface = {0xB0E3F2A6, 0x1C57, 0x4D0A, {0x9E, 0x61, 0x3F, 0x2C, 0x8D, 0x5A, 0x7B, 0x11}};

bool Same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

LONG g_liveObjects = 0;

class Answer final : public CComObject<Answer, ITestAnswer> {
public:
    Answer() { ++g_liveObjects; }
    ~Answer() { --g_liveObjects; }

    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<Answer, IUnknown, ITestAnswer>(kUnknown),
            ComEntry<Answer, ITestAnswer>(kAnswerInterface),
            ComTableEnd(),
        };
        return table;
    }

    STDMETHODIMP GetAnswer(LONG* value) override
    {
        *value = 42;
        return S_OK;
    }
    STDMETHODIMP GetLiveObjects(LONG* count) override
    {
        *count = g_liveObjects;
        return S_OK;
    }

};

// The class object lives as long as the module.
class Factory : public IClassFactory {
public:
    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<Factory, IUnknown, IClassFactory>(kUnknown),
            ComEntry<Factory, IClassFactory>(kClassFactory),
            ComTableEnd(),
        };
        return table;
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return QueryComInterface(this, InterfaceTable(), riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        Answer* object = new Answer();
        object->AddRef();
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

} // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!Same(rclsid, kServerClass))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}
