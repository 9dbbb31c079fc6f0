// The logger's COM surface: identifiers and C++ declarations of the type
// library's enumerations and interfaces, and of the two custom interfaces. The
// type library (component/annalist.idl) describes the same interfaces with the
// same identifiers; the text forms below are the ones it uses.
#pragma once

#include "pal/pal.h"

#define ANNALIST_LIBID_TEXT "66572A57-E1F3-4423-9081-E4193D799CE6"
#define ANNALIST_CLSID_TEXT "131F778C-3F43-4763-BD21-CD3D525EAA56"
#define ANNALIST_IID_ILOGMEDIA2_TEXT "AE687B35-D3FD-40B0-9E41-D341CBE7BC8C"
#define ANNALIST_IID_ILOGMEDIA3_TEXT "8EC7F2BE-08E4-4F0A-BADC-742D04012F35"
#define ANNALIST_IID_ADDITIONALINFO_TEXT "7D65ABD5-D606-4D12-9ED9-CEAC4BFCAA2A"
#define ANNALIST_IID_ADDITIONALINFO2_TEXT "22BB52A9-BA34-4EAC-9A16-607A36AEBEDD"

extern "C" const GUID LIBID_ANNALISTLib;
extern "C" const CLSID CLSID_Annalist;
extern "C" const IID IID_ILogMedia2;
extern "C" const IID IID_ILogMedia3;
extern "C" const IID IID_IAnnalistAdditionalInfo;
extern "C" const IID IID_IAnnalistAdditionalInfo2;

// Status of a node (also the values of the status arguments). Both
// enumerations have a fixed underlying type: callers (scripts through
// IDispatch above all) may pass any 32-bit value, which must stay a valid value
// of the type.
enum tagKovReportEvent : int {
    kovPass = 0,
    kovFail = 1,
    kovGeneral = 2,
    kovDone = 2,
    kovWarning = 3,
    kovInfo = 4
};

// Which steps the report records, by status.
enum tagReportFilter : int {
    rfEnableAll = 0,
    rfEnableErrorsAndWarnings = 1,
    rfEnableErrorsOnly = 2,
    rfDisableAll = 3,
    rfFirst = 0,
    rfLast = 3
};

// Dispatch identifiers of the members.
enum AnnalistDispId {
    DISPID_LOGEVENT = 1,
    DISPID_SETSTATUS = 2,
    DISPID_SETREGISTRYROOT = 3,
    DISPID_REPORTPATH = 4,
    DISPID_FILTER = 5
};

struct ILogMedia2 : public IDispatch {
    STDMETHOD(LogEvent)(BSTR et, IDispatch* pDescription, LONG ParentId, LONG EventId, VARIANT EventTimeVar) = 0;
    STDMETHOD(SetStatus)(LONG Id, tagKovReportEvent Status) = 0;
    STDMETHOD(SetRegistryRoot)(BSTR Root) = 0;
    STDMETHOD(put_ReportPath)(BSTR newVal) = 0;
};

struct ILogMedia3 : public ILogMedia2 {
    STDMETHOD(put_Filter)(tagReportFilter newVal) = 0;
    STDMETHOD(get_Filter)(tagReportFilter* ReportFilter) = 0;
};

struct IAnnalistAdditionalInfo : public IUnknown {
    STDMETHOD(IsEventTypeDisabled)(BSTR eventType, LONG* disabled) = 0;
};

struct IAnnalistAdditionalInfo2 : public IAnnalistAdditionalInfo {
    STDMETHOD(IsEventFiltered)(BSTR eventType, LONG status, LONG* filtered) = 0;
};
