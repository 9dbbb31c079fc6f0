// `annalist replay` run as a program on event logs: the results it writes,
// its messages and exit statuses, its settings, and the bundled examples.
#include <gtest/gtest.h>

#include <regex>

#include "annalist/ReplayCall.h"
#include "integration/cli/ToolRunner.h"
#include "support/XmlCheck.h"
#include "support/PlatformTestSupport.h"
#include "support/TestSupport.h"

namespace {

const char kStart[] = R"({"type": "StartRepLog"})";
const char kTest[] = R"({"type": "StartTest", "id": 1, "desc": {"TestName": "T", "DocumentType": "Test"}})";
const char kEndTest[] = R"({"type": "EndTest", "parent": 1})";
const char kEnd[] = R"({"type": "EndRepLog"})";

// The warnings about events without "time" (these logs have none): the
// first one's line, and how many more there were.
std::string FirstNoTime(long line)
{
    return "line " + std::to_string(line) + ": warning: no \"time\"; the event is stamped with this machine's clock\n";
}
std::string MoreNoTime(long count)
{
    return "annalist: warning: " + std::to_string(count) + " more events without \"time\" (not shown one by one)\n";
}

class ReplayCommandTest : public ::testing::Test {
protected:
    std::filesystem::path Path(const std::string& sub) const { return m_folder.Path() / std::filesystem::u8path(sub); }
    std::string ResultsFolder(const std::string& sub = "results") const { return Path(sub).u8string(); }

    // Replays the lines into the results folder.
    test::ToolResult Replay(const std::vector<std::string>& lines, std::vector<std::string> options = {},
                            const std::string& results = "results")
    {
        std::string log = test::WriteEventLog(m_folder, "events.jsonl", lines);
        std::vector<std::string> arguments{"replay", log, "-o", ResultsFolder(results)};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return test::RunTool(arguments, m_folder);
    }

    // Results.xml of the results folder, checked for well-formedness.
    std::string ResultsXml(const std::string& sub = "results")
    {
        std::string xml = test::ReadFileBytes(Path(sub) / "Results.xml");
        std::string error;
        EXPECT_TRUE(test::XmlIsWellFormed(xml, &error)) << sub << "/Results.xml: " << error;
        return xml;
    }

    // A UTF-16LE file (GeneralInfo.ini) as UTF-8.
    std::string Utf16File(const std::string& sub)
    {
        std::string bytes = test::ReadFileBytes(Path(sub));
        WideString text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        return test::Utf16ToUtf8(text);
    }

    test::TempFolder m_folder;
};

TEST_F(ReplayCommandTest, HelpAndVersion)
{
    test::ToolResult result = test::RunTool({"--help"}, m_folder);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("replay"), std::string::npos);
    result = test::RunTool({"replay", "--help"}, m_folder);
    EXPECT_EQ(result.status, 0);
    for (const char* piece : {"-o,--output", "--settings", "--root", "--filter", "--level", "$params", "Exit status"})
        EXPECT_NE(result.out.find(piece), std::string::npos) << piece;
    result = test::RunTool({"--version"}, m_folder);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "annalist 1.0.0\n");
    result = test::RunTool({}, m_folder);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("Usage: annalist"), std::string::npos);
    result = test::RunTool({"replay", "events.jsonl"}, m_folder);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "annalist: --output is required\nRun `annalist --help` for more information.\n");
}

