// The record factory and the writer thread, driven directly with hand-made run
// state: closing of siblings and nested elements, status propagation, summaries,
// the record kinds without elements to close, append mode, a results file that
// cannot be opened, and the ownership rules for nodes and records.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "fs/ResultsFolder.h"
#include "report/EventTime.h"
#include "report/RecordFactory.h"
#include "report/XMLRootRecords.h"
#include "unit/report/ReportTestSupport.h"

namespace {

SYSTEMTIME At(WORD minute, WORD second, WORD year = 2024)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = 3;
    time.wDay = 5;
    time.wHour = 14;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

std::string Tick(const SYSTEMTIME& time)
{
    LONGLONG tick = 0;
    EXPECT_EQ(ComputeTimeTick(time, &tick), S_OK);
    return std::to_string(static_cast<int>(tick));
}

std::string NodeArgs(const std::string& eType, LONG id, const std::string& display, const std::string& status = "")
{
    return "<NodeArgs eType=\"" + eType + "\" icon=\"0\" nRep=\"" + std::to_string(id) + "\" " +
           (status.empty() ? "" : "status=\"" + status + "\" ") + ">\r\n<Disp><![CDATA[" + display +
           "]]></Disp>\r\n</NodeArgs>\r\n";
}

std::string StepStart(LONG record, const std::string& name)
{
    return "<Step rID=\"T" + std::to_string(record) + "\">\r\n<Obj ><![CDATA[" + name +
           "]]></Obj>\r\n<Details ><![CDATA[]]></Details>\r\n<Time><![CDATA[3/5/2024 - 14:05:05]]></Time>\r\n"
           "<TimeTick>" +
           Tick(At(5, 5)) + "</TimeTick>\r\n";
}

std::string StepEnd(LONG id, const std::string& name, const std::string& status = "")
{
    return NodeArgs("Replay", id, name, status) + "</Step>\r\n";
}

const char kDocStart[] = "<Doc rID=\"T1\"   productName= \"Corvane\"  >\r\n<DName><![CDATA[Login]]></DName>\r\n"
                         "<Res><![CDATA[Res1]]></Res>\r\n";
const char kScopeTimes[] = "sTime=\"3/5/2024 - 14:05:05\" eTime=\"3/5/2024 - 14:06:00\" ";

class RecordFactoryTest : public ::testing::Test {
protected:
    void SetUp() override { state.generalInfo.reset(new GeneralInfo()); }

    std::filesystem::path ResultsPath() const { return folder.Path() / "Results.xml"; }
    std::string Results() const { return test::ReadFileBytes(ResultsPath()); }

    // The file after the byte-order mark and the prologue, which must be there.
    std::string Body() const
    {
        std::string prologue = "\xEF\xBB\xBF" + test::TextOf(*std::make_unique<CXMLStartRootNodeData>(false, level));
        std::string all = Results();
        EXPECT_EQ(all.compare(0, prologue.size(), prologue), 0) << "no prologue";
        EXPECT_TRUE(test::WellFormed(all));
        return all.substr(std::min(all.size(), prologue.size()));
    }

    // A test or action scope, made current.
    RunScope& OpenScope(const char* name, LONG closeToId)
    {
        RunScope scope;
        scope.name = PAL_AsciiToWide(name).c_str();
        scope.resultsName = W("Res1");
        scope.productName = W("Corvane");
        scope.documentType = W("Test");
        scope.startTime = At(5, 5);
        scope.endTime = At(6, 0);
        scope.closeToId = closeToId;
        return run.OpenScope(scope);
    }

    // The core's end of a scope: its elements closed, then the scope popped.
    void EndScope(CRecordFactory& factory)
    {
        factory.CloseOpenElementsTo(run.CurrentScope()->closeToId);
        run.CloseScope();
    }

    std::unique_ptr<EventNode> MakeNode(LONG id, LONG parent, LONG record, const char* type, const char* name,
                                        LONG status = 2)
    {
        auto node = std::make_unique<EventNode>();
        node->eventId = id;
        node->parentId = parent;
        node->recordNumber = record;
        node->eventType = PAL_AsciiToWide(type).c_str();
        node->displayName = PAL_AsciiToWide(name).c_str();
        node->nameIsPlain = 1;
        node->detailsArePlain = 1;
        node->enableFilter = 1;
        node->status = status;
        node->eventTime = At(5, 5);
        return node;
    }

