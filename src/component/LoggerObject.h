// The COM objects around a logger class. The logger class (CAnnalistImp, or a
// stand-in in tests) implements ILogMedia3 and IAnnalistAdditionalInfo2 and
// leaves IUnknown and IDispatch to these wrappers:
// - CLoggerObject: a plain object with its own reference count;
// - CLoggerAggregate: the inner object of an aggregation. It holds the logger
//   as a CLoggerContained, whose IUnknown calls go to the controlling outer
//   object, and answers the non-delegating IUnknown itself.
// The reference counts are plain counters: the objects live in one apartment.
// Each wrapper holds one module lock while it lives.
#pragma once

#include <new>
#include <utility>

#include "component/LoggerDispatch.h"
#include "component/ModuleLock.h"
#include "core/LoggerInterfaces.h"

// The interfaces of the logger, in the order QueryInterface answers them:
// ILogMedia2, ILogMedia3, the two custom interfaces (one vtable), IDispatch,
// IUnknown. Null for any other interface.
template <class TLogger>
void* LoggerInterface(TLogger* logger, REFIID riid)
{
    if (IsEqualIID(riid, IID_ILogMedia2))
        return static_cast<ILogMedia2*>(logger);
    if (IsEqualIID(riid, IID_ILogMedia3))
        return static_cast<ILogMedia3*>(logger);
    if (IsEqualIID(riid, IID_IAnnalistAdditionalInfo))
        return static_cast<IAnnalistAdditionalInfo*>(static_cast<IAnnalistAdditionalInfo2*>(logger));
    if (IsEqualIID(riid, IID_IAnnalistAdditionalInfo2))
        return static_cast<IAnnalistAdditionalInfo2*>(logger);
    if (IsEqualIID(riid, IID_IDispatch))
        return static_cast<IDispatch*>(static_cast<ILogMedia3*>(logger));
    if (IsEqualIID(riid, IID_IUnknown))
        return static_cast<IUnknown*>(static_cast<ILogMedia3*>(logger));
    return nullptr;
}

// IDispatch of the logger, described by the type library's ILogMedia3.
template <class TLogger>
class CLoggerDispatchImpl : public TLogger {
public:
    template <class... Args>
    explicit CLoggerDispatchImpl(Args&&... args) : TLogger(std::forward<Args>(args)...)
    {
    }

    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override { return CLoggerDispatch::GetTypeInfoCount(pctinfo); }
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override
    {
        return CLoggerDispatch::GetTypeInfo(iTInfo, lcid, ppTInfo);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override
    {
        return CLoggerDispatch::GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override
    {
        return CLoggerDispatch::Invoke(static_cast<ILogMedia3*>(this), dispIdMember, riid, lcid, wFlags, pDispParams,
                                       pVarResult, pExcepInfo, puArgErr);
    }
};

template <class TLogger>
class CLoggerObject final : public CLoggerDispatchImpl<TLogger> {
public:
    template <class... Args>
    explicit CLoggerObject(Args&&... args) : CLoggerDispatchImpl<TLogger>(std::forward<Args>(args)...)
    {
        ModuleLock();
    }
    ~CLoggerObject() override { ModuleUnlock(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = LoggerInterface<TLogger>(this, riid);
        if (!*ppvObject)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }

private:
    ULONG m_refs = 0;
};

template <class TLogger>
class CLoggerContained final : public CLoggerDispatchImpl<TLogger> {
public:
    template <class... Args>
    explicit CLoggerContained(IUnknown* outer, Args&&... args)
        : CLoggerDispatchImpl<TLogger>(std::forward<Args>(args)...), m_outer(outer)
    {
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override
    {
        return m_outer->QueryInterface(riid, ppvObject);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_outer->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_outer->Release(); }

    // The logger's own interface map; the interface handed out counts a
    // reference of the outer object.
    HRESULT InternalQueryInterface(REFIID riid, void** ppvObject)
    {
        *ppvObject = LoggerInterface<TLogger>(this, riid);
        if (!*ppvObject)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

private:
    IUnknown* m_outer; // not counted: the outer object owns us
};

template <class TLogger>
class CLoggerAggregate final : public IUnknown {
public:
    template <class... Args>
    explicit CLoggerAggregate(IUnknown* outer, Args&&... args) : m_contained(outer, std::forward<Args>(args)...)
    {
        ModuleLock();
    }
    virtual ~CLoggerAggregate() { ModuleUnlock(); }
    CLoggerAggregate(const CLoggerAggregate&) = delete;
    CLoggerAggregate& operator=(const CLoggerAggregate&) = delete;

    // The non-delegating IUnknown: IUnknown is this object, every other
    // interface is the logger's.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppvObject = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_contained.InternalQueryInterface(riid, ppvObject);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }

    TLogger* Logger() { return &m_contained; }

private:
    ULONG m_refs = 0;
    CLoggerContained<TLogger> m_contained;
};

// Creates a logger object, plain or (with an outer object) aggregated, and
// queries it for riid; a failing query destroys the new object. The caller has
// checked the arguments (ppv not null, IUnknown asked for with an outer
// object).
template <class TLogger, class... Args>
HRESULT CreateLoggerObject(IUnknown* outer, REFIID riid, void** ppv, Args&&... args)
{
    *ppv = nullptr;
    try {
        if (outer) {
            auto* object = new (std::nothrow) CLoggerAggregate<TLogger>(outer, std::forward<Args>(args)...);
            if (!object)
                return E_OUTOFMEMORY;
            HRESULT hr = object->QueryInterface(riid, ppv);
            if (hr != S_OK)
                delete object;
            return hr;
        }
        auto* object = new (std::nothrow) CLoggerObject<TLogger>(std::forward<Args>(args)...);
        if (!object)
            return E_OUTOFMEMORY;
        HRESULT hr = object->QueryInterface(riid, ppv);
        if (hr != S_OK)
            delete object;
        return hr;
    } catch (const std::bad_alloc&) {
        // The logger's constructor could not allocate its state.
        return E_OUTOFMEMORY;
    }
}
