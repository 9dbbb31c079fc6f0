// Whole runs logged through the logger's interface methods, each compared
// byte for byte with its expected Results.xml (tests/data/integration).
#include <gtest/gtest.h>

#include "support/FakeHostObjects.h"
#include "support/ResultsFiles.h"
#include "support/TestLogger.h"

using test::CTestDescription;

namespace {

class WholeRun : public ::testing::Test {
protected:
    WholeRun() { settings.SetUsual(); }

    std::unique_ptr<test::CTestRun> NewRun(ProductLevel level = ProductLevel::Current)
    {
        return std::unique_ptr<test::CTestRun>(new test::CTestRun(settings, folder.Wide(), level));
    }

    test::TempFolder folder;
    test::CTestSettings settings;
};

CTestDescription& Named(CTestDescription& description, const char* name, LONG status)
{
    return description.Text("NodeName", name).Int("Status", status);
}

} // namespace

// A test with a data table and additional information, a test iteration, two
// actions with iterations, nested and sibling steps, statuses that reach the
// ancestors, SetStatus, and parameters in and out.
TEST_F(WholeRun, TestWithActionsAndIterations)
{
    auto run = NewRun();
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));

    CTestDescription info;
    info.Text("ProductName", "Corvane").Text("Version", "12.0").Text("Title", "Flights")
        .Text("TestLocation", "C:\\Tests\\Flights").Int("ToolOsVersion", 7).Text("VaultServer", "srv1")
        .Text("VaultProject", "Travel").Text("UserName", "tester").Text("Password", "secret");
    ASSERT_EQ(S_OK, run->Log("SetInfo", 2, 0, info));
    CTestDescription identity;
    identity.Int("DebugRunMode", 0).Text("ShortTestset", "Nightly").Text("TestVersionInVC", "v3");
    ASSERT_EQ(S_OK, run->Log("ReportPrepareRun", 3, 0, identity));

    auto testParameters = test::CreateFakeParameters(
        {test::TextParameter("User", 0, "admin"), test::EmptyParameter("Token", 0), test::IntParameter("Result", 1, 3)});
    CTestDescription test;
    test.Text("TestName", "Flights").Text("ResultsName", "Res1").Text("ProductName", "Corvane")
        .Text("DocumentType", "Test").Flag("RunInUpdateVOMode", true).Object("ArgumentsDispatch", testParameters.Get());
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));
    CTestDescription additional;
    additional.Text("NodeName", "Browser").Text("NodeValue", "IE 11");
    ASSERT_EQ(S_OK, run->Log("AdditionalInfo", 11, 10, additional));
    CTestDescription table;
    Named(table, "Global data", kovDone);
    ASSERT_EQ(S_OK, run->Log("Table", 12, 10, table));
    CTestDescription testIteration;
    testIteration.Int("Iteration", 1);
    ASSERT_EQ(S_OK, run->Log("StartIteration", 13, 10, testIteration));

    auto actionParameters =
        test::CreateFakeParameters({test::TextParameter("City", 0, "Paris"), test::FlagParameter("Booked", 1, true)});
    CTestDescription login;
    login.Text("TestName", "Login").Object("ArgumentsDispatch", actionParameters.Get());
    ASSERT_EQ(S_OK, run->Log("StartAction", 20, 13, login));
    CTestDescription firstRow;
    firstRow.Int("Iteration", 1);
    ASSERT_EQ(S_OK, run->Log("StartIteration", 21, 20, firstRow));
    CTestDescription click;
    Named(click, "Click OK", kovPass).Text("StepInfo", "Clicked the OK button").Text("ReturnValue", "0")
        .Text("NodeType", "Button").Text("BottomFilePath", "Act0\\Row1\\snap.png").Text("ViewType", "Sell.Explorer.2");
    ASSERT_EQ(S_OK, run->Log("Replay", 22, 21, click));
    CTestDescription inner;
    inner.Text("PlainTextNodeName", "Inner <check>").Text("StepPlainTxt", "plain & simple").Int("Status", kovWarning)
        .Text("MovieMarkerID", "M7").Flag("EnableFilter", false);
    ASSERT_EQ(S_OK, run->Log("Replay", 23, 22, inner));
    CTestDescription report;
    Named(report, "Report", kovDone).Int("IconIndex", 4).Int("IconSelIndex", 5);
    ASSERT_EQ(S_OK, run->Log("User", 24, 21, report)); // closes 23 and 22
    ASSERT_EQ(S_OK, run->Logger()->SetStatus(24, kovFail));
    CTestDescription endRow;
    endRow.Text("ReturnValue", "row 1 done");
    ASSERT_EQ(S_OK, run->Log("EndActionIteration", 25, 20, endRow));
    CTestDescription secondRow;
    secondRow.Int("Iteration", 2);
    ASSERT_EQ(S_OK, run->Log("StartIteration", 26, 20, secondRow));
    CTestDescription check;
    Named(check, "Check title", kovPass).Text("StepHtmlInfo", "<b>title</b> matches");
    ASSERT_EQ(S_OK, run->Log("Verification", 27, 26, check));
    ASSERT_EQ(S_OK, run->Log("EndActionIteration", 28, 20));
    CTestDescription endLogin;
    endLogin.Text("ReturnValue", "logged in").Object("ArgumentsDispatch", actionParameters.Get());
    ASSERT_EQ(S_OK, run->Log("EndAction", 29, 20, endLogin));

    CTestDescription book;
    book.Text("TestName", "Book");
    ASSERT_EQ(S_OK, run->Log("StartAction", 30, 13, book));
    CTestDescription failed;
    Named(failed, "Select flight", kovFail).Text("StepInfo", "No flight found");
    ASSERT_EQ(S_OK, run->Log("Replay", 31, 30, failed));
    CTestDescription info2;
    Named(info2, "Note", kovInfo);
    ASSERT_EQ(S_OK, run->Log("Context", 32, 30, info2));
    ASSERT_EQ(S_OK, run->Log("EndAction", 33, 30));

    CTestDescription endTest;
    endTest.Text("ReturnValue", "finished").Object("ArgumentsDispatch", testParameters.Get());
    ASSERT_EQ(S_OK, run->Log("EndTest", 40, 0, endTest));
    EXPECT_EQ(kovFail, endTest.GetInt("ReturnLogStatus"));
    ASSERT_EQ(S_OK, run->Log("EndRepLog", 41, 0));

    test::ExpectResultsMatch(folder.Path(), "TestWithActionsAndIterations.xml");
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "Act0" / "Row0"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "Act1" / "Row2"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "Act2" / "Row0"));
    EXPECT_EQ(223u, test::ReadFileBytes(folder.Path() / "Results.cvn").size());
    EXPECT_TRUE(test::FileExists(folder.Path() / "InstallNewReport.html"));
}

