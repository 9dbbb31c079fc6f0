// CAnnalistImp: the logger. It takes every event of a test run through
// LogEvent, routes it by its type (EventDispatch.cpp) to the handler that
// keeps the run going (RunLifecycle.cpp), and hands the events that become
// nodes of the report to the record factory, whose writer thread appends them
// to Results.xml. The state it works with lives in parts of its own:
// - the settings the host gives (CLoggerSettings) and the results folder
//   (CResultsFolder);
// - the run model (CRunModel: scopes, node registry, statuses, counters and
//   record numbers) and the run's facts (RunState), which the record factory
//   reads;
// - the per-run numbering of icon files and action folders;
// - the host: its libraries (CHostLibraries) and its picture objects
//   (CStepPictures).
//
// The class implements the methods of ILogMedia2/ILogMedia3 and of the two
// custom interfaces; IUnknown and IDispatch are left to the COM object that
// wraps it (reference count, QueryInterface, aggregation, type information).
// All methods run on the thread that created the object.
#pragma once

#include <memory>

#include "core/FolderNaming.h"
#include "core/IconNumbering.h"
#include "core/LoggerInterfaces.h"
#include "core/LoggerSettings.h"
#include "core/StepPictures.h"
#include "fs/ResultsFolder.h"
#include "host/HostLibraries.h"
#include "pal/pal.h"
#include "report/ProductLevel.h"
#include "report/RecordFactory.h"
#include "report/RunModel.h"
#include "report/RunState.h"
#include "text/BstrString.h"

struct EventRoute;
struct LoggedEvent;

class CAnnalistImp : public ILogMedia3, public IAnnalistAdditionalInfo2 {
public:
    // A logger at the product level the settings choose
    // (ReadProductLevelSetting), reaching the host process's own libraries.
    CAnnalistImp();
    // A logger at the given level that reaches the host's libraries through
    // `host` (null: the host process's own).
    explicit CAnnalistImp(ProductLevel level, std::unique_ptr<CHostLibraries> host = nullptr);
    // Ends a run still open (also a paused one) as "EndRepLog" would (scopes
    // ended now, GeneralInfo.ini saved, open elements closed, the file flushed
    // and closed) and frees every node.
    virtual ~CAnnalistImp();
    CAnnalistImp(const CAnnalistImp&) = delete;
    CAnnalistImp& operator=(const CAnnalistImp&) = delete;

    // ---- ILogMedia2 ----
    STDMETHOD(LogEvent)(BSTR et, IDispatch* pDescription, LONG ParentId, LONG EventId, VARIANT EventTimeVar) override;
    STDMETHOD(SetStatus)(LONG Id, tagKovReportEvent Status) override;
    STDMETHOD(SetRegistryRoot)(BSTR Root) override;
    STDMETHOD(put_ReportPath)(BSTR newVal) override;
    // ---- ILogMedia3 ----
    STDMETHOD(put_Filter)(tagReportFilter newVal) override;
    STDMETHOD(get_Filter)(tagReportFilter* ReportFilter) override;
    // ---- IAnnalistAdditionalInfo, IAnnalistAdditionalInfo2 ----
    STDMETHOD(IsEventTypeDisabled)(BSTR eventType, LONG* disabled) override;
    STDMETHOD(IsEventFiltered)(BSTR eventType, LONG status, LONG* filtered) override;

    ProductLevel Level() const noexcept { return m_level; }

protected:
    // The state as it stands (for the wrappers and their tests).
    const CRunModel& Run() const noexcept { return m_run; }
    const RunState& State() const noexcept { return m_state; }
    const CLoggerSettings& Settings() const noexcept { return m_settings; }
    const CResultsFolder& Results() const noexcept { return m_results; }
    CHostLibraries& Host() noexcept { return *m_host; }

private:
    // ---- Dispatch (EventDispatch.cpp) ----
    // The route of an event type: the table's entry, or the one of steps.
    static const EventRoute& FindRoute(BSTR eventType);
    HRESULT Dispatch(LoggedEvent& event);
    // A step: the filter and the enabled types, then its names and details.
    HRESULT RecordStep(LoggedEvent& event);
    // The work on every recorded node (tests, actions, iterations, steps):
    // source position, record number, icons (ownIconGroup: the library's
    // icon group a start handler chose, else 0), status and the other keys,
    // pictures and custom report; then FinishNode.
    HRESULT RecordNode(LoggedEvent& event, LONG ownIconGroup);
    // Its last part: the node enters the registry and the factory's queue.
    void FinishNode(LoggedEvent& event);
    // False when the event is refused (an invalid status of a strict type):
    // the error information is set and the record number given back.
    bool ReadStepStatus(LoggedEvent& event);
    // Numbers the node's icons and writes them into the description; false
    // (nothing done) without a results folder or a description.
    bool ResolveNodeIcons(CDescription& description, LONG ownIconGroup, NodeIconNumbers& numbers);

