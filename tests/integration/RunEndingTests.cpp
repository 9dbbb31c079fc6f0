// Every way a run can end leaves a well-formed Results.xml, and a run that
// cannot write its results says so: ids that collide with the closing of all
// elements, a business process left open, a second "StartRepLog" inside a
// run, events after the end of a run, counters read from GeneralInfo.ini at
// the largest number, and a second run writing into the folder of a running
// one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "support/ResultsFiles.h"
#include "support/TestLogger.h"
#include "support/XmlCheck.h"

using test::CTestDescription;

namespace {

// The names of everything inside the folder, sorted.
std::vector<std::string> Listing(const test::TempFolder& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path()))
        names.push_back(std::filesystem::relative(entry.path(), folder.Path()).generic_u8string());
    std::sort(names.begin(), names.end());
    return names;
}

class RunEnding : public ::testing::Test {
protected:
    RunEnding() { settings.SetUsual(); }

    // Results.xml of the folder, which must be well-formed.
    std::string Results(const test::TempFolder& in)
    {
        std::string xml = test::ReadFileBytes(in.Path() / "Results.xml");
        std::string error;
        EXPECT_TRUE(test::XmlIsWellFormed(xml, &error)) << error;
        return xml;
    }
    std::string Results() { return Results(folder); }

    static void StartTest(test::CTestRun& run, LONG id, const char* name, LONG parent = 0)
    {
        CTestDescription test;
        test.Text("TestName", name).Text("DocumentType", "Test");
        ASSERT_EQ(S_OK, run.Log("StartTest", id, parent, test));
    }
    static void Step(test::CTestRun& run, LONG id, LONG parent, const char* name)
    {
        CTestDescription step;
        step.Text("NodeName", name).Int("Status", kovPass);
        ASSERT_EQ(S_OK, run.Log("Replay", id, parent, step));
    }

    test::TempFolder folder;
    test::CTestSettings settings;
};

} // namespace

TEST_F(RunEnding, AnEventIdOfMinusOneIsAnIdLikeAnyOther)
{
    // A step with EventId -1 and a child without one (0): the end of the run
    // closes them and the test, though -1 is an id of the stack.
    test::CTestRun run(settings, folder.Wide());
    ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
    StartTest(run, 10, "Ids");
    Step(run, -1, 10, "Minus one");
    Step(run, 0, -1, "Child");
    ASSERT_EQ(S_OK, run.Log("EndRepLog", 20, 0));

    std::string xml = Results();
    EXPECT_EQ(test::CountOf(xml, "</Step>"), 2u);
    EXPECT_EQ(test::CountOf(xml, "</Doc>"), 1u);
    EXPECT_EQ(xml.substr(xml.size() - 17), "</Doc>\r\n</Report>");
}

TEST_F(RunEnding, ABusinessProcessLeftOpenIsClosed)
{
    {
        // "EndRepLog" that ends the report inside a business process.
        test::CTestRun run(settings, folder.Wide());
        ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
        CTestDescription process;
        process.Text("TestName", "Order").Text("ResultsName", "Res");
        ASSERT_EQ(S_OK, run.Log("StartBP", 2, 0, process));
        StartTest(run, 10, "Component");
        Step(run, 11, 10, "Inside");
        CTestDescription end;
        end.Flag("ReportDumpStack", false);
        ASSERT_EQ(S_OK, run.Log("EndRepLog", 20, 0, end));
        std::string xml = Results();
        EXPECT_EQ(xml.substr(xml.size() - 23), "</Doc>\r\n</BPT></Report>");
    }
    {
        // A logger released inside a business process that began inside a
        // test: the process ends before the test around it.
        test::CTestRun run(settings, folder.Wide());
        ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
        StartTest(run, 10, "Test");
        CTestDescription process;
        process.Text("TestName", "Nested");
        ASSERT_EQ(S_OK, run.Log("StartBP", 11, 10, process));
        Step(run, 12, 10, "After the start");
        run.ReleaseLogger();
        std::string xml = Results();
        EXPECT_EQ(test::CountOf(xml, "</BPT>"), 1u);
        EXPECT_LT(xml.find("</BPT>"), xml.find("</Doc>"));
        EXPECT_EQ(xml.substr(xml.size() - 17), "</Doc>\r\n</Report>");
    }
}

TEST_F(RunEnding, ASecondStartRepLogKeepsTheFirstRunsReport)
{
    test::CTestRun run(settings, folder.Wide());
    ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
    StartTest(run, 10, "First");
    Step(run, 11, 10, "First step");
    // A new run starts inside the first one (without its own append mode):
    // the first run ends as with "ReportDumpStack" and the second continues
    // its report; the numbers go on.
    CTestDescription start;
    start.Flag("ReportAppendMode", false);
    ASSERT_EQ(S_OK, run.Log("StartRepLog", 12, 0, start));
    StartTest(run, 20, "Second");
    Step(run, 21, 20, "Second step");
    ASSERT_EQ(S_OK, run.Log("EndTest", 22, 0));
    ASSERT_EQ(S_OK, run.Log("EndRepLog", 23, 0));

    std::string xml = Results();
    EXPECT_EQ(test::CountOf(xml, "<?xml"), 1u);
    EXPECT_EQ(test::CountOf(xml, "</Doc>"), 2u);
    ASSERT_NE(xml.find("First step"), std::string::npos);
    EXPECT_LT(xml.find("First step"), xml.find("Second step"));
    EXPECT_NE(xml.find("<Doc rID=\"T3\""), std::string::npos);
    EXPECT_NE(xml.find("<Step rID=\"T4\""), std::string::npos);
    EXPECT_EQ(xml.substr(xml.size() - 9), "</Report>");
}

