#include "RunShape.h"

namespace {

const long kTestId = 1;
const long kTestIterationId = 2;
const long kActionId = 3;
const long kActionIterationId = 4;
const long kFirstStepId = 5;

const long kNestingPeriod = 16;  // a browser step every 16 steps...
const long kNestedChildren = 3;  // ...with the next three nested in it
const long kFailurePeriod = 100; // one failed step in a hundred
const long kFailureOffset = 57;
const long kCheckpointPeriod = 200; // one checkpoint in two hundred

struct WebObject {
    BenchText nodeType;
    BenchText name;
    BenchText operation;
};

const WebObject kObjects[] = {
    {BENCH_TEXT("WebEdit"), BENCH_TEXT("Edit \"username\""), BENCH_TEXT("Set \"jdoe\"")},
    {BENCH_TEXT("WebButton"), BENCH_TEXT("Button \"Search\""), BENCH_TEXT("Click")},
    {BENCH_TEXT("WebList"), BENCH_TEXT("WebList \"destination\""), BENCH_TEXT("Select \"Oslo\"")},
    {BENCH_TEXT("Link"), BENCH_TEXT("Link \"New search\""), BENCH_TEXT("Click")},
    {BENCH_TEXT("WebCheckBox"), BENCH_TEXT("CheckBox \"One way\""), BENCH_TEXT("Set \"ON\"")},
    {BENCH_TEXT("WebRadioGroup"), BENCH_TEXT("RadioGroup \"Class\""), BENCH_TEXT("Select \"Economy\"")},
    {BENCH_TEXT("WebEdit"), BENCH_TEXT("Edit \"return date\""), BENCH_TEXT("Set \"2024-04-19\"")},
    {BENCH_TEXT("WebElement"), BENCH_TEXT("WebElement \"Fare summary\""), BENCH_TEXT("Click")},
};
const long kObjectCount = sizeof(kObjects) / sizeof(kObjects[0]);

const WebObject kBrowser = {BENCH_TEXT("Browser"), BENCH_TEXT("Browser \"Flights\""),
                            BENCH_TEXT("Navigate \"https://flights.example/search\"")};

const BenchText kCheckpointReport = BENCH_TEXT(
    "<table class=\"checkpoint\"><tr><th>Cell</th><th>Expected</th><th>Actual</th></tr>"
    "<tr><td>Total (row 1)</td><td>&lt;= 1200.00</td><td>1112.40</td></tr></table>");

bool IsCheckpoint(long index) { return index % kCheckpointPeriod == kCheckpointPeriod - 1; }
bool IsFailed(long index) { return !IsCheckpoint(index) && index % kFailurePeriod == kFailureOffset; }

BenchEvent Event(BenchText type, long id, long parent)
{
    BenchEvent event;
    event.type = type;
    event.id = id;
    event.parent = parent;
    return event;
}

} // namespace

std::vector<BenchEvent> OpeningEvents()
{
    std::vector<BenchEvent> events;

    BenchEvent start = Event(BENCH_TEXT("StartRepLog"), 0, 0);
    start.AddFlag(BENCH_TEXT("ReportAppendMode"), false);
    events.push_back(start);

    BenchEvent info = Event(BENCH_TEXT("SetInfo"), 0, 0);
    info.AddText(BENCH_TEXT("ProductName"), BENCH_TEXT("Corvane"));
    info.AddText(BENCH_TEXT("Version"), BENCH_TEXT("11.5"));
    info.AddText(BENCH_TEXT("Title"), BENCH_TEXT("Flight booking (benchmark)"));
    info.AddText(BENCH_TEXT("TestLocation"), BENCH_TEXT("C:\\Tests\\Travel\\FlightBooking"));
    info.AddInteger(BENCH_TEXT("ToolOsVersion"), 7);
    info.AddText(BENCH_TEXT("UserName"), BENCH_TEXT(""));
    info.AddText(BENCH_TEXT("Password"), BENCH_TEXT(""));
    events.push_back(info);

    BenchEvent prepare = Event(BENCH_TEXT("ReportPrepareRun"), 0, 0);
    prepare.AddInteger(BENCH_TEXT("DebugRunMode"), 0);
    prepare.AddText(BENCH_TEXT("ShortTestset"), BENCH_TEXT("Travel regression"));
    prepare.AddText(BENCH_TEXT("TestInstance"), BENCH_TEXT("3"));
    prepare.AddText(BENCH_TEXT("TestVersionInVC"), BENCH_TEXT("1.4"));
    events.push_back(prepare);

    BenchEvent test = Event(BENCH_TEXT("StartTest"), kTestId, 0);
    test.AddText(BENCH_TEXT("TestName"), BENCH_TEXT("FlightBooking"));
    test.AddText(BENCH_TEXT("ResultsName"), BENCH_TEXT("Res1"));
    test.AddText(BENCH_TEXT("ProductName"), BENCH_TEXT("Corvane"));
    test.AddText(BENCH_TEXT("DocumentType"), BENCH_TEXT("Test"));
    test.AddFlag(BENCH_TEXT("PartialReplay"), false);
    events.push_back(test);

    BenchEvent testIteration = Event(BENCH_TEXT("StartIteration"), kTestIterationId, kTestId);
    testIteration.AddInteger(BENCH_TEXT("Iteration"), 1);
    events.push_back(testIteration);

    BenchEvent action = Event(BENCH_TEXT("StartAction"), kActionId, kTestIterationId);
    action.AddText(BENCH_TEXT("TestName"), BENCH_TEXT("BookFlight"));
    events.push_back(action);

    BenchEvent actionIteration = Event(BENCH_TEXT("StartIteration"), kActionIterationId, kActionId);
    actionIteration.AddInteger(BENCH_TEXT("Iteration"), 1);
    events.push_back(actionIteration);
    return events;
}