    EventNode* Register(CRecordFactory& factory, LONG id, LONG parent, LONG record, const char* type,
                        const char* name, LONG status = 2)
    {
        return factory.RegisterNode(MakeNode(id, parent, record, type, name, status));
    }

    // Test 1 (id 1) and, inside it, action 2 (id 2), both open.
    void StartTestAndAction(CRecordFactory& factory)
    {
        OpenScope("Login", 0);
        ASSERT_TRUE(factory.QueueReportRecord(xrkStartTest, Register(factory, 1, 0, 1, "StartTest", "Test Login Summary")));
        OpenScope("Action1", 1);
        ASSERT_TRUE(factory.QueueReportRecord(xrkStartAction, Register(factory, 2, 1, 2, "StartAction", "Action1 Summary")));
    }

    // The results folder the writer writes into.
    CResultsFolder Folder() const { return CResultsFolder(folder.Wide().c_str()); }

    test::TempFolder folder;
    RunState state;
    CRunModel run;
    ProductLevel level = ProductLevel::Current;
};

} // namespace

TEST_F(RecordFactoryTest, SiblingsCloseEachOtherAndStatusesReachTheAncestors)
{
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    StartTestAndAction(factory);
    // The core's counts of the two steps that passed and failed.
    run.CountStatus(0);
    run.CountStatus(1);
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 3, 2, 3, "Replay", "S1", 1)));
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 4, 2, 4, "Replay", "S2", 0)));
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 5, 2, 5, "Replay", "S3", 2)));
    EXPECT_EQ(factory.OpenElementCount(), 3u);
    EndScope(factory); // the action
    EndScope(factory); // the test
    EXPECT_EQ(run.LogStatus(), 1);
    factory.StopWriter(xrkEndRoot);

    EXPECT_EQ(run.NodeCount(), 0u);
    EXPECT_EQ(factory.OpenElementCount(), 0u);
    EXPECT_FALSE(factory.IsWriterRunning());
    EXPECT_EQ(Body(), std::string(kDocStart) + "<Action rID=\"T2\">\r\n<AName><![CDATA[Action1]]></AName>\r\n" +
                          StepStart(3, "S1") + StepEnd(3, "S1", "Failed") + StepStart(4, "S2") +
                          StepEnd(4, "S2", "Passed") + StepStart(5, "S3") + StepEnd(5, "S3") + "<Summary " +
                          kScopeTimes + "passed=\"1\" failed=\"1\" warnings=\"0\" ></Summary>\r\n" +
                          NodeArgs("StartAction", 2, "Action1 Summary", "Failed") + "</Action>\r\n" + "<Summary " +
                          kScopeTimes + "passed=\"1\" failed=\"1\" warnings=\"0\" ></Summary>\r\n" +
                          NodeArgs("StartTest", 1, "Test Login Summary", "Failed") + "</Doc>\r\n</Report>");
}

TEST_F(RecordFactoryTest, StatusPropagationFollowsTheMergeRule)
{
    CRecordFactory factory(state, run, level);
    StartTestAndAction(factory); // no writer: records are built and freed
    EventNode* action = run.FindNode(2);
    auto step = [&](LONG id, LONG status) {
        ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, id, 2, id, "Replay", "s", status)));
        factory.CloseOpenElementsTo(2);
    };
    step(3, 2); // Done changes nothing
    EXPECT_EQ(action->status, 2);
    step(4, 3);
    EXPECT_EQ(action->status, 3);
    step(5, 0); // Passed does not lower a warning
    EXPECT_EQ(action->status, 3);
    step(6, 1);
    EXPECT_EQ(action->status, 1);
    step(7, 3);
    step(8, 4);
    EXPECT_EQ(action->status, 1);
    EXPECT_EQ(run.FindNode(8), nullptr);
    // The end of a run: the factory lets its open elements go, the model
    // frees the nodes.
    factory.ResetRun();
    EXPECT_EQ(factory.OpenElementCount(), 0u);
    EXPECT_EQ(run.NodeCount(), 2u);
    run.Reset();
    EXPECT_EQ(run.NodeCount(), 0u);
}