TEST_F(ReplayCommandTest, InputsThatCannotBeUsedEndWithOneLineAndStatus2)
{
    std::string log = test::WriteEventLog(m_folder, "events.jsonl", {kStart, kTest, kEndTest, kEnd});
    test::WriteFileBytes(m_folder.Path() / "file", "x");
    test::WriteFileBytes(m_folder.Path() / "nodir.reg",
                         "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Annalist]\n"
                         "\"Eve1\"=\"Replay\"\n");
    std::string missing = (m_folder.Path() / "missing.jsonl").u8string();
    std::string file = (m_folder.Path() / "file").u8string();
    std::string results = ResultsFolder();
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"replay", missing, "-o", results}, "annalist: cannot read the event log \"" + missing + "\": "},
        {{"replay", m_folder.Path().u8string(), "-o", results}, "annalist: cannot read the event log \"" +
                                                                    m_folder.Path().u8string() + "\": it is a folder"},
        {{"replay", log, "-o", file}, "annalist: cannot use the results folder \"" + file +
                                          "\": it is a file, not a folder"},
        {{"replay", log, "-o", file + "/sub"}, "annalist: cannot create the results folder"},
        {{"replay", log, "-o", results, "--settings", missing}, "annalist: cannot import the settings \"" + missing},
        {{"replay", log, "-o", results, "--settings", log},
         "annalist: cannot import the settings \"" + log + "\": line 1: not a registry file"},
        {{"replay", log, "-o", results + "/a/b", "--settings", (m_folder.Path() / "nodir.reg").u8string()},
         "ReportPath failed: 0x80004005 (the settings have no \"Directory\" value under "
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Annalist; see --settings and --root)"},
    };
    for (const Case& c : cases) {
        test::ToolResult result = test::RunTool(c.arguments, m_folder);
        EXPECT_EQ(result.status, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(test::CountOf(result.err, "\n"), 1u) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(test::FileExists(results)) << "left behind by: " << c.message;
    }
}

// A results folder named by bytes that are no UTF-8 (here a lone surrogate
// spelled in UTF-8) is refused with one line; the platform layer could only
// have made another name of it. (Windows passes arguments as UTF-16.)
TEST_F(ReplayCommandTest, AResultsFolderNameThatIsNotUtf8IsRefused)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "arguments are bytes on POSIX only";
    std::string log = test::WriteEventLog(m_folder, "events.jsonl", {kStart, kEnd});
    test::ToolResult result = test::RunTool({"replay", log, "-o", ResultsFolder("r\xED\xA0\x80x")}, m_folder);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "annalist: cannot use the results folder \"" + ResultsFolder("r") +
                              "\\xED\\xA0\\x80x\": the name is not valid UTF-8\n");
}

TEST_F(ReplayCommandTest, FailedCallsAndBadLinesAreReportedAndTheReplayGoesOn)
{
    test::ToolResult result = Replay({
        kStart,                                                                                   // 1
        kTest,                                                                                    // 2
        R"({"type": "Replay", "id": 2, "parent": 1, "desc": {"PlainTextNodeName": "cut")",        // 3
        R"({"id": 3, "parent": 1, "desc": {"PlainTextNodeName": "untyped"}})",                    // 4
        R"({"call": "Flush"})",                                                                   // 5
        R"({"type": "Replay", "id": 4, "parent": 1, "desc": {"Status": {"$i2": 99999}}})",         // 6
        R"({"type": "User", "id": 5, "parent": 1, "desc": {"PlainTextNodeName": "bad", "Status": 9}})", // 7
        R"({"call": "SetStatus", "id": 77, "status": 1})",                                        // 8
        "",                                                                                       // 9
        R"({"type": "Replay", "id": 6, "parent": 1, "desc": {"PlainTextNodeName": "after"}, "Status": 1})", // 10
        kEndTest, kEnd});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              FirstNoTime(1) +
              "line 3: invalid JSON: column 77: syntax error while parsing object - unexpected end of input; "
              "expected '}'; line skipped\n"
              "line 4: LogEvent without \"type\"; line skipped\n"
              "line 5: unknown call \"Flush\" (known: LogEvent, SetStatus, Filter, SetRegistryRoot, ReportPath); "
              "line skipped\n"
              "line 6: desc \"Status\": \"$i2\" must be an integer from -32768 to 32767, not 99999; line skipped\n"
              "line 7: LogEvent failed: 0x80004005: 9 is an invalid value for the EventStatus argument (argument 1).\n"
              "line 8: SetStatus failed: 0x80040329: Invalid EventId, can't change event status.\n"
              "line 10: warning: \"Status\" means nothing for LogEvent; ignored\n" +
                  MoreNoTime(5));
    EXPECT_NE(result.out.find("Replayed 11 lines of "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(": 7 calls, 2 failed, 4 lines skipped, 7 warnings."), std::string::npos) << result.out;
    std::string xml = ResultsXml();
    EXPECT_EQ(test::CountOf(xml, "<Step "), 1u);
    EXPECT_NE(xml.find("<![CDATA[after]]>"), std::string::npos);
    // The refused step gave its record number back: T2 went to "after".
    EXPECT_NE(xml.find("<Step rID=\"T2\">\r\n<Obj ><![CDATA[after]]>"), std::string::npos) << xml;
}

