// The class object of a creatable class (IClassFactory). Its QueryInterface
// answers from an interface table (pal/com_object.h); its reference count is
// its own, because the count moves the module lock: the module keeps one
// reference, which holds no lock, and references of clients do. The lock is
// taken when the count rises to 2 and given back when it falls to 1, so a
// class object that only the module keeps does not keep the library loaded.
// The count is atomic.
#pragma once

#include "component/ObjectMap.h"

class CAnnalistClassFactory final : public IClassFactory {
public:
    explicit CAnnalistClassFactory(CreateInstanceFunction createInstance) : m_createInstance(createInstance) {}
    virtual ~CAnnalistClassFactory() = default;
    CAnnalistClassFactory(const CAnnalistClassFactory&) = delete;
    CAnnalistClassFactory& operator=(const CAnnalistClassFactory&) = delete;

    // The class object for an object map entry, with the module's reference.
    static HRESULT Create(CreateInstanceFunction createInstance, IUnknown** classObject);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // E_POINTER for a null out pointer (which is cleared first otherwise);
    // CLASS_E_NOAGGREGATION for an outer object with any interface but
    // IUnknown; otherwise the creator's result.
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override;
    // TRUE takes a module lock, FALSE gives one back.
    STDMETHODIMP LockServer(BOOL fLock) override;

private:
    LONG m_refs = 0;
    CreateInstanceFunction m_createInstance;
};
