// The run lifecycle: opening the results, the scopes of tests, actions and
// iterations, the business process, the run's general information, pausing
// and ending the run.
#include <limits>
#include <new>

#include "core/AnnalistImp.h"
#include "core/RunFacts.h"
#include "core/StepDetails.h"
#include "report/CompatibilityStub.h"
#include "report/GeneralInfoFile.h"
#include "text/ResourceStrings.h"

namespace {

// The icon defaults of a start for the host: when the description names no
// icon module ("DllPAth"), the library's own icon group, and "ShowTopFile"
// false when it has none. Gives the group when it was put in (the node's
// icons are then that group), else 0.
LONG WriteIconDefaults(CDescription& description, LONG iconGroup)
{
    LONG ownGroup = 0;
    if (!description.Has(keys::DllPath)) {
        description.WriteInt(keys::DllIconIndex, iconGroup);
        description.WriteInt(keys::DllIconSelIndex, iconGroup);
        description.WriteText(keys::DllPath, kLocalIconModule);
        ownGroup = description.IsPresent() ? iconGroup : 0;
    }
    if (!description.Has(keys::ShowTopFile))
        description.WriteFlag(keys::ShowTopFile, false);
    return ownGroup;
}

} // namespace

void CAnnalistImp::StartRun(CDescription& description, const SYSTEMTIME& time)
{
    // A run still open ends first, as "EndRepLog" with "ReportDumpStack" would
    // end it (its elements closed, GeneralInfo.ini saved, the report left
    // open), and the new run continues that report, whatever its
    // "ReportAppendMode": the earlier run's report is kept.
    const bool continueOpenRun = m_runOpen;
    if (continueOpenRun) {
        CDescription none(nullptr);
        EndOpenScopes(none, time);
        FinishRun(xrkCloseAndExit);
    } else {
        // What events outside a run left (a test started after the last
        // "EndRepLog", its steps) belongs to no report: it is dropped, so that
        // none of it is closed inside this run's report.
        m_factory.ResetRun();
        m_run.Reset();
    }
    m_run.RestartRecordNumbers(1);
    m_folderNaming.ResetActionFolderNumber();
    description.ReadFlag(keys::ReportAppendMode, m_appendRequested, false);
    OpenResults(m_appendRequested || continueOpenRun);
    m_runOpen = true;
}

void CAnnalistImp::OpenResults(bool append)
{
    // One writer per report: a run opened again without having been ended
    // first stops the writer it still has.
    StopWriter(xrkExit);
    m_results.SetHeldByOther(false);

    m_state.generalInfo.reset(new (std::nothrow) GeneralInfo());
    if (!m_state.generalInfo)
        return;

    // Without a results folder nothing is written anywhere.
    if (!m_results.IsSet()) {
        m_state.appendMode = false;
        return;
    }

    // Append mode continues the report of the folder: the one GeneralInfo.ini
    // describes, or a Results.xml left without it (kept, never replaced).
    CBstrString generalInfoPath = m_results.GeneralInfoFile();
    const bool generalInfoFound = _waccess(generalInfoPath.c_str(), 0) == 0;
    ResultsFileOpening opening = m_factory.OpenResultsFile(m_results, append, generalInfoFound);
    m_state.appendMode = opening.outcome == ResultsFileOpening::Outcome::Continued;
    if (m_state.appendMode) {
        GeneralInfo& info = *m_state.generalInfo;
        if (generalInfoFound)
            ReadGeneralInfo(generalInfoPath.c_str(), &info, m_level);
        else
            TakeGeneralInfoFromReport(opening.reportInfo, info);
        LONG next = NextRecordNumber(generalInfoFound ? info.total : 0);
        // A report cut short may hold more nodes than its GeneralInfo.ini says.
        if (opening.examined && NextRecordNumber(opening.highestRecordNumber) > next)
            next = NextRecordNumber(opening.highestRecordNumber);
        m_run.RestartRecordNumbers(next);
    } else if (opening.outcome == ResultsFileOpening::Outcome::New) {
        WriteCompatibilityStub(m_results.StubReportFile().c_str(), m_results.StubPageFile().c_str(),
                               LoadResourceString(IDS_OLD_FORMAT_MESSAGE).c_str());
    } else if (opening.error == ERROR_SHARING_VIOLATION || opening.error == ERROR_INVALID_DATA) {
        // Another run writes into the folder, or its Results.xml is not a
        // report: this run writes nothing there (no icons, folders, stubs or
        // GeneralInfo.ini that would mix with the other's).
        m_results.SetHeldByOther(true);
    }
    m_factory.StartWriter(opening);
    NoteLostResults();
}

void CAnnalistImp::StopWriter(ReportRecordKind kind)
{
    if (m_factory.IsWriterRunning())
        m_factory.StopWriter(kind);
    NoteLostResults();
}

