// The run tree as the results reader gives it, node by node.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace results {

// The node elements of Results.xml.
enum class NodeKind {
    BusinessProcess, // BPT
    Test,            // Doc: a test, or a business component (type "BC")
    TestIteration,   // DIter
    Action,          // Action
    ActionIteration, // AIter
    Step,            // Step
    HtmlStep,        // HtmlStep: a step shown as HTML (a checkpoint's report)
    DataTable,       // DT
    AdditionalInfo,  // AdditionalInfo: a name and a value
};

const char* NodeKindName(NodeKind kind);

enum class Status { Passed, Failed, Done, Warning, Information };

// "Passed", "Failed", "Done", "Warning", "Information".
const char* StatusName(Status status);
// A status attribute's value; an absent or unknown value is Done (the value
// the logger leaves out).
Status StatusFromText(const std::string& text);
// Failed beats Warning beats Passed; Done and Information never change a
// status, except that Passed replaces them.
Status MergeStatus(Status current, Status incoming);

struct NodeArgs {
    bool present = false;
    std::string eventType;    // eType
    std::string icon;         // icon number
    std::string selectedIcon; // iconSel
    std::string eventId;      // nRep
    std::string statusText;   // status as written ("" when left out)
    std::string nodeType;     // nType
    bool filtered = true;     // filter (False: the node is shown whatever the viewer's filter)
    std::string movieMarker;
    std::string source, sourceLine;
    std::string display;      // Disp
    std::string topPanePath;
    std::string viewerType;   // BtmPane vType ("" when there is no BtmPane)
    std::string bottomPanePath; // BtmPane Path: a snapshot, a user's picture or a page
    std::string bottomPaneWr; // BtmPane WR
    std::string highlight;    // BtmPane ASHilite
};

struct SummaryParam {
    std::string name;
    std::string value;
    bool output = false;
};

struct Summary {
    bool present = false;
    std::string startTime, endTime; // sTime, eTime (the logger's date and time texts)
    long passed = -1, failed = -1, warnings = -1; // -1: not written
    std::string returnValue;
    bool stopped = false;
    std::vector<SummaryParam> params;
};

// Steps below a node (Step and HtmlStep, without the "Context" and "Table"
// types, as the logger counts them), by their recorded status.
struct StepCounts {
    long passed = 0, failed = 0, warnings = 0;
    long steps = 0; // all Step and HtmlStep nodes below, whatever their type and status
};

struct Node {
    NodeKind kind = NodeKind::Step;
    int depth = 0;         // nodes it lies in
    std::string id;        // rID ("T12"); "" for AdditionalInfo
    long number = 0;       // position in the file, from 1, counting every node

    // The leading part (known at the node's start).
    std::string name;      // DName, AName, Obj, AdditionalDataName ("" for HtmlStep, DIter, AIter, DT: see Title())
    bool nameIsPlain = true;    // Obj plainTxt
    std::string details;   // Details
    bool detailsArePlain = true;
    std::string html;      // HtmlStep: the HTML
    std::string value;     // AdditionalDataValue
    std::string time;      // Time: the step's date and time text
    bool hasTimeTick = false;
    int64_t timeTick = 0;  // TimeTick: seconds since 1970 of the step's local time
    std::string returnValue; // Step retval
    int iteration = 0;     // DIter and AIter iterID; Doc BCIter
    std::string resultName, version, testSet, testInstance; // Res, DVer, TSet, TInst
    std::string testType = "Test"; // Doc type ("BC" for a business component)
    std::string productName;       // Doc productName
    std::vector<std::string> runType; // RunType flags set ("fmStep", "upChk", ...)
    bool textCut = false;  // a text was longer than the reader keeps and was cut

    // The closing part (complete at NodeEnd; BPT's node arguments come first).
    NodeArgs args;
    Summary summary;
    bool complete = false;      // its end tag was read
    Status recordedStatus = Status::Done; // as written in its node arguments
    Status status = Status::Done; // recorded, merged with every node below it
    Status childrenStatus = Status::Done; // the nodes below it merged (Done when there are none)
    bool hasTicks = false;      // some node in it (itself included) has a time
    int64_t firstTick = 0, lastTick = 0; // the times of the first and last of them
    StepCounts counts;

    // The name a person reads: the element's name text, else the node
    // arguments' display text.
    const std::string& Title() const { return name.empty() ? args.display : name; }
    bool IsStep() const { return kind == NodeKind::Step || kind == NodeKind::HtmlStep; }
    // A step whose own recorded status is `wanted`, not only through the
    // steps inside it.
    bool IsStepWith(Status wanted) const
    {
        return IsStep() && recordedStatus == wanted && childrenStatus != wanted;
    }
    // The time of a step: its time tick, else its date and time text read
    // as a time of its own (files of the earlier level have no ticks).
    bool StepTime(int64_t& seconds) const;
};

// The Report element and the General element in it.
struct ReportInfo {
    std::string version;      // ver
    std::string timeZone;     // tmZone
    bool hasGeneral = false;
    std::string productName, productVersion, os, host, vaultServer, vaultProject, location;
};

} // namespace results
