// The class object (see ClassFactory.h).
#include "component/ClassFactory.h"

#include <new>

#include "component/ModuleLock.h"
#include "pal/com_object.h"

HRESULT CAnnalistClassFactory::Create(CreateInstanceFunction createInstance, IUnknown** classObject)
{
    *classObject = nullptr;
    auto* factory = new (std::nothrow) CAnnalistClassFactory(createInstance);
    if (!factory)
        return E_OUTOFMEMORY;
    // The first reference is the module's and takes no lock.
    factory->AddRef();
    *classObject = static_cast<IClassFactory*>(factory);
    return S_OK;
}

STDMETHODIMP CAnnalistClassFactory::QueryInterface(REFIID riid, void** ppvObject)
{
    static const ComInterfaceEntry table[] = {
        ComEntry<CAnnalistClassFactory, IUnknown, IClassFactory>(IID_IUnknown),
        ComEntry<CAnnalistClassFactory, IClassFactory>(IID_IClassFactory),
        ComTableEnd(),
    };
    return QueryComInterface(this, table, riid, ppvObject);
}

STDMETHODIMP_(ULONG) CAnnalistClassFactory::AddRef()
{
    LONG refs = InterlockedIncrement(&m_refs);
    if (refs == 2)
        ModuleLock();
    return static_cast<ULONG>(refs);
}

STDMETHODIMP_(ULONG) CAnnalistClassFactory::Release()
{
    LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0)
        delete this;
    else if (refs == 1)
        ModuleUnlock();
    return static_cast<ULONG>(refs);
}

STDMETHODIMP CAnnalistClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter && !IsEqualIID(riid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    return m_createInstance(pUnkOuter, riid, ppvObject);
}

STDMETHODIMP CAnnalistClassFactory::LockServer(BOOL fLock)
{
    if (fLock)
        ModuleLock();
    else
        ModuleUnlock();
    return S_OK;
}
