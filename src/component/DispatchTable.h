// A table-driven IDispatch for ILogMedia3, for platforms without a
// type-library engine. The table holds what the type library says of each
// member: name, DISPID, invocation kind, and the name, type and default of
// each argument. GetIDsOfNames and Invoke behave as OLE's dispatch through a
// type library does:
// - names compare without regard to case; names after the first are argument
//   names of that member and give their positions;
// - arguments are coerced to the declared types with VariantChangeType,
//   through a reference when they come by reference; a VARIANT argument is
//   passed as it comes;
// - a property put takes its value as the named argument DISPID_PROPERTYPUT
//   (or positionally); the Filter value is optional: the missing-argument
//   marker (VT_ERROR, DISP_E_PARAMNOTFOUND) gives 0;
// - too few or too many arguments give DISP_E_BADPARAMCOUNT; the marker
//   given for a required argument is converted like any value (and fails);
// - only a property get writes the result variant;
// - a member that fails makes Invoke return DISP_E_EXCEPTION, with the
//   member's HRESULT and its error information in the EXCEPINFO.
// It is compiled on every platform, so that the tests can check it against
// the real type library where there is one.
#pragma once

#include "core/LoggerInterfaces.h"

class CDispatchTable {
public:
    static HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    static HRESULT Invoke(ILogMedia3* target, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                          DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);
};