void CAnnalistImp::SaveGeneralInfo()
{
    GeneralInfo* info = m_state.generalInfo.get();
    if (!info || !m_results.IsSet())
        return;
    const RunScope* first = m_run.Scope(0);
    info->globalIteration = first ? GlobalIterationOf(first->iteration) : -1;
    info->total = m_run.RecordCount();
    if (!WriteGeneralInfo(m_results.GeneralInfoFile().c_str(), info, m_level) && m_lostGeneralInfo == 0) {
        DWORD error = GetLastError();
        m_lostGeneralInfo = error != 0 ? error : ERROR_WRITE_FAULT;
    }
}

LONG CAnnalistImp::StartScope(EventNode& node, CDescription& description, bool isTest)
{
    RunScope scope;
    description.ReadText(keys::TestName, scope.name);
    bool fromStep = false;
    description.ReadFlag(keys::PartialReplay, fromStep, false);
    scope.fromStep = fromStep ? 1 : 0;

    if (!isTest) {
        node.displayName.FormatResource(IDS_SUMMARY_NAME, scope.name.c_str());
    } else {
        description.ReadText(keys::ProductName, scope.productName);
        description.ReadText(keys::ResultsName, scope.resultsName);
        description.ReadFlag(keys::RunInUpdateTODescMode, m_state.updateDescriptions, false);
        description.ReadFlag(keys::RunInUpdateVOMode, m_state.updateObjects, false);
        description.ReadFlag(keys::RunInUpdateSnapshotsMode, m_state.updateSnapshots, false);
        description.ReadText(keys::DocumentType, scope.documentType);

        CBstrString label;
        CBstrString suffix;
        if (scope.documentType == W("Test")) {
            label = LoadResourceString(IDS_TEST);
        } else {
            label = LoadResourceString(IDS_BUSINESS_COMPONENT);
            description.ReadInt(keys::CompIterId, scope.componentIteration, 0);
            if (scope.componentIteration != 0)
                suffix.FormatResource(IDS_COMPONENT_ITERATION_SUFFIX, static_cast<int>(scope.componentIteration));
        }
        node.displayName.FormatResource(IDS_SCOPE_SUMMARY_NAME, label.c_str(), scope.name.c_str(), suffix.c_str());

        if (description.Has(keys::CompIndexInBPT)) {
            LONG component = 0;
            description.ReadInt(keys::CompIndexInBPT, component, 0);
            m_folderNaming.SetBusinessComponentNumber(component);
        }
    }

    LONG ownIconGroup = WriteIconDefaults(description, 201);

    scope.startTime = node.eventTime;
    scope.closeToId = node.parentId;
    if (m_results.IsSet())
        m_folderNaming.GetActionFolder(m_results, scope.name.c_str(), scope.folderName);
    CollectParameters(description, scope, true, false);

    m_run.OpenScope(std::move(scope));
    CreateIterationFolder();
    return ownIconGroup;
}

LONG CAnnalistImp::BeginIteration(EventNode& node, CDescription& description)
{
    RunScope* scope = m_run.CurrentScope();
    if (!scope)
        return 0;
    LONG row = 0;
    description.ReadInt(keys::Iteration, row, 0);
    if (scope->iteration < std::numeric_limits<LONG>::max())
        scope->iteration += 1;
    scope->iterationCloseToId = node.parentId;
    UINT nameId = m_run.CurrentScopeIndex() == 0 ? IDS_TEST_ITERATION_NAME : IDS_SCOPE_ITERATION_NAME;
    node.displayName.FormatResource(nameId, scope->name.c_str(), static_cast<unsigned>(scope->iteration),
                                    static_cast<unsigned>(row));
    CreateIterationFolder();
    return WriteIconDefaults(description, 202);
}

void CAnnalistImp::EndScope(CDescription* description, const SYSTEMTIME& time)
{
    RunScope* scope = m_run.CurrentScope();
    if (!scope || scope->ended)
        return;
    scope->endTime = time;
    scope->ended = 1;
    if (description) {
        description->ReadText(keys::ReturnValue, scope->returnValue);
        description->ReadText(keys::MaintenanceSummary, scope->maintenanceSummary);
        CollectParameters(*description, *scope, false, true);
    }
    LONG closeToId = scope->closeToId;
    if (closeToId != -1)
        m_factory.CloseOpenElementsTo(closeToId);
    m_run.CloseScope();
    if (description)
        description->WriteInt(keys::ReturnLogStatus, m_run.LogStatus());
}

void CAnnalistImp::EndIteration(CDescription& description)
{
    RunScope* scope = m_run.CurrentScope();
    if (!scope || scope->ended)
        return;
    if (description.IsPresent())
        description.ReadText(keys::ReturnValue, scope->returnValue);
    if (scope->iterationCloseToId != -1)
        m_factory.CloseOpenElementsTo(scope->iterationCloseToId);
}