TEST_F(RecordFactoryTest, NestedStepsCloseInnerFirst)
{
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    StartTestAndAction(factory);
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 3, 2, 3, "Replay", "Outer")));
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 4, 3, 4, "Replay", "Inner", 3)));
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 5, 2, 5, "Replay", "Next")));
    EndScope(factory);
    EndScope(factory);
    factory.StopWriter(xrkEndRoot);
    std::string body = Body();
    std::string expected = StepStart(3, "Outer") + StepStart(4, "Inner") + StepEnd(4, "Inner", "Warning") +
                           StepEnd(3, "Outer", "Warning") + StepStart(5, "Next") + StepEnd(5, "Next");
    EXPECT_NE(body.find(expected), std::string::npos) << body;
    EXPECT_EQ(run.LogStatus(), 3);
}

TEST_F(RecordFactoryTest, EndOfRunWithFourLevelsOpen)
{
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    OpenScope("Login", 0);
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartTest, Register(factory, 1, 0, 1, "StartTest", "T")));
    EventNode* iteration = Register(factory, 2, 1, 2, "StartIteration", "Login Iteration 1 (Row 1)");
    iteration->testIteration = 1;
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartTestIter, iteration));
    OpenScope("Action1", 2).returnValue = W("rv");
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartAction, Register(factory, 3, 2, 3, "StartAction", "A")));
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 4, 3, 4, "Replay", "S")));
    EndScope(factory); // closes the step and the action
    run.CurrentScope()->returnValue = W("done");
    EndScope(factory); // closes the iteration and the test
    factory.StopWriter(xrkEndRoot);

    std::string body = Body();
    std::string tail = StepEnd(4, "S") + "<Summary " + kScopeTimes +
                       "passed=\"0\" failed=\"0\" warnings=\"0\" retval=\"rv\" ></Summary>\r\n" +
                       NodeArgs("StartAction", 3, "A") + "</Action>\r\n" +
                       "<Summary retval=\"done\" ></Summary>\r\n" + NodeArgs("StartIteration", 2,
                                                                              "Login Iteration 1 (Row 1)") +
                       "</DIter>\r\n" + "<Summary " + kScopeTimes +
                       "passed=\"0\" failed=\"0\" warnings=\"0\" retval=\"done\" ></Summary>\r\n" +
                       NodeArgs("StartTest", 1, "T") + "</Doc>\r\n</Report>";
    ASSERT_GE(body.size(), tail.size());
    EXPECT_EQ(body.substr(body.size() - tail.size()), tail);
    EXPECT_NE(body.find("<DIter rID=\"T2\" iterID=\"1\" >\r\n<Action rID=\"T3\">"), std::string::npos);
}

