// `annalist report` and `annalist export` run as a program: the bundled
// examples read back whole (tree and summary compared with golden files),
// folders that are missing, foreign or cut short, --fail-on, and what the
// HTML report must never contain.
#include <gtest/gtest.h>

#include <regex>

#include "integration/cli/ToolRunner.h"
#include "support/PlatformTestSupport.h"
#include "results/ByteSource.h"
#include "support/TreeDump.h"
#include "support/TestSupport.h"

namespace {

// Values of the machine the test runs on, made neutral.
std::string Neutral(std::string text)
{
    text = std::regex_replace(text, std::regex("host=\"[^\"]*\""), "host=\"HOST\"");
    text = std::regex_replace(text, std::regex("tmZone=[^\n]*"), "tmZone=ZONE");
    text = std::regex_replace(text, std::regex("\"host\": \"[^\"]*\""), "\"host\": \"HOST\"");
    return text;
}

class ResultsCommandsTest : public ::testing::Test {
protected:
    std::string Folder(const std::string& sub) const { return (m_folder.Path() / std::filesystem::u8path(sub)).u8string(); }

    void Replay(const std::string& example, const std::string& folder, std::vector<std::string> options = {})
    {
        std::vector<std::string> arguments{"replay", test::ExamplePath(example), "-o", Folder(folder)};
        arguments.insert(arguments.end(), options.begin(), options.end());
        test::ToolResult result = test::RunTool(arguments, m_folder);
        ASSERT_EQ(result.status, options.empty() ? 0 : 1) << result.err;
    }

    std::string Read(const std::string& sub) const
    {
        return test::ReadFileBytes(m_folder.Path() / std::filesystem::u8path(sub));
    }

    test::TempFolder m_folder;
};

TEST_F(ResultsCommandsTest, TheExamplesReadBackWhole)
{
    for (const char* example : {"flight-booking", "business-process"}) {
        SCOPED_TRACE(example);
        Replay(std::string(example) + ".jsonl", example);
        test::ExpectTreeMatches(Neutral(test::DumpResultsTree(Read(std::string(example) + "/Results.xml"))),
                                std::string(example) + ".tree");
        test::ToolResult result =
            test::RunTool({"export", Folder(example), "--summary-json", Folder(std::string(example) + ".json")}, m_folder);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("Summary written to "), std::string::npos) << result.err;
        test::ExpectTreeMatches(Neutral(Read(std::string(example) + ".json")), std::string(example) + ".summary.json");
    }
}

TEST_F(ResultsCommandsTest, TheReportIsOneFileWhoseStepTextsCannotRun)
{
    Replay("flight-booking.jsonl", "flight");
    test::ToolResult result = test::RunTool({"report", Folder("flight")}, m_folder);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("Report of \"Flight booking\": Failed (passed 18, failed 2, warnings 1)\nWritten to "),
              std::string::npos)
        << result.out;
    const std::string html = Read("flight/report.html");
    // The page's own three script elements and nothing else: step texts are
    // data, with every "<" escaped.
    EXPECT_EQ(test::CountOf(html, "<script"), 3u);
    EXPECT_EQ(test::CountOf(html, "</script"), 3u);
    EXPECT_EQ(html.find("<script>document.body"), std::string::npos);
    EXPECT_EQ(html.find("<script>parent.document"), std::string::npos);
    EXPECT_NE(html.find("\\u003cscript>parent.document.body.dataset.injected"), std::string::npos);
    const std::string page = html.substr(0, html.find("id=\"tree-data\""));
    EXPECT_EQ(page.find("://"), std::string::npos) << "the page names nothing on the network";
    EXPECT_NE(html.find("\"pu\":\"Act2/Row2/FareSummary.png\""), std::string::npos);

    // Elsewhere, with the pictures linked from there or embedded.
    std::filesystem::create_directories(m_folder.Path() / "out");
    result = test::RunTool({"report", Folder("flight"), "-o", Folder("out/r.html")}, m_folder);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(Read("out/r.html").find("\"pu\":\"../flight/Act2/Row2/FareSummary.png\""), std::string::npos);
    std::filesystem::create_directories(m_folder.Path() / "flight" / "Act2" / "Row2");
    test::WriteFileBytes(m_folder.Path() / "flight" / "Act2" / "Row2" / "FareSummary.png", "\x89PNG");
    result = test::RunTool({"report", Folder("flight"), "-o", Folder("out/e.html"), "--embed-pictures"}, m_folder);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(Read("out/e.html").find("\"Act2\\\\Row2\\\\FareSummary.png\":\"data:image/png;base64,iVBORw==\""),
              std::string::npos);

    // A picture that is a link to a file outside the folder is not put in.
    if (!test::PosixPlatformLayer())
        return; // symbolic links need privileges on Windows
    test::WriteFileBytes(m_folder.Path() / "secret.png", "secret");
    std::filesystem::remove(m_folder.Path() / "flight" / "Act2" / "Row2" / "FareSummary.png");
    std::filesystem::create_symlink(m_folder.Path() / "secret.png",
                                    m_folder.Path() / "flight" / "Act2" / "Row2" / "FareSummary.png");
    result = test::RunTool({"report", Folder("flight"), "-o", Folder("out/l.html"), "--embed-pictures"}, m_folder);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Read("out/l.html").find("c2VjcmV0"), std::string::npos); // "secret" in base64
    EXPECT_EQ(Read("out/l.html").find("\"Act2\\\\Row2\\\\FareSummary.png\":\"data:"), std::string::npos);
}