TEST_F(RunEnding, EventsAfterTheEndOfARunWriteNothing)
{
    test::CTestRun run(settings, folder.Wide());
    ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
    StartTest(run, 10, "Ended");
    Step(run, 11, 10, "Inside");
    ASSERT_EQ(S_OK, run.Log("EndTest", 12, 0));
    ASSERT_EQ(S_OK, run.Log("EndRepLog", 13, 0));
    const std::string ended = Results();
    const std::string summary = test::ReadFileBytes(folder.Path() / "GeneralInfo.ini");

    // A test, a pause, steps: no report is open, so none of them reopens the
    // file or is written after its end.
    StartTest(run, 20, "Late");
    ASSERT_EQ(S_OK, run.Log("PauseAppendMode", 21, 0));
    Step(run, 22, 20, "Late step");
    Step(run, 23, 20, "Another");
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "Results.xml"), ended);
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "GeneralInfo.ini"), summary);

    // The next run starts clean: nothing of the late test is in it.
    ASSERT_EQ(S_OK, run.Log("StartRepLog", 30, 0));
    StartTest(run, 31, "Next");
    ASSERT_EQ(S_OK, run.Log("EndRepLog", 32, 0));
    std::string next = Results();
    EXPECT_EQ(next.find("Late"), std::string::npos);
    EXPECT_EQ(test::CountOf(next, "</Doc>"), 1u);
}

TEST_F(RunEnding, CountersReadFromGeneralInfoStopAtTheLargestNumber)
{
    {
        test::CTestRun first(settings, folder.Wide());
        ASSERT_EQ(S_OK, first.Log("StartRepLog", 1, 0));
        StartTest(first, 10, "First");
        CTestDescription end;
        end.Flag("ReportDumpStack", true);
        ASSERT_EQ(S_OK, first.Log("EndRepLog", 11, 0, end));
    }
    // Total at the largest 32-bit number: the next nodes take that number
    // (the counter neither wraps around nor overflows).
    test::WriteFileBytes(folder.Path() / "GeneralInfo.ini",
                         test::Utf16FileBytes("[General]\r\nTotal=2147483647\r\nGlobalIteration=-1\r\n"));
    test::CTestRun second(settings, folder.Wide(), ProductLevel::Current, 20);
    CTestDescription start;
    start.Flag("ReportAppendMode", true);
    ASSERT_EQ(S_OK, second.Log("StartRepLog", 1, 0, start));
    StartTest(second, 10, "Second");
    Step(second, 11, 10, "Step");
    CTestDescription end;
    end.Flag("ReportDumpStack", false);
    ASSERT_EQ(S_OK, second.Log("EndRepLog", 12, 0, end));

    std::string xml = Results();
    EXPECT_NE(xml.find("<Doc rID=\"T2147483647\""), std::string::npos);
    EXPECT_NE(xml.find("<Step rID=\"T2147483647\""), std::string::npos);
    std::string total = test::Utf16FileBytes("Total=2147483647\r\n").substr(2);
    EXPECT_NE(test::ReadFileBytes(folder.Path() / "GeneralInfo.ini").find(total), std::string::npos);
}

TEST_F(RunEnding, ASecondRunIntoTheFolderOfARunningOneWritesNothingThere)
{
    // The first run alone, in a folder of its own, for comparison.
    test::TempFolder alone;
    auto logFirst = [this](test::CTestRun& run) {
        ASSERT_EQ(S_OK, run.Log("StartRepLog", 1, 0));
        CTestDescription info;
        info.Text("ProductName", "Corvane").Text("Title", "First");
        ASSERT_EQ(S_OK, run.Log("SetInfo", 2, 0, info));
        StartTest(run, 10, "First");
        Step(run, 11, 10, "First step");
    };
    {
        test::CTestRun run(settings, alone.Wide());
        logFirst(run);
        ASSERT_EQ(S_OK, run.Log("EndRepLog", 12, 0));
    }

    test::CTestRun first(settings, folder.Wide());
    logFirst(first);
    {
        // The second run finds Results.xml open for writing: every event
        // fails with error information, and nothing of it is written there
        // (no report, stubs, icons, folders or GeneralInfo.ini).
        test::CTestRun second(settings, folder.Wide(), ProductLevel::Current, 100);
        const HRESULT inUse = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
        EXPECT_EQ(inUse, second.Log("StartRepLog", 1, 0));
        EXPECT_EQ(test::TakeErrorDescription(),
                  "The results could not be written completely: another run is writing into the results folder "
                  "(Results.xml is in use), so nothing of this run was written there.");
        CTestDescription test;
        test.Text("TestName", "Second").Text("DocumentType", "Test");
        EXPECT_EQ(inUse, second.Log("StartTest", 10, 0, test));
        EXPECT_EQ(inUse, second.Log("StartAction", 11, 10, test));
        EXPECT_EQ(inUse, second.Log("EndRepLog", 12, 0));
        // Told until its run ended; the next call succeeds.
        EXPECT_EQ(S_OK, second.Log("ReportPrepareRun", 13, 0));
    }
    ASSERT_EQ(S_OK, first.Log("EndRepLog", 12, 0));

    EXPECT_EQ(test::NormalizeResults(Results()), test::NormalizeResults(Results(alone)));
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "GeneralInfo.ini"),
              test::ReadFileBytes(alone.Path() / "GeneralInfo.ini"));
    EXPECT_EQ(Listing(folder), Listing(alone));
}
