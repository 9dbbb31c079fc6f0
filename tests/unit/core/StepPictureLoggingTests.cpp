// Pictures of whole steps logged through the logger: the snapshot and the
// user's picture reach the host's objects (registered by ProgID as a host
// installation registers them) from step processing, end up in the node's
// bottom pane and in Results.xml, and no failure of a host object loses the
// step or leaves the test option changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakeHostObjects.h"
#include "support/FakePictureHost.h"
#include "support/TestLogger.h"

using test::CTestDescription;

namespace {

std::string Text(const CBstrString& text) { return test::Utf16ToUtf8(text.c_str()); }

class StepPictureLogging : public ::testing::Test {
protected:
    StepPictureLogging()
    {
        settings.SetUsual();
        host.reset(new test::CFakePictureHost());
        run.reset(new test::CTestRun(settings, folder.Wide()));
        log = test::FakeDiagnosticLogEntryPoints(&lines);
        run->Logger()->UseDiagnosticLog(&log);
    }
    ~StepPictureLogging() override
    {
        // The logger lets the host's objects go before the host leaves.
        run.reset();
        host.reset();
    }

    void SetUp() override { ASSERT_TRUE(host->Registered()); }

    test::PictureHostState& Host() { return host->State(); }
    const EventNode* Node(LONG id) { return run->Logger()->Node(id); }
    std::string Calls() { return Host().CallText(); }
    // The absolute step folder as the host's objects get it.
    std::string Absolute(const char* relative) { return test::Utf16ToUtf8(folder.Wide()) + "\\" + relative; }

    // StartRepLog, a test (2) and an action (3) with its first iteration (4).
    void StartRun()
    {
        ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
        CTestDescription test;
        test.Text("TestName", "Flights");
        ASSERT_EQ(S_OK, run->Log("StartTest", 2, 1, test));
        CTestDescription action;
        action.Text("TestName", "Login");
        ASSERT_EQ(S_OK, run->Log("StartAction", 3, 2, action));
        CTestDescription iteration;
        iteration.Int("Iteration", 1);
        ASSERT_EQ(S_OK, run->Log("StartIteration", 4, 3, iteration));
        Host().calls.clear();
    }

    // A step description that asks the reporter for a snapshot.
    static CTestDescription& AskForSnapshot(CTestDescription& step, IUnknown* reporter)
    {
        VARIANT flag;
        VariantInit(&flag);
        V_VT(&flag) = VT_I2;
        V_I2(&flag) = 1;
        step.Value("DoSaveSnapShot", &flag).Object("ReporterDispatch", reporter);
        reporter->Release();
        return step;
    }
    CTestDescription& Step(CTestDescription& step, const char* name)
    {
        return step.Text("NodeName", name).Int("Status", kovPass);
    }

    test::TempFolder folder;
    test::CTestSettings settings; // before the host: its classes go into the same registry
    std::unique_ptr<test::CFakePictureHost> host;
    std::unique_ptr<test::CTestRun> run;
    std::vector<test::DiagnosticLine> lines;
    DiagnosticLogEntryPoints log;
};

const char kTimeoutAtZero[] = "GetObjectDirectory\n"
                              "LookupObject(TestOptions,options)\n"
                              "GetOption(,DefaultTimeout,0,0)\n"
                              "SetOption(,DefaultTimeout,0:3,0,0,0,3,0)\n";
const char kTimeoutRestored[] = "SetOption(,DefaultTimeout,20:3,0,0,0,3,0)\n";

} // namespace

TEST_F(StepPictureLogging, SnapshotIsTakenInTheIterationFolderAndShownInTheBottomPane)
{
    StartRun();
    const std::string stepFolder =
        test::Utf16ToUtf8(run->Logger()->Run().CurrentScope()->folderName.c_str()) + "\\Row1";
    CTestDescription step;
    Step(AskForSnapshot(step, host->NewReporter()), "Click OK").Text("ViewType", "Sell.Explorer.2");
    ASSERT_EQ(S_OK, run->Log("Replay", 10, 4, step));

    EXPECT_EQ(Calls(), std::string(kTimeoutAtZero) + "SaveSnapshot(" + Absolute(stepFolder.c_str()) + ",1,1,0)\n" +
                           kTimeoutRestored + "GetReportFilePath(" + stepFolder + ",Snapshot3.png)\n");
    EXPECT_EQ(Host().timeoutDuringSnapshot, "0");
    EXPECT_EQ(Host().timeoutValue, 20);
    const EventNode* node = Node(10);
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(Text(node->bottomFilePath), stepFolder + "\\Snapshot3.png");
    EXPECT_EQ(Text(node->highlightText), "Button \"OK\"");
    // The snapshot's viewer replaces the step's "ViewType" before the type is derived.
    EXPECT_EQ(Text(node->viewTypeText), "HTMLSNSH");
    EXPECT_TRUE(lines.empty());

    ASSERT_EQ(S_OK, run->Log("EndRepLog", 11, 0));
    std::string results = test::ReadFileBytes(folder.Path() / "Results.xml");
    EXPECT_NE(std::string::npos, results.find("<BtmPane vType=\"HTMLSNSH\">\r\n<Path><![CDATA[" + stepFolder +
                                              "\\Snapshot3.png]]></Path>\r\n<ASHilite><![CDATA[Button \"OK\"]]>"
                                              "</ASHilite>\r\n</BtmPane>"))
        << results;
}

