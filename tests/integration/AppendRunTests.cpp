// Runs that continue an earlier report: append mode across two logger
// objects, and a pause in the middle of a run.
#include <gtest/gtest.h>

#include "report/GeneralInfo.h"
#include "support/ResultsFiles.h"
#include "support/TestLogger.h"

using test::CTestDescription;

namespace {

class AppendRun : public ::testing::Test {
protected:
    AppendRun() { settings.SetUsual(); }

    std::string HostName()
    {
        CBstrString name;
        GetComputerNameText(name);
        return test::Utf16ToUtf8(name.c_str());
    }

    // A test with one step; the ids start at firstId.
    void LogTest(test::CTestRun& run, LONG firstId, const char* name, LONG status)
    {
        CTestDescription test;
        test.Text("TestName", name).Text("DocumentType", "Test");
        ASSERT_EQ(S_OK, run.Log("StartTest", firstId, 0, test));
        CTestDescription step;
        step.Text("NodeName", std::string(name) + " step").Int("Status", status);
        ASSERT_EQ(S_OK, run.Log("Replay", firstId + 1, firstId, step));
        ASSERT_EQ(S_OK, run.Log("EndTest", firstId + 2, 0));
    }

    test::TempFolder folder;
    test::CTestSettings settings;
};

} // namespace

TEST_F(AppendRun, ASecondLoggerContinuesTheReport)
{
    {
        test::CTestRun first(settings, folder.Wide());
        ASSERT_EQ(S_OK, first.Log("StartRepLog", 1, 0));
        CTestDescription info;
        info.Text("ProductName", "Corvane").Text("Version", "12.0").Text("Title", "First").Int("ToolOsVersion", 7)
            .Text("TestLocation", "C:\\Tests").Text("UserName", "tester");
        ASSERT_EQ(S_OK, first.Log("SetInfo", 2, 0, info));
        LogTest(first, 10, "First", kovPass);
        CTestDescription end;
        end.Flag("ReportDumpStack", true);
        ASSERT_EQ(S_OK, first.Log("EndRepLog", 13, 0, end));
    }
    EXPECT_EQ(test::Utf16FileBytes("[General]\r\nProduct=Corvane\r\nVersion=12.0\r\nTotal=2\r\nTitle=First\r\n"
                                   "OSVersion=7\r\nTestLocation=C:\\Tests\r\nTestOnHost=" +
                                   HostName() +
                                   "\r\nGlobalIteration=0\r\nUserName=tester\r\nPassword=\r\n"
                                   "VaultServer=\r\nVaultProject=\r\n"),
              test::ReadFileBytes(folder.Path() / "GeneralInfo.ini"));
    // The stub files of the new folder stay as they are from now on.
    std::filesystem::remove(folder.Path() / "Results.cvn");

    test::CTestRun second(settings, folder.Wide(), ProductLevel::Current, 20);
    CTestDescription start;
    start.Flag("ReportAppendMode", true);
    ASSERT_EQ(S_OK, second.Log("StartRepLog", 1, 0, start));
    // In append mode only the user name and password are taken.
    CTestDescription info;
    info.Text("ProductName", "Other").Text("UserName", "second").Text("Password", "pw");
    ASSERT_EQ(S_OK, second.Log("SetInfo", 2, 0, info));
    LogTest(second, 10, "Second", kovFail);
    CTestDescription end;
    end.Flag("ReportDumpStack", false);
    ASSERT_EQ(S_OK, second.Log("EndRepLog", 13, 0, end));

    test::ExpectResultsMatch(folder.Path(), "ASecondLoggerContinuesTheReport.xml");
    std::string results = test::ReadFileBytes(folder.Path() / "Results.xml");
    EXPECT_EQ(1u, test::CountOf(results, "\xEF\xBB\xBF"));
    EXPECT_EQ(1u, test::CountOf(results, "<?xml"));
    EXPECT_FALSE(test::FileExists(folder.Path() / "Results.cvn"));
    EXPECT_EQ(test::Utf16FileBytes("[General]\r\nProduct=Corvane\r\nVersion=12.0\r\nTotal=4\r\nTitle=First\r\n"
                                   "OSVersion=7\r\nTestLocation=C:\\Tests\r\nTestOnHost=" +
                                   HostName() +
                                   "\r\nGlobalIteration=0\r\nUserName=second\r\nPassword=pw\r\n"
                                   "VaultServer=\r\nVaultProject=\r\n"),
              test::ReadFileBytes(folder.Path() / "GeneralInfo.ini"));
}

TEST_F(AppendRun, APausedRunGoesOnInTheSameReport)
{
    test::CTestRun run(settings, folder.Wide());
    ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
    CTestDescription test;
    test.Text("TestName", "Paused").Text("DocumentType", "Test");
    ASSERT_EQ(S_OK, run.Log("StartTest", 10, 0, test));
    CTestDescription iteration;
    iteration.Int("Iteration", 1);
    ASSERT_EQ(S_OK, run.Log("StartIteration", 11, 10, iteration));
    CTestDescription before;
    before.Text("NodeName", "Before the pause").Int("Status", kovPass);
    ASSERT_EQ(S_OK, run.Log("Replay", 12, 11, before));
    ASSERT_EQ(S_OK, run.Log("PauseAppendMode", 13, 0));

    // The pause wrote what was queued and the summary; the elements stay open.
    std::string paused = test::ReadFileBytes(folder.Path() / "Results.xml");
    EXPECT_EQ(std::string::npos, paused.find("</Step>"));
    EXPECT_NE(std::string::npos, paused.find("Before the pause"));
    std::string total = test::Utf16FileBytes("Total=3\r\n").substr(2);
    EXPECT_NE(std::string::npos, test::ReadFileBytes(folder.Path() / "GeneralInfo.ini").find(total));

    // The next event reopens the report and is itself dropped.
    ASSERT_EQ(S_OK, run.Log("RestartAppendMode", 14, 0));
    CTestDescription after;
    after.Text("NodeName", "After the pause").Int("Status", kovWarning);
    ASSERT_EQ(S_OK, run.Log("Replay", 15, 11, after));
    ASSERT_EQ(S_OK, run.Log("EndTest", 16, 0));
    ASSERT_EQ(S_OK, run.Log("EndRepLog", 17, 0));

    test::ExpectResultsMatch(folder.Path(), "APausedRunGoesOnInTheSameReport.xml");
    std::string results = test::ReadFileBytes(folder.Path() / "Results.xml");
    EXPECT_EQ(1u, test::CountOf(results, "\xEF\xBB\xBF"));
    EXPECT_EQ(1u, test::CountOf(results, "<?xml"));
}