// Filters 1 to 3, a type that is not enabled, and a "User" step with an
// invalid status, whose record number the next step takes.
TEST_F(WholeRun, FiltersAndRefusedSteps)
{
    auto run = NewRun();
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    CTestDescription test;
    test.Text("TestName", "Filtered").Text("DocumentType", "Test");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));
    CTestDescription action;
    action.Text("TestName", "Main");
    ASSERT_EQ(S_OK, run->Log("StartAction", 20, 10, action));

    struct Step {
        tagReportFilter filter;
        const char* type;
        LONG id;
        LONG status; // -2: no description
        HRESULT result;
    } steps[] = {
        {rfEnableErrorsAndWarnings, "Replay", 21, kovPass, S_OK},
        {rfEnableErrorsAndWarnings, "Replay", 22, kovFail, S_OK},
        {rfEnableErrorsAndWarnings, "Replay", 23, kovWarning, S_OK},
        {rfEnableErrorsAndWarnings, "Replay", 24, kovInfo, S_OK},
        {rfEnableErrorsAndWarnings, "Replay", 25, -2, S_OK},
        {rfEnableErrorsOnly, "User", 26, 9, S_OK},
        {rfEnableErrorsOnly, "Replay", 27, kovWarning, S_OK},
        {rfEnableErrorsOnly, "Replay", 28, kovFail, S_OK},
        {rfDisableAll, "Replay", 29, kovFail, S_OK},
        {rfEnableAll, "Checkpoint", 30, kovFail, S_OK},
        {rfEnableAll, "User", 31, 9, E_FAIL},
        {rfEnableAll, "User", 32, kovDone, S_OK},
    };
    for (const Step& step : steps) {
        run->Logger()->put_Filter(step.filter);
        CTestDescription description;
        Named(description, ("step " + std::to_string(step.id)).c_str(), step.status);
        HRESULT result = step.status == -2 ? run->Log(step.type, step.id, 20) : run->Log(step.type, step.id, 20, description);
        EXPECT_EQ(step.result, result) << step.id;
        if (FAILED(result)) {
            EXPECT_EQ("9 is an invalid value for the EventStatus argument (argument 1).", test::TakeErrorDescription());
        }
    }
    ASSERT_EQ(S_OK, run->Log("EndRepLog", 40, 0));
    test::ExpectResultsMatch(folder.Path(), "FiltersAndRefusedSteps.xml");
}

