// `annalist replay` warning about likely mistakes that the logger accepts
// (the replay goes on, and its exit status is what the calls make it), the
// --clean and --quiet options, the event log from standard input, and the
// command line's suggestions and overview.
#include <gtest/gtest.h>

#include "integration/cli/ToolRunner.h"

namespace {

const char kStart[] = R"({"type": "StartRepLog", "time": "2024-03-05T14:05:01"})";
const char kTest[] = R"({"type": "StartTest", "id": 1, "time": "2024-03-05T14:05:02", )"
                     R"("desc": {"TestName": "T", "DocumentType": "Test"}})";
const char kEndTest[] = R"({"type": "EndTest", "parent": 1, "time": "2024-03-05T14:05:09"})";
const char kEnd[] = R"({"type": "EndRepLog", "time": "2024-03-05T14:05:10"})";

class ReplayWarningsTest : public ::testing::Test {
protected:
    std::filesystem::path Path(const std::string& sub) const { return m_folder.Path() / std::filesystem::u8path(sub); }
    std::string Folder(const std::string& sub) const { return Path(sub).u8string(); }

    test::ToolResult Replay(const std::string& log, const std::string& results, std::vector<std::string> options = {})
    {
        std::vector<std::string> arguments{"replay", log, "-o", Folder(results)};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return test::RunTool(arguments, m_folder);
    }

    test::TempFolder m_folder;
};

} // namespace

TEST_F(ReplayWarningsTest, LikelyMistakesAreWarnedAboutByLineAndTheReplayGoesOn)
{
    std::vector<std::string> lines = {
        kStart,                                                                                              // 1
        kTest,                                                                                               // 2
        R"({"type": "Replya", "id": 2, "parent": 1, "time": "2024-03-05T14:05:03", "desc": {"NodeName": "a"}})", // 3
        R"({"type": "Comment", "id": 3, "parent": 1, "time": "2024-03-05T14:05:03"})",                       // 4
        R"({"type": "Replay", "id": 4, "parent": 1, "time": "2024-03-05T14:05:04", )"
        R"("desc": {"NodeName": "b", "Staus": 1, "Colour": "red"}})",                                         // 5
        R"({"type": "Replay", "id": 5, "parent": 1, "desc": {"NodeName": "untimed"}})",                      // 6
        R"({"type": "Replay", "id": 6, "parent": 1, "desc": {"NodeName": "untimed too"}})",                  // 7
        R"({"type": "Replay", "id": 7, "parent": 9, "time": "2024-03-05T14:05:05", "desc": {"NodeName": "c"}})", // 8
        R"({"type": "Verification", "id": 8, "parent": 1, "time": "2024-03-05T14:05:06", )"
        R"("desc": {"NodeName": "d", "Status": 0}})",                                                        // 9
        kEndTest, kEnd};                                                                                     // 10, 11
    std::string log = test::WriteEventLog(m_folder, "events.jsonl", lines);
    const std::string warnings =
        "line 3: warning: the logger does not know the event type \"Replya\" (did you mean \"Replay\"?); nothing is "
        "recorded for it\n"
        "line 4: warning: the logger does not know the event type \"Comment\"; nothing is recorded for it\n"
        "line 5: warning: no handler of \"Replay\" reads the description key \"Staus\" (did you mean \"Status\"?)\n"
        "line 5: warning: no handler of \"Replay\" reads the description key \"Colour\"\n"
        "line 6: warning: no \"time\"; the event is stamped with this machine's clock\n"
        "line 8: warning: the parent 9 was never started (no earlier event has that id)\n";
    const std::string more = "annalist: warning: 1 more events without \"time\" (not shown one by one)\n";

    // Warnings alone leave the exit status at 0.
    test::ToolResult result = Replay(log, "results");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, warnings + more);
    EXPECT_NE(result.out.find(": 11 calls, all succeeded, 7 warnings.\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("  Test \"T\"  Passed      passed 1  failed 0"), std::string::npos) << result.out;

    // Again into the same folder, with a filter that drops the passed step:
    // the earlier results are pointed out, and the SetStatus calls that fail
    // say why.
    lines.insert(lines.end() - 2, R"({"call": "SetStatus", "id": 8, "status": 1})");  // 10
    lines.insert(lines.end() - 2, R"({"call": "SetStatus", "id": 2, "status": 1})");  // 11
    lines.insert(lines.end() - 2, R"({"call": "Filter", "value": 3})");               // 12
    lines.insert(lines.end() - 2, R"({"type": "User", "id": 10, "parent": 1, "time": "2024-03-05T14:05:07"})"); // 13
    lines.insert(lines.end() - 2, R"({"call": "SetStatus", "id": 10, "status": 1})"); // 14
    log = test::WriteEventLog(m_folder, "events.jsonl", lines);
    result = Replay(log, "results", {"--filter", "errors-and-warnings"});
    EXPECT_EQ(result.status, 1);
    const std::string invalid = "SetStatus failed: 0x80040329: Invalid EventId, can't change event status. (";
    EXPECT_EQ(result.err, "line 1: warning: the results folder \"" + Folder("results") +
                              "\" already holds results (Results.xml, GeneralInfo.ini); this run is mixed with them "
                              "(--clean empties the folder first)\n" +
                              warnings +
                              "line 10: " + invalid + "the step with id 8 was not logged: --filter dropped it)\n"
                              "line 11: " + invalid + "the event with id 2 was not logged: the logger does not know "
                              "its type \"Replya\")\n"
                              "line 14: " + invalid + "the step with id 10 was not logged: the Filter call on line "
                              "12 dropped it)\n" +
                              more);
}

