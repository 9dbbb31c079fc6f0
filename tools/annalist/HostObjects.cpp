#include "annalist/HostObjects.h"

namespace {

// The table of an object that answers IUnknown and one interface.
template <class Object, class Interface, const IID& kInterfaceId>
const ComInterfaceEntry* OneInterfaceTable()
{
    static const ComInterfaceEntry table[] = {
        ComEntry<Object, IUnknown, Interface>(IID_IUnknown),
        ComEntry<Object, Interface>(kInterfaceId),
        ComTableEnd(),
    };
    return table;
}

} // namespace

// ---- CReplayCustomReport ----

STDMETHODIMP CReplayCustomReport::GetReportText(BSTR* pText, BSTR* /*pViewType*/)
{
    if (!pText)
        return E_POINTER;
    *pText = nullptr;
    if (m_text.empty())
        return S_OK;
    *pText = SysAllocStringLen(m_text.data(), static_cast<UINT>(m_text.size()));
    return *pText ? S_OK : E_OUTOFMEMORY;
}

const ComInterfaceEntry* CReplayCustomReport::InterfaceTable()
{
    return OneInterfaceTable<CReplayCustomReport, IKovCustomReport, IID_IKovCustomReport>();
}

// ---- CReplayParameter ----

CReplayParameter::CReplayParameter(const WideString& name, LONG direction, VARIANT* value)
    : m_name(name), m_direction(direction)
{
    VariantInit(&m_value);
    if (value)
        VariantCopy(&m_value, value);
}

CReplayParameter::~CReplayParameter() { VariantClear(&m_value); }

STDMETHODIMP CReplayParameter::get_Name(BSTR* pName)
{
    if (!pName)
        return E_POINTER;
    *pName = SysAllocStringLen(m_name.data(), static_cast<UINT>(m_name.size()));
    return *pName ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CReplayParameter::get_Direction(LONG* pDirection)
{
    if (!pDirection)
        return E_POINTER;
    *pDirection = m_direction;
    return S_OK;
}

STDMETHODIMP CReplayParameter::get_Value(VARIANT* pValue)
{
    if (!pValue)
        return E_POINTER;
    VariantInit(pValue);
    return VariantCopy(pValue, &m_value);
}

const ComInterfaceEntry* CReplayParameter::InterfaceTable()
{
    return OneInterfaceTable<CReplayParameter, IKovParameter, IID_IKovParameter>();
}

// ---- CReplayParameterCollection ----

CReplayParameterCollection::~CReplayParameterCollection()
{
    for (CReplayParameter* item : m_items)
        item->Release();
}

STDMETHODIMP CReplayParameterCollection::get_Count(LONG* pCount)
{
    if (!pCount)
        return E_POINTER;
    *pCount = static_cast<LONG>(m_items.size());
    return S_OK;
}

STDMETHODIMP CReplayParameterCollection::get_Item(LONG index, IKovParameter** ppItem)
{
    if (!ppItem)
        return E_POINTER;
    *ppItem = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= m_items.size())
        return E_INVALIDARG;
    *ppItem = m_items[static_cast<size_t>(index)];
    (*ppItem)->AddRef();
    return S_OK;
}

const ComInterfaceEntry* CReplayParameterCollection::InterfaceTable()
{
    return OneInterfaceTable<CReplayParameterCollection, IKovParameterCollection, IID_IKovParameterCollection>();
}

// ---- CReplayParameters ----

CReplayParameters::~CReplayParameters()
{
    if (m_collection)
        m_collection->Release();
}

STDMETHODIMP CReplayParameters::get_Parameters(IKovParameterCollection** ppCollection)
{
    if (!ppCollection)
        return E_POINTER;
    *ppCollection = m_collection;
    if (m_collection)
        m_collection->AddRef();
    return S_OK;
}

STDMETHODIMP CReplayParameters::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CReplayParameters::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CReplayParameters::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CReplayParameters::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}

const ComInterfaceEntry* CReplayParameters::InterfaceTable()
{
    static const ComInterfaceEntry table[] = {
        ComEntry<CReplayParameters, IUnknown, IKovParameters>(IID_IUnknown),
        ComEntry<CReplayParameters, IKovParameters>(IID_IKovParameters),
        ComEntry<CReplayParameters, IDispatch>(IID_IDispatch),
        ComTableEnd(),
    };
    return table;
}
