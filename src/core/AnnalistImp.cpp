// The logger's construction and its interface methods: the LogEvent entry,
// SetStatus and the settings.
#include "core/AnnalistImp.h"

#include <new>

#include "core/ErrorInfo.h"
#include "core/LoggedEvent.h"
#include "core/ProductLevelSetting.h"
#include "core/StatusFilter.h"
#include "pal/variant_holder.h"
#include "text/ResourceStrings.h"

namespace {

const WCHAR kInvalidEventIdMessage[] = W("Invalid EventId, can't change event status.");
const WCHAR kErrorSource[] = W("Talvex.Annalist.2");
// The error SetStatus returns for an id that is not in the id map.
const HRESULT kInvalidEventId = static_cast<HRESULT>(0x80040329L);

// The event's time: a script hands its variable over by reference, and the
// date is read through it; any other value gives the current local time.
SYSTEMTIME TakeEventTime(VARIANT* eventTime)
{
    SYSTEMTIME time = {};
    CVariantValue direct;
    if (eventTime && SUCCEEDED(VariantCopyInd(direct.Get(), eventTime)) && direct.Type() == VT_DATE &&
        VariantTimeToSystemTime(V_DATE(direct.Get()), &time))
        return time;
    GetLocalTime(&time);
    return time;
}

} // namespace

CAnnalistImp::CAnnalistImp() : CAnnalistImp(ReadProductLevelSetting()) {}

CAnnalistImp::CAnnalistImp(ProductLevel level, std::unique_ptr<CHostLibraries> host)
    : m_level(level),
      m_host(host ? std::move(host) : std::make_unique<CHostLibraries>()),
      m_pictures(level,
                 [this](int line, const char* function, HRESULT hr, const char* message) {
                     m_host->WriteDiagnosticLineHr(line, function, hr, message);
                 }),
      m_factory(m_state, m_run, level)
{
    ResetRun();
}

CAnnalistImp::~CAnnalistImp()
{
    // A run still open when the host lets the logger go (also a paused one)
    // is ended as "EndRepLog" without a description would end it, now: its
    // scopes end, GeneralInfo.ini is saved and the writer closes the open
    // elements, then flushes and closes the file.
    if (m_runOpen) {
        // A paused run is reopened first, so that it ends complete too.
        if (m_appendPaused) {
            m_appendPaused = false;
            OpenResults(true);
        }
        SYSTEMTIME now;
        GetLocalTime(&now);
        CDescription none(nullptr);
        EndRun(none, now);
    }
}

STDMETHODIMP CAnnalistImp::LogEvent(BSTR et, IDispatch* pDescription, LONG ParentId, LONG EventId,
                                    VARIANT EventTimeVar)
{
    try {
        SYSTEMTIME time = TakeEventTime(&EventTimeVar);

        if (m_appendPaused) {
            m_appendPaused = false;
            OpenResults(true);
        }

        std::unique_ptr<EventNode> node(new (std::nothrow) EventNode());
        if (!node)
            return E_FAIL;
        node->parentId = m_run.ParentFor(ParentId);
        node->eventType = CBstrString::FromBstr(et);
        node->eventId = EventId;
        node->eventTime = time;

        LoggedEvent event(std::move(node), pDescription, RouteOf(et));
        return ReportLostResults(Dispatch(event));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

void CAnnalistImp::NoteLostResults()
{
    DWORD loss = m_factory.TakeLossError();
    if (m_lostResults == 0)
        m_lostResults = loss;
}

HRESULT CAnnalistImp::ReportLostResults(HRESULT hr)
{
    // The writer tells of a loss as soon as it happens; the event's own
    // failure, if any, is told first.
    NoteLostResults();
    if (FAILED(hr) || (m_lostResults == 0 && m_lostGeneralInfo == 0))
        return hr;
    const DWORD error = m_lostResults != 0 ? m_lostResults : m_lostGeneralInfo;
    CBstrString reason;
    if (m_lostResults == ERROR_SHARING_VIOLATION)
        reason = LoadResourceString(IDS_LOST_FOLDER_IN_USE);
    else if (m_lostResults == ERROR_INVALID_DATA)
        reason = LoadResourceString(IDS_LOST_NOT_A_REPORT);
    else if (m_lostResults == ERROR_DISK_FULL)
        reason = LoadResourceString(IDS_LOST_DISK_FULL);
    else if (m_lostResults != 0)
        reason.FormatResource(IDS_LOST_RESULTS_ERROR, static_cast<int>(m_lostResults));
    else
        reason.FormatResource(IDS_LOST_GENERAL_INFO, static_cast<int>(m_lostGeneralInfo));
    CBstrString message;
    message.FormatResource(IDS_RESULTS_LOST, reason.c_str());
    SetErrorInfoText(message.c_str(), GUID_NULL, 0, nullptr, kErrorSource);
    // Told until the run ends; a new run starts without it.
    if (!m_runOpen)
        m_lostResults = m_lostGeneralInfo = 0;
    return HRESULT_FROM_WIN32(error);
}

STDMETHODIMP CAnnalistImp::SetStatus(LONG Id, tagKovReportEvent Status)
{
    if (!m_run.SetStatus(Id, static_cast<LONG>(Status))) {
        SetErrorInfoText(kInvalidEventIdMessage, GUID_NULL, 0, nullptr, kErrorSource);
        return kInvalidEventId;
    }
    return S_OK;
}

STDMETHODIMP CAnnalistImp::SetRegistryRoot(BSTR Root)
{
    m_settings.SetRegistryRoot(Root);
    return S_OK;
}

STDMETHODIMP CAnnalistImp::put_ReportPath(BSTR newVal)
{
    CBstrString directory;
    if (!m_settings.ReadResultsDirectory(directory))
        return E_FAIL;

    CBstrString folder;
    if (directory == W("."))
        folder = CBstrString::FromBstr(newVal);
    else
        folder.Format(W("%s\\%s"), CBstrString::FromBstr(newVal).c_str(), directory.c_str());
    m_results.SetPath(folder);
    if (m_results.IsSet())
        m_results.Create();
    return S_OK;
}

STDMETHODIMP CAnnalistImp::put_Filter(tagReportFilter newVal)
{
    m_settings.SetFilter(static_cast<LONG>(newVal));
    return S_OK;
}

STDMETHODIMP CAnnalistImp::get_Filter(tagReportFilter* ReportFilter)
{
    if (!ReportFilter)
        return E_POINTER;
    *ReportFilter = static_cast<tagReportFilter>(m_settings.Filter());
    return S_OK;
}

STDMETHODIMP CAnnalistImp::IsEventTypeDisabled(BSTR eventType, LONG* disabled)
{
    if (!disabled)
        return E_POINTER;
    *disabled = m_settings.IsEnabledEventType(eventType) ? 0 : 1;
    return S_OK;
}

STDMETHODIMP CAnnalistImp::IsEventFiltered(BSTR eventType, LONG status, LONG* filtered)
{
    if (!filtered)
        return E_POINTER;
    if (!m_settings.IsEnabledEventType(eventType)) {
        *filtered = 1;
        return S_OK;
    }
    if (!IsValidStatus(status))
        return E_INVALIDARG;
    *filtered = PassesFilter(m_settings.Filter(), status) ? 0 : 1;
    return S_OK;
}
