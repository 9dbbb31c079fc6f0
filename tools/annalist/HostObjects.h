// The host objects that a replayed description hands to the logger, built
// from the event log's "$report" and "$params" forms:
// - CReplayCustomReport answers IKovCustomReport (the "CustomObjUnk" value of
//   a checkpoint or output step) and gives a fixed report text;
// - CReplayParameters answers IKovParameters and IDispatch (the
//   "ArgumentsDispatch" value of a test or action), with its collection and
//   parameters behind it.
// Objects are created with one reference, which the caller owns.
#pragma once

#include <string>
#include <vector>

#include "host/HostInterfaces.h"
#include "pal/pal.h"

// A reference count and QueryInterface for objects with up to two
// interfaces besides IUnknown.
template <class Primary>
class CReplayObject : public Primary {
public:
    virtual ~CReplayObject() = default;
    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = Find(riid);
        if (!*ppvObject)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    STDMETHOD_(ULONG, Release)() override
    {
        LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

protected:
    // The interface pointer for riid, or null.
    virtual void* Find(REFIID riid) = 0;

private:
    LONG m_references = 1;
};

class CReplayCustomReport final : public CReplayObject<IKovCustomReport> {
public:
    explicit CReplayCustomReport(const WideString& text) : m_text(text) {}
    // The text, whatever viewer type is passed; an empty text comes back as
    // an empty (null) BSTR.
    STDMETHOD(GetReportText)(BSTR* pText, BSTR* pViewType) override;

protected:
    void* Find(REFIID riid) override;

private:
    WideString m_text;
};

// One parameter: name, direction (0 input, 1 output) and value.
class CReplayParameter final : public CReplayObject<IKovParameter> {
public:
    // Takes a copy of the value.
    CReplayParameter(const WideString& name, LONG direction, VARIANT* value);
    ~CReplayParameter() override;
    STDMETHOD(get_Name)(BSTR* pName) override;
    STDMETHOD(get_Direction)(LONG* pDirection) override;
    STDMETHOD(get_Value)(VARIANT* pValue) override;

protected:
    void* Find(REFIID riid) override;

private:
    WideString m_name;
    LONG m_direction;
    VARIANT m_value;
};

class CReplayParameterCollection final : public CReplayObject<IKovParameterCollection> {
public:
    CReplayParameterCollection() = default;
    ~CReplayParameterCollection() override;
    // Adds a parameter (the collection takes the caller's reference).
    void Add(CReplayParameter* parameter) { m_items.push_back(parameter); }

    STDMETHOD(get_Count)(LONG* pCount) override;
    STDMETHOD(Reserved2)() override { return E_NOTIMPL; }
    STDMETHOD(Reserved3)() override { return E_NOTIMPL; }
    // E_INVALIDARG for an index outside the collection (the item is null).
    STDMETHOD(get_Item)(LONG index, IKovParameter** ppItem) override;

protected:
    void* Find(REFIID riid) override;

private:
    std::vector<CReplayParameter*> m_items;
};

class CReplayParameters final : public CReplayObject<IKovParameters>, public IDispatch {
public:
    // Takes the caller's reference to the collection.
    explicit CReplayParameters(CReplayParameterCollection* collection) : m_collection(collection) {}
    ~CReplayParameters() override;

    // IUnknown through either base.
    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override
    {
        return CReplayObject<IKovParameters>::QueryInterface(riid, ppvObject);
    }
    STDMETHOD_(ULONG, AddRef)() override { return CReplayObject<IKovParameters>::AddRef(); }
    STDMETHOD_(ULONG, Release)() override { return CReplayObject<IKovParameters>::Release(); }

    STDMETHOD(get_Parameters)(IKovParameterCollection** ppCollection) override;

    // IDispatch without type information: the logger reaches the object
    // through IKovParameters only.
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    IDispatch* AsDispatch() { return static_cast<IDispatch*>(this); }

protected:
    void* Find(REFIID riid) override;

private:
    CReplayParameterCollection* m_collection;
};
