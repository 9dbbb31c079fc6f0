// The route of an event: its time, its type, and for the events that become
// nodes of the report the processing that fills the node and queues it.
#include "core/AnnalistImp.h"
#include "core/StatusFilter.h"
#include "core/StepDetails.h"

namespace {

// No record kind chosen (yet).
const ReportRecordKind kNoKind = static_cast<ReportRecordKind>(-1);

bool IsNodeKind(ReportRecordKind kind)
{
    return kind == xrkStartTest || kind == xrkStartTestIter || kind == xrkStartAction ||
           kind == xrkStartActionIter || kind == xrkStartStep || kind == xrkDataTable;
}

} // namespace

void CAnnalistImp::TakeEventTime(VARIANT* eventTime, SYSTEMTIME& time)
{
    // A script hands its variable over by reference: the date is read through it.
    CVariantValue direct;
    if (eventTime && SUCCEEDED(VariantCopyInd(direct.Get(), eventTime)) && direct.Type() == VT_DATE &&
        VariantTimeToSystemTime(V_DATE(direct.Get()), &time))
        return;
    GetLocalTime(&time);
}

HRESULT CAnnalistImp::DispatchEvent(std::unique_ptr<EventNode>& node, CDescription& description,
                                    ReportRecordKind& kind)
{
    try {
        return RouteEvent(node, description, kind);
    } catch (const CDescriptionFailure&) {
        // The description failed a call: the handler ended there. A node of
        // the report is still finished with what it has when a scope is open.
        if (node && IsNodeKind(kind) && HasOpenScope())
            FinishNode(node, kind);
        return S_OK;
    }
}

HRESULT CAnnalistImp::RouteEvent(std::unique_ptr<EventNode>& node, CDescription& description, ReportRecordKind& kind)
{
    BSTR type = node->eventType.Get();
    const SYSTEMTIME time = node->eventTime;

    if (IsEventType(type, etStartRepLog)) {
        StartRun(description);
        return S_OK;
    }
    if (IsEventType(type, etReportPrepareRun)) {
        ReadRunIdentity(description);
        return S_OK;
    }
    if (IsEventType(type, etStartBP)) {
        kind = xrkStartBPT;
        StartBusinessProcess(*node, description);
        return S_OK;
    }
    if (IsEventType(type, etEndBP)) {
        EndBusinessProcess(description, time);
        return S_OK;
    }
    if (IsEventType(type, etStartTest)) {
        kind = xrkStartTest;
        StartScope(*node, description, true);
        return ProcessRecordedNode(node, description, kind);
    }
    if (IsEventType(type, etStartAction)) {
        kind = xrkStartAction;
        StartScope(*node, description, false);
        return ProcessRecordedNode(node, description, kind);
    }
    if (IsEventType(type, etEndRepLog)) {
        EndRun(description, time);
        return S_OK;
    }
    if (IsEventType(type, etSetInfo)) {
        SetGeneralInfo(description);
        return S_OK;
    }
    if (IsEventType(type, etAdditionalInfo)) {
        AddAdditionalInfo(*node, description);
        return S_OK;
    }

    // Everything else needs an open scope that has not ended.
    RunScope* current = CurrentScope();
    if (!current || current->ended)
        return S_OK;

    if (IsEventType(type, etSetTestArgs)) {
        CollectParameters(description, *current, true, false);
        return S_OK;
    }
    if (IsEventType(type, etPauseAppendMode)) {
        PauseAppendMode();
        return S_OK;
    }
    if (IsEventType(type, etRestartAppendMode))
        return S_OK; // the report was reopened on entry
    if (IsEventType(type, etEndTest) || IsEventType(type, etEndAction)) {
        EndScope(description.IsPresent() ? &description : nullptr, time);
        return S_OK;
    }
    if (IsEventType(type, etStartIteration)) {
        kind = m_state.scopeStack.back() == 0 ? xrkStartTestIter : xrkStartActionIter;
        BeginIteration(*node, description);
        return ProcessRecordedNode(node, description, kind);
    }
    if (IsEventType(type, etEndActionIteration)) {
        EndIteration(description);
        return S_OK;
    }
    if (IsEventType(type, etFinalRunStatus)) {
        HandleFinalRunStatus(description);
        return S_OK;
    }
    return HandleStep(node, description, kind);
}

