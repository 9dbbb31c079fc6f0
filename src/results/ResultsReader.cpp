#include "results/ResultsReader.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace results {

namespace {

// Copies the value of the current element's attribute into `into`; empty
// when the element has no such attribute.
void CopyAttribute(const CXmlPullParser& parser, const char* attribute, std::string& into)
{
    const std::string* value = parser.Attribute(attribute);
    into = value ? *value : std::string();
}

bool NodeKindOf(const std::string& name, NodeKind& kind)
{
    static const struct {
        const char* name;
        NodeKind kind;
    } kinds[] = {{"BPT", NodeKind::BusinessProcess}, {"Doc", NodeKind::Test},
                 {"DIter", NodeKind::TestIteration}, {"Action", NodeKind::Action},
                 {"AIter", NodeKind::ActionIteration}, {"Step", NodeKind::Step},
                 {"HtmlStep", NodeKind::HtmlStep}, {"DT", NodeKind::DataTable},
                 {"AdditionalInfo", NodeKind::AdditionalInfo}};
    for (const auto& entry : kinds)
        if (name == entry.name) {
            kind = entry.kind;
            return true;
        }
    return false;
}

long LongOf(const std::string* text, long fallback)
{
    if (!text || text->empty())
        return fallback;
    char* end = nullptr;
    long value = std::strtol(text->c_str(), &end, 10);
    return end && *end == '\0' ? value : fallback;
}

bool IsTrue(const std::string* text) { return text && *text == "True"; }
bool IsFalse(const std::string* text) { return text && *text == "False"; }

const char* Describe(NodeKind kind)
{
    switch (kind) {
    case NodeKind::BusinessProcess: return "business process";
    case NodeKind::Test: return "test";
    case NodeKind::TestIteration: return "test iteration";
    case NodeKind::Action: return "action";
    case NodeKind::ActionIteration: return "action iteration";
    case NodeKind::DataTable: return "data table";
    case NodeKind::AdditionalInfo: return "additional information";
    default: return "step";
    }
}

} // namespace

CResultsReader::CResultsReader(CByteSource& source, const ReaderLimits& limits)
    : m_parser(source, limits.xml), m_limits(limits)
{
}

const Node* CResultsReader::Ancestor(size_t level) const
{
    return m_eventNode > level ? &m_nodes[m_eventNode - level - 1] : nullptr;
}

bool CResultsReader::Next()
{
    if (m_popPending) {
        m_nodes.pop_back();
        m_started.pop_back();
        m_childStatus.pop_back();
        m_popPending = false;
    }
    while (m_queue.empty())
        if (!Advance())
            return false;
    Pending pending = m_queue.front();
    m_queue.pop_front();
    m_event = pending.event;
    m_eventNode = pending.node;
    if (m_event == Event::NodeEnd)
        m_popPending = true;
    return true;
}

bool CResultsReader::Advance()
{
    if (m_finished)
        return false;
    if (m_stopped) {
        Finish();
        return true;
    }
    switch (m_parser.Next()) {
    case CXmlPullParser::Token::StartTag:
        StartElement();
        break;
    case CXmlPullParser::Token::EndTag:
        EndElement();
        break;
    case CXmlPullParser::Token::Text:
        if (Frame* top = Top(); top && top->role == Role::Field) {
            const std::string& text = m_parser.Text();
            size_t room = m_limits.xml.maxTextBytes - std::min(m_limits.xml.maxTextBytes, m_fieldText.size());
            if (text.size() > room || m_parser.TextWasCut())
                m_fieldCut = true;
            m_fieldText.append(text, 0, std::min(room, text.size()));
        } else if (!m_sawElement) {
            for (char c : m_parser.Text())
                if (c != ' ' && c != '\t' && c != '\n') {
                    m_outcome.foreign = true;
                    Stop("it is not XML");
                    break;
                }
        }
        break;
    case CXmlPullParser::Token::End:
        Finish();
        break;
    }
    return true;
}

void CResultsReader::Stop(const std::string& problem)
{
    if (m_outcome.problem.empty())
        m_outcome.problem = problem;
    m_stopped = true;
}