TEST_F(StepPictureLogging, FailingOrThrowingSnapshotLeavesTheStepAndTheTimeoutAsTheyWere)
{
    StartRun();
    struct Case {
        HRESULT result;
        bool throws;
    };
    LONG id = 10;
    for (const Case& c : {Case{E_ABORT, false}, Case{S_OK, true}}) {
        Host().calls.clear();
        Host().snapshotResult = c.result;
        Host().snapshotThrows = c.throws;
        CTestDescription step;
        Step(AskForSnapshot(step, host->NewReporter()), "Click").Text("ViewType", "VCF1.VCF1Ctrl.1");
        ASSERT_EQ(S_OK, run->Log("Replay", id, 4, step));

        const EventNode* node = Node(id);
        ASSERT_NE(nullptr, node) << "the step is logged";
        EXPECT_TRUE(node->bottomFilePath.IsEmpty());
        EXPECT_TRUE(node->highlightText.IsEmpty());
        EXPECT_EQ(Text(node->viewTypeText), "Table");
        EXPECT_EQ(Host().timeoutValue, 20);
        EXPECT_EQ(Host().timeoutType, VT_I4);
        EXPECT_NE(std::string::npos, Calls().find(kTimeoutRestored)) << Calls();
        ++id;
    }
    EXPECT_EQ(Host().fileSystemObjects, 0);
    // The run goes on.
    ASSERT_EQ(S_OK, run->Log("Replay", id, 4));
    EXPECT_NE(nullptr, Node(id));
}

TEST_F(StepPictureLogging, StepsThatCannotHaveASnapshotAreLoggedAsTheyCome)
{
    // (A node is looked at right after its step: the next sibling closes it.)
    StartRun();
    // No reporter.
    CTestDescription noReporter;
    Step(noReporter, "A").Int("DoSaveSnapShot", 1);
    ASSERT_EQ(S_OK, run->Log("Replay", 10, 4, noReporter));
    ASSERT_NE(nullptr, Node(10));
    EXPECT_TRUE(Node(10)->bottomFilePath.IsEmpty());
    EXPECT_EQ(Text(Node(10)->viewTypeText), "HTML");

    // A file given by the host is kept.
    CTestDescription hostFile;
    Step(AskForSnapshot(hostFile, host->NewReporter()), "B").Text("BottomFilePath", "given.png");
    ASSERT_EQ(S_OK, run->Log("Replay", 11, 4, hostFile));
    ASSERT_NE(nullptr, Node(11));
    EXPECT_EQ(Text(Node(11)->bottomFilePath), "given.png");
    EXPECT_EQ(Calls(), "");

    // A reporter without the second interface takes the snapshot with the
    // options untouched.
    CTestDescription plainReporter;
    Step(AskForSnapshot(plainReporter, host->NewReporter(false)), "C");
    ASSERT_EQ(S_OK, run->Log("Replay", 12, 4, plainReporter));
    ASSERT_NE(nullptr, Node(12));
    EXPECT_NE(std::string::npos, Text(Node(12)->bottomFilePath).find("Snapshot3.png"));
    EXPECT_EQ(Calls().find("Option"), std::string::npos) << Calls();
    EXPECT_EQ(Host().timeoutDuringSnapshot, "-");
}

TEST_F(StepPictureLogging, UsersPictureWinsOverTheSnapshotAndKeepsItsHighlight)
{
    StartRun();
    CTestDescription step;
    Step(AskForSnapshot(step, host->NewReporter()), "Picture").Int("UsersPictureHbitmap", 4242);
    ASSERT_EQ(S_OK, run->Log("User", 10, 4, step));

    const EventNode* node = Node(10);
    ASSERT_NE(nullptr, node);
    EXPECT_NE(std::string::npos, Text(node->bottomFilePath).find("\\UsersPicture5.png")) << Text(node->bottomFilePath);
    EXPECT_EQ(Text(node->highlightText), "Button \"OK\"");
    EXPECT_EQ(Text(node->viewTypeText), "HTMLSNSH");
    EXPECT_NE(std::string::npos, Calls().find(",UsersPicture,4242,2)\nEndSave(0)\nGetReportFilePath(")) << Calls();
    EXPECT_EQ(Host().fileSystemObjects, 1);
    EXPECT_EQ(Host().screenShotUtilities, 1);
}

