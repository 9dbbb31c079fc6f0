// IDispatch of the logger where there is no type-library engine: the table of
// CDispatchTable. There is no type information to hand out.
#include "component/LoggerDispatch.h"

#include "component/DispatchTable.h"

HRESULT CLoggerDispatch::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT CLoggerDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (!ppTInfo)
        return E_POINTER;
    *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT CLoggerDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId)
{
    return CDispatchTable::GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
}

HRESULT CLoggerDispatch::Invoke(ILogMedia3* target, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    return CDispatchTable::Invoke(target, dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo,
                                  puArgErr);
}

void CLoggerDispatch::Release() {}
