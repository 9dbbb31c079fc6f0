// CAnnalistImp: the logger. It takes every event of a test run through
// LogEvent, keeps the run's state (scopes, id map, counters, append and pause
// state), decides which events become nodes of the report and hands them to the
// record factory, whose writer thread appends them to Results.xml.
//
// The class implements the methods of ILogMedia2/ILogMedia3 and of the two
// custom interfaces; IUnknown and IDispatch are left to the COM object that
// wraps it (reference count, QueryInterface, aggregation, type information).
// All methods run on the thread that created the object.
#pragma once

#include <memory>
#include <set>

#include "core/Description.h"
#include "core/ExecutionEngine.h"
#include "core/FolderNaming.h"
#include "core/LoggerInterfaces.h"
#include "core/VariantValue.h"
#include "pal/pal.h"
#include "report/EventNode.h"
#include "report/ProductLevel.h"
#include "report/RecordFactory.h"
#include "report/ReportRecordKind.h"
#include "report/RunState.h"
#include "text/BstrString.h"

class CAnnalistImp : public ILogMedia3, public IAnnalistAdditionalInfo2 {
public:
    explicit CAnnalistImp(ProductLevel level = ProductLevel::Current);
    // Ends a run still open as "EndRepLog" would (scopes ended now,
    // GeneralInfo.ini saved, open elements closed, the file flushed and
    // closed) and frees every node.
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
    // The host process's libraries, looked up each time they are needed
    // (the host may load them at any time). Tests put stand-ins in their place.
    virtual bool FindExecutionEngine(ExecutionEngineEntryPoints& entry);
    virtual bool FindDiagnosticLog(DiagnosticLogEntryPoints& entry);

    // One line of the host's diagnostic log for a failed check in function at
    // line (nothing when the log is not loaded).
    void WriteDiagnosticLine(int line, const char* function, const char* message);
    void WriteDiagnosticLineHr(int line, const char* function, HRESULT hr, const char* message);

    // The run state as it stands (for the wrappers and their tests).
    const RunState& State() const noexcept { return m_state; }
    LONG NodeCounter() const noexcept { return m_nodeCounter; }
    LONG LastEventId() const noexcept { return m_lastEventId; }
    const CBstrString& ResultsFolder() const noexcept { return m_resultsFolder; }
    const CBstrString& IterationFolderPrefix() const noexcept { return m_iterationFolderPrefix; }

private:
    // The event types the logger knows by name, compared with VarBstrCmp.
    enum EventTypeId {
        etStartRepLog,
        etReportPrepareRun,
        etStartBP,
        etEndBP,
        etStartTest,
        etStartAction,
        etEndRepLog,
        etSetInfo,
        etAdditionalInfo,
        etSetTestArgs,
        etPauseAppendMode,
        etRestartAppendMode,
        etEndTest,
        etEndAction,
        etStartIteration,
        etEndActionIteration,
        etFinalRunStatus,
        etReplay,
        etVerification,
        etUser,
        etError,
        etTransaction,
        etContext,
        etTable,
        etCount
    };
    bool IsEventType(BSTR eventType, EventTypeId id) const;
    bool IsEnabledEventType(BSTR eventType) const;
    // A type whose steps carry the replay source position.
    bool IsSourceStepType(BSTR eventType) const;

    // ---- Entry and dispatch (EventDispatch.cpp) ----
    static void TakeEventTime(VARIANT* eventTime, SYSTEMTIME& time);
    HRESULT DispatchEvent(std::unique_ptr<EventNode>& node, CDescription& description,
                          ReportRecordKind& kind);
    HRESULT RouteEvent(std::unique_ptr<EventNode>& node, CDescription& description, ReportRecordKind& kind);
    // A step: the filter and the enabled types, then its names and details.
    HRESULT HandleStep(std::unique_ptr<EventNode>& node, CDescription& description, ReportRecordKind& kind);
    // Step processing of a recorded node (tests, actions, iterations, steps).
    HRESULT ProcessRecordedNode(std::unique_ptr<EventNode>& node, CDescription& description, ReportRecordKind kind);
    // Its last part: the node enters the id map and the factory's queue.
    void FinishNode(std::unique_ptr<EventNode>& node, ReportRecordKind kind);
    void HandleFinalRunStatus(CDescription& description);