// Checkpoint and output steps whose custom report objects give the HTML of
// the step, with and without the step page around it.
TEST_F(WholeRun, CustomReportObjects)
{
    auto run = NewRun();
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    CTestDescription test;
    test.Text("TestName", "Checks").Text("DocumentType", "Test");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));

    auto page = test::Adopt<IKovCustomReport>(new test::CFakeCustomReport("<p>3 of 3 properties matched</p>"));
    CTestDescription checkpoint;
    Named(checkpoint, "Page1", kovPass).Text("Action", "Check").Text("Step Name", "Standard checkpoint")
        .Int("Timeout_UsedTime", 0).Int("Timeout_FullTime", 30).Object("CustomObjUnk", page.Get())
        .Text("ViewType", "VCF1.VCF1Ctrl.1");
    ASSERT_EQ(S_OK, run->Log("Verification", 11, 10, checkpoint));
    EXPECT_EQ("VCF1.VCF1Ctrl.1", static_cast<test::CFakeCustomReport*>(page.Get())->ViewTypeSeen());

    auto raw = test::Adopt<IKovCustomReport>(new test::CFakeCustomReport("<b>output value</b>"));
    CTestDescription output;
    Named(output, "Value1", kovWarning).Text("Action", "Output").Int("UseCRFormat", 0).Object("CustomObjUnk", raw.Get());
    ASSERT_EQ(S_OK, run->Log("Verification", 12, 10, output));

    auto empty = test::Adopt<IKovCustomReport>(new test::CFakeCustomReport(""));
    CTestDescription nothing;
    Named(nothing, "Page3", kovFail).Text("Action", "Check").Object("CustomObjUnk", empty.Get());
    ASSERT_EQ(S_OK, run->Log("Verification", 13, 10, nothing));

    ASSERT_EQ(S_OK, run->Log("EndRepLog", 20, 0));
    test::ExpectResultsMatch(folder.Path(), "CustomReportObjects.xml");
}

