// Annalist, the results logger of automated test runs, for a program that
// hosts it: the logger's interfaces and their identifiers, the enumerations
// of its arguments, and the entry points that make a logger and an event
// description without COM registration.
//
// A run in short (error checks left out):
//
//     ILogMedia3* logger = nullptr;
//     AnnalistCreateLogger(&logger);
//     BSTR root = AnnalistAllocString(u"SOFTWARE\\Annalist");
//     logger->SetRegistryRoot(root);                    // where the settings are
//     BSTR folder = AnnalistAllocString(u"/tmp/results");
//     logger->put_ReportPath(folder);                   // where the results go
//     IDictionary* description = nullptr;
//     AnnalistCreateDescription(&description);          // "TestName", "Status" ...
//     ... description->put_Item(&key, &value) for each entry ...
//     BSTR type = AnnalistAllocString(u"StartRepLog");
//     VARIANT now;                                      // VT_EMPTY: the logger's clock
//     now.vt = VT_EMPTY;
//     logger->LogEvent(type, description, 0, 1, now);
//     ... more events, ending with "EndRepLog" ...
//     AnnalistFreeString(type); ...
//     description->Release(); logger->Release();
//
// The settings are values under HKEY_LOCAL_MACHINE\<root>: "Directory" (the
// results go into the folder given to ReportPath, or into that name below it;
// "." for the folder itself; ReportPath fails without it), "IterDir" (the
// prefix of iteration folders, "Row" when missing) and "Eve1", "Eve2" ... (the
// step types that are recorded; up to the first one missing). On Linux the
// registry is a folder of .reg files (HKEY_LOCAL_MACHINE.reg, in the format of
// "Windows Registry Editor Version 5.00"), the folder named by
// ANNALIST_REGISTRY or else ~/.config/annalist/registry.
//
// Texts are UTF-16 (OLECHAR is char16_t on Linux) in BSTRs, which only the
// functions below allocate and free. Calls return S_OK or a failure HRESULT
// and never throw. The types (HRESULT, BSTR, VARIANT, IUnknown, IDispatch,
// IDictionary) are declared in annalist/com_types.h.
#pragma once

#include "annalist/com_types.h"

// ---- Identifiers ----
// The text forms are those of the type library (annalist.idl).
#define ANNALIST_LIBID_TEXT "66572A57-E1F3-4423-9081-E4193D799CE6"
#define ANNALIST_CLSID_TEXT "131F778C-3F43-4763-BD21-CD3D525EAA56"
#define ANNALIST_IID_ILOGMEDIA2_TEXT "AE687B35-D3FD-40B0-9E41-D341CBE7BC8C"
#define ANNALIST_IID_ILOGMEDIA3_TEXT "8EC7F2BE-08E4-4F0A-BADC-742D04012F35"
#define ANNALIST_IID_ADDITIONALINFO_TEXT "7D65ABD5-D606-4D12-9ED9-CEAC4BFCAA2A"
#define ANNALIST_IID_ADDITIONALINFO2_TEXT "22BB52A9-BA34-4EAC-9A16-607A36AEBEDD"

extern "C" ANNALIST_API const GUID LIBID_ANNALISTLib;
extern "C" ANNALIST_API const CLSID CLSID_Annalist;
extern "C" ANNALIST_API const IID IID_ILogMedia2;
extern "C" ANNALIST_API const IID IID_ILogMedia3;
extern "C" ANNALIST_API const IID IID_IAnnalistAdditionalInfo;
extern "C" ANNALIST_API const IID IID_IAnnalistAdditionalInfo2;

// ---- Enumerations ----
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

// ---- Interfaces ----
// The logger. LogEvent reports one event of the run: its type ("StartRepLog",
// "StartTest", "Replay", "EndRepLog" ...), its description (a dictionary, or
// null), the id of its parent event and its own id, and its time (VT_DATE;
// VT_EMPTY for the current time). SetStatus changes the status of an event
// already logged; SetRegistryRoot names the key under which the settings are
// read; ReportPath is the results folder.
struct ILogMedia2 : public IDispatch {
    STDMETHOD(LogEvent)(BSTR et, IDispatch* pDescription, LONG ParentId, LONG EventId, VARIANT EventTimeVar) = 0;
    STDMETHOD(SetStatus)(LONG Id, tagKovReportEvent Status) = 0;
    STDMETHOD(SetRegistryRoot)(BSTR Root) = 0;
    STDMETHOD(put_ReportPath)(BSTR newVal) = 0;
};

// The logger with the filter of the steps it records.
struct ILogMedia3 : public ILogMedia2 {
    STDMETHOD(put_Filter)(tagReportFilter newVal) = 0;
    STDMETHOD(get_Filter)(tagReportFilter* ReportFilter) = 0;
};

// Whether the logger would record an event: *disabled is nonzero for an event
// type the settings turn off, *filtered for a status the filter leaves out.
struct IAnnalistAdditionalInfo : public IUnknown {
    STDMETHOD(IsEventTypeDisabled)(BSTR eventType, LONG* disabled) = 0;
};

struct IAnnalistAdditionalInfo2 : public IAnnalistAdditionalInfo {
    STDMETHOD(IsEventFiltered)(BSTR eventType, LONG status, LONG* filtered) = 0;
};

// ---- Entry points (libannalist) ----
extern "C" {

// A new logger, as the library's class object makes it (the caller owns the
// reference). E_POINTER without a place for it.
ANNALIST_API HRESULT AnnalistCreateLogger(ILogMedia3** logger);

// A new, empty event description (the caller owns the reference).
ANNALIST_API HRESULT AnnalistCreateDescription(IDictionary** description);

// BSTRs: a copy of a zero-terminated text or of `length` units of one (null
// when out of memory, or for a null text), its length in UTF-16 units, and
// its release (a null BSTR is allowed).
ANNALIST_API BSTR AnnalistAllocString(const OLECHAR* text);
ANNALIST_API BSTR AnnalistAllocStringLen(const OLECHAR* text, UINT length);
ANNALIST_API UINT AnnalistStringLen(BSTR text);
ANNALIST_API void AnnalistFreeString(BSTR text);

// Releases what a VARIANT holds (a BSTR, an object) and leaves it VT_EMPTY.
ANNALIST_API HRESULT AnnalistVariantClear(VARIANT* value);
}