    // ---- Run lifecycle (RunLifecycle.cpp) ----
    void StartRun(CDescription& description);
    bool OpenResults(bool append);
    void StartWriter();
    void StopWriter(ReportRecordKind kind);
    void SaveGeneralInfo();
    void StartScope(EventNode& node, CDescription& description, bool isTest);
    void BeginIteration(EventNode& node, CDescription& description);
    void EndScope(CDescription* description, const SYSTEMTIME& time);
    void EndIteration(CDescription& description);
    void EndRun(CDescription& description, const SYSTEMTIME& time);
    void ResetRun();
    void SetGeneralInfo(CDescription& description);
    void AddAdditionalInfo(EventNode& node, CDescription& description);
    void StartBusinessProcess(EventNode& node, CDescription& description);
    void EndBusinessProcess(CDescription& description, const SYSTEMTIME& time);
    void PauseAppendMode();
    void ReadRunIdentity(CDescription& description);
    void CloseOpenElementsTo(LONG id);
    // "DllIconIndex"/"DllIconSelIndex" = iconGroup, "DllPAth" = "LocalDll" when
    // the description has no "DllPAth"; "ShowTopFile" = false when it has none.
    void WriteIconDefaults(CDescription& description, LONG iconGroup);
    // The folder of the current scope's current iteration, created in the
    // results folder.
    void CreateIterationFolder();

    // ---- Status and filter (NodeStatus.cpp) ----
    // False when the event is refused (an invalid status on a "User" event):
    // the error information is set and the record number given back.
    bool ReadStepStatus(CDescription& description, BSTR eventType, EventNode& node, bool& refused);
    void UpdateStatusCounters(LONG status, bool up);

    // ---- Step details (StepDetails.cpp and CustomReport.cpp) ----
    void ApplyCustomReportObject(CDescription& description, VARIANT* viewType, EventNode* node,
                                 const SYSTEMTIME& time);

    // ---- Replay source (ReplaySource.cpp) ----
    bool GetReplaySourceInformation(CBstrString& sourceText, LONG& sourceLine);

    // ---- Icons and snapshots (NodeIcons.cpp, Snapshots.cpp) ----
    // Writes "IconIndex" and "IconSelIndex" of the node into the description.
    void ResolveNodeIcons(CDescription& description);
    // Icon numbering back to its start (at every run-state reset).
    void ResetIconNumbering();
    HRESULT SaveStepSnapshot(CDescription& description, const CBstrString& stepFolder, EventNode& node,
                             VARIANT* viewType);
    HRESULT SaveUsersPicture(CDescription& description, const CBstrString& stepFolder, EventNode& node,
                             VARIANT* viewType);

    // ---- Helpers ----
    RunScope* CurrentScope();
    bool HasOpenScope() const;
    bool HasResultsFolder() const { return !m_resultsFolder.IsEmpty(); }
    CBstrString ResultsPath(const WCHAR* relative) const;

    const ProductLevel m_level;
    CBstrString m_eventTypeNames[etCount];

    // ---- Settings (kept across runs) ----
    CBstrString m_registryRoot;
    std::set<WideString> m_enabledEventTypes;
    CBstrString m_iterationFolderPrefix;
    CBstrString m_resultsFolder;
    LONG m_filter = rfEnableAll;

    // ---- Run state ----
    // What the record factory reads; declared before the factory, which
    // refers to it until it is destroyed.
    RunState m_state;
    CRecordFactory m_factory;
    CFolderNaming m_folderNaming;
    LONG m_nodeCounter = 1;
    LONG m_lastEventId = 0;
    bool m_appendRequested = false;
    bool m_appendPaused = false;
    // The once-per-run permission to warn about a too long folder path.
    bool m_warnTooLong = true;
    bool m_writerRunning = false;
};