void CResultsReader::StartElement()
{
    const std::string& name = m_parser.Name();
    if (m_frames.size() >= m_limits.maxDepth) {
        m_outcome.tooDeep = true;
        Stop("its elements are nested deeper than " + std::to_string(m_limits.maxDepth) + " levels");
        return;
    }
    Frame* top = Top();
    const Role role = top ? top->role : Role::Report;
    NodeKind kind = NodeKind::Step;
    const bool first = !m_sawElement;
    m_sawElement = true;

    if (!top || role == Role::Report) {
        if (name == "Report" && !top) {
            m_frames.push_back({Role::Report, Field::None});
            ++m_outcome.reports;
            m_outcome.reportOpen = true;
            if (const std::string* value = m_parser.Attribute("ver"))
                m_report.version = *value;
            if (const std::string* value = m_parser.Attribute("tmZone"))
                m_report.timeZone = *value;
            m_queue.push_back({Event::ReportStart, 0});
            return;
        }
        if (name == "General") {
            m_frames.push_back({Role::General, Field::None});
            m_report.hasGeneral = true;
            for (const auto& [attribute, into] : {std::pair<const char*, std::string*>{"productName", &m_report.productName},
                                                  {"productVer", &m_report.productVersion},
                                                  {"os", &m_report.os},
                                                  {"host", &m_report.host},
                                                  {"vaultserver", &m_report.vaultServer},
                                                  {"vaultproject", &m_report.vaultProject}})
                CopyAttribute(m_parser, attribute, *into);
            return;
        }
        if ((name == "Doc" || name == "BPT") && NodeKindOf(name, kind)) {
            ++m_outcome.runs;
            StartNode(kind);
            return;
        }
        if (first) {
            m_outcome.foreign = true;
            Stop("its first element is <" + name + ">, not <Report>");
            return;
        }
        m_frames.push_back({Role::Skip, Field::None});
        return;
    }

    Frame frame{Role::Skip, Field::None};
    switch (role) {
    case Role::Node:
        if (NodeKindOf(name, kind)) {
            StartNode(kind);
            return;
        } else {
            Node& node = m_nodes.back();
            static const struct {
                const char* name;
                Field field;
            } fields[] = {{"DName", Field::Name}, {"AName", Field::Name}, {"Obj", Field::Name},
                          {"AdditionalDataName", Field::Name}, {"Details", Field::Details},
                          {"Time", Field::Time}, {"TimeTick", Field::TimeTick}, {"HTML", Field::Html},
                          {"AdditionalDataValue", Field::Value}, {"Res", Field::ResultName},
                          {"DVer", Field::Version}, {"TSet", Field::TestSet}, {"TInst", Field::TestInstance}};
            for (const auto& entry : fields)
                if (name == entry.name)
                    frame = {Role::Field, entry.field};
            if (name == "Obj")
                node.nameIsPlain = !IsFalse(m_parser.Attribute("plainTxt"));
            else if (name == "Details")
                node.detailsArePlain = !IsFalse(m_parser.Attribute("plainTxt"));
            if (name == "RunType") {
                frame.role = Role::RunType;
                for (const XmlAttribute& attribute : m_parser.Attributes())
                    if (attribute.value == "True")
                        node.runType.push_back(attribute.name);
            } else if (name == "NodeArgs") {
                frame.role = Role::NodeArgs;
                NodeArgs& args = node.args;
                args = NodeArgs();
                args.present = true;
                for (const auto& [attribute, into] : {std::pair<const char*, std::string*>{"eType", &args.eventType},
                                                      {"icon", &args.icon},
                                                      {"iconSel", &args.selectedIcon},
                                                      {"nRep", &args.eventId},
                                                      {"status", &args.statusText},
                                                      {"nType", &args.nodeType},
                                                      {"MovieMarker", &args.movieMarker},
                                                      {"Source", &args.source},
                                                      {"SourceLine", &args.sourceLine}})
                    CopyAttribute(m_parser, attribute, *into);
                const std::string* filter = m_parser.Attribute("filter");
                args.filtered = !(filter && *filter == "False");
            } else if (name == "Summary") {
                frame.role = Role::Summary;
                Summary& summary = node.summary;
                summary = Summary();
                summary.present = true;
                if (const std::string* value = m_parser.Attribute("sTime"))
                    summary.startTime = *value;
                if (const std::string* value = m_parser.Attribute("eTime"))
                    summary.endTime = *value;
                if (const std::string* value = m_parser.Attribute("retval"))
                    summary.returnValue = *value;
                summary.passed = LongOf(m_parser.Attribute("passed"), -1);
                summary.failed = LongOf(m_parser.Attribute("failed"), -1);
                summary.warnings = LongOf(m_parser.Attribute("warnings"), -1);
                summary.stopped = IsTrue(m_parser.Attribute("stopped"));
            }
        }
        break;
    case Role::General:
        if (name == "DocLocation")
            frame = {Role::Field, Field::Location};
        break;
    case Role::NodeArgs:
        if (name == "Disp") {
            frame = {Role::Field, Field::Display};
        } else if (name == "TopPane") {
            frame.role = Role::TopPane;
        } else if (name == "BtmPane") {
            frame.role = Role::BottomPane;
            const std::string* type = m_parser.Attribute("vType");
            m_nodes.back().args.viewerType = type ? *type : "HTML";
        }
        break;
    case Role::TopPane:
        if (name == "Path")
            frame = {Role::Field, Field::TopPath};
        break;
    case Role::BottomPane:
        if (name == "Path")
            frame = {Role::Field, Field::BottomPath};
        else if (name == "WR")
            frame = {Role::Field, Field::Wr};
        else if (name == "ASHilite")
            frame = {Role::Field, Field::Highlight};
        break;
    case Role::Summary:
        if (name == "Param") {
            frame.role = Role::Param;
            SummaryParam param;
            const std::string* direction = m_parser.Attribute("paramInOut");
            param.output = direction && *direction == "Out";
            if (m_nodes.back().summary.params.size() < 100000)
                m_nodes.back().summary.params.push_back(param);
        }
        break;
    case Role::Param:
        if (name == "ParamName")
            frame = {Role::Field, Field::ParamName};
        else if (name == "ParamVal")
            frame = {Role::Field, Field::ParamValue};
        break;
    default:
        break;
    }
    if (frame.role == Role::Field) {
        m_fieldText.clear();
        m_fieldCut = false;
    }
    m_frames.push_back(frame);
}