TEST_F(StepPictureLogging, FailedUsersPictureClearsTheViewType)
{
    StartRun();
    // -1 is an error; so is a utility that cannot save. Either way the viewer
    // type falls back to HTML, also over the snapshot's viewer.
    CTestDescription invalid;
    Step(invalid, "A").Int("UsersPictureHbitmap", -1).Text("ViewType", "VCF1.VCF1Ctrl.1");
    ASSERT_EQ(S_OK, run->Log("User", 10, 4, invalid));
    ASSERT_NE(nullptr, Node(10));
    EXPECT_EQ(Text(Node(10)->viewTypeText), "HTML");
    EXPECT_TRUE(Node(10)->bottomFilePath.IsEmpty());

    Host().saveBitmapResult = E_OUTOFMEMORY;
    CTestDescription unsaved;
    Step(AskForSnapshot(unsaved, host->NewReporter()), "B").Int("UsersPictureHbitmap", 7);
    ASSERT_EQ(S_OK, run->Log("User", 11, 4, unsaved));
    ASSERT_NE(nullptr, Node(11));
    EXPECT_EQ(Text(Node(11)->viewTypeText), "HTML");
    // The snapshot's file stays where the picture could not be saved.
    EXPECT_NE(std::string::npos, Text(Node(11)->bottomFilePath).find("Snapshot3.png"));

    // 0 asks for nothing: the step's own "ViewType" stands.
    CTestDescription none;
    Step(none, "C").Int("UsersPictureHbitmap", 0).Text("ViewType", "VCF1.VCF1Ctrl.1");
    ASSERT_EQ(S_OK, run->Log("User", 12, 4, none));
    ASSERT_NE(nullptr, Node(12));
    EXPECT_EQ(Text(Node(12)->viewTypeText), "Table");
    EXPECT_EQ(Host().screenShotUtilities, 1);
}

TEST_F(StepPictureLogging, HostObjectsAreKeptAcrossStepsAndRunsAndRetriedAfterAFailure)
{
    Host().fileSystemCreatable = false;
    StartRun();
    CTestDescription first;
    Step(first, "A").Int("UsersPictureHbitmap", 3);
    ASSERT_EQ(S_OK, run->Log("User", 10, 4, first));
    EXPECT_TRUE(Node(10)->bottomFilePath.IsEmpty());
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(lines[0].message, "KOV_LOG_ASSERT. Expression: SUCCEEDED(hr) && NULL != m_spVFS");
    EXPECT_EQ(lines[0].function, "CAnnalistImp::SaveUsersPicture");
    EXPECT_EQ(lines[0].sourceFile, "AnnalistImp");
    EXPECT_EQ(lines[0].level, 2);
    EXPECT_EQ(lines[0].flag, 1u);
    EXPECT_TRUE(lines[0].withHr);
    EXPECT_EQ(lines[0].hr, E_OUTOFMEMORY);

    Host().fileSystemCreatable = true;
    for (LONG id = 11; id < 13; ++id) {
        CTestDescription step;
        Step(AskForSnapshot(step, host->NewReporter(false)), "B").Int("UsersPictureHbitmap", 3);
        ASSERT_EQ(S_OK, run->Log("User", id, 4, step));
        EXPECT_FALSE(Node(id)->bottomFilePath.IsEmpty());
    }
    ASSERT_EQ(S_OK, run->Log("EndRepLog", 13, 0));

    // A second run of the same logger.
    StartRun();
    CTestDescription again;
    Step(again, "C").Int("UsersPictureHbitmap", 3);
    ASSERT_EQ(S_OK, run->Log("User", 20, 4, again));
    EXPECT_FALSE(Node(20)->bottomFilePath.IsEmpty());
    EXPECT_EQ(Host().fileSystemObjects, 1);
    EXPECT_EQ(Host().screenShotUtilities, 1);
    EXPECT_EQ(1u, lines.size());
}

TEST(StepPictureLoggingLevels, TheEarlierLevelTakesSnapshotsButNoUsersPicture)
{
    test::TempFolder folder;
    test::CTestSettings settings;
    settings.SetUsual();
    test::CFakePictureHost host;
    ASSERT_TRUE(host.Registered());
    test::CTestRun run(settings, folder.Wide(), ProductLevel::Earlier);
    ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
    ASSERT_EQ(S_OK, run.Log("StartTest", 2, 1));

    CTestDescription step;
    VARIANT flag;
    VariantInit(&flag);
    V_VT(&flag) = VT_I2;
    V_I2(&flag) = 1;
    IUnknown* reporter = host.NewReporter(false);
    step.Value("DoSaveSnapShot", &flag).Object("ReporterDispatch", reporter).Int("UsersPictureHbitmap", -1);
    reporter->Release();
    ASSERT_EQ(S_OK, run.Log("User", 3, 2, step));

    const EventNode* node = run.Logger()->Node(3);
    ASSERT_NE(nullptr, node);
    EXPECT_NE(std::string::npos, Text(node->bottomFilePath).find("Snapshot3.png"));
    // The invalid picture would have cleared the snapshot's viewer.
    EXPECT_EQ(Text(node->viewTypeText), "HTMLSNSH");
    EXPECT_EQ(host.State().screenShotUtilities, 0);
    EXPECT_EQ(host.State().CallText().find("SaveBitmap"), std::string::npos);
    run.ReleaseLogger();
}
