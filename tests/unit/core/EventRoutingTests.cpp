// What the logger makes of each event: which events become nodes, their ids,
// parents, record numbers, names and statuses, the scopes and their counters,
// and the values written back into the description. No results folder is set,
// so nothing is written to disk.
#include <gtest/gtest.h>

#include "support/FakeHostObjects.h"
#include "support/TestLogger.h"

using test::CTestDescription;
using test::CTestLogger;

namespace {

class EventRouting : public ::testing::Test {
protected:
    EventRouting()
    {
        settings.SetUsual();
        run.reset(new test::CTestRun(settings));
    }

    CTestLogger* Logger() { return run->Logger(); }
    const EventNode* Node(LONG id) { return run->Logger()->Node(id); }
    std::string NameOf(LONG id)
    {
        const EventNode* node = Node(id);
        return node ? test::Utf16ToUtf8(node->displayName.c_str()) : std::string("<none>");
    }
    const RunScope& Scope(LONG index)
    {
        const RunScope* scope = Logger()->Run().Scope(index);
        EXPECT_NE(nullptr, scope) << index;
        return *scope;
    }
    const StatusCounts& Counts(LONG index) { return Logger()->Run().Counts(index); }

    // StartRepLog, then a test (id 2) and an action (id 3) in it.
    void StartTestAndAction()
    {
        ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
        CTestDescription test;
        test.Text("TestName", "Flights").Text("DocumentType", "Test");
        ASSERT_EQ(S_OK, run->Log("StartTest", 2, 1, test));
        CTestDescription action;
        action.Text("TestName", "Login");
        ASSERT_EQ(S_OK, run->Log("StartAction", 3, 2, action));
    }

    HRESULT Step(const char* type, LONG id, LONG parent, LONG status)
    {
        CTestDescription step;
        step.Int("Status", status).Text("NodeName", "step " + std::to_string(id));
        return run->Log(type, id, parent, step);
    }

    test::CTestSettings settings;
    std::unique_ptr<test::CTestRun> run;
};

} // namespace

TEST_F(EventRouting, StepsNeedAnOpenScope)
{
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    EXPECT_EQ(S_OK, Step("Replay", 5, 0, kovPass));
    EXPECT_EQ(nullptr, Node(5));
    EXPECT_EQ(0, Logger()->Run().RecordCount());
    EXPECT_EQ(0, Logger()->Run().LastEventId());
}

TEST_F(EventRouting, ParentsAreFixedToTheLastRecordedEvent)
{
    StartTestAndAction();
    // StartRepLog was dropped, so the test's parent became 0.
    EXPECT_EQ(0, Node(2)->parentId);
    EXPECT_EQ(2, Node(3)->parentId);
    ASSERT_EQ(S_OK, Step("Replay", 10, 3, kovPass));
    EXPECT_EQ(3, Node(10)->parentId);
    // An unknown parent gives the last recorded event.
    ASSERT_EQ(S_OK, Step("Replay", 11, 999, kovPass));
    EXPECT_EQ(10, Node(11)->parentId);
    EXPECT_EQ(11, Logger()->Run().LastEventId());

    EXPECT_EQ(1, Node(2)->recordNumber);
    EXPECT_EQ(2, Node(3)->recordNumber);
    EXPECT_EQ(3, Node(10)->recordNumber);
    EXPECT_EQ(4, Node(11)->recordNumber);
    EXPECT_EQ(1, Node(11)->scopeIndex);

    // The end of the run resets the ids.
    ASSERT_EQ(S_OK, run->Log("EndRepLog", 20, 0));
    EXPECT_EQ(0, Logger()->Run().LastEventId());
    EXPECT_EQ(0u, Logger()->Run().NodeCount());
    EXPECT_EQ(0u, Logger()->Run().ScopeCount());
}

