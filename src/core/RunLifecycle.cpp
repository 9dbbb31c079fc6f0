// The run lifecycle: opening the results, the scopes of tests, actions and
// iterations, the business process, the run's general information, pausing
// and ending the run.
#include <new>

#include "core/AnnalistImp.h"
#include "core/StepDetails.h"
#include "fs/FolderServices.h"
#include "report/CompatibilityStub.h"
#include "report/GeneralInfoFile.h"
#include "text/ResourceStrings.h"

namespace {

const WCHAR kGeneralInfoFile[] = W("GeneralInfo.ini");

// Action, iteration and business-component folders need this many free bytes.
const ULONGLONG kFolderSpaceThreshold = 1000;

bool FileExists(const WCHAR* path)
{
    return _waccess(path, 0) == 0;
}

} // namespace

void CAnnalistImp::StartRun(CDescription& description)
{
    m_nodeCounter = 1;
    m_folderNaming.ResetActionFolderNumber();
    description.ReadFlag(W("ReportAppendMode"), m_appendRequested, false);
    OpenResults(m_appendRequested);
}

bool CAnnalistImp::OpenResults(bool append)
{
    // One writer per report: a run opened again without having been ended
    // first stops the writer it still has.
    StopWriter(xrkExit);

    m_state.generalInfo.reset(new (std::nothrow) GeneralInfo());
    if (!m_state.generalInfo)
        return false;

    // Without a results folder nothing is written anywhere.
    if (!HasResultsFolder()) {
        m_state.appendMode = false;
        return true;
    }

    CBstrString generalInfoPath = ResultsPath(kGeneralInfoFile);
    if (append && FileExists(generalInfoPath.c_str())) {
        m_state.appendMode = true;
        ReadGeneralInfo(generalInfoPath.c_str(), m_state.generalInfo.get(), m_level);
        m_nodeCounter = m_state.generalInfo->total + 1;
    } else {
        m_state.appendMode = false;
        WriteCompatibilityStub(ResultsPath(W("Results.cvn")).c_str(), ResultsPath(W("InstallNewReport.html")).c_str(),
                               LoadResourceString(IDS_OLD_FORMAT_MESSAGE).c_str());
    }
    StartWriter();
    return true;
}

void CAnnalistImp::StartWriter()
{
    m_writerRunning = m_factory.StartWriter(m_resultsFolder.c_str());
}

void CAnnalistImp::StopWriter(ReportRecordKind kind)
{
    if (!m_writerRunning)
        return;
    m_writerRunning = false;
    m_factory.StopWriter(kind);
}

void CAnnalistImp::SaveGeneralInfo()
{
    GeneralInfo* info = m_state.generalInfo.get();
    if (!info || !HasResultsFolder())
        return;
    info->globalIteration = m_state.scopes.empty() ? -1 : m_state.scopes[0].iteration * 1000;
    info->total = m_nodeCounter - 1;
    WriteGeneralInfo(ResultsPath(kGeneralInfoFile).c_str(), info, m_level);
}