TEST_F(ResultsCommandsTest, FoldersThatAreNoResultsGiveOneLineAndStatus2)
{
    std::filesystem::create_directories(m_folder.Path() / "empty");
    std::filesystem::create_directories(m_folder.Path() / "foreign");
    std::filesystem::create_directories(m_folder.Path() / "blank");
    test::WriteFileBytes(m_folder.Path() / "foreign" / "Results.xml", "<!DOCTYPE html><html><body>x</body></html>");
    test::WriteFileBytes(m_folder.Path() / "blank" / "Results.xml", "");
    test::WriteFileBytes(m_folder.Path() / "file.txt", "x");
    const struct {
        std::string folder;
        std::string message;
    } cases[] = {
        {"missing", "annalist: there is no folder \"" + Folder("missing") + "\"\n"},
        {"file.txt", "annalist: \"" + Folder("file.txt") + "\" is a file, not a results folder\n"},
        {"empty", "annalist: \"" + Folder("empty") + "\" is not a results folder: it holds no Results.xml\n"},
        {"foreign", "is not a results file: its first element is <html>, not <Report>\n"},
        {"blank", "Results.xml\": it is empty\n"},
    };
    for (const auto& item : cases) {
        for (std::vector<std::string> command : {std::vector<std::string>{"report", Folder(item.folder)},
                                                 {"export", Folder(item.folder), "--junit", Folder("j.xml")}}) {
            test::ToolResult result = test::RunTool(command, m_folder);
            EXPECT_EQ(result.status, 2) << item.folder;
            EXPECT_EQ(test::CountOf(result.err, "\n"), 1u) << result.err;
            EXPECT_NE(result.err.find(item.message), std::string::npos) << result.err;
            EXPECT_FALSE(test::FileExists(m_folder.Path() / "j.xml"));
            EXPECT_FALSE(test::FileExists(m_folder.Path() / std::filesystem::u8path(item.folder) / "report.html"));
        }
    }
}

TEST_F(ResultsCommandsTest, AFolderCutShortIsWrittenAsFarAsItGoesWithStatus2)
{
    Replay("flight-booking.jsonl", "flight");
    std::string xml = Read("flight/Results.xml");
    test::WriteFileBytes(m_folder.Path() / "flight" / "Results.xml", xml.substr(0, xml.find("Seat map") + 8));
    test::ToolResult result = test::RunTool({"report", Folder("flight")}, m_folder);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("is incomplete: it ends inside the step \"Seat map\" (the run was cut short); the report "
                              "shows what was read\n"),
              std::string::npos)
        << result.err;
    const std::string html = Read("flight/report.html");
    EXPECT_NE(html.find("\"complete\":false,\"problem\":\"it ends inside the step"), std::string::npos);

    result = test::RunTool({"export", Folder("flight"), "--summary-json", "-"}, m_folder);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find("\"complete\": false"), std::string::npos);
    EXPECT_NE(result.out.find("\"status\": \"Failed\""), std::string::npos);
}

TEST_F(ResultsCommandsTest, FailOnMakesTheRecordedOutcomeTheExitStatus)
{
    // The flight run failed; a run with a warning only; a run that passed.
    Replay("flight-booking.jsonl", "flight", {"--fail-on", "failed"});
    std::string warned = test::WriteEventLog(
        m_folder, "warned.jsonl",
        {R"({"type": "StartRepLog"})", R"({"type": "StartTest", "id": 1, "desc": {"TestName": "T"}})",
         R"({"type": "Replay", "id": 2, "parent": 1, "desc": {"PlainTextNodeName": "S", "Status": 3}})",
         R"({"type": "EndTest", "parent": 1})", R"({"type": "EndRepLog"})"});
    test::ToolResult result = test::RunTool({"replay", warned, "-o", Folder("warned"), "--fail-on", "failed"}, m_folder);
    EXPECT_EQ(result.status, 0) << result.err;
    result = test::RunTool({"replay", warned, "-o", Folder("warned2"), "--fail-on", "warning"}, m_folder);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("annalist: the recorded run is Warning (--fail-on warning)"), std::string::npos);

    const struct {
        std::string folder, failOn;
        int status;
    } cases[] = {{"flight", "", 0},        {"flight", "failed", 1}, {"flight", "warning", 1},
                 {"warned", "failed", 0},  {"warned", "warning", 1}};
    for (const auto& item : cases) {
        std::vector<std::string> report{"report", Folder(item.folder), "-o", Folder("r.html")};
        std::vector<std::string> exporter{"export", Folder(item.folder), "--junit", Folder("j.xml")};
        for (std::vector<std::string> command : {report, exporter}) {
            if (!item.failOn.empty()) {
                command.push_back("--fail-on");
                command.push_back(item.failOn);
            }
            EXPECT_EQ(test::RunTool(command, m_folder).status, item.status) << command[0] << " " << item.folder;
        }
    }
    result = test::RunTool({"export", Folder("flight")}, m_folder);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("export needs --junit FILE or --summary-json FILE"), std::string::npos);
    result = test::RunTool({"report", Folder("flight"), "--fail-on", "passed"}, m_folder);
    EXPECT_EQ(result.status, 2);
}

} // namespace