// The end of a run that leaves a test, its iteration, an action and a step
// open, after the run was marked as not completed.
TEST_F(WholeRun, EndWithFourLevelsOpen)
{
    auto run = NewRun();
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    CTestDescription test;
    test.Text("TestName", "Open").Text("DocumentType", "Test");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));
    CTestDescription iteration;
    iteration.Int("Iteration", 3);
    ASSERT_EQ(S_OK, run->Log("StartIteration", 11, 10, iteration));
    CTestDescription action;
    action.Text("TestName", "Deep");
    ASSERT_EQ(S_OK, run->Log("StartAction", 12, 11, action));
    CTestDescription step;
    Named(step, "Stuck", kovWarning);
    ASSERT_EQ(S_OK, run->Log("Replay", 13, 12, step));
    CTestDescription status;
    status.Text("FINAL_STATUS", "Not Completed");
    ASSERT_EQ(S_OK, run->Log("FinalRunStatus", 14, 0, status));
    CTestDescription end;
    end.Text("ReturnValue", "aborted");
    ASSERT_EQ(S_OK, run->Log("EndRepLog", 15, 0, end));
    EXPECT_EQ(kovWarning, end.GetInt("ReturnLogStatus"));
    test::ExpectResultsMatch(folder.Path(), "EndWithFourLevelsOpen.xml");
}

// A business process with two components, each logged as a run of its own
// that leaves the report open for the next.
TEST_F(WholeRun, BusinessProcessWithComponents)
{
    auto run = NewRun();
    CTestDescription start;
    start.Flag("ReportAppendMode", false);
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0, start));
    CTestDescription info;
    info.Text("ProductName", "Corvane").Text("Version", "12.0").Int("ToolOsVersion", 9);
    ASSERT_EQ(S_OK, run->Log("SetInfo", 2, 0, info));
    CTestDescription process;
    process.Text("TestName", "Order").Text("ResultsName", "Order results").Int("IconIndex", 1).Int("IconSelIndex", 2);
    ASSERT_EQ(S_OK, run->Log("StartBP", 3, 0, process));

    const char* components[] = {"Login", "Pay"};
    LONG id = 10;
    for (int index = 0; index < 2; ++index) {
        if (index > 0) {
            CTestDescription next;
            next.Flag("ReportAppendMode", true);
            ASSERT_EQ(S_OK, run->Log("StartRepLog", id++, 0, next));
        }
        CTestDescription component;
        component.Text("TestName", components[index]).Text("DocumentType", "BC").Int("CompIterId", index + 1)
            .Int("CompIndexInBPT", index + 1);
        LONG componentId = id++;
        ASSERT_EQ(S_OK, run->Log("StartTest", componentId, 0, component));
        CTestDescription step;
        Named(step, components[index], index == 0 ? kovPass : kovWarning);
        ASSERT_EQ(S_OK, run->Log("Replay", id++, componentId, step));
        ASSERT_EQ(S_OK, run->Log("EndTest", id++, 0));
        CTestDescription end;
        end.Flag("ReportDumpStack", true);
        ASSERT_EQ(S_OK, run->Log("EndRepLog", id++, 0, end));
    }
    CTestDescription endProcess;
    endProcess.Flag("ReportAppendMode", true).Flag("ReportDumpStack", false);
    ASSERT_EQ(S_OK, run->Log("EndBP", id++, 0, endProcess));

    test::ExpectResultsMatch(folder.Path(), "BusinessProcessWithComponents.xml");
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "BC1" / "Act0" / "Row0"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "BC2" / "Act0" / "Row0"));
}

// The earlier product level: no time ticks, no sources, no test-management
// server and project.
TEST_F(WholeRun, EarlierProductLevel)
{
    auto run = NewRun(ProductLevel::Earlier);
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    CTestDescription info;
    info.Text("ProductName", "Corvane").Text("Version", "9.5").Text("VaultServer", "srv1").Text("VaultProject", "p");
    ASSERT_EQ(S_OK, run->Log("SetInfo", 2, 0, info));
    CTestDescription test;
    test.Text("TestName", "Old").Text("DocumentType", "Test");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));
    CTestDescription step;
    Named(step, "Click", kovPass);
    ASSERT_EQ(S_OK, run->Log("Replay", 11, 10, step));
    ASSERT_EQ(S_OK, run->Log("EndRepLog", 12, 0));
    test::ExpectResultsMatch(folder.Path(), "EarlierProductLevel.xml");
}