    // ---- Run lifecycle (RunLifecycle.cpp) ----
    // A run that is still open is ended first (its report left open) and the
    // new run continues its report.
    void StartRun(CDescription& description, const SYSTEMTIME& time);
    void OpenResults(bool append);
    void StopWriter(ReportRecordKind kind);
    void SaveGeneralInfo();
    // The start of a test or action and of an iteration; they give the icon
    // group of their node when they put the library's icons into the
    // description, else 0.
    LONG StartScope(EventNode& node, CDescription& description, bool isTest);
    LONG BeginIteration(EventNode& node, CDescription& description);
    void EndScope(CDescription* description, const SYSTEMTIME& time);
    void EndIteration(CDescription& description);
    void EndRun(CDescription& description, const SYSTEMTIME& time);
    // Every open scope ended, innermost first (only the test gets the
    // description, when there is one).
    void EndOpenScopes(CDescription& description, const SYSTEMTIME& time);
    // GeneralInfo.ini saved, the writer stopped with kind, the state reset.
    void FinishRun(ReportRecordKind kind);
    void ResetRun();
    void SetGeneralInfo(CDescription& description);
    void AddAdditionalInfo(EventNode& node, CDescription& description);
    void StartBusinessProcess(EventNode& node, CDescription& description);
    void EndBusinessProcess(CDescription& description, const SYSTEMTIME& time);
    void PauseAppendMode();
    // ---- Lost results (AnnalistImp.cpp) ----
    // Takes note of results the record factory lost.
    void NoteLostResults();
    // The result of LogEvent: a failure with error information while the run
    // has lost results (and for the event that ends such a run), else hr.
    HRESULT ReportLostResults(HRESULT hr);

    // The folder of the current scope's current iteration, relative to the
    // results folder (empty without an open scope), and its creation. The
    // name is made again only when the scope's folder, its iteration or the
    // folder prefix has changed.
    const CBstrString& IterationFolder();
    void CreateIterationFolder();
    // The route of an event type: the last one found, when the type is the
    // same text as last time, else FindRoute's.
    const EventRoute& RouteOf(BSTR eventType);

    const ProductLevel m_level;
    CLoggerSettings m_settings;
    CResultsFolder m_results;
    std::unique_ptr<CHostLibraries> m_host;
    // The host's picture objects, kept from their first use until the logger
    // goes.
    CStepPictures m_pictures;

    // ---- Run state ----
    // What the record factory reads and works on; declared before the
    // factory, which refers to them until it is destroyed.
    RunState m_state;
    CRunModel m_run;
    CRecordFactory m_factory;
    CFolderNaming m_folderNaming;
    CIconNumbering m_iconNumbering;
    // "ReportAppendMode" of the run's start, and a pause of the append mode
    // that the next event ends.
    bool m_appendRequested = false;
    bool m_appendPaused = false;

    // The last iteration folder named, and what it was named from.
    struct IterationFolderName {
        bool valid = false;
        CBstrString scopeFolder;
        CBstrString prefix;
        LONG iteration = 0;
        CBstrString folder;
    } m_iterationFolder;
    const CBstrString m_noFolder;
    // The last event type routed, and its route.
    CBstrString m_lastEventType;
    const EventRoute* m_lastRoute = nullptr;
    // Between the start of a run and its end.
    bool m_runOpen = false;
    // The first loss of results in the run (a Win32 error), of Results.xml
    // and of GeneralInfo.ini: LogEvent fails from then until the run's end.
    DWORD m_lostResults = 0;
    DWORD m_lostGeneralInfo = 0;
};
