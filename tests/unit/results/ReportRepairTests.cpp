// Mending a torn Results.xml: the logger's own reports cut at every byte,
// the exact closing of a run cut inside a step, the files that are left
// alone, and GeneralInfo.ini rebuilt from a report.
#include <gtest/gtest.h>

#include "results/ReportRepair.h"
#include "results/ResultsReader.h"
#include "support/TestSupport.h"
#include "support/XmlCheck.h"

namespace {

using results::ReportRepair;

std::string GoldenXml(const std::string& name) { return test::ReadFileBytes(test::DataPath("integration/" + name + ".xml")); }

results::ReadOutcome Read(const std::string& bytes)
{
    results::CMemoryByteSource source(bytes);
    results::CResultsReader reader(source);
    while (reader.Next()) {
    }
    return reader.Outcome();
}

// A report cut at any byte is mended into a well-formed report that reads
// complete, keeps every element that was whole before the cut, and needs
// no second repair.
TEST(ReportRepairTest, TheLoggersReportsCutAtEveryByteAreMended)
{
    for (const char* name : {"TestWithActionsAndIterations", "BusinessProcessWithComponents", "EarlierProductLevel",
                             "ASecondLoggerContinuesTheReport", "CustomReportObjects"}) {
        const std::string whole = GoldenXml(name);
        ReportRepair repair;
        EXPECT_EQ(results::RepairReportBytes(whole, &repair), whole) << name;
        EXPECT_EQ(repair.state, ReportRepair::State::Intact) << name;
        const size_t reportTag = whole.find('>', whole.find("<Report ")) + 1;
        // Every byte of the first report, every fifth of the others.
        const size_t step = name == std::string("TestWithActionsAndIterations") ? 1 : 5;
        for (size_t length = 0; length < whole.size(); length += step) {
            const std::string torn = whole.substr(0, length);
            const std::string repaired = results::RepairReportBytes(torn, &repair);
            if (length < reportTag) {
                EXPECT_EQ(repair.state, ReportRepair::State::Unrepairable) << name << " cut at " << length;
                continue;
            }
            if (repair.state == ReportRepair::State::Intact) {
                // Only where the cut left whole records with the report open,
                // as a run appended to leaves it.
                EXPECT_TRUE(Read(torn).Complete()) << name << " cut at " << length;
                EXPECT_TRUE(Read(torn).reportOpen) << name << " cut at " << length;
                continue;
            }
            ASSERT_EQ(repair.state, ReportRepair::State::Repaired) << name << " cut at " << length;
            std::string error;
            ASSERT_TRUE(test::XmlIsWellFormed(repaired, &error)) << name << " cut at " << length << ": " << error;
            results::ReadOutcome outcome = Read(repaired);
            ASSERT_TRUE(outcome.Complete() && !outcome.reportOpen) << name << " cut at " << length << ": "
                                                                   << outcome.problem;
            ASSERT_EQ(results::RepairReportBytes(repaired, &repair), repaired) << name << " cut at " << length;
            EXPECT_EQ(repair.state, ReportRepair::State::Intact);
            for (const char* end : {"</Step>\r\n", "</HtmlStep>\r\n", "</AIter>\r\n", "</Action>\r\n", "</DIter>\r\n",
                                    "</DT>\r\n", "</AdditionalInfo>\r\n", "</Doc>\r\n"})
                ASSERT_LE(test::CountOf(torn, end), test::CountOf(repaired, end)) << name << " cut at " << length << ": " << end;
        }
    }
}

// The whole output for a run cut inside a step's node arguments: the step's
// end record is dropped, and every open element is closed in the logger's
// byte forms, the test and the action marked as not completed.
TEST(ReportRepairTest, ARunCutInsideAStepIsClosedAsTheEndOfARun)
{
    const std::string kept = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<Report ver=\"2.0\" tmZone=\"UTC\">\r\n"
                             "<General productName=\"P\" productVer=\"1\" os=\"Windows XP\" host=\"H\">"
                             "<DocLocation><![CDATA[C:\\T]]></DocLocation></General>\r\n"
                             "<Doc rID=\"T1\"   productName= \"P\"  >\r\n<DName><![CDATA[T]]></DName>\r\n"
                             "<Res><![CDATA[R]]></Res>\r\n<DIter rID=\"T2\" iterID=\"3\" >\r\n"
                             "<Action rID=\"T3\">\r\n<AName><![CDATA[A]]></AName>\r\n"
                             "<Step rID=\"T4\">\r\n<Obj ><![CDATA[s]]></Obj>\r\n<Details ><![CDATA[]]></Details>\r\n"
                             "<Time><![CDATA[3/5/2024 - 14:05:09]]></Time>\r\n<TimeTick>1</TimeTick>\r\n";
    const std::string torn = kept + "<NodeArgs eType=\"Replay\" icon=\"0\" nRep=\"13\" status=\"Fai";
    ReportRepair repair;
    EXPECT_EQ(results::RepairReportBytes(torn, &repair),
              kept + "</Step>\r\n"
                     "<Summary stopped=\"True\" ></Summary>\r\n</Action>\r\n"
                     "</DIter>\r\n"
                     "<Summary stopped=\"True\" ></Summary>\r\n</Doc>\r\n"
                     "</Report>");
    EXPECT_EQ(repair.state, ReportRepair::State::Repaired);
    EXPECT_EQ(repair.keep, kept.size());
    EXPECT_EQ(repair.size, torn.size());
    EXPECT_EQ(repair.closed, (std::vector<std::string>{"Step T4", "Action T3", "DIter T2", "Doc T1", "Report"}));
    EXPECT_TRUE(repair.markedStopped);
    EXPECT_EQ(repair.problem, "it ends inside the element <Step rID=\"T4\"> (the run was cut short)");

    // GeneralInfo.ini from the mended report.
    std::string repaired = results::RepairReportBytes(torn);
    results::CMemoryByteSource source(repaired);
    results::GeneralInfo info = results::GeneralInfoFromReport(source);
    EXPECT_EQ(info.total, 4);
    EXPECT_EQ(info.globalIteration, 3000);
    EXPECT_EQ(info.osVersion, 7);
    std::string text = "[General]\r\nProduct=P\r\nVersion=1\r\nTotal=4\r\nTitle=\r\nOSVersion=7\r\n"
                       "TestLocation=C:\\T\r\nTestOnHost=H\r\nGlobalIteration=3000\r\nVaultServer=\r\nVaultProject=\r\n";
    std::string expected = "\xFF\xFE";
    for (char c : text)
        expected += std::string(1, c) + std::string(1, '\0');
    EXPECT_EQ(results::GeneralInfoFileBytes(info), expected);
}

TEST(ReportRepairTest, WhatNeedsNoRepairOrCannotHaveOneIsLeftAlone)
{
    ReportRepair repair;
    // A report left open for a later run to append to is whole.
    const std::string open = "<Report ver=\"2.0\" tmZone=\"\">\r\n<Doc rID=\"T1\" >\r\n<DName><![CDATA[T]]></DName>\r\n"
                             "<Res><![CDATA[]]></Res>\r\n</Doc>\r\n";
    EXPECT_EQ(results::RepairReportBytes(open, &repair), open);
    EXPECT_EQ(repair.state, ReportRepair::State::Intact);
    // ... but a piece of a next record after it is dropped, and the report closed.
    EXPECT_EQ(results::RepairReportBytes(open + "<Doc rI", &repair), open + "</Report>");
    EXPECT_EQ(repair.state, ReportRepair::State::Repaired);
    EXPECT_EQ(results::RepairReportBytes(open + "</Rep", &repair), open + "</Report>");

    results::RepairReportBytes("", &repair);
    EXPECT_EQ(repair.state, ReportRepair::State::Unrepairable);
    EXPECT_EQ(repair.problem, "it is empty");
    results::RepairReportBytes("<?xml version=\"1.0\"?>\r\n<!DOCTYPE Report\r\n[\r\n<!ELEMENT Re", &repair);
    EXPECT_EQ(repair.state, ReportRepair::State::Unrepairable);
    EXPECT_EQ(repair.problem, "it ends before its first complete record");
    const std::string html = "<html><body><Step rID=\"T1\">";
    EXPECT_EQ(results::RepairReportBytes(html, &repair), html);
    EXPECT_EQ(repair.state, ReportRepair::State::Foreign);
    EXPECT_EQ(repair.problem, "its first element is <html>, not <Report>");
}

TEST(ReportRepairTest, TheTotalOfGeneralInfoIsRaisedNeverLowered)
{
    auto utf16 = [](const std::string& text) {
        std::string bytes = "\xFF\xFE";
        for (char c : text)
            bytes += std::string(1, c) + std::string(1, '\0');
        return bytes;
    };
    std::string bytes = utf16("[General]\r\nProduct=P\r\nTotal=5\r\nPassword=secret\r\n");
    EXPECT_TRUE(results::RaiseGeneralInfoTotal(bytes, 12));
    EXPECT_EQ(bytes, utf16("[General]\r\nProduct=P\r\nTotal=12\r\nPassword=secret\r\n"));
    EXPECT_FALSE(results::RaiseGeneralInfoTotal(bytes, 12));
    EXPECT_FALSE(results::RaiseGeneralInfoTotal(bytes, 3));
    bytes = "[Other]\nTotal=1\n[General]\nProduct=P";
    EXPECT_TRUE(results::RaiseGeneralInfoTotal(bytes, 7));
    EXPECT_EQ(bytes, "[Other]\nTotal=1\n[General]\nTotal=7\nProduct=P");
    bytes = "";
    EXPECT_TRUE(results::RaiseGeneralInfoTotal(bytes, 2));
    EXPECT_EQ(bytes, "[General]\r\nTotal=2\r\n");
}

} // namespace