void CResultsReader::StartNode(NodeKind kind)
{
    if (!m_nodes.empty())
        EnsureStarted(m_nodes.size() - 1);
    m_frames.push_back({Role::Node, Field::None});
    m_nodes.emplace_back();
    m_started.push_back(false);
    m_childStatus.push_back(Status::Done);
    Node& node = m_nodes.back();
    node.kind = kind;
    node.depth = static_cast<int>(m_nodes.size()) - 1;
    node.number = ++m_outcome.nodes;
    if (node.IsStep())
        ++m_outcome.steps;
    if (const std::string* id = m_parser.Attribute("rID"))
        node.id = *id;
    switch (kind) {
    case NodeKind::Test:
        if (const std::string* type = m_parser.Attribute("type"))
            node.testType = *type;
        if (const std::string* product = m_parser.Attribute("productName"))
            node.productName = *product;
        node.iteration = static_cast<int>(LongOf(m_parser.Attribute("BCIter"), 0));
        break;
    case NodeKind::TestIteration:
    case NodeKind::ActionIteration:
        node.iteration = static_cast<int>(LongOf(m_parser.Attribute("iterID"), 0));
        break;
    case NodeKind::Step:
        if (const std::string* value = m_parser.Attribute("retval"))
            node.returnValue = *value;
        break;
    default:
        break;
    }
}

void CResultsReader::EnsureStarted(size_t index)
{
    if (m_started[index])
        return;
    m_started[index] = true;
    Node& node = m_nodes[index];
    int64_t seconds = 0;
    if (node.StepTime(seconds)) {
        node.hasTicks = true;
        node.firstTick = node.lastTick = seconds;
    }
    m_queue.push_back({Event::NodeStart, index});
}

void CResultsReader::FinishField(Field field)
{
    if (m_fieldCut && !m_nodes.empty())
        m_nodes.back().textCut = true;
    if (field == Field::Location) {
        m_report.location = std::move(m_fieldText);
        return;
    }
    if (m_nodes.empty())
        return;
    Node& node = m_nodes.back();
    switch (field) {
    case Field::Name: node.name = std::move(m_fieldText); break;
    case Field::Details: node.details = std::move(m_fieldText); break;
    case Field::Time: node.time = std::move(m_fieldText); break;
    case Field::TimeTick: {
        char* end = nullptr;
        long long value = std::strtoll(m_fieldText.c_str(), &end, 10);
        if (end && end != m_fieldText.c_str()) {
            node.hasTimeTick = true;
            node.timeTick = value;
        }
        break;
    }
    case Field::Html: node.html = std::move(m_fieldText); break;
    case Field::Value: node.value = std::move(m_fieldText); break;
    case Field::ResultName: node.resultName = std::move(m_fieldText); break;
    case Field::Version: node.version = std::move(m_fieldText); break;
    case Field::TestSet: node.testSet = std::move(m_fieldText); break;
    case Field::TestInstance: node.testInstance = std::move(m_fieldText); break;
    case Field::Display: node.args.display = std::move(m_fieldText); break;
    case Field::TopPath: node.args.topPanePath = std::move(m_fieldText); break;
    case Field::BottomPath: node.args.bottomPanePath = std::move(m_fieldText); break;
    case Field::Wr: node.args.bottomPaneWr = std::move(m_fieldText); break;
    case Field::Highlight: node.args.highlight = std::move(m_fieldText); break;
    case Field::ParamName:
        if (!node.summary.params.empty())
            node.summary.params.back().name = std::move(m_fieldText);
        break;
    case Field::ParamValue:
        if (!node.summary.params.empty())
            node.summary.params.back().value = std::move(m_fieldText);
        break;
    default:
        break;
    }
    m_fieldText.clear();
}