TEST_F(EventRouting, AnInvalidStatusOfAUserStepIsRefusedAndItsNumberReused)
{
    StartTestAndAction();
    test::TakeErrorDescription();
    EXPECT_EQ(E_FAIL, Step("User", 10, 3, 9));
    EXPECT_EQ("9 is an invalid value for the EventStatus argument (argument 1).", test::TakeErrorDescription());
    EXPECT_EQ(nullptr, Node(10));
    EXPECT_EQ(E_FAIL, Step("User", 11, 3, -1));
    EXPECT_EQ("-1 is an invalid value for the EventStatus argument (argument 1).", test::TakeErrorDescription());

    ASSERT_EQ(S_OK, Step("User", 12, 3, kovWarning));
    EXPECT_EQ(3, Node(12)->recordNumber);
    EXPECT_EQ(kovWarning, Node(12)->status);
    // Any other type takes an invalid status as Done.
    ASSERT_EQ(S_OK, Step("Replay", 13, 3, 5));
    EXPECT_EQ(kovDone, Node(13)->status);
    EXPECT_EQ(4, Node(13)->recordNumber);
}

TEST_F(EventRouting, AStepWithoutADictionaryIsRecordedBare)
{
    StartTestAndAction();
    // The logger itself is an object that is no dictionary.
    CBstrString type(W("Replay"));
    VARIANT noTime;
    VariantInit(&noTime);
    ASSERT_EQ(S_OK, Logger()->LogEvent(type.Get(), static_cast<ILogMedia3*>(Logger()), 3, 10, noTime));
    const EventNode* node = Node(10);
    ASSERT_NE(nullptr, node);
    EXPECT_TRUE(node->displayName.IsEmpty());
    EXPECT_EQ(kovDone, node->status);
    EXPECT_EQ(0, node->enableFilter);
    EXPECT_TRUE(node->viewTypeText == W("HTML"));
    EXPECT_EQ(-1, node->sourceLine);
}

TEST_F(EventRouting, StepNamesAndValuesComeFromTheirKeys)
{
    StartTestAndAction();
    CTestDescription plain;
    plain.Text("PlainTextNodeName", "Plain").Text("HtmlNodeName", "<b>Html</b>").Text("NodeName", "Name")
        .Text("StepHtmlInfo", "<i>info</i>").Text("StepInfo", "info").Text("IconIndex", "7").Text("IconSelIndex", "abc")
        .Text("NodeType", "Browser").Flag("EnableFilter", false).Text("MovieMarkerID", "M1")
        .Text("BottomFilePath", "snap.png").Text("ViewType", "VCF1.VCF1Ctrl.1");
    ASSERT_EQ(S_OK, run->Log("Replay", 10, 3, plain));
    const EventNode* node = Node(10);
    ASSERT_NE(nullptr, node);
    EXPECT_TRUE(node->displayName == W("Plain"));
    EXPECT_EQ(1, node->nameIsPlain);
    EXPECT_EQ(0, node->detailsArePlain);
    EXPECT_EQ(7, node->iconIndex);
    EXPECT_EQ(0, node->selectedIconIndex);
    EXPECT_TRUE(node->nodeType == W("Browser"));
    EXPECT_EQ(0, node->enableFilter);
    EXPECT_TRUE(node->movieMarker == W("M1"));
    EXPECT_TRUE(node->bottomFilePath == W("snap.png"));
    EXPECT_TRUE(node->viewTypeText == W("Table"));

    CTestDescription html;
    html.Text("HtmlNodeName", "<b>Html</b>").Text("NodeName", "Name");
    ASSERT_EQ(S_OK, run->Log("Replay", 11, 3, html));
    EXPECT_EQ("<b>Html</b>", NameOf(11));
    EXPECT_EQ(0, Node(11)->nameIsPlain);
    EXPECT_EQ(1, Node(11)->enableFilter);
    // "ViewType" is read without an existence test, which adds the key.
    EXPECT_TRUE(html.Has("ViewType"));
    EXPECT_TRUE(Node(11)->viewTypeText == W("HTML"));
}

