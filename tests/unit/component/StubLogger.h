// A stand-in logger class for the module and dispatch tests: it implements
// the logger interfaces by recording the calls, and counts its live
// instances. SetStatus of id 999 fails as the logger does for an unknown id.
#pragma once

#include "core/LoggerInterfaces.h"

namespace test {

const HRESULT kInvalidEventId = static_cast<HRESULT>(0x80040329L);

class CStubLogger : public ILogMedia3, public IAnnalistAdditionalInfo2 {
public:
    static int s_live;

    CStubLogger() { ++s_live; }
    virtual ~CStubLogger()
    {
        --s_live;
        if (lastDescription)
            lastDescription->Release();
    }
    CStubLogger(const CStubLogger&) = delete;
    CStubLogger& operator=(const CStubLogger&) = delete;

    STDMETHODIMP LogEvent(BSTR et, IDispatch* pDescription, LONG ParentId, LONG EventId, VARIANT EventTimeVar) override
    {
        lastEventType = et ? et : W("<null>");
        if (lastDescription)
            lastDescription->Release();
        lastDescription = pDescription;
        if (pDescription)
            pDescription->AddRef();
        lastParentId = ParentId;
        lastEventId = EventId;
        lastTimeType = V_VT(&EventTimeVar);
        VARIANT* time = &EventTimeVar;
        if (V_VT(time) == (VT_BYREF | VT_VARIANT))
            time = V_VARIANTREF(time);
        lastTime = V_VT(time) == VT_DATE ? V_DATE(time) : -1;
        ++calls;
        return S_OK;
    }
    STDMETHODIMP SetStatus(LONG Id, tagKovReportEvent Status) override
    {
        ++calls;
        if (Id == 999) {
            ICreateErrorInfo* create = nullptr;
            if (SUCCEEDED(CreateErrorInfo(&create))) {
                create->SetGUID(GUID_NULL);
                create->SetSource(const_cast<LPOLESTR>(W("Talvex.Annalist.2")));
                create->SetDescription(const_cast<LPOLESTR>(W("Invalid EventId, can't change event status.")));
                IErrorInfo* info = nullptr;
                create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
                SetErrorInfo(0, info);
                info->Release();
                create->Release();
            }
            return kInvalidEventId;
        }
        lastStatusId = Id;
        lastStatus = Status;
        return S_OK;
    }
    STDMETHODIMP SetRegistryRoot(BSTR Root) override
    {
        ++calls;
        registryRoot = Root ? Root : W("<null>");
        return S_OK;
    }
    STDMETHODIMP put_ReportPath(BSTR newVal) override
    {
        ++calls;
        reportPath = newVal ? newVal : W("<null>");
        return S_OK;
    }
    STDMETHODIMP put_Filter(tagReportFilter newVal) override
    {
        ++calls;
        filter = newVal;
        return S_OK;
    }
    STDMETHODIMP get_Filter(tagReportFilter* ReportFilter) override
    {
        if (!ReportFilter)
            return E_POINTER;
        *ReportFilter = filter;
        return S_OK;
    }
    STDMETHODIMP IsEventTypeDisabled(BSTR, LONG* disabled) override
    {
        *disabled = 7;
        return S_OK;
    }
    STDMETHODIMP IsEventFiltered(BSTR, LONG status, LONG* filtered) override
    {
        *filtered = status + 100;
        return S_OK;
    }

    int calls = 0;
    WideString lastEventType;
    IDispatch* lastDescription = nullptr;
    LONG lastParentId = 0;
    LONG lastEventId = 0;
    VARTYPE lastTimeType = VT_EMPTY;
    DATE lastTime = 0;
    LONG lastStatusId = 0;
    LONG lastStatus = -1;
    WideString registryRoot;
    WideString reportPath;
    tagReportFilter filter = rfEnableAll;
};

} // namespace test