void CResultsReader::EndElement()
{
    if (m_frames.empty())
        return; // an end tag without its start: nothing to end
    Frame frame = m_frames.back();
    m_frames.pop_back();
    switch (frame.role) {
    case Role::Node:
        EndNode(true);
        break;
    case Role::Field:
        FinishField(frame.field);
        break;
    case Role::Report:
        m_outcome.reportOpen = false;
        break;
    case Role::General:
        m_queue.push_back({Event::General, 0});
        break;
    default:
        break;
    }
}

void CResultsReader::EndNode(bool complete)
{
    const size_t index = m_nodes.size() - 1;
    EnsureStarted(index);
    Node& node = m_nodes[index];
    node.complete = complete;
    const Status children = m_childStatus[index];
    node.recordedStatus = node.args.present ? StatusFromText(node.args.statusText) : Status::Done;
    node.status = MergeStatus(node.recordedStatus, children);
    node.childrenStatus = children;
    if (node.IsStep()) {
        // A step with steps inside counts only when its own status shows
        // through theirs (the file holds their merged status).
        bool leaf = node.counts.steps == 0;
        bool counted = node.args.eventType != "Context" && node.args.eventType != "Table";
        if (counted && (leaf || node.recordedStatus != children)) {
            if (node.recordedStatus == Status::Passed)
                ++node.counts.passed;
            else if (node.recordedStatus == Status::Failed)
                ++node.counts.failed;
            else if (node.recordedStatus == Status::Warning)
                ++node.counts.warnings;
        }
        ++node.counts.steps;
    }
    if (index > 0) {
        Node& parent = m_nodes[index - 1];
        m_childStatus[index - 1] = MergeStatus(m_childStatus[index - 1], node.status);
        parent.counts.passed += node.counts.passed;
        parent.counts.failed += node.counts.failed;
        parent.counts.warnings += node.counts.warnings;
        parent.counts.steps += node.counts.steps;
        if (node.hasTicks) {
            if (!parent.hasTicks)
                parent.firstTick = node.firstTick;
            parent.hasTicks = true;
            parent.lastTick = node.lastTick;
        }
    }
    m_queue.push_back({Event::NodeEnd, index});
}

void CResultsReader::Finish()
{
    if (m_finished)
        return;
    // The frames above the innermost open node (a field, the node
    // arguments...) end with it; every open node ends, innermost first.
    // Each NodeEnd is taken before the next node can end, so that the
    // consumer sees them in order and each node leaves the stack in turn.
    if (!m_nodes.empty()) {
        while (!m_frames.empty() && m_frames.back().role != Role::Node) {
            if (m_frames.back().role == Role::Field)
                FinishField(m_frames.back().field);
            m_frames.pop_back();
        }
        if (!m_stopped && !m_outcome.truncated) {
            const Node& innermost = m_nodes.back();
            m_outcome.truncated = true;
            if (m_outcome.problem.empty())
                m_outcome.problem = std::string("it ends inside the ") + Describe(innermost.kind) +
                                    (innermost.Title().empty() ? "" : " \"" + innermost.Title() + "\"") +
                                    " (the run was cut short)";
        }
        if (!m_frames.empty()) {
            m_frames.pop_back();
            EndNode(false);
            m_stopped = true; // come back for the next open node
            return;
        }
    }
    m_finished = true;
    bool insideElement = m_parser.EndedInsideMarkup();
    for (const Frame& frame : m_frames)
        insideElement = insideElement || frame.role != Role::Report;
    if (insideElement && !m_outcome.truncated && !m_stopped) {
        m_outcome.truncated = true;
        if (m_outcome.problem.empty())
            m_outcome.problem = "it ends inside an element (the file was cut short)";
    }
    m_outcome.readFailed = m_parser.ReadFailed();
    if (m_outcome.readFailed)
        m_outcome.problem = "reading it failed";
    if (!m_sawElement && !m_outcome.foreign && m_outcome.problem.empty()) {
        m_outcome.truncated = true;
        m_outcome.problem = m_parser.Offset() == 0 ? "it is empty" : "it holds no element";
    }
    m_outcome.bytes = m_parser.Offset();
    m_outcome.line = m_parser.Line();
    m_queue.push_back({Event::End, 0});
}

} // namespace results