TEST_F(EventRouting, ScopesGetTheirNamesAndWriteBackIconDefaults)
{
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    CTestDescription component;
    component.Text("TestName", "Login").Text("DocumentType", "BC").Int("CompIterId", 3).Int("CompIndexInBPT", 2);
    ASSERT_EQ(S_OK, run->Log("StartTest", 2, 0, component));
    EXPECT_EQ("Business Component Login (#3) Summary", NameOf(2));
    EXPECT_EQ(201, component.GetInt("DllIconIndex"));
    EXPECT_EQ(201, component.GetInt("DllIconSelIndex"));
    EXPECT_EQ("LocalDll", component.GetText("DllPAth"));
    EXPECT_EQ(VT_BOOL, component.GetType("ShowTopFile"));
    EXPECT_EQ(0, component.GetInt("ShowTopFile"));
    EXPECT_EQ(3, Scope(0).componentIteration);

    CTestDescription action;
    action.Text("TestName", "Act1").Text("DllPAth", "host.dll").Flag("ShowTopFile", true);
    ASSERT_EQ(S_OK, run->Log("StartAction", 3, 2, action));
    EXPECT_EQ("Act1 Summary", NameOf(3));
    EXPECT_FALSE(action.Has("DllIconIndex"));
    EXPECT_EQ("host.dll", action.GetText("DllPAth"));
    EXPECT_EQ(-1, action.GetInt("ShowTopFile"));

    CTestDescription first;
    first.Int("Iteration", 4);
    ASSERT_EQ(S_OK, run->Log("StartIteration", 4, 3, first));
    CTestDescription second;
    second.Int("Iteration", 5);
    ASSERT_EQ(S_OK, run->Log("StartIteration", 5, 3, second));
    EXPECT_EQ("Act1 Iteration 2 (Row 5)", NameOf(5));
    EXPECT_EQ(202, second.GetInt("DllIconIndex"));
    EXPECT_EQ(2, Scope(1).iteration);
    EXPECT_EQ(2, Node(5)->actionIteration);
    EXPECT_EQ(0, Node(5)->testIteration);

    CTestDescription test;
    test.Text("TestName", "Plain").Text("DocumentType", "Test").Int("CompIterId", 3);
    ASSERT_EQ(S_OK, run->Log("StartTest", 6, 0, test));
    EXPECT_EQ("Test Plain Summary", NameOf(6));
    EXPECT_EQ(0, Scope(2).componentIteration);
}

TEST_F(EventRouting, EndTestGivesBackTheStatusSoFar)
{
    StartTestAndAction();
    CTestDescription endAction;
    ASSERT_EQ(S_OK, run->Log("EndAction", 5, 3, endAction));
    EXPECT_EQ(VT_I4, endAction.GetType("ReturnLogStatus"));
    EXPECT_EQ(1u, Logger()->Run().OpenScopeCount());
    EXPECT_EQ(1, Scope(1).ended);

    // Events after the scopes have ended are dropped.
    CTestDescription endTest;
    ASSERT_EQ(S_OK, run->Log("EndTest", 6, 2, endTest));
    EXPECT_TRUE(endTest.Has("ReturnLogStatus"));
    CTestDescription late;
    ASSERT_EQ(S_OK, run->Log("EndTest", 7, 2, late));
    EXPECT_FALSE(late.Has("ReturnLogStatus"));
}

