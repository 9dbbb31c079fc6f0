// The results reader on the logger's own Results.xml files (both product
// levels, appended runs, business processes), on files cut short or broken,
// and on input fed in blocks of any size.
#include <gtest/gtest.h>

#include <algorithm>

#include "results/GeneralInfo.h"
#include "results/ResultsReader.h"
#include "results/TimeText.h"
#include "support/ResultsFiles.h"
#include "support/TestSupport.h"
#include "support/TreeDump.h"

namespace {

const char* const kGoldenRuns[] = {
    "TestWithActionsAndIterations", "BusinessProcessWithComponents", "CustomReportObjects",
    "EarlierProductLevel",          "ASecondLoggerContinuesTheReport", "APausedRunGoesOnInTheSameReport",
    "EndWithFourLevelsOpen",        "FiltersAndRefusedSteps",        "LoggerReleasedDuringARun",
};

std::string GoldenXml(const std::string& name) { return test::ReadFileBytes(test::DataPath("integration/" + name + ".xml")); }

// Gives its bytes a few at a time, so that every construct meets a block end.
class CTricklingSource final : public results::CByteSource {
public:
    CTricklingSource(const std::string& bytes, size_t step) : m_bytes(bytes), m_step(step) {}
    size_t Read(char* buffer, size_t size) override
    {
        size_t count = std::min({size, m_step, m_bytes.size() - m_at});
        std::copy_n(m_bytes.data() + m_at, count, buffer);
        m_at += count;
        return count;
    }

private:
    const std::string& m_bytes;
    size_t m_step;
    size_t m_at = 0;
};

results::ReadOutcome ReadAll(const std::string& bytes, long* ends = nullptr)
{
    results::CMemoryByteSource source(bytes);
    results::CResultsReader reader(source);
    long starts = 0, endCount = 0;
    while (reader.Next()) {
        if (reader.Current() == results::CResultsReader::Event::NodeStart)
            ++starts;
        if (reader.Current() == results::CResultsReader::Event::NodeEnd)
            ++endCount;
    }
    EXPECT_EQ(starts, endCount);
    if (ends)
        *ends = endCount;
    return reader.Outcome();
}

TEST(ResultsReader, GoldenRunsGiveTheirWholeTree)
{
    for (const char* name : kGoldenRuns) {
        SCOPED_TRACE(name);
        const std::string xml = GoldenXml(name);
        ASSERT_FALSE(xml.empty());
        const std::string dump = test::DumpResultsTree(xml);
        test::ExpectTreeMatches(dump, std::string(name) + ".tree");
        // The same tree whatever the blocks the bytes arrive in.
        for (size_t step : {1u, 2u, 3u, 7u, 4096u}) {
            CTricklingSource source(xml, step);
            EXPECT_EQ(test::DumpResultsTree(source), dump) << "blocks of " << step;
        }
        // CR LF, LF or CR line ends read the same.
        std::string lf = xml;
        lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
        EXPECT_EQ(test::DumpResultsTree(lf), dump);
    }
}

TEST(ResultsReader, AFileCutShortIsReadToWhereItEnds)
{
    const std::string xml = GoldenXml("TestWithActionsAndIterations");
    // Cut inside the details of step T10: every open node ends, incomplete.
    const size_t cut = xml.find("<b>title</b>") + 3;
    test::ExpectTreeMatches(test::DumpResultsTree(xml.substr(0, cut)), "CutInsideAStep.tree");

    // Every length gives a sane outcome. Only a file cut where the logger
    // stands between two runs (the report open, nothing else) is whole.
    const size_t reportOpened = xml.find(">", xml.find("<Report")) + 1;
    const size_t generalStarts = xml.find("<General");
    const size_t generalEnded = xml.find("</General>") + 10;
    const size_t testStarts = xml.find("<Doc ");
    const size_t testEnded = xml.find("</Doc>") + 6;
    const size_t reportEnds = xml.find("</Report>");
    for (size_t length = 0; length < xml.size(); length += 3) {
        results::ReadOutcome outcome = ReadAll(xml.substr(0, length));
        const bool whole = (length >= reportOpened && length <= generalStarts) ||
                           (length >= generalEnded && length <= testStarts) ||
                           (length >= testEnded && length <= reportEnds);
        EXPECT_EQ(outcome.Complete(), whole) << length;
        EXPECT_EQ(outcome.truncated, !whole) << length;
        EXPECT_EQ(outcome.problem.empty(), whole) << length;
        EXPECT_FALSE(outcome.foreign) << length;
        EXPECT_EQ(outcome.reportOpen, length >= reportOpened) << length;
    }
    EXPECT_TRUE(ReadAll(xml).Complete());
    EXPECT_FALSE(ReadAll(xml).reportOpen);
}

TEST(ResultsReader, ForeignAndBrokenInput)
{
    struct Case {
        std::string bytes;
        bool foreign;
        std::string problem;
    } cases[] = {
        {"", false, "it is empty"},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n", false, "it holds no element"},
        {"<!DOCTYPE html><html><body>Results</body></html>", true, "its first element is <html>, not <Report>"},
        {"PK\x03\x04 binary", true, "it is not XML"},
        {"<Report ver=\"2.0\"><General", false, "it ends inside an element (the file was cut short)"},
        {"<Report><Doc rID=\"T1\"><DName><![CDATA[Lost", false, "it ends inside the test \"Lost\" (the run was cut short)"},
    };
    for (const Case& item : cases) {
        results::ReadOutcome outcome = ReadAll(item.bytes);
        EXPECT_EQ(outcome.foreign, item.foreign) << item.bytes;
        EXPECT_EQ(outcome.problem, item.problem) << item.bytes;
        EXPECT_FALSE(outcome.Complete());
    }

    // An appended run after the report was ended, a run without prologue,
    // and a report left open for a later run are all whole files.
    const std::string doc = "<Doc rID=\"T1\"><DName><![CDATA[A]]></DName></Doc>\r\n";
    for (const std::string& bytes :
         {"<Report>" + doc + "</Report>" + doc, doc + doc, "<Report ver=\"2.0\" tmZone=\"\">" + doc}) {
        results::ReadOutcome outcome = ReadAll(bytes);
        EXPECT_TRUE(outcome.Complete()) << bytes << outcome.problem;
        EXPECT_EQ(outcome.runs, 2 - (bytes.find("tmZone") != std::string::npos)) << bytes;
    }
}

TEST(ResultsReader, NestingBeyondTheLimitStopsThereInBoundedMemory)
{
    std::string bytes = "<Report><Doc rID=\"T1\">";
    for (int i = 0; i < 200000; ++i)
        bytes += "<Step>";
    results::ReaderLimits limits;
    limits.maxDepth = 1000;
    results::CMemoryByteSource source(bytes);
    results::CResultsReader reader(source, limits);
    long ends = 0;
    int deepest = 0;
    while (reader.Next())
        if (reader.Current() == results::CResultsReader::Event::NodeEnd) {
            ++ends;
            deepest = std::max(deepest, reader.CurrentNode().depth);
            EXPECT_FALSE(reader.CurrentNode().complete);
        }
    EXPECT_TRUE(reader.Outcome().tooDeep);
    EXPECT_EQ(reader.Outcome().problem, "its elements are nested deeper than 1000 levels");
    EXPECT_EQ(ends, 999);
    EXPECT_EQ(deepest, 998);
}

TEST(ResultsReader, TextsAreUtf8WithReferencesAndLineEndsResolved)
{
    // Older files wrote a character outside the BMP as two 3-byte
    // surrogates; a stray byte and a lone surrogate are no UTF-8 either.
    const std::string bytes =
        "<Report><Doc rID=\"T1\"><DName><![CDATA[\xED\xA0\xBD\xED\xB8\x80 \xFF \xED\xA0\xBD]]></DName>"
        "<Step rID=\"T2\"><Obj plainTxt=\"False\" >a<![CDATA[\r\nb]]>&lt;&#x1F600;&#65;&bogus; & c\r</Obj>"
        "<NodeArgs eType=\"Replay\" icon=\"0\" nRep=\"1\" status=\"Failed\" nType=\"A&amp;B &lt;br&gt;\r\nx\" />"
        "</Step></Doc></Report>";
    results::CMemoryByteSource source(bytes);
    results::CResultsReader reader(source);
    std::vector<std::string> titles;
    std::string nodeType;
    while (reader.Next())
        if (reader.Current() == results::CResultsReader::Event::NodeEnd) {
            titles.push_back(reader.CurrentNode().Title());
            if (reader.CurrentNode().IsStep()) {
                nodeType = reader.CurrentNode().args.nodeType;
                EXPECT_FALSE(reader.CurrentNode().nameIsPlain);
            }
        }
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0], "a\nb<\xF0\x9F\x98\x80" "A&bogus; & c\n");
    EXPECT_EQ(titles[1], "\xF0\x9F\x98\x80 \xEF\xBF\xBD \xEF\xBF\xBD");
    EXPECT_EQ(nodeType, "A&B <br> x");
}