TEST_F(ReplayWarningsTest, CleanEmptiesOnlyAFolderThatHoldsResults)
{
    std::string log = test::WriteEventLog(m_folder, "events.jsonl", {kStart, kTest, kEndTest, kEnd});
    ASSERT_EQ(Replay(log, "results").status, 0);
    test::WriteFileBytes(Path("results") / "stale.txt", "from before");
    std::filesystem::create_directories(Path("results") / "Act9" / "Row1");

    // A results folder is emptied first: nothing of before is left, nothing
    // is warned about.
    test::ToolResult result = Replay(log, "results", {"--clean"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(test::FileExists(Path("results") / "stale.txt"));
    EXPECT_FALSE(test::FileExists(Path("results") / "Act9"));
    EXPECT_TRUE(test::FileExists(Path("results") / "Results.xml"));

    // A missing folder is made; an empty one is used.
    EXPECT_EQ(Replay(log, "new", {"--clean"}).status, 0);
    std::filesystem::create_directories(Path("empty"));
    EXPECT_EQ(Replay(log, "empty", {"--clean"}).status, 0);

    // A folder that holds something else but no results is refused whole:
    // a mistyped -o empties nothing.
    std::filesystem::create_directories(Path("documents"));
    test::WriteFileBytes(Path("documents") / "letter.txt", "keep me");
    result = Replay(log, "documents", {"--clean"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "annalist: --clean refuses to empty \"" + Folder("documents") +
                              "\": it holds no Results.xml or GeneralInfo.ini, so it is not a results folder (empty "
                              "it yourself if you mean to)\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(test::ReadFileBytes(Path("documents") / "letter.txt"), "keep me");
    EXPECT_FALSE(test::FileExists(Path("documents") / "Results.xml"));

    // Nor is a results folder that holds the event log to be replayed.
    std::string inside = test::WriteEventLog(m_folder, "results/events.jsonl", {kStart, kTest, kEndTest, kEnd});
    result = test::RunTool({"replay", inside, "-o", Folder("results"), "--clean"}, m_folder);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "annalist: --clean refuses to empty \"" + Folder("results") + "\": it holds the event log\n");
    EXPECT_TRUE(test::FileExists(Path("results") / "events.jsonl"));
    EXPECT_TRUE(test::FileExists(Path("results") / "Results.xml"));
}

TEST_F(ReplayWarningsTest, QuietLeavesOnlyErrorsAndTheLogMayComeFromStandardInput)
{
    std::string log = test::WriteEventLog(
        m_folder, "events.jsonl",
        {kStart, kTest, R"({"type": "Replay", "id": 2, "parent": 1, "desc": {"NodeName": "a", "Staus": 1}})",
         R"({"call": "SetStatus", "id": 42, "status": 1})", kEndTest});
    test::ToolResult result = test::RunTool({"replay", "-", "-o", Folder("results"), "--quiet"}, m_folder, log);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "line 4: SetStatus failed: 0x80040329: Invalid EventId, can't change event status.\n");
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(test::FileExists(Path("results") / "Results.xml"));

    result = test::RunTool({"replay", "-", "-o", Folder("other")}, m_folder, log);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out.rfind("Replayed 5 lines of standard input in ", 0), 0u) << result.out;
    EXPECT_EQ(result.err,
              "line 3: warning: no handler of \"Replay\" reads the description key \"Staus\" (did you mean "
              "\"Status\"?)\n"
              "line 3: warning: no \"time\"; the event is stamped with this machine's clock\n"
              "line 4: SetStatus failed: 0x80040329: Invalid EventId, can't change event status.\n"
              "annalist: warning: the event log ends inside the run started on line 1 (no \"EndRepLog\"); the run "
              "is ended as \"EndRepLog\" would end it\n");
}

TEST_F(ReplayWarningsTest, AMistypedOptionGetsTheClosestOneAndTheHelpListsEveryCommandsOptions)
{
    test::ToolResult result = test::RunTool({"replay", "events.jsonl", "-o", "r", "--setings", "s.reg"}, m_folder);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "annalist: unknown option --setings; did you mean --settings?\n"
                          "Run `annalist --help` for more information.\n");
    result = test::RunTool({"report", "r", "--embed-picture"}, m_folder);
    EXPECT_EQ(result.err, "annalist: unknown option --embed-picture; did you mean --embed-pictures?\n"
                          "Run `annalist --help` for more information.\n");
    // Nothing close: the parser's own message.
    result = test::RunTool({"replay", "events.jsonl", "-o", "r", "--zzz"}, m_folder);
    EXPECT_EQ(result.err, "annalist: The following argument was not expected: --zzz\n"
                          "Run `annalist --help` for more information.\n");

    result = test::RunTool({"--help"}, m_folder);
    EXPECT_EQ(result.status, 0);
    std::string::size_type at = result.out.find("Commands and their options:\n");
    ASSERT_NE(at, std::string::npos) << result.out;
    EXPECT_EQ(result.out.substr(at),
              "Commands and their options:\n"
              "  annalist replay EVENTS -o RESULTS_DIR [--settings FILE.reg] [--root KEY] [--filter N]\n"
              "      [--level current|earlier] [--fail-on failed|warning] [--allow-outside] [--clean] [--quiet]\n"
              "  annalist report RESULTS_DIR [-o FILE.html] [--embed-pictures] [--fail-on failed|warning]\n"
              "  annalist export RESULTS_DIR [--junit FILE] [--summary-json FILE] [--fail-on failed|warning]\n"
              "  annalist repair RESULTS_DIR\n"
              "\n"
              "Run `annalist <command> --help` for what a command's options do (`annalist replay --help` for the "
              "event log format).\n");
}