TEST_F(EventRouting, CountersFollowStatusesAndSetStatus)
{
    StartTestAndAction();
    // Each step inside the previous one, so that all stay open.
    ASSERT_EQ(S_OK, Step("Replay", 10, 3, kovPass));
    ASSERT_EQ(S_OK, Step("Replay", 11, 10, kovFail));
    ASSERT_EQ(S_OK, Step("Replay", 12, 11, kovWarning));
    ASSERT_EQ(S_OK, Step("Replay", 13, 12, kovInfo));
    ASSERT_EQ(S_OK, Step("Context", 14, 13, kovFail)); // never counted
    ASSERT_EQ(S_OK, Step("Table", 15, 14, kovFail));   // never counted, written at once
    for (LONG index : {0, 1}) {
        EXPECT_EQ(1, Counts(index).passed) << index;
        EXPECT_EQ(1, Counts(index).failed) << index;
        EXPECT_EQ(1, Counts(index).warnings) << index;
    }

    // Done changes nothing; Failed on a passed step moves the count.
    EXPECT_EQ(S_OK, Logger()->SetStatus(11, kovDone));
    EXPECT_EQ(kovFail, Node(11)->status);
    EXPECT_EQ(S_OK, Logger()->SetStatus(10, kovFail));
    EXPECT_EQ(kovFail, Node(10)->status);
    EXPECT_EQ(0, Counts(1).passed);
    EXPECT_EQ(2, Counts(1).failed);
    EXPECT_EQ(0, Counts(0).passed);
    EXPECT_EQ(2, Counts(0).failed);
    // Passed raises an information step; not a warning one.
    EXPECT_EQ(S_OK, Logger()->SetStatus(13, kovPass));
    EXPECT_EQ(kovPass, Node(13)->status);
    EXPECT_EQ(1, Counts(1).passed);
    EXPECT_EQ(S_OK, Logger()->SetStatus(12, kovPass));
    EXPECT_EQ(kovWarning, Node(12)->status);
    // The counters follow whatever the node's type.
    EXPECT_EQ(S_OK, Logger()->SetStatus(14, kovWarning));
    EXPECT_EQ(kovFail, Node(14)->status);
    EXPECT_EQ(2, Counts(1).failed);

    test::TakeErrorDescription();
    EXPECT_EQ(static_cast<HRESULT>(0x80040329L), Logger()->SetStatus(999, kovFail));
    EXPECT_EQ("Invalid EventId, can't change event status.", test::TakeErrorDescription());
    // The data-table node was written at once and is no longer open.
    EXPECT_EQ(static_cast<HRESULT>(0x80040329L), Logger()->SetStatus(15, kovFail));
}

TEST_F(EventRouting, FinalRunStatusMustBeExactlyNotCompleted)
{
    StartTestAndAction();
    CTestDescription other;
    other.Text("FINAL_STATUS", "not completed");
    ASSERT_EQ(S_OK, run->Log("FinalRunStatus", 9, 0, other));
    EXPECT_FALSE(Logger()->State().runNotCompleted);
    CTestDescription none;
    ASSERT_EQ(S_OK, run->Log("FinalRunStatus", 9, 0, none));
    EXPECT_FALSE(none.Has("FINAL_STATUS"));
    CTestDescription exact;
    exact.Text("FINAL_STATUS", "Not Completed");
    ASSERT_EQ(S_OK, run->Log("FinalRunStatus", 9, 0, exact));
    EXPECT_TRUE(Logger()->State().runNotCompleted);
}

TEST_F(EventRouting, RunIdentityIsReadOnlyForARealRun)
{
    CTestDescription missing;
    missing.Text("ShortTestset", "Set");
    ASSERT_EQ(S_OK, run->Log("ReportPrepareRun", 1, 0, missing));
    EXPECT_TRUE(Logger()->State().identity.testSet.IsEmpty());
    CTestDescription debug;
    debug.Int("DebugRunMode", 1).Text("ShortTestset", "Set");
    ASSERT_EQ(S_OK, run->Log("ReportPrepareRun", 1, 0, debug));
    EXPECT_TRUE(Logger()->State().identity.testSet.IsEmpty());
    CTestDescription real;
    real.Int("DebugRunMode", 0).Text("ShortTestset", "Set").Text("TestVersionInVC", "v3");
    ASSERT_EQ(S_OK, run->Log("ReportPrepareRun", 1, 0, real));
    EXPECT_TRUE(Logger()->State().identity.testSet == W("Set"));
    EXPECT_TRUE(Logger()->State().identity.testInstance == W("1"));
    EXPECT_TRUE(Logger()->State().identity.testVersion == W("v3"));
}

