#include "annalist/HostObjects.h"

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

void* CReplayCustomReport::Find(REFIID riid)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IKovCustomReport))
        return static_cast<IKovCustomReport*>(this);
    return nullptr;
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

void* CReplayParameter::Find(REFIID riid)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IKovParameter))
        return static_cast<IKovParameter*>(this);
    return nullptr;
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

void* CReplayParameterCollection::Find(REFIID riid)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IKovParameterCollection))
        return static_cast<IKovParameterCollection*>(this);
    return nullptr;
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

void* CReplayParameters::Find(REFIID riid)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IKovParameters))
        return static_cast<IKovParameters*>(this);
    if (IsEqualIID(riid, IID_IDispatch))
        return static_cast<IDispatch*>(this);
    return nullptr;
}
