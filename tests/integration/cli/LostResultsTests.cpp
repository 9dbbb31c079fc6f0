// `annalist replay` never reports success while results are lost: a disk
// that runs full, a results folder another run is writing into, two replays
// started into one folder at once.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "integration/cli/ToolRunner.h"
#include "support/PlatformTestSupport.h"
#include "support/SmallDisk.h"
#include "support/XmlCheck.h"
#include "support/TestSupport.h"

namespace {

// A run of a test with `steps` steps that have a details text of 300 characters.
std::vector<std::string> RunLines(int steps)
{
    std::vector<std::string> lines{R"({"type": "StartRepLog"})",
                                   R"({"type": "StartTest", "id": 1, "desc": {"TestName": "T", "DocumentType": "Test"}})"};
    const std::string details(300, 'd');
    for (int i = 0; i < steps; ++i)
        lines.push_back(R"({"type": "Replay", "id": )" + std::to_string(100 + i) +
                        R"(, "parent": 1, "desc": {"NodeName": "Step )" + std::to_string(i) + R"(", "StepInfo": ")" +
                        details + R"(", "Status": 0}})");
    lines.push_back(R"({"type": "EndTest", "parent": 1})");
    lines.push_back(R"({"type": "EndRepLog"})");
    return lines;
}

void ExpectWellFormed(const std::filesystem::path& file)
{
    std::string error;
    EXPECT_TRUE(test::XmlIsWellFormed(test::ReadFileBytes(file), &error)) << file.u8string() << ": " << error;
}

} // namespace

TEST(LostResults, ADiskThatRunsFullFailsTheReplay)
{
    test::CSmallDisk disk("256k");
    if (!disk.Mounted()) {
        std::printf("LostResults.ADiskThatRunsFullFailsTheReplay skipped: %s\n", disk.Reason().c_str());
        GTEST_SKIP() << disk.Reason();
    }
    test::TempFolder scratch;
    // About 600 KB of records for 208 KiB of room, and a writer queue of
    // 16 KiB: however fast the replay runs, the disk runs full while many
    // calls are still to come.
    std::string log = test::WriteEventLog(scratch, "events.jsonl", RunLines(1000));
    disk.Fill(48 * 1024);
    test::ScopedEnvironment queueLimit(W("ANNALIST_WRITER_QUEUE_BYTES"), W("16384"));
    test::ToolResult result = test::RunTool({"replay", log, "-o", (disk.Path() / "results").u8string()}, scratch);

    // The prompt, answered Cancel unattended; the loss told once, the calls
    // after it counted; the status 1.
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find("There is not enough disk space on drive"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("The results could not be written completely: the disk is full"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("more calls failed the same way"), std::string::npos) << result.err;
    EXPECT_LT(test::CountOf(result.err, "The results could not be written completely"), 4u) << result.err;
    ExpectWellFormed(disk.Path() / "results" / "Results.xml");
}

TEST(LostResults, AFolderThatAnotherRunWritesIntoFailsTheReplay)
{
    test::TempFolder scratch;
    std::filesystem::create_directories(scratch.Path() / "results");
    test::WriteFileBytes(scratch.Path() / "results" / "Results.xml", "another run's report");
    // This process writes the report (as a running logger does).
    FILE* held = _wfsopen(test::ToWide(scratch.Path() / "results" / "Results.xml").c_str(), W("ab"), _SH_DENYWR);
    ASSERT_NE(held, nullptr);
    std::string log = test::WriteEventLog(scratch, "events.jsonl", RunLines(3));
    test::ToolResult result = test::RunTool({"replay", log, "-o", (scratch.Path() / "results").u8string()}, scratch);
    std::fclose(held);

    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find("annalist: another run is writing into the results folder"), std::string::npos)
        << result.err;
    EXPECT_EQ(test::ReadFileBytes(scratch.Path() / "results" / "Results.xml"), "another run's report");
    EXPECT_FALSE(test::FileExists(scratch.Path() / "results" / "GeneralInfo.ini"));
}

TEST(LostResults, TwoReplaysIntoOneFolderAtOnce)
{
    test::TempFolder first;
    test::TempFolder second;
    test::TempFolder results;
    std::string bigLog = test::WriteEventLog(first, "events.jsonl", RunLines(20000));
    std::string smallLog = test::WriteEventLog(second, "events.jsonl", RunLines(3));
    const std::string folder = results.Path().u8string();

    test::ToolResult long_;
    std::thread running([&] { long_ = test::RunTool({"replay", bigLog, "-o", folder}, first); });
    // The second starts once the first is writing its report.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!test::FileExists(results.Path() / "Results.xml") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    test::ToolResult short_ = test::RunTool({"replay", smallLog, "-o", folder}, second);
    running.join();

    // One of them wrote the folder, the other said that it could not.
    EXPECT_EQ(long_.status, 0) << long_.err;
    EXPECT_EQ(short_.status, 1) << short_.err;
    EXPECT_NE(short_.err.find("another run is writing into the results folder"), std::string::npos) << short_.err;
    std::string xml = test::ReadFileBytes(results.Path() / "Results.xml");
    ExpectWellFormed(results.Path() / "Results.xml");
    EXPECT_EQ(test::CountOf(xml, "<Step "), 20000u);
}
