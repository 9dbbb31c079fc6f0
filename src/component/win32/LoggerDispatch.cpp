// IDispatch of the logger through the type library: the type information of
// ILogMedia3 (the vtable half of the dual interface) is loaded from the
// module's TYPELIB resource on first use and kept until the module ends.
#include "component/LoggerDispatch.h"

#include <mutex>

#include "component/ModuleTypeLib.h"
#include "pal/interface_ptr.h"

namespace {

std::mutex g_typeInfoLock;
ITypeInfo* g_typeInfo = nullptr;

// The type information, with a reference for the caller.
HRESULT LoggerTypeInfo(ITypeInfo** typeInfo)
{
    std::lock_guard<std::mutex> lock(g_typeInfoLock);
    if (!g_typeInfo) {
        CInterfacePtr<ITypeLib> library;
        HRESULT hr = LoadModuleTypeLib(PAL_GetLibraryModule(), library.Out());
        if (FAILED(hr))
            return hr;
        CInterfacePtr<ITypeInfo> dispatchInfo;
        hr = library->GetTypeInfoOfGuid(IID_ILogMedia3, dispatchInfo.Out());
        if (FAILED(hr))
            return hr;
        // A dual interface is described twice; invoking goes through the
        // vtable description.
        HREFTYPE vtableRef = 0;
        CInterfacePtr<ITypeInfo> vtableInfo;
        if (SUCCEEDED(dispatchInfo->GetRefTypeOfImplType(-1, &vtableRef)) &&
            SUCCEEDED(dispatchInfo->GetRefTypeInfo(vtableRef, vtableInfo.Out())))
            g_typeInfo = vtableInfo.Detach();
        else
            g_typeInfo = dispatchInfo.Detach();
    }
    g_typeInfo->AddRef();
    *typeInfo = g_typeInfo;
    return S_OK;
}

// The type information for a call that names the interface riid: only
// IID_NULL is known.
HRESULT TypeInfoForCall(REFIID riid, CInterfacePtr<ITypeInfo>& typeInfo)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    return LoggerTypeInfo(typeInfo.Out());
}

} // namespace

HRESULT CLoggerDispatch::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 1;
    return S_OK;
}

HRESULT CLoggerDispatch::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo)
{
    if (!ppTInfo)
        return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0)
        return DISP_E_BADINDEX;
    return LoggerTypeInfo(ppTInfo);
}

HRESULT CLoggerDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    CInterfacePtr<ITypeInfo> typeInfo;
    HRESULT hr = TypeInfoForCall(riid, typeInfo);
    return FAILED(hr) ? hr : DispGetIDsOfNames(typeInfo.Get(), rgszNames, cNames, rgDispId);
}

HRESULT CLoggerDispatch::Invoke(ILogMedia3* target, DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    CInterfacePtr<ITypeInfo> typeInfo;
    HRESULT hr = TypeInfoForCall(riid, typeInfo);
    return FAILED(hr) ? hr
                      : DispInvoke(target, typeInfo.Get(), dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo,
                                   puArgErr);
}

void CLoggerDispatch::Release()
{
    std::lock_guard<std::mutex> lock(g_typeInfoLock);
    if (g_typeInfo) {
        g_typeInfo->Release();
        g_typeInfo = nullptr;
    }
}