TEST_F(RecordFactoryTest, SummariesOfTestsActionsAndIterations)
{
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    StartTestAndAction(factory);
    RunScope& action = *run.CurrentScope();
    action.returnValue = W("42");
    action.parameters.resize(2);
    action.parameters[0].name = W("in");
    action.parameters[0].value = W("<Not Initialized>");
    action.parameters[1].name = W("out");
    action.parameters[1].value = W("True");
    action.parameters[1].direction = 1;
    action.maintenanceSummary = W("<ActionMaintenanceSummary Action=\"a\" Objects=\"0\" Updated=\"0\" "
                                  "LinesTotal=\"0\" Added=\"0\" LinesUpdated=\"0\"/>");
    EventNode* iteration = Register(factory, 3, 2, 3, "StartIteration", "Action1 Iteration 1 (Row 1)");
    iteration->actionIteration = 1;
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartActionIter, iteration));
    state.runNotCompleted = true;
    EndScope(factory);
    EndScope(factory);
    factory.StopWriter(xrkEndRoot);

    std::string params = "<Param ><ParamName><![CDATA[in]]></ParamName><ParamVal><![CDATA[<Not Initialized>]]>"
                         "</ParamVal>\r\n</Param>\r\n<Param paramInOut = \"Out\"><ParamName><![CDATA[out]]>"
                         "</ParamName><ParamVal><![CDATA[True]]></ParamVal>\r\n</Param>\r\n";
    std::string body = Body();
    // The iteration: the action's return value and parameters only, never stopped.
    EXPECT_NE(body.find("<AIter rID=\"T3\" iterID=\"1\" >\r\n<Summary retval=\"42\" >" + params + "</Summary>\r\n" +
                        NodeArgs("StartIteration", 3, "Action1 Iteration 1 (Row 1)") + "</AIter>\r\n"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find(std::string("<Summary ") + kScopeTimes +
                        "passed=\"0\" failed=\"0\" warnings=\"0\" retval=\"42\" stopped=\"True\" >" + params +
                        "</Summary>\r\n<ActionMaintenanceSummary Action=\"a\" Objects=\"0\" Updated=\"0\" "
                        "LinesTotal=\"0\" Added=\"0\" LinesUpdated=\"0\"/>" +
                        NodeArgs("StartAction", 2, "Action1 Summary") + "</Action>\r\n"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find(std::string("<Summary ") + kScopeTimes +
                        "passed=\"0\" failed=\"0\" warnings=\"0\" stopped=\"True\" ></Summary>\r\n"),
              std::string::npos);
}

TEST_F(RecordFactoryTest, DataTableBusinessProcessGeneralAndAdditionalInfo)
{
    state.businessProcessName = W("Order");
    state.businessProcessResultsName = W("Res");
    state.generalInfo->product = W("Corvane");
    state.generalInfo->version = W("9.2");
    state.generalInfo->osVersion = 7;
    state.generalInfo->testOnHost = W("HOST");
    state.generalInfo->testLocation = W("C:\\t");
    state.generalInfo->vaultServer = W("srv");
    state.generalInfo->vaultProject = W("prj");
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    ASSERT_TRUE(factory.QueueReportRecord(xrkGeneral, nullptr));
    // A new file holds no business process yet: no "</BPT>" for it.
    EXPECT_FALSE(factory.QueueReportRecord(xrkEndBPT, nullptr));
    auto process = MakeNode(10, 0, 1, "StartBP", "Business Process Order Summary");
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartBPT, process.get()));
    EXPECT_EQ(factory.OpenElementCount(), 0u);
    OpenScope("Login", 10);
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartTest, Register(factory, 1, 10, 2, "StartTest", "T")));

    EXPECT_FALSE(factory.QueueReportRecord(xrkAdditionalInfo, nullptr));
    auto info = MakeNode(0, 0, 0, "AdditionalInfo", "1234");
    info->nodeType = W("Build");
    ASSERT_TRUE(factory.QueueReportRecord(xrkAdditionalInfo, info.get()));

    EventNode* table = Register(factory, 11, 1, 3, "Table", "Data", 1);
    ASSERT_TRUE(factory.QueueReportRecord(xrkDataTable, table));
    EXPECT_EQ(run.FindNode(11), nullptr); // written whole and freed
    EXPECT_EQ(factory.OpenElementCount(), 1u);
    EXPECT_EQ(run.FindNode(1)->status, 1); // its status reached the test

    EndScope(factory);
    ASSERT_TRUE(factory.QueueReportRecord(xrkEndBPT, nullptr));
    factory.StopWriter(xrkEndRoot);

    std::string body = Body();
    std::string expected =
        "<General productName=\"Corvane\" productVer=\"9.2\" os=\"Windows XP\" host=\"HOST\" vaultserver=\"srv\" "
        "vaultproject=\"prj\"><DocLocation><![CDATA[C:\\t]]></DocLocation></General>\r\n"
        "<BPT rID=\"T1\">\r\n<DName><![CDATA[Order]]></DName>\r\n<Res><![CDATA[Res]]></Res>\r\n" +
        NodeArgs("StartBP", 10, "Business Process Order Summary") +
        "<Doc rID=\"T2\"   productName= \"Corvane\"  >\r\n<DName><![CDATA[Login]]></DName>\r\n"
        "<Res><![CDATA[Res1]]></Res>\r\n<AdditionalInfo>\r\n<AdditionalDataName><![CDATA[Build]]>"
        "</AdditionalDataName>\r\n<AdditionalDataValue><![CDATA[1234]]></AdditionalDataValue>\r\n</AdditionalInfo>\r\n"
        "<DT rID=\"T3\">\r\n" +
        NodeArgs("Table", 11, "Data", "Failed") + "</DT>\r\n<Summary " + kScopeTimes +
        "passed=\"0\" failed=\"0\" warnings=\"0\" ></Summary>\r\n" + NodeArgs("StartTest", 1, "T", "Failed") +
        "</Doc>\r\n</BPT></Report>";
    EXPECT_EQ(body, expected);
}