TEST_F(EventRouting, TheEventTimeIsReadThroughAReference)
{
    StartTestAndAction();
    VARIANT date = test::EventDate(2023, 12, 24, 18, 30, 15);
    VARIANT reference;
    VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = &date;
    CBstrString type(W("Replay"));
    ASSERT_EQ(S_OK, Logger()->LogEvent(type.Get(), nullptr, 3, 10, reference));
    const SYSTEMTIME& time = Node(10)->eventTime;
    EXPECT_EQ(2023, time.wYear);
    EXPECT_EQ(12, time.wMonth);
    EXPECT_EQ(24, time.wDay);
    EXPECT_EQ(18, time.wHour);
    EXPECT_EQ(30, time.wMinute);
    EXPECT_EQ(15, time.wSecond);

    // Text is not a time: the current time is taken.
    SYSTEMTIME before;
    GetLocalTime(&before);
    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(W("2023-12-24 18:30:15"));
    ASSERT_EQ(S_OK, Logger()->LogEvent(type.Get(), nullptr, 3, 11, text));
    VariantClear(&text);
    EXPECT_EQ(before.wYear, Node(11)->eventTime.wYear);
    EXPECT_NE(2023, Node(11)->eventTime.wYear);
}

TEST_F(EventRouting, ReplayStepsGetTheirSourceFromTheEngine)
{
    test::FakeEngineState engine;
    std::vector<test::DiagnosticLine> lines;
    ExecutionEngineEntryPoints engineEntry = test::FakeExecutionEngineEntryPoints(&engine);
    DiagnosticLogEntryPoints logEntry = test::FakeDiagnosticLogEntryPoints(&lines);
    Logger()->UseExecutionEngine(&engineEntry);
    Logger()->UseDiagnosticLog(&logEntry);
    StartTestAndAction();
    EXPECT_EQ(-1, Node(2)->sourceLine); // not a step type that has a source

    ASSERT_EQ(S_OK, Step("Replay", 10, 3, kovPass));
    EXPECT_EQ("Browser(\"B\").Page(\"P\").Click", test::Utf16ToUtf8(Node(10)->sourceText.c_str()));
    EXPECT_EQ(104, Node(10)->sourceLine);
    EXPECT_EQ(17, engine.translatedId);
    EXPECT_EQ(engine.sourceText, engine.translatedText);
    EXPECT_EQ(0, engine.translatedReserved);
    EXPECT_EQ(4, engine.translatedLine);
    EXPECT_TRUE(lines.empty());

    // The engine that has no source position to give: no source, no line logged.
    engine.sourceUnavailable = VARIANT_TRUE;
    ASSERT_EQ(S_OK, Step("Replay", 11, 3, kovPass));
    EXPECT_TRUE(Node(11)->sourceText.IsEmpty());
    EXPECT_EQ(-1, Node(11)->sourceLine);
    EXPECT_TRUE(lines.empty());
    engine.sourceUnavailable = VARIANT_FALSE;

    struct Failure {
        void (*make)(test::FakeEngineState&);
        const char* message;
    } failures[] = {
        {[](test::FakeEngineState& e) { e.engineAnswersExecutionInfo = false; },
         "KOV_LOG_ASSERT. Expression: spExecInfo.p"},
        {[](test::FakeEngineState& e) { e.flagResult = E_FAIL; }, "KOV_LOG_ASSERT. Expression: ((HRESULT)(hr) >= 0)"},
        {[](test::FakeEngineState& e) { e.giveContextStack = false; },
         "KOV_LOG_ASSERT. Expression: (((HRESULT)(hr) >= 0) && spCtxStack.p)"},
        {[](test::FakeEngineState& e) { e.contextStackResult = E_FAIL; },
         "KOV_LOG_ASSERT. Expression: (((HRESULT)(hr) >= 0) && spCtxStack.p)"},
        {[](test::FakeEngineState& e) { e.giveItem = false; },
         "KOV_LOG_ASSERT. Expression: (((HRESULT)(hr) >= 0) && spItem.p)"},
        {[](test::FakeEngineState& e) { e.idResult = E_FAIL; }, "KOV_LOG_ASSERT. Expression: ((HRESULT)(hr) >= 0)"},
        {[](test::FakeEngineState& e) { e.textResult = E_FAIL; }, "KOV_LOG_ASSERT. Expression: ((HRESULT)(hr) >= 0)"},
        {[](test::FakeEngineState& e) { e.lineResult = E_FAIL; }, "KOV_LOG_ASSERT. Expression: ((HRESULT)(hr) >= 0)"},
        {[](test::FakeEngineState& e) { e.testAnswersTranslator = false; },
         "KOV_LOG_ASSERT. Expression: spTranslator.p"},
        {[](test::FakeEngineState& e) { e.translateResult = E_FAIL; },
         "KOV_LOG_ASSERT. Expression: ((HRESULT)(hr) >= 0)"},
    };
    LONG id = 20;
    for (const Failure& failure : failures) {
        engine = test::FakeEngineState();
        failure.make(engine);
        lines.clear();
        ASSERT_EQ(S_OK, Step("Verification", id, 3, kovPass));
        EXPECT_EQ(-1, Node(id)->sourceLine) << failure.message;
        ASSERT_EQ(1u, lines.size()) << failure.message;
        EXPECT_EQ(failure.message, lines[0].message);
        EXPECT_EQ(2, lines[0].level);
        EXPECT_EQ(1u, lines[0].flag);
        EXPECT_EQ("AnnalistImp", lines[0].sourceFile);
        EXPECT_EQ("GetReplaySourceInformation", lines[0].function);
        ++id;
    }
}