void CAnnalistImp::StartScope(EventNode& node, CDescription& description, bool isTest)
{
    RunScope scope;
    description.ReadText(W("TestName"), scope.name);
    bool fromStep = false;
    description.ReadFlag(W("PartialReplay"), fromStep, false);
    scope.fromStep = fromStep ? 1 : 0;

    if (!isTest) {
        node.displayName.FormatResource(IDS_SUMMARY_NAME, scope.name.c_str());
    } else {
        description.ReadText(W("ProductName"), scope.productName);
        description.ReadText(W("ResultsName"), scope.resultsName);
        description.ReadFlag(W("RunInUpdateTODescMode"), m_state.updateDescriptions, false);
        description.ReadFlag(W("RunInUpdateVOMode"), m_state.updateObjects, false);
        description.ReadFlag(W("RunInUpdateSnapshotsMode"), m_state.updateSnapshots, false);
        description.ReadText(W("DocumentType"), scope.documentType);

        CBstrString label;
        CBstrString suffix;
        if (scope.documentType == W("Test")) {
            label = LoadResourceString(IDS_TEST);
        } else {
            label = LoadResourceString(IDS_BUSINESS_COMPONENT);
            description.ReadInt(W("CompIterId"), scope.componentIteration, 0);
            if (scope.componentIteration != 0)
                suffix.FormatResource(IDS_COMPONENT_ITERATION_SUFFIX, static_cast<int>(scope.componentIteration));
        }
        node.displayName.FormatResource(IDS_SCOPE_SUMMARY_NAME, label.c_str(), scope.name.c_str(), suffix.c_str());

        if (description.Has(W("CompIndexInBPT"))) {
            LONG component = 0;
            description.ReadInt(W("CompIndexInBPT"), component, 0);
            m_folderNaming.SetBusinessComponentNumber(component);
        }
    }

    WriteIconDefaults(description, 201);

    scope.startTime = node.eventTime;
    scope.closeToId = node.parentId;
    if (HasResultsFolder())
        m_folderNaming.GetActionFolder(m_resultsFolder.c_str(), scope.name.c_str(), m_warnTooLong, scope.folderName);
    CollectParameters(description, scope, true, false);

    m_state.scopes.push_back(std::move(scope));
    m_state.scopeStack.push_back(static_cast<LONG>(m_state.scopes.size() - 1));
    CreateIterationFolder();
}

void CAnnalistImp::BeginIteration(EventNode& node, CDescription& description)
{
    RunScope* scope = CurrentScope();
    if (!scope)
        return;
    LONG row = 0;
    description.ReadInt(W("Iteration"), row, 0);
    scope->iteration += 1;
    scope->iterationCloseToId = node.parentId;
    UINT nameId = m_state.scopeStack.back() == 0 ? IDS_TEST_ITERATION_NAME : IDS_SCOPE_ITERATION_NAME;
    node.displayName.FormatResource(nameId, scope->name.c_str(), static_cast<unsigned>(scope->iteration),
                                    static_cast<unsigned>(row));
    CreateIterationFolder();
    WriteIconDefaults(description, 202);
}

void CAnnalistImp::EndScope(CDescription* description, const SYSTEMTIME& time)
{
    RunScope* scope = CurrentScope();
    if (!scope || scope->ended)
        return;
    scope->endTime = time;
    scope->ended = 1;
    if (description) {
        description->ReadText(W("ReturnValue"), scope->returnValue);
        description->ReadText(W("MaintenanceSummary"), scope->maintenanceSummary);
        CollectParameters(*description, *scope, false, true);
    }
    LONG closeToId = scope->closeToId;
    if (closeToId != -1)
        CloseOpenElementsTo(closeToId);
    m_state.scopeStack.pop_back();
    if (description)
        description->WriteInt(W("ReturnLogStatus"), m_state.logStatus);
}

void CAnnalistImp::EndIteration(CDescription& description)
{
    RunScope* scope = CurrentScope();
    if (!scope || scope->ended)
        return;
    if (description.IsPresent())
        description.ReadText(W("ReturnValue"), scope->returnValue);
    if (scope->iterationCloseToId != -1)
        CloseOpenElementsTo(scope->iterationCloseToId);
}