TEST_F(RecordFactoryTest, PauseAndAppendContinueTheSameFile)
{
    {
        CRecordFactory factory(state, run, level);
        ASSERT_TRUE(factory.StartWriter(Folder()));
        StartTestAndAction(factory);
        ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 3, 2, 3, "Replay", "S1")));
        // A pause: nothing is closed, the file ends inside the open elements.
        factory.StopWriter(xrkExit);
        std::string paused = Results();
        EXPECT_EQ(paused.substr(paused.size() - 13), "</TimeTick>\r\n");
        EXPECT_EQ(factory.OpenElementCount(), 3u);

        // The next run appends: no byte-order mark, no prologue; the open
        // elements are closed in the appended text.
        state.appendMode = true;
        ASSERT_TRUE(factory.StartWriter(Folder()));
        ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 4, 2, 4, "Replay", "S2")));
        EndScope(factory);
        EndScope(factory);
        // The end of an append-style run leaves the root open.
        factory.StopWriter(xrkCloseAndExit);
        std::string appended = Results();
        ASSERT_GT(appended.size(), paused.size());
        EXPECT_EQ(appended.compare(0, paused.size(), paused), 0);
        EXPECT_EQ(appended.substr(paused.size(), StepEnd(3, "S1").size()), StepEnd(3, "S1"));
        EXPECT_EQ(appended.substr(appended.size() - 8), "</Doc>\r\n");
        EXPECT_EQ(appended.find("\xEF\xBB\xBF", 3), std::string::npos);

        ASSERT_TRUE(factory.StartWriter(Folder()));
        factory.StopWriter(xrkEndRoot);
    }
    std::string all = Results();
    EXPECT_EQ(all.substr(all.size() - 17), "</Doc>\r\n</Report>");
    EXPECT_TRUE(test::WellFormed(all));
    EXPECT_EQ(std::count(all.begin(), all.end(), '\xEF'), 1);
}

TEST_F(RecordFactoryTest, AppendingToAMissingFileBeginsANewReport)
{
    // Nothing to continue: the file gets its prologue, and an end of a
    // business process that is not in it is not written.
    state.appendMode = true;
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    EXPECT_FALSE(factory.QueueReportRecord(xrkEndBPT, nullptr));
    factory.StopWriter(xrkCloseAndExit);
    EXPECT_EQ(Results(), "\xEF\xBB\xBF" + test::TextOf(*std::make_unique<CXMLStartRootNodeData>(false, level)));
    EXPECT_EQ(factory.TakeLossError(), 0u);
}

TEST_F(RecordFactoryTest, AResultsFileThatCannotBeOpened)
{
    std::string missing = test::Utf16ToUtf8(folder.Wide()) + "\\no such folder";
    CRecordFactory factory(state, run, level);
    EXPECT_FALSE(factory.StartWriter(CResultsFolder(test::Utf8ToUtf16(missing).c_str())));
    StartTestAndAction(factory);
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 3, 2, 3, "Replay", "S")));
    // Stopping returns at once; the queued records are freed, not written,
    // and the loss is told once.
    factory.StopWriter(xrkEndRoot);
    EXPECT_FALSE(test::FileExists(folder.Path() / "no such folder" / "Results.xml"));
    EXPECT_EQ(run.NodeCount(), 0u);
    EXPECT_FALSE(factory.IsWriterRunning());
    EXPECT_EQ(factory.TakeLossError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(factory.TakeLossError(), 0u);
}

