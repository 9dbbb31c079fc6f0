#include "results/ResultsTree.h"

#include "results/TimeText.h"

namespace results {

const char* NodeKindName(NodeKind kind)
{
    switch (kind) {
    case NodeKind::BusinessProcess: return "BusinessProcess";
    case NodeKind::Test: return "Test";
    case NodeKind::TestIteration: return "TestIteration";
    case NodeKind::Action: return "Action";
    case NodeKind::ActionIteration: return "ActionIteration";
    case NodeKind::Step: return "Step";
    case NodeKind::HtmlStep: return "HtmlStep";
    case NodeKind::DataTable: return "DataTable";
    case NodeKind::AdditionalInfo: return "AdditionalInfo";
    }
    return "";
}

const char* StatusName(Status status)
{
    switch (status) {
    case Status::Passed: return "Passed";
    case Status::Failed: return "Failed";
    case Status::Done: return "Done";
    case Status::Warning: return "Warning";
    case Status::Information: return "Information";
    }
    return "";
}

Status StatusFromText(const std::string& text)
{
    if (text == "Passed")
        return Status::Passed;
    if (text == "Failed")
        return Status::Failed;
    if (text == "Warning")
        return Status::Warning;
    if (text == "Information")
        return Status::Information;
    return Status::Done;
}

Status MergeStatus(Status current, Status incoming)
{
    switch (incoming) {
    case Status::Failed:
        return Status::Failed;
    case Status::Warning:
        return current == Status::Failed ? current : Status::Warning;
    case Status::Passed:
        return current == Status::Failed || current == Status::Warning ? current : Status::Passed;
    default:
        return current;
    }
}

bool Node::StepTime(int64_t& seconds) const
{
    if (!IsStep())
        return false;
    if (hasTimeTick) {
        seconds = timeTick;
        return true;
    }
    return ParseTimeText(time, seconds);
}

} // namespace results
