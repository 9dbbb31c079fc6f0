// Runs on a disk that really runs full (a small tmpfs): the writer's failed
// write takes the disk-space prompt; Retry after room was made loses nothing;
// Retry without room waits before asking again and Cancel ends the report
// well-formed at its last whole record, and the logger says that results
// were lost; GeneralInfo.ini is never left empty or in part.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/ResultsFiles.h"
#include "support/SmallDisk.h"
#include "support/TestLogger.h"
#include "support/XmlCheck.h"
#include "support/FolderServicesTestSupport.h"
#include "support/FakeHostApplication.h"

using test::CTestDescription;

namespace {

typedef std::chrono::steady_clock Clock;

class FullDiskRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!disk.Mounted()) {
            std::printf("FullDiskRun tests skipped: %s\n", disk.Reason().c_str());
            GTEST_SKIP() << disk.Reason();
        }
        ASSERT_TRUE(host.Registered());
        settings.SetUsual();
    }

    // A run of a test with `steps` steps, each with a details text of 300
    // characters; the results of every call.
    std::vector<HRESULT> LogRun(test::CTestRun& run, int steps, bool dumpStack = false)
    {
        std::vector<HRESULT> results;
        results.push_back(run.Log("StartRepLog", 1, 0));
        CTestDescription info;
        info.Text("ProductName", "Corvane").Text("Title", "Full disk");
        results.push_back(run.Log("SetInfo", 2, 0, info));
        CTestDescription test;
        test.Text("TestName", "Filling").Text("DocumentType", "Test");
        results.push_back(run.Log("StartTest", 10, 0, test));
        const std::string details(300, 'd');
        for (int i = 0; i < steps; ++i) {
            CTestDescription step;
            step.Text("NodeName", "Step " + std::to_string(i)).Text("StepInfo", details).Int("Status", kovPass);
            results.push_back(run.Log("Replay", 100 + i, 10, step));
        }
        results.push_back(run.Log("EndTest", 11, 0));
        CTestDescription end;
        end.Flag("ReportDumpStack", dumpStack);
        results.push_back(run.Log("EndRepLog", 12, 0, end));
        return results;
    }

    std::string WellFormedResults(const std::filesystem::path& folder)
    {
        std::string xml = test::ReadFileBytes(folder / "Results.xml");
        std::string error;
        EXPECT_TRUE(test::XmlIsWellFormed(xml, &error)) << error;
        return xml;
    }

    test::CSmallDisk disk{"256k"};
    test::FakeHostApplication host;
    test::CTestSettings settings;
};

} // namespace

TEST_F(FullDiskRun, RetryAfterRoomWasMadeLosesNothing)
{
    test::TempFolder roomy;
    {
        test::CTestRun reference(settings, roomy.Wide());
        for (HRESULT hr : LogRun(reference, 150))
            ASSERT_EQ(hr, S_OK);
    }

    test::CTestRun run(settings, disk.Wide("results"));
    disk.Fill(16 * 1024);
    host.answer = [this](const test::HostMessage&, size_t) {
        disk.Unfill();
        return IDRETRY;
    };
    for (HRESULT hr : LogRun(run, 150))
        EXPECT_EQ(hr, S_OK);

    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, test::DiskFullOnDriveText(disk.Wide()));
    EXPECT_EQ(test::NormalizeResults(WellFormedResults(disk.Path() / "results")),
              test::NormalizeResults(WellFormedResults(roomy.Path())));
    EXPECT_EQ(test::ReadFileBytes(disk.Path() / "results" / "GeneralInfo.ini"),
              test::ReadFileBytes(roomy.Path() / "GeneralInfo.ini"));
}

TEST_F(FullDiskRun, CancelEndsTheReportAtItsLastWholeRecordAndTheLoggerSaysSo)
{
    test::CTestRun run(settings, disk.Wide("results"));
    disk.Fill(32 * 1024);
    // Retry without making room, then Cancel: the second prompt comes only
    // after a pause.
    std::vector<Clock::time_point> asked;
    host.answer = [&asked](const test::HostMessage&, size_t number) {
        asked.push_back(Clock::now());
        return number == 0 ? IDRETRY : IDCANCEL;
    };
    std::vector<HRESULT> results = LogRun(run, 400);

    const HRESULT diskFull = HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    EXPECT_EQ(results.front(), S_OK);
    EXPECT_EQ(results.back(), diskFull);
    EXPECT_EQ(test::TakeErrorDescription(),
              "The results could not be written completely: the disk is full; Results.xml ends with the last record "
              "written completely.");
    // Once lost, every call says so until the run has ended.
    size_t firstFailure = 0;
    while (firstFailure < results.size() && results[firstFailure] == S_OK)
        ++firstFailure;
    for (size_t i = firstFailure; i < results.size(); ++i)
        EXPECT_EQ(results[i], diskFull) << "call " << i;
    EXPECT_EQ(S_OK, run.Log("ReportPrepareRun", 13, 0));

    ASSERT_GE(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, test::DiskFullOnDriveText(disk.Wide()));
    EXPECT_GE(asked[1] - asked[0], std::chrono::milliseconds(50));

    // Well-formed, the test marked as not completed.
    std::string xml = WellFormedResults(disk.Path() / "results");
    const std::string closing = "<Summary stopped=\"True\" ></Summary>\r\n</Doc>\r\n</Report>";
    ASSERT_GT(xml.size(), closing.size());
    EXPECT_EQ(xml.substr(xml.size() - closing.size()), closing);
    // What fitted was kept: the records up to the one that did not fit.
    EXPECT_NE(xml.find("[Step 10]]"), std::string::npos);
    // GeneralInfo.ini is whole or not there; no temporary file is left.
    std::string summary = test::ReadFileBytes(disk.Path() / "results" / "GeneralInfo.ini");
    if (!summary.empty()) {
        std::string last = test::Utf16FileBytes("VaultProject=\r\n").substr(2);
        EXPECT_EQ(summary.substr(summary.size() - last.size()), last);
    }
    EXPECT_FALSE(test::FileExists(disk.Path() / "results" / "GeneralInfo.ini.tmp"));
}

TEST_F(FullDiskRun, GeneralInfoThatCannotBeWrittenKeepsTheEarlierFile)
{
    {
        test::CTestRun first(settings, disk.Wide("results"));
        for (HRESULT hr : LogRun(first, 2, true))
            ASSERT_EQ(hr, S_OK);
    }
    const std::string before = test::ReadFileBytes(disk.Path() / "results" / "GeneralInfo.ini");
    ASSERT_FALSE(before.empty());

    // The next run appends on a full disk; every prompt is cancelled.
    disk.Fill(0);
    test::CTestRun second(settings, disk.Wide("results"), ProductLevel::Current, 50);
    CTestDescription start;
    start.Flag("ReportAppendMode", true);
    EXPECT_EQ(S_OK, second.Log("StartRepLog", 1, 0, start));
    CTestDescription test;
    test.Text("TestName", "Appended").Text("DocumentType", "Test");
    second.Log("StartTest", 10, 0, test);
    CTestDescription end;
    end.Flag("ReportDumpStack", false);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DISK_FULL), second.Log("EndRepLog", 11, 0, end));
    EXPECT_FALSE(host.messages.empty());

    EXPECT_EQ(test::ReadFileBytes(disk.Path() / "results" / "GeneralInfo.ini"), before);
    EXPECT_FALSE(test::FileExists(disk.Path() / "results" / "GeneralInfo.ini.tmp"));
    WellFormedResults(disk.Path() / "results");
}
