// The dispatch table of ILogMedia3 (see DispatchTable.h).
#include "component/DispatchTable.h"

#include <cstring>

#include "pal/interface_ptr.h"
#include "pal/variant_holder.h"

namespace {

constexpr UINT kMaxParams = 5;

enum class MemberKind { Method, PropertyGet, PropertyPut };

struct DispatchParam {
    const char* name; // null: unnamed in the type library
    VARTYPE type;     // VT_VARIANT: passed as it comes
    bool optional;
    LONG defaultValue;
};

// The converted arguments, in declaration order.
typedef HRESULT (*MemberCall)(ILogMedia3* target, VARIANT* args, VARIANT* result);

struct DispatchMember {
    DISPID id;
    const char* name;
    MemberKind kind;
    UINT paramCount;
    DispatchParam params[kMaxParams];
    MemberCall call;
};

HRESULT CallLogEvent(ILogMedia3* target, VARIANT* args, VARIANT*)
{
    return target->LogEvent(V_BSTR(&args[0]), V_DISPATCH(&args[1]), V_I4(&args[2]), V_I4(&args[3]), args[4]);
}

HRESULT CallSetStatus(ILogMedia3* target, VARIANT* args, VARIANT*)
{
    return target->SetStatus(V_I4(&args[0]), static_cast<tagKovReportEvent>(V_I4(&args[1])));
}

HRESULT CallSetRegistryRoot(ILogMedia3* target, VARIANT* args, VARIANT*)
{
    return target->SetRegistryRoot(V_BSTR(&args[0]));
}

HRESULT CallPutReportPath(ILogMedia3* target, VARIANT* args, VARIANT*)
{
    return target->put_ReportPath(V_BSTR(&args[0]));
}

HRESULT CallPutFilter(ILogMedia3* target, VARIANT* args, VARIANT*)
{
    return target->put_Filter(static_cast<tagReportFilter>(V_I4(&args[0])));
}

HRESULT CallGetFilter(ILogMedia3* target, VARIANT*, VARIANT* result)
{
    tagReportFilter filter = rfEnableAll;
    HRESULT hr = target->get_Filter(&filter);
    if (SUCCEEDED(hr) && result) {
        V_VT(result) = VT_I4;
        V_I4(result) = filter;
    }
    return hr;
}

const DispatchMember kMembers[] = {
    {DISPID_LOGEVENT,
     "LogEvent",
     MemberKind::Method,
     5,
     {{"et", VT_BSTR, false, 0},
      {"pDescription", VT_DISPATCH, false, 0},
      {"ParentId", VT_I4, false, 0},
      {"EventId", VT_I4, false, 0},
      {"EventTimeVar", VT_VARIANT, false, 0}},
     CallLogEvent},
    {DISPID_SETSTATUS,
     "SetStatus",
     MemberKind::Method,
     2,
     {{"Id", VT_I4, false, 0}, {"Status", VT_I4, false, 0}},
     CallSetStatus},
    {DISPID_SETREGISTRYROOT, "SetRegistryRoot", MemberKind::Method, 1, {{"Root", VT_BSTR, false, 0}},
     CallSetRegistryRoot},
    {DISPID_REPORTPATH, "ReportPath", MemberKind::PropertyPut, 1, {{nullptr, VT_BSTR, false, 0}}, CallPutReportPath},
    {DISPID_FILTER, "Filter", MemberKind::PropertyPut, 1, {{nullptr, VT_I4, true, 0}}, CallPutFilter},
    {DISPID_FILTER, "Filter", MemberKind::PropertyGet, 0, {}, CallGetFilter},
};

bool SameName(const WCHAR* wide, const char* ascii)
{
    if (!wide || !ascii)
        return false;
    size_t length = std::strlen(ascii);
    for (size_t i = 0; i < length; ++i) {
        if (wide[i] == 0 || PAL_towlower(wide[i]) != PAL_towlower(static_cast<WCHAR>(ascii[i])))
            return false;
    }
    return wide[length] == 0;
}

bool KindAnswers(MemberKind kind, WORD flags)
{
    switch (kind) {
    case MemberKind::Method:
        return (flags & DISPATCH_METHOD) != 0;
    case MemberKind::PropertyGet:
        return (flags & DISPATCH_PROPERTYGET) != 0;
    case MemberKind::PropertyPut:
        return (flags & DISPATCH_PROPERTYPUT) != 0;
    }
    return false;
}

// What a failed member leaves for the caller: its HRESULT and its error
// information, which is taken from the thread.
void FillException(HRESULT hr, EXCEPINFO* info)
{
    if (!info)
        return;
    std::memset(info, 0, sizeof(*info));
    CInterfacePtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.Out()) == S_OK && error) {
        error->GetSource(&info->bstrSource);
        error->GetDescription(&info->bstrDescription);
        error->GetHelpFile(&info->bstrHelpFile);
        error->GetHelpContext(&info->dwHelpContext);
    }
    info->scode = hr;
}