TEST_F(RecordFactoryTest, RecordsAfterTheWriterEndedAreFreed)
{
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    factory.StopWriter(xrkExit);
    std::string written = Results();
    // Never written, and freed (the sanitizer builds would see a leak).
    EXPECT_TRUE(factory.QueueReportRecord(xrkGeneral, nullptr));
    EXPECT_TRUE(factory.QueueReportRecord(xrkExit, nullptr));
    EXPECT_FALSE(factory.EnqueueRecord(new CXMLEndRootNodeData()));
    factory.StopWriter(xrkEndRoot);
    EXPECT_EQ(Results(), written);
}

TEST_F(RecordFactoryTest, DestroyingTheFactoryEndsTheRunCleanly)
{
    {
        CRecordFactory factory(state, run, level);
        ASSERT_TRUE(factory.StartWriter(Folder()));
        StartTestAndAction(factory);
        ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 3, 2, 3, "Replay", "S")));
    }
    std::string all = Results();
    EXPECT_EQ(all.substr(all.size() - 9), "</Report>");
    EXPECT_TRUE(test::WellFormed(all));
    EXPECT_EQ(run.NodeCount(), 0u);
}

TEST_F(RecordFactoryTest, AStepWithAnEventIdStillOpenReplacesItInTheMap)
{
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    StartTestAndAction(factory);
    EventNode* first = Register(factory, 3, 2, 3, "Replay", "First", 3);
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, first));
    // A child of the first, then a second node under the same id (a sibling of the first).
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 4, 3, 4, "Replay", "Child")));
    EventNode* second = Register(factory, 3, 2, 5, "Replay", "Second");
    EXPECT_EQ(run.FindNode(3), second);
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, second));
    EndScope(factory);
    EndScope(factory);
    factory.StopWriter(xrkEndRoot);
    EXPECT_EQ(run.NodeCount(), 0u);
    std::string body = Body();
    EXPECT_NE(body.find(StepStart(3, "First") + StepStart(4, "Child") + StepEnd(4, "Child") +
                        StepEnd(3, "First", "Warning") + StepStart(5, "Second") + StepEnd(3, "Second")),
              std::string::npos)
        << body;

    // Replacing a node that is not open frees it at once.
    EventNode* table = Register(factory, 9, 0, 9, "Table", "a");
    Register(factory, 9, 0, 10, "Table", "b");
    EXPECT_NE(run.FindNode(9), nullptr);
    (void)table;
    EXPECT_EQ(factory.RegisterNode(nullptr), nullptr);
    factory.ResetRun();
}

TEST_F(RecordFactoryTest, NodesAndKindsThatBuildNothing)
{
    CRecordFactory factory(state, run, level);
    EXPECT_FALSE(factory.QueueReportRecord(static_cast<ReportRecordKind>(20), nullptr));
    EXPECT_FALSE(factory.QueueReportRecord(static_cast<ReportRecordKind>(-1), nullptr));
    EXPECT_FALSE(factory.QueueReportRecord(xrkStartStep, nullptr));
    EXPECT_FALSE(factory.QueueReportRecord(xrkDataTable, nullptr));
    // No scope: no test or action element.
    EXPECT_FALSE(factory.QueueReportRecord(xrkStartTest, Register(factory, 1, 0, 1, "StartTest", "T")));
    EXPECT_FALSE(factory.QueueReportRecord(xrkStartAction, Register(factory, 2, 0, 2, "StartAction", "A")));
    // No general information: no General element.
    state.generalInfo.reset();
    EXPECT_FALSE(factory.QueueReportRecord(xrkGeneral, nullptr));
    // An open element's end kind is the stack's to queue.
    OpenScope("Login", 0);
    EventNode* test = run.FindNode(1);
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartTest, test));
    EXPECT_FALSE(factory.QueueReportRecord(xrkEndTest, test));
    EXPECT_EQ(factory.OpenElementCount(), 1u);
    factory.ResetRun();
}

TEST_F(RecordFactoryTest, AStepTimeTheRuntimeCannotConvertStillWritesTheStep)
{
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    StartTestAndAction(factory);
    EventNode* old = Register(factory, 3, 2, 3, "Replay", "Old");
    old->eventTime = At(5, 5, 1950);
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, old));
    EndScope(factory);
    EndScope(factory);
    factory.StopWriter(xrkEndRoot);
    EXPECT_NE(Body().find("<Time><![CDATA[3/5/1950 - 14:05:05]]></Time>\r\n<TimeTick>0</TimeTick>\r\n"),
              std::string::npos);
}

