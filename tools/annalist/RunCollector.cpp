#include "annalist/RunCollector.h"

#include "annalist/HtmlToText.h"

namespace {

const size_t kMaxDetails = 4000;
const size_t kMaxWarningsKept = 20;
const size_t kMaxFailedSteps = 100000;

std::string Cut(std::string text)
{
    if (text.size() > kMaxDetails) {
        size_t at = kMaxDetails;
        while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            --at; // not inside a character
        text.resize(at);
        text += "...";
    }
    return text;
}

} // namespace

std::string PathName(const results::Node& node)
{
    switch (node.kind) {
    case results::NodeKind::TestIteration:
    case results::NodeKind::ActionIteration:
        return "Iteration " + std::to_string(node.iteration);
    case results::NodeKind::HtmlStep:
        return node.Title().empty() ? std::string("(HTML step)") : node.Title();
    default:
        return node.nameIsPlain ? node.Title() : HtmlToText(node.Title());
    }
}

StepNote CRunCollector::Note(const results::CResultsReader& reader) const
{
    const results::Node& node = reader.CurrentNode();
    StepNote note;
    note.path = m_path;
    note.name = PathName(node);
    note.path.push_back(note.name);
    note.type = node.args.eventType;
    note.time = node.time;
    if (node.kind == results::NodeKind::HtmlStep)
        note.details = Cut(HtmlToText(node.html));
    else
        note.details = Cut(node.detailsArePlain ? node.details : HtmlToText(node.details));
    return note;
}

int CRunCollector::NewCase(CaseRecord::Kind kind, const Context& context, const std::string& name, int number)
{
    CaseRecord record;
    record.kind = kind;
    record.test = static_cast<size_t>(context.test);
    record.action = context.action;
    record.name = name;
    record.number = number;
    m_cases.push_back(record);
    return static_cast<int>(m_cases.size()) - 1;
}

void CRunCollector::Start(const results::CResultsReader& reader)
{
    const results::Node& node = reader.CurrentNode();
    Context context = m_contexts.empty() ? Context() : m_contexts.back();
    context.ownsCase = false;
    const results::Node* parent = reader.Ancestor(0);
    switch (node.kind) {
    case results::NodeKind::Test:
        if (context.test < 0) {
            TestRecord test;
            test.name = node.name;
            test.type = node.testType;
            test.componentIteration = node.iteration;
            m_tests.push_back(test);
            context.test = static_cast<int>(m_tests.size()) - 1;
            context.caseIndex = NewCase(CaseRecord::Test, context, node.name, 0);
            context.ownsCase = true;
        }
        break;
    case results::NodeKind::TestIteration:
        if (context.test >= 0 && context.action < 0 && parent && parent->kind == results::NodeKind::Test) {
            context.testIteration = node.iteration;
            context.caseIndex = NewCase(CaseRecord::TestIteration, context, PathName(node), node.iteration);
            context.ownsCase = true;
        }
        break;
    case results::NodeKind::Action:
        if (context.test >= 0 && context.action < 0) {
            ActionRecord action;
            action.name = node.name;
            action.testIteration = context.testIteration;
            m_tests[static_cast<size_t>(context.test)].actions.push_back(action);
            context.action = static_cast<int>(m_tests[static_cast<size_t>(context.test)].actions.size()) - 1;
            context.actionDepth = node.depth;
            context.caseIndex = NewCase(CaseRecord::Action, context, node.name, 0);
            context.ownsCase = true;
        }
        break;
    case results::NodeKind::ActionIteration:
        if (context.action >= 0 && node.depth == context.actionDepth + 1) {
            context.caseIndex = NewCase(CaseRecord::ActionIteration, context, PathName(node), node.iteration);
            context.ownsCase = true;
        }
        break;
    default:
        break;
    }
    m_contexts.push_back(context);
    m_path.push_back(PathName(node));
}

void CRunCollector::End(const results::CResultsReader& reader)
{
    const results::Node& node = reader.CurrentNode();
    const Context context = m_contexts.back();
    m_contexts.pop_back();
    m_path.pop_back();
    if (node.kind == results::NodeKind::BusinessProcess && node.depth == 0 && m_businessProcess.empty())
        m_businessProcess = node.name;
    if (node.IsStep()) {
        const bool failed = node.IsStepWith(results::Status::Failed);
        StepNote note;
        if (failed) {
            note = Note(reader);
            if (m_failedSteps.size() < kMaxFailedSteps)
                m_failedSteps.push_back(note);
            else
                ++m_failedStepsLeftOut;
        }
        if (context.caseIndex >= 0) {
            CaseRecord& record = m_cases[static_cast<size_t>(context.caseIndex)];
            ++record.steps;
            record.status = results::MergeStatus(record.status, node.status);
            if (failed && !record.hasFailure) {
                record.hasFailure = true;
                record.failure = note;
            }
            if (node.IsStepWith(results::Status::Warning)) {
                if (record.warnings.size() < kMaxWarningsKept)
                    record.warnings.push_back(Note(reader));
                ++record.warningCount;
            }
        }
        return;
    }
    if (!context.ownsCase)
        return;
    CaseRecord& record = m_cases[static_cast<size_t>(context.caseIndex)];
    record.complete = node.complete;
    record.clock = m_clock.Watch(node);
    TestRecord& test = m_tests[record.test];
    switch (node.kind) {
    case results::NodeKind::ActionIteration:
    case results::NodeKind::TestIteration: {
        record.used = node.kind == results::NodeKind::ActionIteration || record.steps > 0;
        record.status = results::MergeStatus(record.status, node.recordedStatus);
        if (node.kind == results::NodeKind::ActionIteration)
            record.status = node.status;
        IterationRecord iteration;
        iteration.number = node.iteration;
        iteration.status = node.status;
        iteration.passed = node.counts.passed;
        iteration.failed = node.counts.failed;
        iteration.warnings = node.counts.warnings;
        iteration.clock = record.clock;
        iteration.complete = node.complete;
        if (node.kind == results::NodeKind::ActionIteration)
            test.actions[static_cast<size_t>(record.action)].iterations.push_back(iteration);
        else
            test.iterations.push_back(iteration);
        break;
    }
    case results::NodeKind::Action: {
        ActionRecord& action = test.actions[static_cast<size_t>(record.action)];
        action.Read(node);
        action.clock = record.clock;
        record.used = action.iterations.empty() || record.steps > 0;
        if (action.iterations.empty())
            record.status = node.status;
        record.hasSummaryDuration = action.iterations.empty() && action.hasSummaryDuration;
        record.summaryDuration = action.summaryDuration;
        break;
    }
    case results::NodeKind::Test:
        test.Read(node);
        test.clock = record.clock;
        record.used = record.steps > 0;
        break;
    default:
        break;
    }
}

void CRunCollector::Observe(const results::CResultsReader& reader)
{
    m_clock.Observe(reader);
    if (reader.Current() == results::CResultsReader::Event::NodeStart)
        Start(reader);
    else if (reader.Current() == results::CResultsReader::Event::NodeEnd)
        End(reader);
}
