// The logger's construction and its interface methods: the LogEvent entry and
// the settings.
#include "core/AnnalistImp.h"

#include <new>

#include "core/StatusFilter.h"
#include "fs/FolderServices.h"

namespace {

// Registry values are read into a buffer of 128 bytes: 63 characters and the
// terminator.
const DWORD kRegistryTextBytes = 128;

// A text value of an open key; false when it is missing or does not fit.
bool ReadRegistryText(HKEY key, const WCHAR* name, CBstrString& text)
{
    WCHAR buffer[kRegistryTextBytes / sizeof(WCHAR)] = {};
    DWORD size = kRegistryTextBytes;
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    // A value stored without its terminator still ends inside the buffer.
    UINT length = 0;
    UINT limit = size / sizeof(WCHAR);
    while (length < limit && buffer[length])
        ++length;
    text.Assign(buffer, length);
    return true;
}

} // namespace

CAnnalistImp::CAnnalistImp(ProductLevel level)
    : m_level(level), m_iterationFolderPrefix(W("Row")), m_factory(m_state, level)
{
    static const WCHAR* const names[etCount] = {
        W("StartRepLog"),     W("ReportPrepareRun"), W("StartBP"),         W("EndBP"),
        W("StartTest"),       W("StartAction"),      W("EndRepLog"),       W("SetInfo"),
        W("AdditionalInfo"),  W("SetTestArgs"),      W("PauseAppendMode"), W("RestartAppendMode"),
        W("EndTest"),         W("EndAction"),        W("StartIteration"),  W("EndActionIteration"),
        W("FinalRunStatus"),  W("Replay"),           W("Verification"),    W("User"),
        W("Error"),           W("Transaction"),      W("Context"),         W("Table")};
    for (int i = 0; i < etCount; ++i)
        m_eventTypeNames[i] = names[i];
    ResetRun();
}

CAnnalistImp::~CAnnalistImp()
{
    // A run still open when the host lets the logger go is ended as
    // "EndRepLog" without a description would end it, now: its scopes end,
    // GeneralInfo.ini is saved and the writer closes the open elements, then
    // flushes and closes the file.
    if (m_writerRunning) {
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
        SYSTEMTIME time = {};
        TakeEventTime(&EventTimeVar, time);

        if (m_appendPaused) {
            m_appendPaused = false;
            OpenResults(true);
        }

        std::unique_ptr<EventNode> node(new (std::nothrow) EventNode());
        if (!node)
            return E_FAIL;
        auto parent = m_state.nodesById.find(ParentId);
        if (parent == m_state.nodesById.end())
            ParentId = m_lastEventId;
        node->parentId = ParentId;
        node->eventType = CBstrString::FromBstr(et);
        node->eventId = EventId;
        node->eventTime = time;

        CDescription description(pDescription);
        ReportRecordKind kind = static_cast<ReportRecordKind>(-1);
        return DispatchEvent(node, description, kind);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CAnnalistImp::SetRegistryRoot(BSTR Root)
{
    m_registryRoot = CBstrString::FromBstr(Root);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_registryRoot.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return S_OK;
    for (int number = 1;; ++number) {
        CBstrString name;
        name.Format(W("Eve%d"), number);
        CBstrString type;
        if (!ReadRegistryText(key, name.c_str(), type))
            break;
        m_enabledEventTypes.insert(WideString(type.c_str(), type.Length()));
    }
    if (!ReadRegistryText(key, W("IterDir"), m_iterationFolderPrefix))
        m_iterationFolderPrefix = W("Row");
    RegCloseKey(key);
    return S_OK;
}

STDMETHODIMP CAnnalistImp::put_ReportPath(BSTR newVal)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_registryRoot.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return E_FAIL;
    CBstrString directory;
    bool found = ReadRegistryText(key, W("Directory"), directory);
    RegCloseKey(key);
    if (!found)
        return E_FAIL;

    CBstrString folder;
    if (directory == W("."))
        folder = CBstrString::FromBstr(newVal);
    else
        folder.Format(W("%s\\%s"), CBstrString::FromBstr(newVal).c_str(), directory.c_str());
    m_resultsFolder = folder;
    if (HasResultsFolder()) {
        CreateFolderWithRetry(m_resultsFolder.c_str(), m_warnTooLong, true, 1);
        CreateFolderWithRetry(ResultsPath(W("Icons")).c_str(), m_warnTooLong, true, 1);
    }
    return S_OK;
}

STDMETHODIMP CAnnalistImp::put_Filter(tagReportFilter newVal)
{
    m_filter = static_cast<LONG>(newVal);
    return S_OK;
}

STDMETHODIMP CAnnalistImp::get_Filter(tagReportFilter* ReportFilter)
{
    if (!ReportFilter)
        return E_POINTER;
    *ReportFilter = static_cast<tagReportFilter>(m_filter);
    return S_OK;
}

STDMETHODIMP CAnnalistImp::IsEventTypeDisabled(BSTR eventType, LONG* disabled)
{
    if (!disabled)
        return E_POINTER;
    *disabled = IsEnabledEventType(eventType) ? 0 : 1;
    return S_OK;
}

STDMETHODIMP CAnnalistImp::IsEventFiltered(BSTR eventType, LONG status, LONG* filtered)
{
    if (!filtered)
        return E_POINTER;
    if (!IsEnabledEventType(eventType)) {
        *filtered = 1;
        return S_OK;
    }
    if (!IsValidStatus(status))
        return E_INVALIDARG;
    *filtered = PassesFilter(m_filter, status) ? 0 : 1;
    return S_OK;
}

bool CAnnalistImp::IsEventType(BSTR eventType, EventTypeId id) const
{
    return VarBstrCmp(eventType, m_eventTypeNames[id].Get(), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
}

bool CAnnalistImp::IsEnabledEventType(BSTR eventType) const
{
    return m_enabledEventTypes.count(WideString(eventType ? eventType : W(""), SysStringLen(eventType))) != 0;
}

bool CAnnalistImp::IsSourceStepType(BSTR eventType) const
{
    return IsEventType(eventType, etReplay) || IsEventType(eventType, etVerification) ||
           IsEventType(eventType, etUser) || IsEventType(eventType, etError) ||
           IsEventType(eventType, etTransaction) || IsEventType(eventType, etContext);
}

RunScope* CAnnalistImp::CurrentScope()
{
    if (m_state.scopeStack.empty())
        return nullptr;
    LONG index = m_state.scopeStack.back();
    if (index < 0 || static_cast<size_t>(index) >= m_state.scopes.size())
        return nullptr;
    return &m_state.scopes[index];
}

bool CAnnalistImp::HasOpenScope() const
{
    if (m_state.scopeStack.empty())
        return false;
    LONG index = m_state.scopeStack.back();
    return index >= 0 && static_cast<size_t>(index) < m_state.scopes.size();
}

CBstrString CAnnalistImp::ResultsPath(const WCHAR* relative) const
{
    return JoinResultsPath(m_resultsFolder.c_str(), relative);
}
