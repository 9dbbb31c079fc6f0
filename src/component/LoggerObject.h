// The COM objects around a logger class. The logger class (CAnnalistImp, or a
// stand-in in tests) implements ILogMedia3 and IAnnalistAdditionalInfo2 and
// leaves IUnknown and IDispatch to these wrappers:
// - CLoggerObject: a plain object, counted by the platform layer's CComObject;
// - CLoggerAggregate: the inner object of an aggregation. It holds the logger
//   as a CLoggerContained, whose IUnknown calls go to the controlling outer
//   object, and answers the non-delegating IUnknown itself.
// Both answer the same interface table. The logger class is made with its
// default constructor. Each wrapper holds one module lock while it lives.
#pragma once

#include <new>

#include "component/LoggerDispatch.h"
#include "component/ModuleLock.h"
#include "core/LoggerInterfaces.h"
#include "pal/com_object.h"

// The interfaces of the logger object Self, in the order QueryInterface
// answers them: ILogMedia2, ILogMedia3, the two custom interfaces (one
// vtable), IDispatch, IUnknown.
template <class Self>
const ComInterfaceEntry* LoggerInterfaceTable()
{
    static const ComInterfaceEntry table[] = {
        ComEntry<Self, ILogMedia2>(IID_ILogMedia2),
        ComEntry<Self, ILogMedia3>(IID_ILogMedia3),
        ComEntry<Self, IAnnalistAdditionalInfo, IAnnalistAdditionalInfo2>(IID_IAnnalistAdditionalInfo),
        ComEntry<Self, IAnnalistAdditionalInfo2>(IID_IAnnalistAdditionalInfo2),
        ComEntry<Self, IDispatch, ILogMedia3>(IID_IDispatch),
        ComEntry<Self, IUnknown, ILogMedia3>(IID_IUnknown),
        ComTableEnd(),
    };
    return table;
}

// IDispatch of the logger, described by the type library's ILogMedia3.
template <class TLogger>
class CLoggerDispatchImpl : public TLogger {
public:
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
class CLoggerObject final : public CComObject<CLoggerObject<TLogger>, CLoggerDispatchImpl<TLogger>> {
public:
    CLoggerObject() { ModuleLock(); }
    ~CLoggerObject() override { ModuleUnlock(); }

    static const ComInterfaceEntry* InterfaceTable() { return LoggerInterfaceTable<CLoggerObject>(); }
};

template <class TLogger>
class CLoggerContained final : public CLoggerDispatchImpl<TLogger> {
public:
    explicit CLoggerContained(IUnknown* outer) : m_outer(outer) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override
    {
        return m_outer->QueryInterface(riid, ppvObject);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_outer->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_outer->Release(); }

    // The logger's own interface table; the interface handed out counts a
    // reference of the outer object.
    HRESULT InternalQueryInterface(REFIID riid, void** ppvObject)
    {
        return QueryComInterface(this, LoggerInterfaceTable<CLoggerContained>(), riid, ppvObject);
    }

private:
    IUnknown* m_outer; // not counted: the outer object owns us
};

template <class TLogger>
class CLoggerAggregate final : public CComObject<CLoggerAggregate<TLogger>, IUnknown> {
public:
    explicit CLoggerAggregate(IUnknown* outer) : m_contained(outer) { ModuleLock(); }
    ~CLoggerAggregate() { ModuleUnlock(); }

    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<CLoggerAggregate, IUnknown>(IID_IUnknown),
            ComTableEnd(),
        };
        return table;
    }

    // The non-delegating IUnknown: IUnknown is this object, every other
    // interface is the logger's.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override
    {
        HRESULT hr = CComObject<CLoggerAggregate, IUnknown>::QueryInterface(riid, ppvObject);
        if (hr != E_NOINTERFACE)
            return hr;
        return m_contained.InternalQueryInterface(riid, ppvObject);
    }

    TLogger* Logger() { return &m_contained; }

private:
    CLoggerContained<TLogger> m_contained;
};

// Creates a logger object, plain or (with an outer object) aggregated, and
// queries it for riid; a failing query destroys the new object. The caller has
// checked the arguments (ppv not null, IUnknown asked for with an outer
// object).
template <class TLogger>
HRESULT CreateLoggerObject(IUnknown* outer, REFIID riid, void** ppv)
{
    *ppv = nullptr;
    try {
        IUnknown* object = nullptr;
        if (outer)
            object = new (std::nothrow) CLoggerAggregate<TLogger>(outer);
        else
            object = static_cast<ILogMedia3*>(new (std::nothrow) CLoggerObject<TLogger>());
        if (!object)
            return E_OUTOFMEMORY;
        // The object's first reference is the one the query hands out.
        object->AddRef();
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    } catch (const std::bad_alloc&) {
        // The logger's constructor could not allocate its state.
        return E_OUTOFMEMORY;
    }
}
