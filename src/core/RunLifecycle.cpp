// The run lifecycle: opening the results, the scopes of tests, actions and
// iterations, the business process, the run's general information, pausing
// and ending the run.
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

void CAnnalistImp::StartRun(CDescription& description)
{
    m_run.RestartRecordNumbers(1);
    m_folderNaming.ResetActionFolderNumber();
    description.ReadFlag(keys::ReportAppendMode, m_appendRequested, false);
    OpenResults(m_appendRequested);
}

void CAnnalistImp::OpenResults(bool append)
{
    // One writer per report: a run opened again without having been ended
    // first stops the writer it still has.
    StopWriter(xrkExit);

    m_state.generalInfo.reset(new (std::nothrow) GeneralInfo());
    if (!m_state.generalInfo)
        return;

    // Without a results folder nothing is written anywhere.
    if (!m_results.IsSet()) {
        m_state.appendMode = false;
        return;
    }

    CBstrString generalInfoPath = m_results.GeneralInfoFile();
    if (append && _waccess(generalInfoPath.c_str(), 0) == 0) {
        m_state.appendMode = true;
        ReadGeneralInfo(generalInfoPath.c_str(), m_state.generalInfo.get(), m_level);
        m_run.RestartRecordNumbers(m_state.generalInfo->total + 1);
    } else {
        m_state.appendMode = false;
        WriteCompatibilityStub(m_results.StubReportFile().c_str(), m_results.StubPageFile().c_str(),
                               LoadResourceString(IDS_OLD_FORMAT_MESSAGE).c_str());
    }
    m_factory.StartWriter(m_results);
}

void CAnnalistImp::StopWriter(ReportRecordKind kind)
{
    if (m_factory.IsWriterRunning())
        m_factory.StopWriter(kind);
}

void CAnnalistImp::SaveGeneralInfo()
{
    GeneralInfo* info = m_state.generalInfo.get();
    if (!info || !m_results.IsSet())
        return;
    const RunScope* first = m_run.Scope(0);
    info->globalIteration = first ? first->iteration * 1000 : -1;
    info->total = m_run.RecordCount();
    WriteGeneralInfo(m_results.GeneralInfoFile().c_str(), info, m_level);
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

void CAnnalistImp::EndRun(CDescription& description, const SYSTEMTIME& time)
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

    bool dumpStack = m_appendRequested;
    try {
        if (description.Has(keys::ReportDumpStack)) {
            bool dump = true;
            description.ReadFlag(keys::ReportDumpStack, dump, true);
            dumpStack = dump;
        }
    } catch (const CDescriptionFailure&) {
    }

    SaveGeneralInfo();
    StopWriter(dumpStack ? xrkCloseAndExit : xrkEndRoot);
    ResetRun();
}

void CAnnalistImp::ResetRun()
{
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
    StartRun(description);
    m_state.businessProcessName.Empty();
    m_state.businessProcessResultsName.Empty();
    m_factory.QueueReportRecord(xrkEndBPT, nullptr);
    EndRun(description, time);
}

void CAnnalistImp::PauseAppendMode()
{
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