TEST(ResultsReader, GeneralInfoInEitherEncoding)
{
    const std::string text = "[General]\r\nProduct=Corvane\r\nVersion=12.0\r\nTotal=38\r\nTitle=Caf\xC3\xA9 \xF0\x9F\x98\x80\r\n"
                             "OSVersion=7\r\nTestOnHost=BUILD7\r\nGlobalIteration=1000\r\nUserName=jdoe\r\n"
                             "Password=secret\r\nVaultServer=\r\nVaultProject=\r\n";
    for (const std::string& bytes : {test::Utf16FileBytes(text), "\xEF\xBB\xBF" + text, text}) {
        results::GeneralInfo info = results::ParseGeneralInfo(bytes);
        EXPECT_EQ(info.product, "Corvane");
        EXPECT_EQ(info.version, "12.0");
        EXPECT_EQ(info.total, 38);
        EXPECT_EQ(info.title, "Caf\xC3\xA9 \xF0\x9F\x98\x80");
        EXPECT_EQ(info.osVersion, 7);
        EXPECT_EQ(info.testHost, "BUILD7");
        EXPECT_EQ(info.globalIteration, 1000);
        EXPECT_EQ(info.userName, "jdoe");
        EXPECT_EQ(info.vaultServer, "");
    }
    EXPECT_EQ(results::ParseGeneralInfo("[Other]\nTitle=x\n").title, "");
}

TEST(ResultsReader, TimeTextsOfTheUsualShortDates)
{
    int64_t seconds = 0;
    ASSERT_TRUE(results::ParseTimeText("3/5/2024 - 14:05:08", seconds));
    EXPECT_EQ(seconds, 1709647508);
    ASSERT_TRUE(results::ParseTimeText("05.03.2024 - 14:05:08", seconds));
    EXPECT_EQ(seconds, 1709647508);
    ASSERT_TRUE(results::ParseTimeText("2024-03-05 - 14:05:08", seconds));
    EXPECT_EQ(seconds, 1709647508);
    ASSERT_TRUE(results::ParseTimeText("25/12/24 - 0:00:00", seconds));
    EXPECT_EQ(seconds, 1735084800);
    EXPECT_TRUE(results::SecondsBetween("2/29/2024 - 23:59:58", "3/1/2024 - 0:00:03", seconds));
    EXPECT_EQ(seconds, 5);
    for (const char* bad : {"", "3/5/2024", "14:05:08", "13/13/2024 - 1:00:00", "a/b/c - 1:2:3"})
        EXPECT_FALSE(results::ParseTimeText(bad, seconds)) << bad;
}

} // namespace