void CAnnalistImp::EndOpenScopes(CDescription& description, const SYSTEMTIME& time)
{
    // Every open scope ends, innermost first; only the test (scope 0) gets the
    // description. A description that fails a call does not keep the run
    // from ending.
    while (m_run.OpenScopeCount() != 0) {
        size_t open = m_run.OpenScopeCount();
        bool isTest = m_run.CurrentScopeIndex() == 0;
        try {
            EndScope(isTest && description.IsPresent() ? &description : nullptr, time);
        } catch (const CDescriptionFailure&) {
        }
        if (m_run.OpenScopeCount() == open)
            m_run.CloseScope();
    }
}

void CAnnalistImp::EndRun(CDescription& description, const SYSTEMTIME& time)
{
    EndOpenScopes(description, time);

    bool dumpStack = m_appendRequested;
    try {
        if (description.Has(keys::ReportDumpStack)) {
            bool dump = true;
            description.ReadFlag(keys::ReportDumpStack, dump, true);
            dumpStack = dump;
        }
    } catch (const CDescriptionFailure&) {
    }
    FinishRun(dumpStack ? xrkCloseAndExit : xrkEndRoot);
}

void CAnnalistImp::FinishRun(ReportRecordKind kind)
{
    SaveGeneralInfo();
    StopWriter(kind);
    ResetRun();
}

void CAnnalistImp::ResetRun()
{
    m_runOpen = false;
    m_results.SetHeldByOther(false);
    m_iconNumbering.ResetRun();
    m_results.RearmLongPathWarning();
    m_state.identity = RunIdentity();
    m_folderNaming.ResetRun();
    m_state.runNotCompleted = false;
    m_factory.ResetRun();
    m_run.Reset();
    m_state.generalInfo.reset();
}

void CAnnalistImp::SetGeneralInfo(CDescription& description)
{
    GeneralInfo* info = m_state.generalInfo.get();
    if (info && ReadGeneralInfoEvent(description, *info, m_state.appendMode, m_level))
        m_factory.QueueReportRecord(xrkGeneral, nullptr);
}

void CAnnalistImp::AddAdditionalInfo(EventNode& node, CDescription& description)
{
    if (!description.Has(keys::NodeName) || !description.Has(keys::NodeValue))
        return;
    CBstrString name;
    CBstrString value;
    description.ReadText(keys::NodeName, name);
    description.ReadText(keys::NodeValue, value);
    // The node only carries the two texts to the record; the caller frees it.
    node.nodeType = name;
    node.displayName = value;
    m_factory.QueueReportRecord(xrkAdditionalInfo, &node);
}

void CAnnalistImp::StartBusinessProcess(EventNode& node, CDescription& description)
{
    NodeIconNumbers icons;
    const bool iconsResolved = ResolveNodeIcons(description, 0, icons);
    CBstrString name;
    CBstrString resultsName;
    description.ReadText(keys::TestName, name);
    description.ReadText(keys::ResultsName, resultsName);
    TakeNodeIcons(node, description, iconsResolved ? &icons : nullptr);

    m_state.businessProcessName = name;
    m_state.businessProcessResultsName = resultsName;
    node.displayName.FormatResource(IDS_SCOPE_SUMMARY_NAME, LoadResourceString(IDS_BUSINESS_PROCESS).c_str(),
                                    name.c_str(), W(""));
    node.recordNumber = m_run.TakeRecordNumber();
    node.enableFilter = 1;
    // The record is complete at once; the caller frees the node.
    m_factory.QueueReportRecord(xrkStartBPT, &node);
}

void CAnnalistImp::EndBusinessProcess(CDescription& description, const SYSTEMTIME& time)
{
    StartRun(description, time);
    m_state.businessProcessName.Empty();
    m_state.businessProcessResultsName.Empty();
    m_factory.QueueReportRecord(xrkEndBPT, nullptr);
    EndRun(description, time);
}

void CAnnalistImp::PauseAppendMode()
{
    // Outside a run there is no report to pause (and none to reopen at the
    // next event, which would write after its end).
    if (!m_runOpen)
        return;
    m_appendPaused = true;
    SaveGeneralInfo();
    StopWriter(xrkExit);
}

const CBstrString& CAnnalistImp::IterationFolder()
{
    const RunScope* scope = m_run.CurrentScope();
    if (!scope)
        return m_noFolder;
    IterationFolderName& last = m_iterationFolder;
    const CBstrString& prefix = m_settings.IterationFolderPrefix();
    if (!last.valid || last.iteration != scope->iteration || last.scopeFolder != scope->folderName ||
        last.prefix != prefix) {
        last.folder = CResultsFolder::IterationFolderName(scope->folderName.c_str(), prefix.c_str(), scope->iteration);
        last.scopeFolder = scope->folderName;
        last.prefix = prefix;
        last.iteration = scope->iteration;
        last.valid = true;
    }
    return last.folder;
}

void CAnnalistImp::CreateIterationFolder()
{
    if (!m_results.IsSet())
        return;
    const CBstrString& folder = IterationFolder();
    if (folder.IsEmpty())
        return;
    m_results.CreateFolder(folder.c_str(), CResultsFolder::kRunFolderSpace);
}