// Lines that once ended the process (an exception through the line reader,
// a stack overflow while a deep value was shown) are refused one by one, and
// the run around them is written whole.
TEST_F(ReplayCommandTest, LinesThatCouldEndTheProcessAreRefusedAndTheRunIsKept)
{
    std::string deep = std::string(20000, '[') + std::string(20000, ']');
    std::string limit = std::string(62, '[') + std::string(62, ']');
    test::ToolResult result = Replay({
        kStart, kTest,                                                                             // 1, 2
        R"({"type": "Replay", "id": 2, "parent": 1, "desc": {"NodeName": "n", "Big": 1e400}})",     // 3
        R"({"type": )" + deep + "}",                                                               // 4
        R"({"type": "Replay", "id": 3, "parent": 1, "desc": {"x": )" + deep + "}}",                // 5
        R"({"type": "Replay", "id": 4, "parent": 1, "desc": {"x": )" + limit + "}}",               // 6
        R"({"type": "Replay", "id": 5, "parent": 1, "desc": {"NodeName": "after", "Status": 0}})", // 7
        kEndTest, kEnd});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, FirstNoTime(1) + "line 3: invalid JSON: number overflow parsing '1e400'; line skipped\n"
                          "line 4: the JSON is nested deeper than 64 levels; line skipped\n"
                          "line 5: the JSON is nested deeper than 64 levels; line skipped\n"
                          "line 6: desc \"x\": a list is not a value: " +
                              std::string(56, '[') + " ...; line skipped\n" + MoreNoTime(4));
    std::string xml = ResultsXml();
    EXPECT_NE(xml.find("<![CDATA[after]]>"), std::string::npos);
    EXPECT_EQ(xml.substr(xml.size() - 9), "</Report>");
    EXPECT_TRUE(test::FileExists(Path("results/GeneralInfo.ini")));
}