// Converts one argument to its parameter's type.
HRESULT ConvertArgument(VARIANT* source, const DispatchParam& param, VARIANT* target)
{
    if (param.type == VT_VARIANT)
        return VariantCopy(target, source);
    CVariantValue value;
    HRESULT hr = (V_VT(source) & VT_BYREF) ? VariantCopyInd(value.Get(), source) : VariantCopy(value.Get(), source);
    if (SUCCEEDED(hr) && value.Type() != param.type)
        hr = VariantChangeType(value.Get(), value.Get(), 0, param.type);
    if (FAILED(hr))
        return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
    value.MoveTo(target);
    return S_OK;
}

bool IsMissing(const VARIANT* value)
{
    return V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND;
}

} // namespace

HRESULT CDispatchTable::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!rgszNames || !rgDispId)
        return E_INVALIDARG;
    if (cNames == 0)
        return S_OK;
    for (UINT i = 0; i < cNames; ++i)
        rgDispId[i] = DISPID_UNKNOWN;
    HRESULT hr = DISP_E_UNKNOWNNAME;
    for (const DispatchMember& member : kMembers) {
        if (!SameName(rgszNames[0], member.name))
            continue;
        rgDispId[0] = member.id;
        hr = S_OK;
        // Argument names of the member: their positions. (The two Filter
        // members have no named arguments that the caller could pass.)
        for (UINT i = 1; i < cNames; ++i) {
            for (UINT p = 0; p < member.paramCount; ++p)
                if (SameName(rgszNames[i], member.params[p].name))
                    rgDispId[i] = static_cast<DISPID>(p);
            if (rgDispId[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        break;
    }
    return hr;
}

HRESULT CDispatchTable::Invoke(ILogMedia3* target, DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                               DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!target || !pDispParams || pDispParams->cNamedArgs > pDispParams->cArgs ||
        (pDispParams->cArgs && !pDispParams->rgvarg) || (pDispParams->cNamedArgs && !pDispParams->rgdispidNamedArgs))
        return E_INVALIDARG;

    const DispatchMember* member = nullptr;
    bool known = false;
    for (const DispatchMember& candidate : kMembers) {
        if (candidate.id != dispIdMember)
            continue;
        known = true;
        if (KindAnswers(candidate.kind, wFlags)) {
            member = &candidate;
            break;
        }
    }
    if (!known || !member)
        return DISP_E_MEMBERNOTFOUND;
    if (pDispParams->cArgs > member->paramCount)
        return DISP_E_BADPARAMCOUNT;
    // A property put needs its value, even an optional one (which the caller
    // may leave out with the missing-argument marker).
    if (member->kind == MemberKind::PropertyPut && pDispParams->cArgs == 0)
        return DISP_E_PARAMNOTFOUND;

    // Which caller argument (index in rgvarg) fills each parameter.
    const UINT none = ~0u;
    UINT source[kMaxParams];
    for (UINT p = 0; p < kMaxParams; ++p)
        source[p] = none;
    UINT positional = pDispParams->cArgs - pDispParams->cNamedArgs;
    for (UINT p = 0; p < positional; ++p)
        source[p] = pDispParams->cArgs - 1 - p;
    for (UINT n = 0; n < pDispParams->cNamedArgs; ++n) {
        DISPID name = pDispParams->rgdispidNamedArgs[n];
        UINT param = none;
        if (name == DISPID_PROPERTYPUT && member->kind == MemberKind::PropertyPut)
            param = member->paramCount - 1;
        else if (name >= 0 && static_cast<UINT>(name) < member->paramCount)
            param = static_cast<UINT>(name);
        if (param == none || source[param] != none) {
            if (puArgErr)
                *puArgErr = n;
            return DISP_E_PARAMNOTFOUND;
        }
        source[param] = n;
    }

    VARIANT args[kMaxParams];
    for (VARIANT& arg : args)
        VariantInit(&arg);
    HRESULT hr = S_OK;
    for (UINT p = 0; p < member->paramCount && SUCCEEDED(hr); ++p) {
        const DispatchParam& param = member->params[p];
        VARIANT* value = source[p] == none ? nullptr : &pDispParams->rgvarg[source[p]];
        if (!value && !param.optional) {
            hr = DISP_E_BADPARAMCOUNT;
            break;
        }
        // The missing-argument marker stands for an optional argument; for a
        // required one it is a value like any other (and rarely converts).
        if (!value || (param.optional && IsMissing(value))) {
            V_VT(&args[p]) = VT_I4;
            V_I4(&args[p]) = param.defaultValue;
            continue;
        }
        hr = ConvertArgument(value, param, &args[p]);
        if (FAILED(hr) && puArgErr)
            *puArgErr = source[p];
    }

    if (SUCCEEDED(hr)) {
        CVariantValue result;
        HRESULT memberResult = member->call(target, args, result.Get());
        if (FAILED(memberResult)) {
            FillException(memberResult, pExcepInfo);
            hr = DISP_E_EXCEPTION;
        } else if (pVarResult && result.Type() != VT_EMPTY) {
            // Only a property get has a result; the caller's variant is left
            // alone otherwise.
            VariantClear(pVarResult);
            result.MoveTo(pVarResult);
        }
    }
    for (VARIANT& arg : args)
        VariantClear(&arg);
    return hr;
}
