// IDispatch of the logger object: the members of ILogMedia3 as the type
// library describes them (names, DISPIDs, argument types, the optional Filter
// argument). The Windows build dispatches through the type library itself
// (component/win32); the POSIX build, which has no type-library engine, through
// the table of CDispatchTable (component/posix). Both give the errors of
// OLE's dispatch: DISP_E_UNKNOWNINTERFACE, DISP_E_UNKNOWNNAME,
// DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTOPTIONAL,
// DISP_E_TYPEMISMATCH (with the argument's index), and DISP_E_EXCEPTION with
// the member's error and its error information when the member fails.
#pragma once

#include "core/LoggerInterfaces.h"

class CLoggerDispatch {
public:
    static HRESULT GetTypeInfoCount(UINT* pctinfo);
    static HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
    static HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    static HRESULT Invoke(ILogMedia3* target, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                          DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);
    // Drops what the dispatch keeps for the life of the module (the type
    // information); called when the module terminates.
    static void Release();
};