TEST_F(ReplayCommandTest, DescriptionValuesReachTheLoggerAsTheirTypes)
{
    test::ToolResult result = Replay({
        kStart,
        R"({"type": "StartTest", "id": 1, "desc": {"TestName": "Types", "DocumentType": "Test",)"
        R"( "ArgumentsDispatch": {"$params": [{"name": "Flag", "value": true}, {"name": "Unset"},)"
        R"( {"name": "When", "value": {"$date": "2024-04-12T07:30:00"}}, {"name": "Short", "value": {"$i2": -2}},)"
        R"( {"name": "Real", "value": 2.5}, {"name": "Null", "value": null}]}}})",
        // Text from a VT_I2, a VT_R8, a VT_BOOL and a VT_DATE; the status from a VT_BSTR.
        R"({"type": "Replay", "id": 2, "parent": 1, "desc": {"PlainTextNodeName": {"$i2": 7},)"
        R"( "StepPlainTxt": 1.25, "ReturnValue": true, "Status": "3"}})",
        R"({"type": "Replay", "id": 3, "parent": 1, "time": "2024-03-05T14:05:05",)"
        R"( "desc": {"PlainTextNodeName": {"$date": "2024-03-05T14:05:05"}, "Status": 1.0}})",
        // A number beyond 32 bits is a VT_R8 that no status takes; null and
        // empty are no text (null: absent, so the HTML name is taken).
        R"({"type": "Replay", "id": 4, "parent": 1, "desc": {"PlainTextNodeName": null, "HtmlNodeName": "<i>h</i>",)"
        R"( "StepPlainTxt": {"$empty": true}, "Status": 4294967297}})",
        R"({"type": "Verification", "id": 5, "parent": 1, "desc": {"NodeName": "Page", "Action": "Check",)"
        R"( "Status": 0, "UseCRFormat": 0, "CustomObjUnk": {"$report": "<p>custom</p>"}}})",
        R"({"type": "EndTest", "parent": 1, "desc": {"ArgumentsDispatch": {"$params": [)"
        R"({"name": "Out", "direction": "out", "value": false}, {"name": "In", "value": "ignored"}]}}})",
        kEnd});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, FirstNoTime(1) + MoreNoTime(6)); // every key is one the logger reads
    std::string xml = ResultsXml();
    for (const char* piece : {
             "<Step rID=\"T2\" retval=\"-1\">\r\n<Obj ><![CDATA[7]]></Obj>\r\n<Details ><![CDATA[1.25]]></Details>",
             "status=\"Warning\" >\r\n<Disp><![CDATA[7]]>",
             "<Obj ><![CDATA[3/5/2024 2:05:05 PM]]></Obj>",
             "<Time><![CDATA[3/5/2024 - 14:05:05]]></Time>",
             "status=\"Failed\" >\r\n<Disp><![CDATA[3/5/2024 2:05:05 PM]]>",
             "<Obj plainTxt=\"False\" ><![CDATA[<i>h</i>]]></Obj>\r\n<Details ><![CDATA[]]></Details>",
             "eType=\"Replay\" icon=\"0\" nRep=\"4\" >",
             "<HtmlStep rID=\"T5\">\r\n<HTML><![CDATA[<p>custom</p>]]></HTML>",
             "<Disp><![CDATA[Checkpoint Page]]></Disp>",
             "<ParamName><![CDATA[Flag]]></ParamName><ParamVal><![CDATA[True]]></ParamVal>",
             "<ParamName><![CDATA[Unset]]></ParamName><ParamVal><![CDATA[<Not Initialized>]]></ParamVal>",
             "<ParamName><![CDATA[When]]></ParamName><ParamVal><![CDATA[4/12/2024 7:30:00 AM]]></ParamVal>",
             "<ParamName><![CDATA[Short]]></ParamName><ParamVal><![CDATA[-2]]></ParamVal>",
             "<ParamName><![CDATA[Real]]></ParamName><ParamVal><![CDATA[2.5]]></ParamVal>",
             "<ParamName><![CDATA[Null]]></ParamName><ParamVal><![CDATA[]]></ParamVal>",
             "<Param paramInOut = \"Out\"><ParamName><![CDATA[Out]]></ParamName><ParamVal><![CDATA[False]]>",
         })
        EXPECT_NE(xml.find(piece), std::string::npos) << piece;
    EXPECT_EQ(xml.find("ignored"), std::string::npos);
}

