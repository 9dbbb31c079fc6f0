// The route of an event: the table from event type to handler, and for the
// events that become nodes of the report the processing that fills the node
// and queues it.
#include <cstring>
#include <new>

#include "core/AnnalistImp.h"
#include "core/ErrorInfo.h"
#include "core/LoggedEvent.h"
#include "core/RunFacts.h"
#include "core/StatusFilter.h"
#include "core/StepDetails.h"
#include "pal/variant_holder.h"
#include "text/ResourceStrings.h"

namespace {

bool IsNodeKind(ReportRecordKind kind)
{
    return kind == xrkStartTest || kind == xrkStartTestIter || kind == xrkStartAction ||
           kind == xrkStartActionIter || kind == xrkStartStep || kind == xrkDataTable;
}

} // namespace

const EventRoute& CAnnalistImp::FindRoute(BSTR eventType)
{
    // The handlers are written here, inside the class, so that they may call
    // its private members.
    typedef CAnnalistImp L;
    typedef LoggedEvent E;
    static const EventRoute routes[] = {
        {W("StartRepLog"), 0, [](L& l, E& e) {
             l.StartRun(e.description, e.node->eventTime);
             return S_OK;
         }},
        {W("ReportPrepareRun"), 0, [](L& l, E& e) {
             ReadRunIdentity(e.description, l.m_state.identity);
             return S_OK;
         }},
        {W("StartBP"), 0,
         [](L& l, E& e) {
             e.kind = xrkStartBPT;
             l.StartBusinessProcess(*e.node, e.description);
             return S_OK;
         }},
        {W("EndBP"), 0, [](L& l, E& e) {
             l.EndBusinessProcess(e.description, e.node->eventTime);
             return S_OK;
         }},
        {W("StartTest"), 0,
         [](L& l, E& e) {
             e.kind = xrkStartTest;
             return l.RecordNode(e, l.StartScope(*e.node, e.description, true));
         }},
        {W("StartAction"), 0,
         [](L& l, E& e) {
             e.kind = xrkStartAction;
             return l.RecordNode(e, l.StartScope(*e.node, e.description, false));
         }},
        {W("EndRepLog"), 0, [](L& l, E& e) {
             l.EndRun(e.description, e.node->eventTime);
             return S_OK;
         }},
        {W("SetInfo"), 0, [](L& l, E& e) {
             l.SetGeneralInfo(e.description);
             return S_OK;
         }},
        {W("AdditionalInfo"), 0, [](L& l, E& e) {
             l.AddAdditionalInfo(*e.node, e.description);
             return S_OK;
         }},
        {W("SetTestArgs"), kNeedsOpenScope,
         [](L& l, E& e) {
             CollectParameters(e.description, *l.m_run.CurrentScope(), true, false);
             return S_OK;
         }},
        {W("PauseAppendMode"), kNeedsOpenScope, [](L& l, E&) {
             l.PauseAppendMode();
             return S_OK;
         }},
        // The report was reopened on entry.
        {W("RestartAppendMode"), kNeedsOpenScope, [](L&, E&) { return S_OK; }},
        {W("EndTest"), kNeedsOpenScope,
         [](L& l, E& e) {
             l.EndScope(e.description.IsPresent() ? &e.description : nullptr, e.node->eventTime);
             return S_OK;
         }},
        {W("EndAction"), kNeedsOpenScope,
         [](L& l, E& e) {
             l.EndScope(e.description.IsPresent() ? &e.description : nullptr, e.node->eventTime);
             return S_OK;
         }},
        {W("StartIteration"), kNeedsOpenScope,
         [](L& l, E& e) {
             e.kind = l.m_run.CurrentScopeIndex() == 0 ? xrkStartTestIter : xrkStartActionIter;
             return l.RecordNode(e, l.BeginIteration(*e.node, e.description));
         }},
        {W("EndActionIteration"), kNeedsOpenScope, [](L& l, E& e) {
             l.EndIteration(e.description);
             return S_OK;
         }},
        {W("FinalRunStatus"), kNeedsOpenScope, [](L& l, E& e) {
             if (ReadsNotCompleted(e.description))
                 l.m_state.runNotCompleted = true;
             return S_OK;
         }},
        // The steps the logger knows by name.
        {W("Replay"), kNeedsOpenScope | kSourceStep, [](L& l, E& e) { return l.RecordStep(e); }},
        {W("Verification"), kNeedsOpenScope | kSourceStep, [](L& l, E& e) { return l.RecordStep(e); }},
        {W("User"), kNeedsOpenScope | kSourceStep | kStrictStatus, [](L& l, E& e) { return l.RecordStep(e); }},
        {W("Error"), kNeedsOpenScope | kSourceStep, [](L& l, E& e) { return l.RecordStep(e); }},
        {W("Transaction"), kNeedsOpenScope | kSourceStep, [](L& l, E& e) { return l.RecordStep(e); }},
        {W("Context"), kNeedsOpenScope | kSourceStep | kUncounted, [](L& l, E& e) { return l.RecordStep(e); }},
        {W("Table"), kNeedsOpenScope | kUncounted | kDataTable, [](L& l, E& e) { return l.RecordStep(e); }},
    };
    // Any other type is a step.
    static const EventRoute otherStep = {nullptr, kNeedsOpenScope, [](L& l, E& e) { return l.RecordStep(e); }};
    const size_t count = sizeof(routes) / sizeof(routes[0]);

    // The names as BSTRs, made once, for VarBstrCmp.
    static const struct Names {
        Names()
        {
            for (size_t i = 0; i < count; ++i)
                texts[i] = routes[i].name;
        }
        CBstrString texts[count];
    } names;

    for (size_t i = 0; i < count; ++i) {
        if (VarBstrCmp(eventType, names.texts[i].Get(), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ)
            return routes[i];
    }
    return otherStep;
}

const EventRoute& CAnnalistImp::RouteOf(BSTR eventType)
{
    const UINT length = SysStringLen(eventType);
    if (m_lastRoute && length == m_lastEventType.Length() &&
        (length == 0 || std::memcmp(eventType, m_lastEventType.Get(), length * sizeof(WCHAR)) == 0))
        return *m_lastRoute;
    const EventRoute& route = FindRoute(eventType);
    m_lastEventType = CBstrString::FromBstr(eventType);
    m_lastRoute = m_lastEventType.Length() == length ? &route : nullptr;
    return route;
}

HRESULT CAnnalistImp::Dispatch(LoggedEvent& event)
{
    try {
        // Everything but the run's own events needs an open scope that has
        // not ended.
        if (event.Is(kNeedsOpenScope)) {
            const RunScope* current = m_run.CurrentScope();
            if (!current || current->ended)
                return S_OK;
        }
        return event.route.handle(*this, event);
    } catch (const CDescriptionFailure&) {
        // The description failed a call: the handler ended there. A node of
        // the report is still finished with what it has when a scope is open.
        if (event.node && IsNodeKind(event.kind) && m_run.HasOpenScope())
            FinishNode(event);
        return S_OK;
    }
}

HRESULT CAnnalistImp::RecordStep(LoggedEvent& event)
{
    CDescription& description = event.description;
    EventNode& node = *event.node;
    if (!PassesStatusFilter(m_settings.Filter(), description))
        return S_OK;
    if (!m_settings.IsEnabledEventType(node.eventType.Get()))
        return S_OK;
    event.kind = xrkStartStep;

    if (description.ReadText(keys::PlainTextNodeName, node.displayName))
        node.nameIsPlain = 1;
    else if (!description.ReadText(keys::HtmlNodeName, node.displayName))
        description.ReadText(keys::NodeName, node.displayName);

    if (description.ReadText(keys::StepPlainTxt, node.details))
        node.detailsArePlain = 1;
    else if (!description.ReadText(keys::StepHtmlInfo, node.details))
        description.ReadText(keys::StepInfo, node.details);

    description.ReadText(keys::ReturnValue, node.returnValue);
    return RecordNode(event, 0);
}

HRESULT CAnnalistImp::RecordNode(LoggedEvent& event, LONG ownIconGroup)
{
    CDescription& description = event.description;
    EventNode& node = *event.node;

    // Where the step comes from in the test's source (the host engine knows).
    if (m_level == ProductLevel::Current && event.Is(kSourceStep)) {
        CBstrString sourceText;
        LONG sourceLine = -1;
        if (m_host->GetReplaySourceInformation(sourceText, sourceLine)) {
            node.sourceText = sourceText;
            node.sourceLine = sourceLine;
        }
    }

    node.recordNumber = m_run.TakeRecordNumber();

    NodeIconNumbers icons;
    const bool iconsResolved = ResolveNodeIcons(description, ownIconGroup, icons);
    const CBstrString& stepFolder = IterationFolder();

    CVariantValue viewType;
    if (description.IsPresent()) {
        if (!ReadStepStatus(event))
            return E_FAIL;
        description.ReadText(keys::NodeType, node.nodeType);
        TakeNodeIcons(node, description, iconsResolved ? &icons : nullptr);
        description.ReadText(keys::BottomFilePath, node.bottomFilePath);
        bool enableFilter = true;
        description.ReadFlag(keys::EnableFilter, enableFilter, true);
        node.enableFilter = enableFilter ? 1 : 0;
        description.ReadText(keys::MovieMarkerID, node.movieMarker);
        description.ReadRaw(keys::ViewType, viewType.Get());

        m_pictures.SaveStepSnapshot(description, m_results, stepFolder.c_str(), &node, viewType.Get());
        ApplyCustomReportObject(description, viewType.Get(), &node);
        if (m_level == ProductLevel::Current &&
            FAILED(m_pictures.SaveUsersPicture(description, m_results, stepFolder.c_str(), &node)))
            viewType.Clear();
    }
    DeriveViewerType(&node, viewType.Get());

    FinishNode(event);
    return S_OK;
}

bool CAnnalistImp::ResolveNodeIcons(CDescription& description, LONG ownIconGroup, NodeIconNumbers& numbers)
{
    // Without a results folder nothing is written anywhere, so the node keeps
    // the numbers the host gave.
    if (!m_results.IsSet() || !description.IsPresent())
        return false;
    try {
        numbers = m_iconNumbering.ResolveNodeIcons(description, ownIconGroup, m_results);
    } catch (const std::bad_alloc&) {
        // Memory running out while the icons are numbered ends the handler
        // as a failing description does.
        throw CDescriptionFailure{E_OUTOFMEMORY};
    }
    return true;
}

bool CAnnalistImp::ReadStepStatus(LoggedEvent& event)
{
    EventNode& node = *event.node;
    LONG status = kovDone;
    if (!event.description.ReadInt(keys::Status, status, kovDone)) {
        node.status = kovDone;
        return true;
    }
    if (IsValidStatus(status)) {
        node.status = status;
        return true;
    }
    if (event.Is(kStrictStatus)) {
        CBstrString message;
        message.FormatResource(IDS_INVALID_EVENT_STATUS, static_cast<int>(status));
        SetErrorInfoText(message.c_str(), IID_IDispatch, 0, nullptr, nullptr);
        m_run.ReturnRecordNumber();
        return false;
    }
    node.status = kovDone;
    return true;
}

void CAnnalistImp::FinishNode(LoggedEvent& event)
{
    if (!m_run.HasOpenScope())
        return;
    m_run.PlaceNode(*event.node);
    if (event.Is(kDataTable))
        event.kind = xrkDataTable;
    LONG status = event.node->status;

    EventNode* registered = m_factory.RegisterNode(std::move(event.node));
    if (!registered)
        return;
    if (!event.Is(kUncounted))
        m_run.CountStatus(status);
    m_factory.QueueReportRecord(event.kind, registered);
}