void CAnnalistImp::EndRun(CDescription& description, const SYSTEMTIME& time)
{
    // Every open scope ends, innermost first; only the test (scope 0) gets the
    // description. A description that fails a call does not keep the run
    // from ending.
    while (!m_state.scopeStack.empty()) {
        size_t open = m_state.scopeStack.size();
        bool isTest = m_state.scopeStack.back() == 0;
        try {
            EndScope(isTest && description.IsPresent() ? &description : nullptr, time);
        } catch (const CDescriptionFailure&) {
        }
        if (m_state.scopeStack.size() == open)
            m_state.scopeStack.pop_back();
    }

    bool dumpStack = m_appendRequested;
    try {
        if (description.Has(W("ReportDumpStack"))) {
            bool dump = true;
            description.ReadFlag(W("ReportDumpStack"), dump, true);
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
    ResetIconNumbering();
    m_warnTooLong = true;
    m_state.testVersion.Empty();
    m_state.testSet.Empty();
    m_state.testInstance.Empty();
    m_lastEventId = 0;
    m_folderNaming.ResetRun();
    m_state.logStatus = 2;
    m_state.runNotCompleted = false;
    m_state.scopes.clear();
    m_state.scopeStack.clear();
    m_factory.ResetRun();
    m_state.generalInfo.reset();
}

void CAnnalistImp::SetGeneralInfo(CDescription& description)
{
    GeneralInfo* info = m_state.generalInfo.get();
    if (!info)
        return;
    description.ReadText(W("UserName"), info->userName);
    description.ReadText(W("Password"), info->password);
    if (m_state.appendMode)
        return;
    description.ReadText(W("ProductName"), info->product);
    description.ReadText(W("Version"), info->version);
    description.ReadText(W("Title"), info->title);
    description.ReadText(W("TestLocation"), info->testLocation);
    description.ReadInt(W("ToolOsVersion"), info->osVersion, 0);
    if (m_level == ProductLevel::Current) {
        description.ReadText(W("VaultServer"), info->vaultServer);
        description.ReadText(W("VaultProject"), info->vaultProject);
    }
    GetComputerNameText(info->testOnHost);
    m_factory.QueueReportRecord(xrkGeneral, nullptr);
}

void CAnnalistImp::AddAdditionalInfo(EventNode& node, CDescription& description)
{
    if (!description.Has(W("NodeName")) || !description.Has(W("NodeValue")))
        return;
    CBstrString name;
    CBstrString value;
    description.ReadText(W("NodeName"), name);
    description.ReadText(W("NodeValue"), value);
    // The node only carries the two texts to the record; the caller frees it.
    node.nodeType = name;
    node.displayName = value;
    m_factory.QueueReportRecord(xrkAdditionalInfo, &node);
}

void CAnnalistImp::StartBusinessProcess(EventNode& node, CDescription& description)
{
    ResolveNodeIcons(description);
    CBstrString name;
    CBstrString resultsName;
    description.ReadText(W("TestName"), name);
    description.ReadText(W("ResultsName"), resultsName);
    description.ReadInt(W("IconIndex"), node.iconIndex, 0);
    description.ReadInt(W("IconSelIndex"), node.selectedIconIndex, 0);

    m_state.businessProcessName = name;
    m_state.businessProcessResultsName = resultsName;
    node.displayName.FormatResource(IDS_SCOPE_SUMMARY_NAME, LoadResourceString(IDS_BUSINESS_PROCESS).c_str(),
                                    name.c_str(), W(""));
    node.recordNumber = m_nodeCounter++;
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

void CAnnalistImp::ReadRunIdentity(CDescription& description)
{
    LONG debugRun = 0;
    if (!description.ReadInt(W("DebugRunMode"), debugRun, 0) || debugRun != 0)
        return;
    CBstrString testSet;
    if (description.ReadText(W("ShortTestset"), testSet))
        m_state.testSet = testSet;
    CBstrString instance;
    description.ReadText(W("TestInstance"), instance);
    m_state.testInstance = instance.IsEmpty() ? CBstrString(W("1")) : instance;
    description.ReadText(W("TestVersionInVC"), m_state.testVersion);
}

void CAnnalistImp::CloseOpenElementsTo(LONG id)
{
    m_factory.CloseOpenElementsTo(id);
}

void CAnnalistImp::WriteIconDefaults(CDescription& description, LONG iconGroup)
{
    if (!description.Has(W("DllPAth"))) {
        description.WriteInt(W("DllIconIndex"), iconGroup);
        description.WriteInt(W("DllIconSelIndex"), iconGroup);
        description.WriteText(W("DllPAth"), W("LocalDll"));
    }
    if (!description.Has(W("ShowTopFile")))
        description.WriteFlag(W("ShowTopFile"), false);
}

void CAnnalistImp::CreateIterationFolder()
{
    if (!HasResultsFolder())
        return;
    CBstrString folder;
    GetIterationFolder(CurrentScope(), m_iterationFolderPrefix.c_str(), folder);
    if (folder.IsEmpty())
        return;
    CreateFolderWithRetry(ResultsPath(folder.c_str()).c_str(), m_warnTooLong, true, kFolderSpaceThreshold);
}