// A logger let go in the middle of a run ends the run: the report is
// complete, its open scopes end at that moment.
TEST_F(WholeRun, LoggerReleasedDuringARun)
{
    auto run = NewRun();
    ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    CTestDescription test;
    test.Text("TestName", "Abandoned").Text("DocumentType", "Test");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));
    CTestDescription step;
    Named(step, "Last step", kovPass);
    ASSERT_EQ(S_OK, run->Log("Replay", 11, 10, step));
    run->ReleaseLogger();
    test::ExpectResultsMatch(folder.Path(), "LoggerReleasedDuringARun.xml", true);
    EXPECT_TRUE(test::FileExists(folder.Path() / "GeneralInfo.ini"));
}

// Every recorded node carries the numbers of icon files copied into the
// results folder: the library's own icons for tests, actions and iterations,
// an .ico file named by a step copied once for all the steps that name it,
// and numbers that start again after the run, skipping the files already
// there.
TEST_F(WholeRun, IconFilesOfTheRun)
{
    std::string icoPath = test::DataPath("icons/sample4.ico").string();
    auto logRun = [&](test::CTestRun& run, CTestDescription& iconStep) {
        ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
        CTestDescription test;
        test.Text("TestName", "Icons").Text("DocumentType", "Test");
        ASSERT_EQ(S_OK, run.Log("StartTest", 10, 0, test));
        CTestDescription iteration;
        iteration.Int("Iteration", 1);
        ASSERT_EQ(S_OK, run.Log("StartIteration", 11, 10, iteration));
        Named(iconStep, "With an icon", kovPass).Text("DllPAth", icoPath).Int("DllIconIndex", 5).Int("IconIndex", 99);
        ASSERT_EQ(S_OK, run.Log("Replay", 12, 11, iconStep));
        CTestDescription sameIcon;
        Named(sameIcon, "Same icon", kovPass).Text("DllPAth", icoPath).Int("DllIconIndex", 5);
        ASSERT_EQ(S_OK, run.Log("Replay", 13, 11, sameIcon));
        ASSERT_EQ(S_OK, run.Log("EndRepLog", 14, 0));
    };

    CTestDescription first;
    {
        auto run = NewRun();
        logRun(*run, first);
    }
    std::filesystem::path icons = folder.Path() / "Icons";
    std::string ownTestIcon = test::ReadFileBytes(icons / "1.ico");
    EXPECT_FALSE(ownTestIcon.empty());
    EXPECT_FALSE(test::ReadFileBytes(icons / "2.ico").empty());
    EXPECT_NE(ownTestIcon, test::ReadFileBytes(icons / "2.ico")); // 201 and 202 differ
    // The copy differs from its source only in the images' biSizeImage.
    EXPECT_EQ(test::ReadFileBytes(icons / "3.ico").size(), test::ReadFileBytes(test::DataPath("icons/sample4.ico")).size());
    EXPECT_FALSE(test::FileExists(icons / "4.ico"));
    EXPECT_EQ(3, first.GetInt("IconIndex"));
    EXPECT_EQ(3, first.GetInt("IconSelIndex"));
    std::string report = test::ReadFileBytes(folder.Path() / "Results.xml");
    EXPECT_NE(std::string::npos, report.find("eType=\"StartTest\" icon=\"1\""));
    EXPECT_NE(std::string::npos, report.find("eType=\"StartIteration\" icon=\"2\""));
    EXPECT_EQ(2u, test::CountOf(report, "eType=\"Replay\" icon=\"3\""));

    // A second run into the same folder finds 1 to 3 taken.
    CTestDescription second;
    {
        auto run = NewRun();
        logRun(*run, second);
    }
    EXPECT_EQ(ownTestIcon, test::ReadFileBytes(icons / "4.ico"));
    EXPECT_EQ(6, second.GetInt("IconIndex"));
    EXPECT_FALSE(test::FileExists(icons / "7.ico"));
}