TEST(EventRoutingLevels, TheEarlierLevelAsksNoEngine)
{
    test::CTestSettings settings;
    settings.SetUsual();
    test::CTestRun run(settings, WideString(), ProductLevel::Earlier);
    test::FakeEngineState engine;
    ExecutionEngineEntryPoints engineEntry = test::FakeExecutionEngineEntryPoints(&engine);
    run.Logger()->UseExecutionEngine(&engineEntry);
    ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
    ASSERT_EQ(S_OK, run.Log("StartTest", 2, 0));
    ASSERT_EQ(S_OK, run.Log("User", 3, 2));
    EXPECT_EQ(-1, run.Logger()->Node(3)->sourceLine);
    EXPECT_EQ(0, engine.translatedLine);
}

TEST_F(EventRouting, WithoutTheHostLibraryStepsHaveNoSource)
{
    ExecutionEngineEntryPoints engine;
    EXPECT_FALSE(FindExecutionEngineEntryPoints(engine));
    DiagnosticLogEntryPoints log;
    EXPECT_FALSE(FindDiagnosticLogEntryPoints(log));
    StartTestAndAction();
    ASSERT_EQ(S_OK, Step("Replay", 10, 3, kovPass));
    EXPECT_TRUE(Node(10)->sourceText.IsEmpty());
    EXPECT_EQ(-1, Node(10)->sourceLine);
}

TEST_F(EventRouting, RepeatedEventIdsAreHeldOnce)
{
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    CTestDescription test;
    test.Text("TestName", "T");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));
    CTestDescription outer;
    outer.Text("NodeName", "outer").Int("Status", kovPass);
    ASSERT_EQ(S_OK, run->Log("Replay", 11, 10, outer));
    CTestDescription inner;
    inner.Text("NodeName", "inner").Int("Status", kovFail);
    ASSERT_EQ(S_OK, run->Log("Replay", 11, 11, inner));
    ASSERT_NE(nullptr, run->Logger()->Node(11));
    EXPECT_TRUE(run->Logger()->Node(11)->displayName == W("inner"));
    ASSERT_EQ(S_OK, run->Log("EndRepLog", 12, 0));
    EXPECT_EQ(0u, run->Logger()->Run().NodeCount());
}
