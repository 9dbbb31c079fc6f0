#include "report/RecordFactory.h"

#include <new>

#include "fs/ResultsFolder.h"
#include "report/EventTime.h"
#include "report/ResultsPrologue.h"
#include "report/StatusNames.h"
#include "report/XMLActionRecords.h"
#include "report/XMLBusinessProcessRecords.h"
#include "report/XMLRootRecords.h"
#include "report/XMLRunInfoRecords.h"
#include "report/XMLStepRecords.h"
#include "report/XMLTestRecords.h"
#include "text/DecimalText.h"
#include "text/ResourceStrings.h"

namespace {

// The decimal text of a signed 32-bit value, in a buffer of its own.
class CDecimal {
public:
    explicit CDecimal(LONG value) noexcept { m_text[FormatDecimal(value, m_text)] = 0; }
    const WCHAR* c_str() const noexcept { return m_text; }

private:
    WCHAR m_text[kMaxDecimalLength + 1];
};

// The record that ends (or, for a data table, is) a node of the kind; null for
// any other kind or when memory runs out.
CXMLNodeDataBase* NewEndRecord(ReportRecordKind kind, LONG recordNumber, ProductLevel level)
{
    switch (kind) {
    case xrkEndTest: return new (std::nothrow) CXMLEndTestNodeData(level);
    case xrkEndTestIter: return new (std::nothrow) CXMLEndTestIterNodeData(level);
    case xrkEndAction: return new (std::nothrow) CXMLEndActionNodeData(level);
    case xrkEndActionIter: return new (std::nothrow) CXMLEndActionIterNodeData(level);
    case xrkEndStep: return new (std::nothrow) CXMLEndRegularPlainNodeData(level);
    case xrkEndHtmlStep: return new (std::nothrow) CXMLEndHtmlNodeData(level);
    case xrkDataTable: return new (std::nothrow) CXMLDataTableNodeData(recordNumber, level);
    default: return nullptr;
    }
}

bool IsEndKind(ReportRecordKind kind)
{
    switch (kind) {
    case xrkEndTest:
    case xrkEndTestIter:
    case xrkEndAction:
    case xrkEndActionIter:
    case xrkEndStep:
    case xrkEndHtmlStep:
        return true;
    default:
        return false;
    }
}

} // namespace

CRecordFactory::CRecordFactory(const RunState& state, CRunModel& run, ProductLevel level) noexcept
    : m_state(state), m_run(run), m_level(level)
{
}

CRecordFactory::~CRecordFactory()
{
    if (m_writer.IsStarted())
        StopWriter(m_state.appendMode ? xrkCloseAndExit : xrkEndRoot);
}

ResultsFileOpening CRecordFactory::OpenResultsFile(const CResultsFolder& folder, bool append, bool mayTrust) noexcept
{
    if (m_writer.IsStarted())
        StopWriter(xrkExit);
    CBstrString path = folder.ResultsFile();
    // The file this factory left open for more, unchanged since, goes on as
    // it is; any other is examined first.
    const bool known = mayTrust && m_left.valid && m_left.path == path;
    m_left.valid = false;
    m_path = path;
    ResultsFileOpening opening = ::OpenResultsFile(path.c_str(), append, known ? &m_left.size : nullptr);
    if (opening.outcome != ResultsFileOpening::Outcome::Continued || !opening.trusted) {
        // The elements this factory had open are not (or no longer) open in
        // this file.
        m_openElements.clear();
        m_processDepths.assign(opening.outcome == ResultsFileOpening::Outcome::Continued ? opening.openProcesses : 0,
                               0);
    }
    m_openLoss = opening.outcome == ResultsFileOpening::Outcome::Refused ? opening.error : 0;
    return opening;
}