TEST_F(ReplayCommandTest, DefaultSettingsOrImportedOnes)
{
    std::vector<std::string> lines{
        kStart,
        R"({"type": "StartTest", "id": 1, "desc": {"TestName": "T", "DocumentType": "Test"}})",
        R"({"type": "StartIteration", "id": 2, "parent": 1, "desc": {"Iteration": 1}})",
        R"({"type": "Context", "id": 3, "parent": 2, "desc": {"NodeName": "context step"}})",
        R"({"type": "Replay", "id": 4, "parent": 2, "desc": {"NodeName": "replay step", "Status": 0}})",
        R"({"type": "Custom", "id": 5, "parent": 2, "desc": {"NodeName": "custom step", "Status": 0}})",
        R"({"type": "EndActionIteration", "parent": 2})",
        kEndTest,
        kEnd};
    test::ToolResult result = Replay(lines);
    EXPECT_EQ(result.status, 0) << result.err;
    std::string xml = ResultsXml();
    EXPECT_NE(xml.find("context step"), std::string::npos);
    EXPECT_NE(xml.find("replay step"), std::string::npos);
    EXPECT_EQ(xml.find("custom step"), std::string::npos); // not an "Eve" value
    EXPECT_TRUE(test::FileExists(Path("results/Act0/Row1")));

    // Imported: results in the subfolder "Report", iteration folders
    // "Iteration<n>", and no "Context" steps; under a root of our own.
    std::string settings = "Windows Registry Editor Version 5.00\r\n\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Elsewhere]\r\n"
                           "\"Directory\"=\"Report\"\r\n\"IterDir\"=\"Iteration\"\r\n"
                           "\"Eve1\"=\"Replay\"\r\n\"Eve2\"=\"Custom\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (WCHAR c : test::Utf8ToUtf16(settings)) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    test::WriteFileBytes(m_folder.Path() / "settings.reg", bytes);
    result = Replay(lines, {"--settings", (m_folder.Path() / "settings.reg").u8string(), "--root",
                            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Elsewhere"},
                    "imported");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(test::FileExists(Path("imported/Results.xml")));
    xml = ResultsXml("imported/Report");
    EXPECT_EQ(xml.find("context step"), std::string::npos);
    EXPECT_NE(xml.find("replay step"), std::string::npos);
    EXPECT_NE(xml.find("custom step"), std::string::npos);
    EXPECT_TRUE(test::FileExists(Path("imported/Report/Act0/Iteration1")));
    EXPECT_NE(result.out.find("Report"), std::string::npos);
}

// Settings are the administrator's, and the logger follows them anywhere;
// the replay keeps them inside -o unless --allow-outside is given.
TEST_F(ReplayCommandTest, SettingsThatLeadOutsideTheResultsFolderAreRefused)
{
    auto settings = [this](const char* name, const std::string& directory, const std::string& iterDir) {
        test::WriteFileBytes(m_folder.Path() / name,
                             "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Annalist]\r\n"
                             "\"Directory\"=\"" + directory + "\"\r\n\"IterDir\"=\"" + iterDir + "\"\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Far]\r\n\"Directory\"=\".\"\r\n"
                             "\"IterDir\"=\"..\\\\..\\\\..\\\\far\"\r\n");
        return (m_folder.Path() / name).u8string();
    };
    std::vector<std::string> run{kStart, kTest, R"({"type": "StartIteration", "id": 2, "parent": 1,)"
                                                R"( "desc": {"Iteration": 1}})",
                                 kEndTest, kEnd};
    std::string up = settings("up.reg", "..\\\\..\\\\x", "Row");
    test::ToolResult result = Replay(run, {"--settings", up}, "out/results");
    EXPECT_EQ(result.status, 2);
    const std::string shown = Path("out/results").make_preferred().u8string();
    EXPECT_EQ(result.err, "annalist: cannot use the settings: the \"Directory\" setting \"..\\..\\x\" leads outside "
                          "the results folder \"" + shown + "\" (--allow-outside allows it)\n");
    EXPECT_FALSE(test::FileExists(Path("x")));
    EXPECT_FALSE(test::FileExists(Path("out")));
    result = Replay(run, {"--settings", settings("iter.reg", ".", "..\\\\..\\\\..\\\\x")}, "out/results");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("the \"IterDir\" setting \"..\\..\\..\\x\" leads outside"), std::string::npos);
    result = Replay(run, {"--settings", up, "--allow-outside"}, "out/results");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(test::FileExists(Path("x/Results.xml")));

    // Lines of the log that would lead outside are refused one by one.
    std::string elsewhere = ResultsFolder("elsewhere");
    std::string inside = ResultsFolder("out/results/inner");
    result = Replay({R"({"call": "ReportPath", "path": )" + Json(elsewhere).dump() + "}",
                     R"({"call": "SetRegistryRoot", "root": "SOFTWARE\\Far"})",
                     R"({"call": "ReportPath", "path": )" + Json(inside).dump() + "}", kStart, kTest, kEndTest, kEnd},
                    {"--settings", settings("lines.reg", ".", "Row")}, "out/results");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "line 1: ReportPath refused: ReportPath \"" + elsewhere +
                              "\" lies outside the results folder \"" + shown +
                              "\" (--allow-outside allows it); line skipped\n"
                              "line 2: SetRegistryRoot refused: the \"IterDir\" setting \"..\\..\\..\\far\" leads "
                              "outside the results folder \"" + shown + "\" (--allow-outside allows it); line skipped\n" +
                              FirstNoTime(4) + MoreNoTime(3));
    EXPECT_FALSE(test::FileExists(Path("elsewhere")));
    ResultsXml("out/results/inner");
}

