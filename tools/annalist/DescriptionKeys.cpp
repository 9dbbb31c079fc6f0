#include "annalist/DescriptionKeys.h"

namespace {

using Keys = std::vector<std::string>;

Keys Join(std::initializer_list<Keys> parts)
{
    Keys joined;
    for (const Keys& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

// The parameters of a test or action ("$params").
const Keys kArguments = {"ArgumentsDispatch"};
// The icons of a node: the host's icon module or the library's own.
const Keys kIcons = {"DllPAth", "DllIconIndex", "DllIconSelIndex", "IconIndex", "IconSelIndex", "ShowTopFile"};
// Every node of the report (tests, actions, iterations and steps): status,
// node type, pictures, custom report objects, viewer.
const Keys kNode = {"Status",         "NodeType",          "BottomFilePath",   "EnableFilter",
                    "MovieMarkerID",  "ViewType",          "DoSaveSnapShot",   "ReporterDispatch",
                    "UsersPictureHbitmap", "CustomObjUnk", "Action",           "UseCRFormat",
                    "Timeout_UsedTime", "Timeout_FullTime", "Step Name"};
// A step: its name, details and return value.
const Keys kStep = {"PlainTextNodeName", "HtmlNodeName", "NodeName", "StepPlainTxt", "StepHtmlInfo", "StepInfo",
                    "ReturnValue"};
// The start of a test or an action.
const Keys kScope = {"TestName",         "PartialReplay",         "ProductName",
                     "ResultsName",      "RunInUpdateTODescMode", "RunInUpdateVOMode",
                     "RunInUpdateSnapshotsMode", "DocumentType",  "CompIterId",
                     "CompIndexInBPT"};
// The end of a test or an action (and of the run, for the test).
const Keys kScopeEnd = {"ReturnValue", "MaintenanceSummary", "ArgumentsDispatch"};
const Keys kRunStart = {"ReportAppendMode"};
const Keys kRunEnd = Join({kScopeEnd, {"ReportDumpStack"}});

const Keys kStepKeys = Join({kStep, kNode, kIcons});

} // namespace

const std::vector<EventTypeKeys>& KnownEventTypes()
{
    static const std::vector<EventTypeKeys> types = {
        {"StartRepLog", false, kRunStart},
        {"ReportPrepareRun", false, {"DebugRunMode", "ShortTestset", "TestInstance", "TestVersionInVC"}},
        {"StartBP", false, Join({{"TestName", "ResultsName"}, kIcons, kNode})},
        {"EndBP", false, Join({kRunStart, kRunEnd})},
        {"StartTest", false, Join({kScope, kArguments, kIcons, kNode})},
        {"StartAction", false, Join({kScope, kArguments, kIcons, kNode})},
        {"EndRepLog", false, kRunEnd},
        {"SetInfo", false,
         {"UserName", "Password", "ProductName", "Version", "Title", "TestLocation", "ToolOsVersion", "VaultServer",
          "VaultProject"}},
        {"AdditionalInfo", false, {"NodeName", "NodeValue"}},
        {"SetTestArgs", false, kArguments},
        {"PauseAppendMode", false, {}},
        {"RestartAppendMode", false, {}},
        {"EndTest", false, kScopeEnd},
        {"EndAction", false, kScopeEnd},
        {"StartIteration", false, Join({{"Iteration"}, kIcons, kNode})},
        {"EndActionIteration", false, {"ReturnValue"}},
        {"FinalRunStatus", false, {"FINAL_STATUS"}},
        {"Replay", true, kStepKeys},
        {"Verification", true, kStepKeys},
        {"User", true, kStepKeys},
        {"Error", true, kStepKeys},
        {"Transaction", true, kStepKeys},
        {"Context", true, kStepKeys},
        {"Table", true, kStepKeys},
    };
    return types;
}

const EventTypeKeys* FindEventType(const std::string& type)
{
    for (const EventTypeKeys& entry : KnownEventTypes())
        if (type == entry.type)
            return &entry;
    return nullptr;
}

const std::vector<std::string>& OtherStepKeys() { return kStepKeys; }