void StepEvent(long index, BenchEvent& event)
{
    long position = index % kNestingPeriod;
    event.id = kFirstStepId + index;
    event.parent = position >= 1 && position <= kNestedChildren ? kFirstStepId + index - position : kActionIterationId;
    event.count = 0;

    if (IsCheckpoint(index)) {
        event.type = BENCH_TEXT("Verification");
        event.AddText(BENCH_TEXT("NodeName"), BENCH_TEXT("Fare summary"));
        event.AddText(BENCH_TEXT("NodeType"), BENCH_TEXT("WebTable"));
        event.AddText(BENCH_TEXT("Action"), BENCH_TEXT("Check"));
        event.AddText(BENCH_TEXT("Step Name"), BENCH_TEXT("Table Checkpoint"));
        event.AddInteger(BENCH_TEXT("Status"), 0);
        event.AddReport(BENCH_TEXT("CustomObjUnk"), kCheckpointReport);
        event.AddInteger(BENCH_TEXT("Timeout_UsedTime"), 0);
        event.AddInteger(BENCH_TEXT("Timeout_FullTime"), 10);
        return;
    }

    const WebObject& object = position == 0 ? kBrowser : kObjects[index % kObjectCount];
    event.type = BENCH_TEXT("Replay");
    event.AddText(BENCH_TEXT("PlainTextNodeName"), object.name);
    event.AddText(BENCH_TEXT("NodeType"), object.nodeType);
    event.AddText(BENCH_TEXT("StepPlainTxt"), object.operation);
    event.AddInteger(BENCH_TEXT("Status"), IsFailed(index) ? 1 : 0);
    event.AddText(BENCH_TEXT("DllPAth"), BENCH_TEXT("LocalDll"));
    event.AddInteger(BENCH_TEXT("DllIconIndex"), 201);
    event.AddInteger(BENCH_TEXT("DllIconSelIndex"), 201);
    event.AddFlag(BENCH_TEXT("EnableFilter"), true);
}

std::vector<BenchEvent> ClosingEvents()
{
    std::vector<BenchEvent> events;

    BenchEvent endActionIteration = Event(BENCH_TEXT("EndActionIteration"), 0, kActionIterationId);
    endActionIteration.AddText(BENCH_TEXT("ReturnValue"), BENCH_TEXT(""));
    events.push_back(endActionIteration);

    BenchEvent endAction = Event(BENCH_TEXT("EndAction"), 0, kActionId);
    endAction.AddText(BENCH_TEXT("ReturnValue"), BENCH_TEXT("booked"));
    events.push_back(endAction);

    BenchEvent endTestIteration = Event(BENCH_TEXT("EndActionIteration"), 0, kTestIterationId);
    endTestIteration.AddText(BENCH_TEXT("ReturnValue"), BENCH_TEXT(""));
    events.push_back(endTestIteration);

    BenchEvent endTest = Event(BENCH_TEXT("EndTest"), 0, kTestId);
    endTest.AddText(BENCH_TEXT("ReturnValue"), BENCH_TEXT("done"));
    events.push_back(endTest);

    BenchEvent finalStatus = Event(BENCH_TEXT("FinalRunStatus"), 0, 0);
    finalStatus.AddText(BENCH_TEXT("FINAL_STATUS"), BENCH_TEXT("Completed"));
    events.push_back(finalStatus);

    BenchEvent end = Event(BENCH_TEXT("EndRepLog"), 0, 0);
    end.AddFlag(BENCH_TEXT("ReportDumpStack"), false);
    events.push_back(end);
    return events;
}

RunExpectation ExpectedFor(long steps)
{
    RunExpectation expected;
    expected.steps = steps;
    for (long index = 0; index < steps; ++index) {
        if (IsCheckpoint(index))
            ++expected.checkpoints;
        else if (IsFailed(index))
            ++expected.failed;
    }
    return expected;
}