bool CRecordFactory::StartWriter(ResultsFileOpening& opening) noexcept
{
    if (m_writer.IsStarted())
        StopWriter(xrkExit);
    FILE* file = opening.file;
    opening.file = nullptr;
    if (opening.outcome == ResultsFileOpening::Outcome::Refused || !file) {
        if (file)
            std::fclose(file);
        if (m_openLoss == 0)
            m_openLoss = opening.error != 0 ? opening.error : ERROR_OPEN_FAILED;
        return false;
    }
    m_continuing = opening.outcome == ResultsFileOpening::Outcome::Continued;
    OpenElements open;
    try {
        if (m_continuing)
            open = ElementsInFile();
    } catch (...) {
        std::fclose(file);
        m_openLoss = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    if (!m_writer.Start(file, m_path.c_str(), opening.size, std::move(open), !m_continuing))
        return false;
    QueueReportRecord(xrkStartRoot, nullptr);
    return true;
}

bool CRecordFactory::StartWriter(const CResultsFolder& folder) noexcept
{
    ResultsFileOpening opening = OpenResultsFile(folder, m_state.appendMode);
    return StartWriter(opening);
}

void CRecordFactory::StopWriter(ReportRecordKind kind) noexcept
{
    if (kind != xrkEndRoot && kind != xrkCloseAndExit && kind != xrkExit)
        kind = xrkExit;
    QueueReportRecord(kind, nullptr);
    const bool wasRunning = m_writer.IsStarted();
    m_writer.WaitUntilFinished();
    // A file left open for more is remembered, to be continued as it is.
    m_left.valid = wasRunning && kind != xrkEndRoot && m_writer.FinishedWhole();
    if (m_left.valid) {
        m_left.path = m_path;
        m_left.size = m_writer.FinalSize();
    }
}

DWORD CRecordFactory::TakeLossError() noexcept
{
    DWORD loss = m_openLoss != 0 ? m_openLoss : m_writer.TakeLossError();
    m_openLoss = 0;
    return loss;
}

OpenElements CRecordFactory::ElementsInFile() const
{
    // The Report element, then the open elements with the business processes
    // among them at their depths.
    OpenElements open{ReportElement::Report};
    size_t process = 0;
    for (size_t depth = 0; depth <= m_openElements.size(); ++depth) {
        while (process < m_processDepths.size() && m_processDepths[process] == depth) {
            open.push_back(ReportElement::BusinessProcess);
            ++process;
        }
        if (depth < m_openElements.size())
            open.push_back(ElementEndedBy(m_openElements[depth].endKind));
    }
    return open;
}

bool CRecordFactory::EnqueueRecord(CXMLNodeDataBase* record, RecordEffect effect) noexcept
{
    return m_writer.EnqueueRecord(record, effect);
}

EventNode* CRecordFactory::RegisterNode(std::unique_ptr<EventNode> node) noexcept
{
    if (!node)
        return nullptr;
    std::unique_ptr<EventNode> earlier;
    EventNode* registered = m_run.RegisterNode(std::move(node), earlier);
    if (earlier) {
        // The earlier node stays with the element it opened, if any (else it
        // is freed here).
        for (OpenElement& element : m_openElements) {
            if (!element.replaced && element.node == earlier.get()) {
                element.replaced = std::move(earlier);
                break;
            }
        }
    }
    return registered;
}

bool CRecordFactory::QueueReportRecord(ReportRecordKind kind, EventNode* node) noexcept
{
    try {
        CXMLNodeDataBase* record = nullptr;
        RecordEffect effect;
        switch (kind) {
        case xrkStartRoot: {
            // The zone is read here, on the logging thread, which alone uses
            // the time functions while the writer runs.
            CBstrString zone;
            if (!m_continuing)
                GetTimeZoneName(zone);
            record = new (std::nothrow) CXMLStartRootNodeData(m_continuing, m_level, std::move(zone));
            if (!m_continuing)
                effect = RecordEffect::Opening(ReportElement::Report);
            break;
        }
        case xrkEndRoot:
            // A complete report: every element closed, and the business
            // processes still open too.
            CloseAllOpenElements();
            CloseProcessesFrom(0);
            record = new (std::nothrow) CXMLEndRootNodeData();
            effect = RecordEffect::Closing();
            break;
        case xrkCloseAndExit:
            // The report goes on in a later run: its Report element, and a
            // business process around the run, stay open.
            CloseAllOpenElements();
            record = new (std::nothrow) CXMLExitReport();
            break;
        case xrkExit:
            record = new (std::nothrow) CXMLExitReport();
            break;
        case xrkEndBPT:
            // No "</BPT>" without its start: the file would not be well-formed.
            // The elements opened inside the business process end before it.
            if (m_processDepths.empty())
                return false;
            while (m_openElements.size() > m_processDepths.back())
                if (!CloseInnermostElement())
                    break;
            m_processDepths.pop_back();
            record = new (std::nothrow) CXMLEndBPTNodeData();
            effect = RecordEffect::Closing();
            break;
        case xrkGeneral: {
            const GeneralInfo* info = m_state.generalInfo.get();
            if (!info)
                return false;
            record = new (std::nothrow)
                CXMLGeneralNodeData(info->product, info->version, OperatingSystemName(info->osVersion),
                                    info->testLocation, info->testOnHost, info->vaultServer, info->vaultProject,
                                    m_level);
            break;
        }
        case xrkAdditionalInfo:
            if (!node)
                return false;
            record = new (std::nothrow) CXMLAdditionalNodeData(node->nodeType, node->displayName);
            break;
        default:
            // The elements of nodes: their starts, their ends and data tables
            // (any other kind builds nothing). An end is refused for a node
            // whose element is open: closing the element ends it.
            if (IsEndKind(kind) && IsOpen(node))
                return false;
            if (IsEndKind(kind) || kind == xrkDataTable)
                return QueueEndRecord(kind, node);
            return QueueStartRecord(kind, node);
        }
        if (!record)
            return false;
        EnqueueRecord(record, effect);
        return true;
    } catch (...) {
        return false;
    }
}

bool CRecordFactory::QueueStartRecord(ReportRecordKind kind, EventNode* node)
{
    if (!node)
        return false;
    CXMLNodeDataBase* record = nullptr;
    ReportRecordKind endKind = xrkEndStep;
    LONG id = node->recordNumber;
    switch (kind) {
    case xrkStartTest: {
        const RunScope* test = m_run.OutermostOpenScope();
        if (!test)
            return false;
        auto* start = new (std::nothrow)
            CXMLStartTestNodeData(id, test->name, test->resultsName, test->productName, test->documentType,
                                  m_state.identity, test->componentIteration);
        if (start)
            start->SetRunType(test->fromStep != 0, false, m_state.updateDescriptions, m_state.updateObjects,
                              m_state.updateSnapshots);
        record = start;
        endKind = xrkEndTest;
        break;
    }
    case xrkStartTestIter:
    case xrkStartActionIter:
        if (kind == xrkStartTestIter)
            record = new (std::nothrow) CXMLStartTestIterNodeData(id, node->testIteration);
        else
            record = new (std::nothrow) CXMLStartActionIterNodeData(id, node->actionIteration);
        endKind = kind == xrkStartTestIter ? xrkEndTestIter : xrkEndActionIter;
        break;
    case xrkStartAction: {
        const RunScope* action = m_run.CurrentScope();
        if (!action)
            return false;
        record = new (std::nothrow) CXMLStartActionNodeData(id, action->name);
        endKind = xrkEndAction;
        break;
    }
    case xrkStartStep: {
        CBstrString timeText = m_timeText.Format(node->eventTime);
        // A time the runtime cannot convert gives the tick of an unknown time
        // (0) rather than losing the step.
        LONGLONG tick = 0;
        if (m_level == ProductLevel::Current && FAILED(ComputeTimeTick(node->eventTime, &tick)))
            tick = 0;
        // The large texts move into the record.
        if (node->htmlText.IsEmpty()) {
            record = new (std::nothrow) CXMLStartRegularPlainNodeData(
                id, std::move(node->details), std::move(timeText), std::move(node->returnValue), node->displayName,
                node->nameIsPlain != 0, node->detailsArePlain != 0, tick, m_level);
            endKind = xrkEndStep;
        } else {
            record = new (std::nothrow) CXMLStartHtmlNodeData(id, std::move(node->htmlText), tick, m_level);
            endKind = xrkEndHtmlStep;
        }
        break;
    }
    case xrkStartBPT: {
        auto* start = new (std::nothrow)
            CXMLStartBPTNodeData(id, m_state.businessProcessName, m_state.businessProcessResultsName, m_state.identity,
                                 m_level);
        if (!start)
            return false;
        CompleteNodeArgs(*start, *node);
        // Counted as open only when it reaches a file.
        const size_t depth = m_openElements.size();
        if (EnqueueRecord(start, RecordEffect::Opening(ReportElement::BusinessProcess)))
            m_processDepths.push_back(depth);
        return true;
    }
    default:
        return false;
    }
    if (!record)
        return false;

    node->htmlText.Empty();
    node->details.Empty();
    node->returnValue.Empty();
    CloseOpenElementsTo(node->parentId);
    try {
        m_openElements.push_back(OpenElement{node->eventId, endKind, node, nullptr});
    } catch (...) {
        delete record;
        return false;
    }
    EnqueueRecord(record, RecordEffect::Opening(ElementEndedBy(endKind)));
    return true;
}

bool CRecordFactory::QueueEndRecord(ReportRecordKind kind, EventNode* node)
{
    if (!node)
        return false;
    CXMLNodeDataBase* record = NewEndRecord(kind, node->recordNumber, m_level);
    if (!record)
        return false;

    // A data table is written whole; every other end record closes an element.
    const RecordEffect effect = kind == xrkDataTable ? RecordEffect() : RecordEffect::Closing();
    if (kind == xrkEndTest || kind == xrkEndTestIter || kind == xrkEndAction || kind == xrkEndActionIter) {
        if (!FillSummary(kind, *record)) {
            EnqueueRecord(record, effect); // without node arguments; the node stays
            return true;
        }
        if (kind == xrkEndTest)
            m_run.MergeLogStatus(node->status);
    }
    CompleteNodeArgs(*record, *node);
    m_run.ReleaseNode(node);
    EnqueueRecord(record, effect);
    return true;
}

bool CRecordFactory::CompleteNodeArgs(CXMLNodeDataBase& record, const EventNode& node)
{
    NodeArgsData* args = record.GetNodeArgs();
    if (!args)
        return false;
    args->SetNodeArgs(node.eventType.c_str(), node.displayName.c_str(), CDecimal(node.iconIndex).c_str(),
                      CDecimal(node.eventId).c_str(), ReportStatusName(node.status), node.nodeType.c_str(),
                      CDecimal(node.selectedIconIndex).c_str(), node.enableFilter ? W("") : W("0"),
                      node.movieMarker.c_str(), node.sourceText.c_str(), CDecimal(node.sourceLine).c_str());
    if (!node.viewTypeText.IsEmpty())
        args->SetBottomPane(node.viewTypeText.c_str(), node.bottomFilePath.c_str(), W(""),
                            node.highlightText.c_str());
    if (m_openElements.empty())
        return true;
    EventNode* parent = LiveNode(m_openElements.back());
    if (!parent)
        return false;
    m_run.MergeChildStatus(*parent, node.status);
    return true;
}

bool CRecordFactory::FillSummary(ReportRecordKind kind, CXMLNodeDataBase& record)
{
    SummaryData* summary = record.GetSummary();
    const RunScope* scope = m_run.CurrentScope();
    if (!summary || !scope)
        return false;
    if (kind == xrkEndTest || kind == xrkEndAction) {
        CBstrString startTime = m_timeText.Format(scope->startTime);
        CBstrString endTime = m_timeText.Format(scope->endTime);
        const StatusCounts& counts = m_run.Counts(m_run.CurrentScopeIndex());
        summary->SetSummary(scope->returnValue.c_str(), scope->parameters, startTime.c_str(), endTime.c_str(),
                            counts.passed, counts.failed, counts.warnings, m_state.runNotCompleted,
                            scope->maintenanceSummary.c_str());
    } else {
        summary->SetSummary(scope->returnValue.c_str(), scope->parameters, W(""), W(""), -1, -1, -1, false, W(""));
    }
    return true;
}

EventNode* CRecordFactory::LiveNode(const OpenElement& element) const
{
    if (element.replaced || m_run.HoldsNode(element.eventId, element.node))
        return element.node;
    return nullptr;
}

bool CRecordFactory::IsOpen(const EventNode* node) const
{
    for (const OpenElement& element : m_openElements)
        if (element.node == node)
            return true;
    return false;
}

bool CRecordFactory::CloseInnermostElement()
{
    // A business process opened inside this element ends first.
    CloseProcessesFrom(m_openElements.size());
    OpenElement element = std::move(m_openElements.back());
    m_openElements.pop_back();
    EventNode* node = LiveNode(element);
    if (!node)
        return false;
    QueueEndRecord(element.endKind, node);
    // A node that had been replaced in nodesById is freed with the element.
    return true;
}

void CRecordFactory::CloseProcessesFrom(size_t depth)
{
    while (!m_processDepths.empty() && m_processDepths.back() >= depth) {
        m_processDepths.pop_back();
        EnqueueRecord(new (std::nothrow) CXMLEndBPTNodeData(), RecordEffect::Closing());
    }
}

bool CRecordFactory::CloseOpenElementsTo(LONG parentId) noexcept
{
    try {
        while (!m_openElements.empty()) {
            if (m_openElements.back().eventId == parentId)
                return true;
            if (!CloseInnermostElement())
                return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool CRecordFactory::CloseAllOpenElements() noexcept
{
    try {
        while (!m_openElements.empty())
            if (!CloseInnermostElement())
                return false;
        return true;
    } catch (...) {
        return false;
    }
}

void CRecordFactory::ResetRun() noexcept { m_openElements.clear(); }