HRESULT CAnnalistImp::HandleStep(std::unique_ptr<EventNode>& node, CDescription& description, ReportRecordKind& kind)
{
    if (!PassesStatusFilter(m_filter, description))
        return S_OK;
    if (!IsEnabledEventType(node->eventType.Get()))
        return S_OK;
    kind = xrkStartStep;

    if (description.ReadText(W("PlainTextNodeName"), node->displayName))
        node->nameIsPlain = 1;
    else if (!description.ReadText(W("HtmlNodeName"), node->displayName))
        description.ReadText(W("NodeName"), node->displayName);

    if (description.ReadText(W("StepPlainTxt"), node->details))
        node->detailsArePlain = 1;
    else if (!description.ReadText(W("StepHtmlInfo"), node->details))
        description.ReadText(W("StepInfo"), node->details);

    description.ReadText(W("ReturnValue"), node->returnValue);
    return ProcessRecordedNode(node, description, kind);
}

HRESULT CAnnalistImp::ProcessRecordedNode(std::unique_ptr<EventNode>& node, CDescription& description,
                                          ReportRecordKind kind)
{
    BSTR type = node->eventType.Get();

    // Where the step comes from in the test's source (the host engine knows).
    if (m_level == ProductLevel::Current && IsSourceStepType(type)) {
        CBstrString sourceText;
        LONG sourceLine = -1;
        if (GetReplaySourceInformation(sourceText, sourceLine)) {
            node->sourceText = sourceText;
            node->sourceLine = sourceLine;
        }
    }

    node->recordNumber = m_nodeCounter++;

    ResolveNodeIcons(description);
    CBstrString stepFolder;
    GetIterationFolder(CurrentScope(), m_iterationFolderPrefix.c_str(), stepFolder);

    CVariantValue viewType;
    if (description.IsPresent()) {
        bool refused = false;
        if (!ReadStepStatus(description, type, *node, refused))
            return E_FAIL;
        description.ReadText(W("NodeType"), node->nodeType);
        description.ReadInt(W("IconIndex"), node->iconIndex, 0);
        description.ReadInt(W("IconSelIndex"), node->selectedIconIndex, 0);
        description.ReadText(W("BottomFilePath"), node->bottomFilePath);
        bool enableFilter = true;
        description.ReadFlag(W("EnableFilter"), enableFilter, true);
        node->enableFilter = enableFilter ? 1 : 0;
        description.ReadText(W("MovieMarkerID"), node->movieMarker);
        description.ReadRaw(W("ViewType"), viewType.Get());

        SaveStepSnapshot(description, stepFolder, *node, viewType.Get());
        ApplyCustomReportObject(description, viewType.Get(), node.get(), node->eventTime);
        if (m_level == ProductLevel::Current && FAILED(SaveUsersPicture(description, stepFolder, *node, viewType.Get())))
            viewType.Clear();
    }
    DeriveViewerType(node.get(), viewType.Get());

    FinishNode(node, kind);
    return S_OK;
}

void CAnnalistImp::FinishNode(std::unique_ptr<EventNode>& node, ReportRecordKind kind)
{
    if (!HasOpenScope())
        return;
    LONG current = m_state.scopeStack.back();
    node->actionIteration = m_state.scopes[current].iteration;
    node->testIteration = m_state.scopes[0].iteration;
    node->scopeIndex = current;
    m_lastEventId = node->eventId;

    BSTR type = node->eventType.Get();
    bool isTable = IsEventType(type, etTable);
    bool counted = !isTable && !IsEventType(type, etContext);
    if (isTable)
        kind = xrkDataTable;
    LONG status = node->status;

    EventNode* registered = m_factory.RegisterNode(std::move(node));
    if (!registered)
        return;
    if (counted)
        UpdateStatusCounters(status, true);
    m_factory.QueueReportRecord(kind, registered);
}

void CAnnalistImp::HandleFinalRunStatus(CDescription& description)
{
    if (!description.Has(W("FINAL_STATUS")))
        return;
    CVariantValue value;
    description.ReadRaw(W("FINAL_STATUS"), value.Get());
    if (value.Type() == VT_BSTR && CBstrString::FromBstr(V_BSTR(value.Get())) == W("Not Completed"))
        m_state.runNotCompleted = true;
}
