// The host objects that a replayed description hands to the logger, built
// from the event log's "$report" and "$params" forms:
// - CReplayCustomReport answers IKovCustomReport (the "CustomObjUnk" value of
//   a checkpoint or output step) and gives a fixed report text;
// - CReplayParameters answers IKovParameters and IDispatch (the
//   "ArgumentsDispatch" value of a test or action), with its collection and
//   parameters behind it.
// Objects are made with NewReplayObject: one reference, which the caller owns.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/HostInterfaces.h"
#include "pal/com_object.h"

// A new object with one reference, which the caller owns.
template <class Object, class... Args>
Object* NewReplayObject(Args&&... args)
{
    Object* object = new Object(std::forward<Args>(args)...);
    object->AddRef();
    return object;
}

class CReplayCustomReport final : public CComObject<CReplayCustomReport, IKovCustomReport> {
public:
    explicit CReplayCustomReport(const WideString& text) : m_text(text) {}
    static const ComInterfaceEntry* InterfaceTable();
    // The text, whatever viewer type is passed; an empty text comes back as
    // an empty (null) BSTR.
    STDMETHOD(GetReportText)(BSTR* pText, BSTR* pViewType) override;

private:
    WideString m_text;
};

// One parameter: name, direction (0 input, 1 output) and value.
class CReplayParameter final : public CComObject<CReplayParameter, IKovParameter> {
public:
    // Takes a copy of the value.
    CReplayParameter(const WideString& name, LONG direction, VARIANT* value);
    ~CReplayParameter();
    static const ComInterfaceEntry* InterfaceTable();
    STDMETHOD(get_Name)(BSTR* pName) override;
    STDMETHOD(get_Direction)(LONG* pDirection) override;
    STDMETHOD(get_Value)(VARIANT* pValue) override;

private:
    WideString m_name;
    LONG m_direction;
    VARIANT m_value;
};

class CReplayParameterCollection final : public CComObject<CReplayParameterCollection, IKovParameterCollection> {
public:
    CReplayParameterCollection() = default;
    ~CReplayParameterCollection();
    static const ComInterfaceEntry* InterfaceTable();
    // Adds a parameter (the collection takes the caller's reference).
    void Add(CReplayParameter* parameter) { m_items.push_back(parameter); }

    STDMETHOD(get_Count)(LONG* pCount) override;
    STDMETHOD(Reserved2)() override { return E_NOTIMPL; }
    STDMETHOD(Reserved3)() override { return E_NOTIMPL; }
    // E_INVALIDARG for an index outside the collection (the item is null).
    STDMETHOD(get_Item)(LONG index, IKovParameter** ppItem) override;

private:
    std::vector<CReplayParameter*> m_items;
};

class CReplayParameters final : public CComObject<CReplayParameters, IKovParameters, IDispatch> {
public:
    // Takes the caller's reference to the collection.
    explicit CReplayParameters(CReplayParameterCollection* collection) : m_collection(collection) {}
    ~CReplayParameters();
    static const ComInterfaceEntry* InterfaceTable();

    STDMETHOD(get_Parameters)(IKovParameterCollection** ppCollection) override;

    // IDispatch without type information: the logger reaches the object
    // through IKovParameters only.
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    IDispatch* AsDispatch() { return static_cast<IDispatch*>(this); }

private:
    CReplayParameterCollection* m_collection;
};
