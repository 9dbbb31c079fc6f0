// Reading a written Results.xml back for the replay's summary.
#include <gtest/gtest.h>

#include <chrono>

#include "annalist/ReplaySummary.h"
#include "support/TestSupport.h"

namespace {

// A report as the writer lays it out (shortened declaration), with a
// business-process component, an action with a step under a step, and
// the root closed or left open.
std::string Report(bool closed)
{
    std::string text = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!DOCTYPE Report\r\n[\r\n"
                       "<!ELEMENT Report (General ,(Doc|BPT)) >\r\n<!ATTLIST NodeArgs status "
                       "(Passed|Failed|Done|Warning|Information) \"Done\">\r\n]\r\n>\r\n"
                       "<Report ver=\"2.0\" tmZone=\"UTC\">\r\n"
                       "<General productName=\"P\" productVer=\"1\" os=\"\" host=\"H\"><DocLocation><![CDATA[x]]>"
                       "</DocLocation></General>\r\n"
                       "<Doc rID=\"T1\"   type= \"BC\"   productName= \"P\" >\r\n"
                       "<DName><![CDATA[Login ]]]]><![CDATA[> caf\xC3\xA9]]></DName>\r\n<Res><![CDATA[R]]></Res>\r\n"
                       "<RunType upChk=\"True\" /><DIter rID=\"T2\" iterID=\"1\" >\r\n"
                       "<Action rID=\"T3\">\r\n<AName><![CDATA[Act <1>]]></AName>\r\n"
                       "<Step rID=\"T4\">\r\n<Obj ><![CDATA[outer]]></Obj>\r\n<Details ><![CDATA[]]></Details>\r\n"
                       "<Time><![CDATA[3/5/2024 - 14:05:05]]></Time>\r\n"
                       "<Step rID=\"T5\">\r\n<Obj ><![CDATA[inner]]></Obj>\r\n"
                       "<NodeArgs eType=\"Replay\" icon=\"5\" nRep=\"9\" status=\"Failed\" ><Disp><![CDATA[inner]]>"
                       "</Disp></NodeArgs>\r\n</Step>\r\n"
                       "<NodeArgs eType=\"Replay\" icon=\"5\" nRep=\"8\" status=\"Failed\" ><Disp><![CDATA[outer]]>"
                       "</Disp></NodeArgs>\r\n</Step>\r\n"
                       "<Summary sTime=\"a\" eTime=\"b\" passed=\"0\" failed=\"2\" warnings=\"0\" ></Summary>\r\n"
                       "<NodeArgs eType=\"StartAction\" icon=\"3\" nRep=\"4\" status=\"Failed\" ><Disp><![CDATA[A]]>"
                       "</Disp></NodeArgs>\r\n</Action>\r\n"
                       "<Summary retval=\"r\" ></Summary>\r\n<NodeArgs eType=\"StartIteration\" icon=\"4\" nRep=\"3\" >"
                       "<Disp><![CDATA[I]]></Disp></NodeArgs>\r\n</DIter>\r\n"
                       "<Summary sTime=\"a\" eTime=\"b\" passed=\"3\" failed=\"2\" warnings=\"1\" ></Summary>\r\n"
                       "<NodeArgs eType=\"StartTest\" icon=\"1\" nRep=\"2\" ><Disp><![CDATA[T]]></Disp></NodeArgs>\r\n"
                       "</Doc>\r\n"
                       "<Doc rID=\"T6\"  productName= \"P\" >\r\n<DName><![CDATA[Second]]></DName>\r\n";
    if (closed)
        text += "<NodeArgs eType=\"StartTest\" icon=\"1\" nRep=\"2\" status=\"Passed\" ><Disp><![CDATA[T]]>"
                "</Disp></NodeArgs>\r\n</Doc>\r\n</Report>";
    return text;
}

TEST(ReportContentsTest, FindsTestsActionsStatusesAndCounts)
{
    test::TempFolder folder;
    test::WriteFileBytes(folder.Path() / "Results.xml", Report(true));
    ReportContents report;
    std::string error;
    ASSERT_TRUE(ReadReportContents(folder.Wide("Results.xml"), report, error)) << error;
    EXPECT_TRUE(report.closed);
    EXPECT_EQ(report.nodes, 6);
    EXPECT_EQ(report.bytes, Report(true).size());
    ASSERT_EQ(report.entries.size(), 3u);

    const ReportEntry& component = report.entries[0];
    EXPECT_EQ(component.kind, ReportEntry::BusinessComponent);
    EXPECT_EQ(component.name, "Login ]]> caf\xC3\xA9");
    EXPECT_EQ(component.status, "Done");
    EXPECT_TRUE(component.hasCounts);
    EXPECT_EQ(component.passed, 3);
    EXPECT_EQ(component.failed, 2);
    EXPECT_EQ(component.warnings, 1);
    EXPECT_TRUE(component.closed);

    const ReportEntry& action = report.entries[1];
    EXPECT_EQ(action.kind, ReportEntry::Action);
    EXPECT_EQ(action.depth, 1);
    EXPECT_EQ(action.name, "Act <1>");
    EXPECT_EQ(action.status, "Failed");
    EXPECT_EQ(action.failed, 2);

    EXPECT_EQ(report.entries[2].kind, ReportEntry::Test);
    EXPECT_EQ(report.entries[2].status, "Passed");
    EXPECT_FALSE(report.entries[2].hasCounts);
}

TEST(ReportContentsTest, AReportLeftOpenStillGivesWhatItHolds)
{
    test::TempFolder folder;
    test::WriteFileBytes(folder.Path() / "Results.xml", Report(false));
    ReplaySummaryInput input;
    std::string error;
    ASSERT_TRUE(ReadReportContents(folder.Wide("Results.xml"), input.report, error)) << error;
    EXPECT_FALSE(input.report.closed);
    ASSERT_EQ(input.report.entries.size(), 3u);
    EXPECT_FALSE(input.report.entries[2].closed);
    EXPECT_EQ(input.report.entries[2].name, "Second");

    input.reportRead = true;
    input.eventsFile = "run.jsonl";
    input.resultsFolder = "/r";
    input.statistics.lines = 12;
    input.statistics.calls = 11;
    input.statistics.failedCalls = 1;
    input.statistics.skippedLines = 1;
    std::string summary = FormatReplaySummary(input);
    EXPECT_NE(summary.find("Replayed 12 lines of run.jsonl"), std::string::npos) << summary;
    EXPECT_NE(summary.find("11 calls, 1 failed, 1 line skipped"), std::string::npos) << summary;
    EXPECT_NE(summary.find("  Component \"Login ]]> caf\xC3\xA9\"  Done        passed 3  failed 2  warnings 1\n"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("    Action \"Act <1>\"          Failed      passed 0  failed 2  warnings 0\n"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("  Test \"Second\"               (not closed)\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("Records written: 6 report nodes in Results.xml"), std::string::npos) << summary;
    EXPECT_NE(summary.find("left open for a later run"), std::string::npos) << summary;

    EXPECT_FALSE(ReadReportContents(folder.Wide("missing.xml"), input.report, error));
}

// End tags that match no open element cost nothing: reading them once took
// a look at the whole open-element stack each (minutes for a mangled file).
TEST(ReportContentsTest, UnmatchedEndTagsAreReadInLinearTime)
{
    std::string text = "<Report ver=\"2.0\" tmZone=\"UTC\">\r\n<Doc rID=\"T1\" >\r\n<DName><![CDATA[Deep]]></DName>\r\n";
    for (int i = 0; i < 40000; ++i)
        text += "<Step rID=\"T2\">";
    for (int i = 0; i < 100000; ++i)
        text += "</Nothing>";
    text += "</Doc>\r\n</Report>";
    test::TempFolder folder;
    test::WriteFileBytes(folder.Path() / "Results.xml", text);
    ReportContents contents;
    std::string error;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(ReadReportContents(folder.Wide("Results.xml"), contents, error)) << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(contents.closed);
    ASSERT_EQ(contents.entries.size(), 1u);
    EXPECT_EQ(contents.entries[0].name, "Deep");
    EXPECT_TRUE(contents.entries[0].closed);
    EXPECT_EQ(contents.nodes, 40001);
}

} // namespace

// The file is read in blocks of 64 KiB: an end mark ("]]>", "-->", "?>")
// that a block boundary cuts in two is still found, at every cut.
TEST(ReportContentsTest, MarksCutByTheReadBufferAreFound)
{
    const size_t block = 65536;
    // Filler up to where a mark of `length` bytes starts `shift` bytes past
    // the last `length` bytes of block k.
    auto upTo = [&](const std::string& text, size_t k, size_t length, size_t shift, char c) {
        return std::string(k * block - text.size() - length + 1 + shift, c);
    };
    for (size_t shift = 0; shift < 3; ++shift) {
        std::string text = "<Report><Doc rID=\"T1\"><DName><![CDATA[";
        const size_t nameStart = text.size();
        text += upTo(text, 1, 3, shift, ']');
        const size_t nameLength = text.size() - nameStart;
        text += "]]></DName><!--";
        text += upTo(text, 2, 3, shift, '-') + "--><?pi ";
        text += upTo(text, 3, 2, shift, '?') + "?><Action rID=\"T2\"></Action";
        text += upTo(text, 4, 1, shift, ' ') + "></Doc></Report>";
        test::TempFolder folder;
        test::WriteFileBytes(folder.Path() / "Results.xml", text);
        ReportContents contents;
        std::string error;
        ASSERT_TRUE(ReadReportContents(folder.Wide("Results.xml"), contents, error)) << error;
        EXPECT_TRUE(contents.closed) << shift;
        EXPECT_EQ(contents.nodes, 2) << shift;
        EXPECT_EQ(contents.bytes, text.size());
        ASSERT_EQ(contents.entries.size(), 2u) << shift;
        EXPECT_EQ(contents.entries[0].name, std::string(nameLength, ']')) << shift;
        EXPECT_TRUE(contents.entries[0].closed) << shift;
        EXPECT_TRUE(contents.entries[1].closed) << shift;
    }
}