TEST_F(RecordFactoryTest, HtmlStepsAndTheEarlierLevel)
{
    level = ProductLevel::Earlier;
    state.generalInfo->product = W("P");
    state.generalInfo->vaultServer = W("srv");
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    ASSERT_TRUE(factory.QueueReportRecord(xrkGeneral, nullptr));
    StartTestAndAction(factory);
    EventNode* html = Register(factory, 3, 2, 3, "Replay", "Page");
    html->htmlText = W("<html/>");
    html->details = W("d");
    html->returnValue = W("r");
    html->sourceText = W("Action1");
    html->sourceLine = 4;
    html->viewTypeText = W("HTML");
    html->bottomFilePath = W("Act1\\Row1\\Snapshot1.png");
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, html));
    EXPECT_TRUE(html->htmlText.IsEmpty()); // the large texts now live in the record
    EXPECT_TRUE(html->details.IsEmpty());
    EXPECT_TRUE(html->returnValue.IsEmpty());
    EndScope(factory);
    EndScope(factory);
    factory.StopWriter(xrkEndRoot);

    std::string body = Body();
    EXPECT_EQ(body.find("vaultserver"), std::string::npos);
    EXPECT_NE(body.find("<HtmlStep rID=\"T3\">\r\n<HTML><![CDATA[<html/>]]></HTML>\r\n"
                        "<NodeArgs eType=\"Replay\" icon=\"0\" nRep=\"3\" >\r\n<Disp><![CDATA[Page]]></Disp>\r\n"
                        "<BtmPane vType=\"HTML\">\r\n<Path><![CDATA[Act1\\Row1\\Snapshot1.png]]></Path>\r\n</BtmPane>\r\n"
                        "</NodeArgs>\r\n</HtmlStep>\r\n"),
              std::string::npos)
        << body;
}

TEST_F(RecordFactoryTest, SourceInformationAtTheCurrentLevel)
{
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    StartTestAndAction(factory);
    EventNode* step = Register(factory, 3, 2, 3, "Replay", "S");
    step->sourceText = W("Browser(\"B\").Page(\"P\")\nLine 2");
    step->sourceLine = 12;
    step->enableFilter = 0;
    step->iconIndex = 5;
    step->selectedIconIndex = 6;
    step->movieMarker = W("M");
    step->nodeType = W("a&b");
    ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, step));
    EndScope(factory);
    EndScope(factory);
    factory.StopWriter(xrkEndRoot);
    EXPECT_NE(Body().find("<NodeArgs eType=\"Replay\" icon=\"5\" nRep=\"3\" nType=\"a&amp;b\" iconSel=\"6\" "
                          "filter=\"False\" MovieMarker=\"M\" Source=\"Browser(&quot;B&quot;).Page(&quot;P&quot;)"
                          "&lt;br&gt;Line 2\" SourceLine=\"12\" >"),
              std::string::npos);
}

TEST_F(RecordFactoryTest, ManyRecordsKeepTheirOrder)
{
    CRecordFactory factory(state, run, level);
    ASSERT_TRUE(factory.StartWriter(Folder()));
    StartTestAndAction(factory);
    const LONG steps = 3000;
    for (LONG i = 0; i < steps; ++i) {
        ASSERT_TRUE(factory.QueueReportRecord(xrkStartStep, Register(factory, 10 + i, 2, 3 + i, "Replay", "s")));
        if (i % 500 == 0)
            std::this_thread::yield();
    }
    // Memory stays with the open tree: the closed siblings are gone.
    EXPECT_EQ(run.NodeCount(), 3u);
    EndScope(factory);
    EndScope(factory);
    factory.StopWriter(xrkEndRoot);
    std::string body = Body();
    size_t at = 0;
    for (LONG i = 0; i < steps; ++i) {
        at = body.find("<Step rID=\"T" + std::to_string(3 + i) + "\">", at);
        ASSERT_NE(at, std::string::npos) << i;
    }
}