// A "Directory" holding a lone surrogate (a UTF-16 file can) names no folder.
TEST_F(ReplayCommandTest, ASettingThatNoFileNameCanHoldIsRefused)
{
    std::string text = "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Annalist]\r\n"
                       "\"Directory\"=\"R@x\"\r\n\"IterDir\"=\"Row\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        if (c == '@')
            bytes += std::string("\x00\xD8", 2); // U+D800 alone
        else
            bytes += std::string(1, c) + std::string(1, '\0');
    }
    test::WriteFileBytes(m_folder.Path() / "lone.reg", bytes);
    test::ToolResult result = Replay({kStart, kEnd}, {"--settings", (m_folder.Path() / "lone.reg").u8string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "annalist: cannot use the settings: the \"Directory\" setting holds a lone surrogate, which "
                          "no file name can hold\n");
}

TEST_F(ReplayCommandTest, FilterFromTheCommandLineAndFromTheLog)
{
    auto step = [](int id, const char* name, int status) {
        return std::string(R"({"type": "Replay", "id": )") + std::to_string(id) +
               R"(, "parent": 1, "desc": {"NodeName": ")" + name + R"(", "Status": )" + std::to_string(status) + "}}";
    };
    std::vector<std::string> lines{kStart, kTest, step(2, "passed", 0), step(3, "failed", 1), step(4, "warned", 3),
                                   R"({"call": "Filter", "value": 0})", step(5, "later", 0), kEndTest, kEnd};
    test::ToolResult result = Replay(lines, {"--filter", "errors-and-warnings"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::string xml = ResultsXml();
    EXPECT_EQ(xml.find("passed]]>"), std::string::npos);
    EXPECT_NE(xml.find("failed]]>"), std::string::npos);
    EXPECT_NE(xml.find("warned]]>"), std::string::npos);
    EXPECT_NE(xml.find("later]]>"), std::string::npos);

    result = Replay(lines, {"--filter", "2"}, "errors");
    xml = ResultsXml("errors");
    EXPECT_EQ(xml.find("warned]]>"), std::string::npos);
    EXPECT_NE(xml.find("failed]]>"), std::string::npos);
}

TEST_F(ReplayCommandTest, EarlierProductLevel)
{
    std::vector<std::string> lines{kStart,
                                   R"({"type": "SetInfo", "desc": {"VaultServer": "srv", "VaultProject": "p"}})",
                                   kTest,
                                   R"({"type": "Replay", "id": 2, "parent": 1, "desc": {"NodeName": "s"}})",
                                   kEndTest,
                                   kEnd};
    test::ToolResult result = Replay(lines, {"--level", "earlier"}, "earlier");
    EXPECT_EQ(result.status, 0) << result.err;
    std::string xml = ResultsXml("earlier");
    EXPECT_EQ(xml.find("<TimeTick>"), std::string::npos);
    EXPECT_EQ(xml.find("vaultserver"), std::string::npos);
    EXPECT_EQ(Utf16File("earlier/GeneralInfo.ini").find("VaultServer"), std::string::npos);

    result = Replay(lines, {"--level", "current"}, "current");
    EXPECT_EQ(result.status, 0) << result.err;
    xml = ResultsXml("current");
    EXPECT_NE(xml.find("<TimeTick>"), std::string::npos);
    EXPECT_NE(xml.find("vaultserver=\"srv\""), std::string::npos);
    EXPECT_NE(Utf16File("current/GeneralInfo.ini").find("VaultServer=srv"), std::string::npos);
}

TEST_F(ReplayCommandTest, AppendModeContinuesTheReportInTheSameFolder)
{
    test::ToolResult result = Replay({kStart, kTest,
                                      R"({"type": "Replay", "id": 2, "parent": 1, "desc": {"NodeName": "one"}})",
                                      kEndTest, R"({"type": "EndRepLog", "desc": {"ReportDumpStack": true}})"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("left open for a later run"), std::string::npos) << result.out;
    result = Replay({R"({"type": "StartRepLog", "desc": {"ReportAppendMode": true}})",
                     R"({"type": "StartTest", "id": 1, "desc": {"TestName": "Again", "DocumentType": "Test"}})",
                     R"({"type": "Replay", "id": 2, "parent": 1, "desc": {"NodeName": "two", "Status": 1}})", kEndTest,
                     R"({"type": "EndRepLog", "desc": {"ReportDumpStack": false}})"});
    EXPECT_EQ(result.status, 0) << result.err;
    // Appending on purpose: no warning about the results already there.
    EXPECT_EQ(result.err.find("already holds results"), std::string::npos) << result.err;
    std::string xml = ResultsXml();
    EXPECT_EQ(test::CountOf(xml, "<?xml"), 1u);
    EXPECT_EQ(test::CountOf(xml, "<Doc "), 2u);
    for (const char* id : {"T1", "T2", "T3", "T4"})
        EXPECT_EQ(test::CountOf(xml, std::string("rID=\"") + id + "\""), 1u) << id;
    EXPECT_NE(result.out.find("  Test \"T\"      Done"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("  Test \"Again\"  Failed"), std::string::npos) << result.out;
}

TEST_F(ReplayCommandTest, ALogThatEndsInsideARunIsEndedAsEndRepLogWould)
{
    test::ToolResult result = Replay({kStart, kTest, R"({"type": "StartAction", "id": 2, "parent": 1,)"
                                                     R"( "desc": {"TestName": "A"}})",
                                      R"({"type": "Replay", "id": 3, "parent": 2, "desc": {"NodeName": "last"}})"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, FirstNoTime(1) + MoreNoTime(3) +
                              "annalist: warning: the event log ends inside the run started on line 1 (no "
                              "\"EndRepLog\"); the run is ended as \"EndRepLog\" would end it\n");
    std::string xml = ResultsXml();
    EXPECT_EQ(xml.substr(xml.size() - 9), "</Report>");
    EXPECT_NE(xml.find("last]]>"), std::string::npos);
    EXPECT_TRUE(test::FileExists(Path("results/GeneralInfo.ini")));
    EXPECT_NE(result.out.find("The event log ended inside a run"), std::string::npos);
}

TEST_F(ReplayCommandTest, TheBundledExamplesReplayCleanly)
{
    test::ToolResult result = test::RunTool(
        {"replay", test::ExamplePath("flight-booking.jsonl"), "-o", ResultsFolder("flight")}, m_folder);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(std::regex_search(result.out, std::regex("Test \"FlightBooking\" +Failed +passed 18  failed 2  "
                                                         "warnings 1\n")))
        << result.out;
    EXPECT_TRUE(std::regex_search(result.out, std::regex("Action \"Login\" +Passed")));
    EXPECT_TRUE(std::regex_search(result.out, std::regex("Records written: 38 report nodes in Results.xml")));
    std::string xml = ResultsXml("flight");
    EXPECT_EQ(test::CountOf(xml, "<Action "), 2u);
    EXPECT_EQ(test::CountOf(xml, "<AIter "), 4u);

    result = test::RunTool({"replay", test::ExamplePath("business-process.jsonl"), "-o", ResultsFolder("bp")},
                           m_folder);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(std::regex_search(result.out, std::regex("Component \"Approve order\" +Failed")));
    xml = ResultsXml("bp");
    EXPECT_NE(xml.find("</BPT></Report>"), std::string::npos);

    result = test::RunTool({"replay", test::ExamplePath("flight-booking.jsonl"), "-o", ResultsFolder("imported"),
                            "--settings", test::ExamplePath("settings.reg")},
                           m_folder);
    EXPECT_EQ(result.status, 0) << result.err;
    ResultsXml("imported/Report");
}

TEST_F(ReplayCommandTest, NamesOutsideAscii)
{
    std::string log = test::WriteEventLog(
        m_folder, "\xC3\xA9v\xC3\xA9nements.jsonl",
        {kStart,
         R"({"type": "StartTest", "id": 1, "desc": {"TestName": "Caf\u00e9 \u65e5\u672c", "DocumentType": "Test"}})",
         kEndTest, kEnd});
    test::ToolResult result = test::RunTool({"replay", log, "-o", ResultsFolder("r\xC3\xA9sultats")}, m_folder);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Test \"Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\""), std::string::npos) << result.out;
    EXPECT_NE(ResultsXml("r\xC3\xA9sultats").find("Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"), std::string::npos);
}

} // namespace
