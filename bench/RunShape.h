// The run the benchmark logs, as a list of LogEvent calls: the framing of a
// recorded test run (run start, general information, a test with one action,
// one iteration of each) around N steps. The live run (CLoggedRun) and the
// event-log writer both take their calls from here, so that the library and
// `annalist replay` are measured on the same run.
//
// The steps, numbered from 0:
// - mostly "Replay" steps of a web object with an 8-key description
//   (PlainTextNodeName, NodeType, StepPlainTxt, Status, DllPAth,
//   DllIconIndex, DllIconSelIndex, EnableFilter), status Passed;
// - every 16th step is a browser step with the next three steps nested in it;
// - step 57 of every hundred fails (Status 1);
// - step 199 of every two hundred is a table checkpoint ("Verification")
//   with a custom report object giving an HTML table.
#pragma once

#include <vector>

#include "pal/pal.h"

// A text the run uses in both encodings: UTF-8 for the event log, UTF-16
// for the live run (so that building a description converts nothing).
struct BenchText {
    const char* utf8;
    const WCHAR* wide;
};
#define BENCH_TEXT(text) (BenchText{text, W(text)})

enum class BenchValueKind { Text, Integer, Flag, Report };

// One entry of a description. `text` is the value of a Text and the report
// text of a Report (a custom report object); `number` that of an Integer and
// a Flag (0 or 1).
struct BenchValue {
    BenchText key;
    BenchValueKind kind;
    BenchText text;
    long number;
};

// One LogEvent call. Events with no entries are logged with an empty
// description (never a null one).
struct BenchEvent {
    static const int kMaxValues = 12;
    BenchText type = {"", W("")};
    long id = 0;
    long parent = 0;
    int count = 0;
    BenchValue values[kMaxValues];

    void AddText(BenchText key, BenchText text) { Add({key, BenchValueKind::Text, text, 0}); }
    void AddInteger(BenchText key, long number) { Add({key, BenchValueKind::Integer, {"", W("")}, number}); }
    void AddFlag(BenchText key, bool flag) { Add({key, BenchValueKind::Flag, {"", W("")}, flag ? 1 : 0}); }
    void AddReport(BenchText key, BenchText text) { Add({key, BenchValueKind::Report, text, 0}); }
    void Add(const BenchValue& value) { values[count++] = value; }
};

// What to expect of a run of N steps.
struct RunExpectation {
    long steps = 0;       // Step and HtmlStep elements in Results.xml
    long failed = 0;      // steps with Status 1
    long checkpoints = 0; // of the steps, checkpoints (HtmlStep elements)
};

// The calls before the first step: StartRepLog, SetInfo, ReportPrepareRun,
// StartTest, StartIteration, StartAction, StartIteration.
std::vector<BenchEvent> OpeningEvents();

// Step `index` (0-based). No allocation: the live run calls it per step.
void StepEvent(long index, BenchEvent& event);

// The calls after the last step: the ends of the iterations, the action and
// the test, FinalRunStatus and EndRepLog.
std::vector<BenchEvent> ClosingEvents();

RunExpectation ExpectedFor(long steps);
