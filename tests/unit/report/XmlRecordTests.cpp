// The node records: the exact text of every element half, each optional piece
// on and off, at both product levels.
#include <gtest/gtest.h>

#include "report/XMLActionRecords.h"
#include "report/XMLBusinessProcessRecords.h"
#include "report/XMLRootRecords.h"
#include "report/XMLRunInfoRecords.h"
#include "report/XMLStepRecords.h"
#include "report/XMLTestRecords.h"
#include "unit/report/ReportTestSupport.h"

using test::TextOf;

namespace {

void FillNodeArgs(NodeArgsData& args, const WCHAR* status = W("Failed"))
{
    args.SetNodeArgs(W("Replay"), W("Step 1"), W("5"), W("17"), status, W("Browser"), W("6"), W("0"), W("M1"),
                     W("Action1"), W("12"));
    args.SetBottomPane(W("HTML"), W("snap.html"), W(""), W("hl"));
}

// A minimal NodeArgs: eType, icon 1, nRep 2, Done, display text.
void FillPlainNodeArgs(NodeArgsData& args)
{
    args.SetNodeArgs(W("StartTest"), W("Login Summary"), W("1"), W("2"), W("Done"), W(""), W("1"), W(""), W(""),
                     W(""), W(""));
}

} // namespace

TEST(NodeArgsText, EveryPieceAtTheCurrentLevel)
{
    NodeArgsData args;
    FillNodeArgs(args);
    EXPECT_EQ(TextOf(args), "<NodeArgs eType=\"Replay\" icon=\"5\" nRep=\"17\" status=\"Failed\" nType=\"Browser\" "
                            "iconSel=\"6\" filter=\"False\" MovieMarker=\"M1\" Source=\"Action1\" SourceLine=\"12\" "
                            ">\r\n<Disp><![CDATA[Step 1]]></Disp>\r\n<BtmPane vType=\"HTML\">\r\n"
                            "<Path><![CDATA[snap.html]]></Path>\r\n<ASHilite><![CDATA[hl]]></ASHilite>\r\n"
                            "</BtmPane>\r\n</NodeArgs>\r\n");
}

TEST(NodeArgsText, TheEarlierLevelHasNoSource)
{
    NodeArgsData args(ProductLevel::Earlier);
    FillNodeArgs(args);
    EXPECT_EQ(TextOf(args), "<NodeArgs eType=\"Replay\" icon=\"5\" nRep=\"17\" status=\"Failed\" nType=\"Browser\" "
                            "iconSel=\"6\" filter=\"False\" MovieMarker=\"M1\" >\r\n<Disp><![CDATA[Step 1]]></Disp>\r\n"
                            "<BtmPane vType=\"HTML\">\r\n<Path><![CDATA[snap.html]]></Path>\r\n"
                            "<ASHilite><![CDATA[hl]]></ASHilite>\r\n</BtmPane>\r\n</NodeArgs>\r\n");
}

TEST(NodeArgsText, OptionalAttributesLeftOut)
{
    NodeArgsData args;
    FillPlainNodeArgs(args);
    // Done writes no status; an iconSel equal to icon and an empty filter write nothing.
    EXPECT_EQ(TextOf(args), "<NodeArgs eType=\"StartTest\" icon=\"1\" nRep=\"2\" >\r\n"
                            "<Disp><![CDATA[Login Summary]]></Disp>\r\n</NodeArgs>\r\n");

    args.SetNodeArgs(W("User"), W("d"), W("1"), W("2"), W("Warning"), W(""), W(""), W("1"), W(""), W(""), W("-1"));
    EXPECT_EQ(TextOf(args), "<NodeArgs eType=\"User\" icon=\"1\" nRep=\"2\" status=\"Warning\" >\r\n"
                            "<Disp><![CDATA[d]]></Disp>\r\n</NodeArgs>\r\n");

    // An unknown status has an empty name, written as an empty attribute; a
    // source line without a source is not written.
    args.SetNodeArgs(W("User"), W("d"), W("1"), W("2"), W(""), W(""), W(""), W(""), W(""), W(""), W("7"));
    EXPECT_EQ(TextOf(args), "<NodeArgs eType=\"User\" icon=\"1\" nRep=\"2\" status=\"\" >\r\n"
                            "<Disp><![CDATA[d]]></Disp>\r\n</NodeArgs>\r\n");

    // A source with an empty line writes Source alone.
    args.SetNodeArgs(W("User"), W("d"), W("1"), W("2"), W("Done"), W(""), W(""), W(""), W(""), W("s"), W(""));
    EXPECT_EQ(TextOf(args), "<NodeArgs eType=\"User\" icon=\"1\" nRep=\"2\" Source=\"s\" >\r\n"
                            "<Disp><![CDATA[d]]></Disp>\r\n</NodeArgs>\r\n");

    // No eType: no NodeArgs at all.
    NodeArgsData empty;
    EXPECT_EQ(TextOf(empty), "");
    empty.SetNodeArgs(W(""), W("d"), W("1"), W("2"), W("Failed"), W(""), W(""), W(""), W(""), W(""), W(""));
    EXPECT_EQ(TextOf(empty), "");
}

TEST(NodeArgsText, Panes)
{
    NodeArgsData args;
    FillPlainNodeArgs(args);
    const std::string start = "<NodeArgs eType=\"StartTest\" icon=\"1\" nRep=\"2\" >\r\n"
                              "<Disp><![CDATA[Login Summary]]></Disp>\r\n";

    args.SetBottomPane(W("HTML"), W(""), W(""), W(""));
    EXPECT_EQ(TextOf(args), start + "</NodeArgs>\r\n");

    args.SetBottomPane(W("Table"), W(""), W(""), W(""));
    EXPECT_EQ(TextOf(args), start + "<BtmPane vType=\"Table\">\r\n</BtmPane>\r\n</NodeArgs>\r\n");

    args.SetBottomPane(W(""), W("p"), W("w"), W("h"));
    EXPECT_EQ(TextOf(args), start + "</NodeArgs>\r\n");

    args.SetTopPanePath(W("top.html"));
    args.SetBottomPane(W("HTML"), W("p"), W("w"), W("h"));
    EXPECT_EQ(TextOf(args), start + "<TopPane>\r\n<Path><![CDATA[top.html]]></Path>\r\n</TopPane>\r\n"
                                    "<BtmPane vType=\"HTML\">\r\n<Path><![CDATA[p]]></Path>\r\n<WR><![CDATA[w]]></WR>\r\n"
                                    "<ASHilite><![CDATA[h]]></ASHilite>\r\n</BtmPane>\r\n</NodeArgs>\r\n");
}

TEST(NodeArgsText, NodeTypeAndSourceAreEscaped)
{
    auto nodeType = [](const std::string& text) {
        NodeArgsData args;
        args.SetNodeArgs(W("User"), W("d"), W("1"), W("2"), W("Done"), test::Wide(text).c_str(), W(""), W(""), W(""),
                         test::Wide(text).c_str(), W("3"));
        std::string all = TextOf(args);
        size_t from = all.find("nType=\"") + 7;
        std::string value = all.substr(from, all.find("\" ", from) - from);
        size_t source = all.find("Source=\"") + 8;
        EXPECT_EQ(all.substr(source, all.find("\" SourceLine", source) - source), value);
        return value;
    };
    EXPECT_EQ(nodeType("A&B"), "A&amp;B");
    EXPECT_EQ(nodeType("say \"x\" <y> & z"), "say &quot;x&quot; &lt;y&gt; &amp; z");
    // A line feed becomes a line break, written so the value stays well-formed.
    EXPECT_EQ(nodeType("one\ntwo"), "one&lt;br&gt;two");
    // A text that already holds an entity is kept; only what would break
    // the attribute is mended.
    EXPECT_EQ(nodeType("a&amp;b>c"), "a&amp;b>c");
    EXPECT_EQ(nodeType("&amp; <x> & \"q\""), "&amp; &lt;x> &amp; &quot;q&quot;");
}

TEST(SummaryText, PiecesInOrder)
{
    SummaryData summary;
    SummaryParamList params(2);
    params[0].name = W("out1");
    params[0].value = W("v1");
    params[0].direction = 1;
    params[1].name = W("in1");
    params[1].value = W("v2");
    params[1].direction = 0;
    summary.SetSummary(W("ok"), params, W("3/5/2024 - 14:05:05"), W("3/5/2024 - 14:06:00"), 4, 1, 2, true,
                       W("<TestMaintenanceSummary ObjectsAdded=\"0\" ObjectsUpdated=\"0\" StepsUpdated=\"0\" "
                         "StepsComments=\"0\"/>"));
    EXPECT_EQ(TextOf(summary),
              "<Summary sTime=\"3/5/2024 - 14:05:05\" eTime=\"3/5/2024 - 14:06:00\" passed=\"4\" failed=\"1\" "
              "warnings=\"2\" retval=\"ok\" stopped=\"True\" >"
              "<Param paramInOut = \"Out\"><ParamName><![CDATA[out1]]></ParamName><ParamVal><![CDATA[v1]]></ParamVal>"
              "\r\n</Param>\r\n"
              "<Param ><ParamName><![CDATA[in1]]></ParamName><ParamVal><![CDATA[v2]]></ParamVal>\r\n</Param>\r\n"
              "</Summary>\r\n"
              "<TestMaintenanceSummary ObjectsAdded=\"0\" ObjectsUpdated=\"0\" StepsUpdated=\"0\" "
              "StepsComments=\"0\"/>");
}

TEST(SummaryText, AnIterationSummaryHasOnlyItsReturnValue)
{
    SummaryData summary;
    SummaryParamList params(1);
    params[0].name = W("p");
    params[0].value = W("v");
    params[0].direction = 7; // any direction but 0 is output
    summary.SetSummary(W("r"), params, W(""), W(""), -1, -1, -1, false, W(""));
    EXPECT_EQ(TextOf(summary), "<Summary retval=\"r\" ><Param paramInOut = \"Out\"><ParamName><![CDATA[p]]>"
                               "</ParamName><ParamVal><![CDATA[v]]></ParamVal>\r\n</Param>\r\n</Summary>\r\n");

    // No attribute text: nothing, parameters and maintenance text included.
    summary.SetSummary(W(""), params, W(""), W("t"), 1, -1, 0, false, W("<x/>"));
    EXPECT_EQ(TextOf(summary), "");

    // Counts are written only when none is -1; one time alone is not written.
    summary.SetSummary(W(""), SummaryParamList(), W("t"), W(""), 0, 0, 0, false, W(""));
    EXPECT_EQ(TextOf(summary), "<Summary passed=\"0\" failed=\"0\" warnings=\"0\" ></Summary>\r\n");
    summary.SetSummary(W(""), SummaryParamList(), W(""), W(""), -1, -1, -1, true, W(""));
    EXPECT_EQ(TextOf(summary), "<Summary stopped=\"True\" ></Summary>\r\n");
}

TEST(RunInfoRecords, General)
{
    CXMLGeneralNodeData withServer(W("Corvane"), W("9.2"), W("Windows XP"), W("C:\\Tests\\Login"), W("HOST1"),
                                   W("srv"), W("proj"));
    EXPECT_EQ(TextOf(withServer), "<General productName=\"Corvane\" productVer=\"9.2\" os=\"Windows XP\" host=\"HOST1\" "
                                  "vaultserver=\"srv\" vaultproject=\"proj\"><DocLocation><![CDATA[C:\\Tests\\Login]]>"
                                  "</DocLocation></General>\r\n");

    CXMLGeneralNodeData noServer(W("Corvane"), W("9.2"), W(""), W(""), W(""), W(""), W("proj"));
    EXPECT_EQ(TextOf(noServer), "<General productName=\"Corvane\" productVer=\"9.2\" os=\"\" host=\"\">"
                                "<DocLocation><![CDATA[]]></DocLocation></General>\r\n");

    CXMLGeneralNodeData earlier(W("Corvane"), W("8.0"), W("Windows 2000"), W("t"), W("h"), W("srv"), W("proj"),
                                ProductLevel::Earlier);
    EXPECT_EQ(TextOf(earlier), "<General productName=\"Corvane\" productVer=\"8.0\" os=\"Windows 2000\" host=\"h\">"
                               "<DocLocation><![CDATA[t]]></DocLocation></General>\r\n");
}

TEST(RunInfoRecords, AdditionalInfo)
{
    CXMLAdditionalNodeData record(W("Build"), W("1234"));
    EXPECT_EQ(TextOf(record), "<AdditionalInfo>\r\n<AdditionalDataName><![CDATA[Build]]></AdditionalDataName>\r\n"
                              "<AdditionalDataValue><![CDATA[1234]]></AdditionalDataValue>\r\n</AdditionalInfo>\r\n");
    EXPECT_EQ(record.RecordId(), -1);
    EXPECT_EQ(record.GetNodeArgs(), nullptr);
    EXPECT_EQ(record.GetSummary(), nullptr);
    EXPECT_FALSE(record.IsExitRecord());
}

TEST(RootRecords, EndAndExit)
{
    CXMLEndRootNodeData end;
    EXPECT_EQ(TextOf(end), "</Report>");
    EXPECT_TRUE(end.IsExitRecord());
    CXMLExitReport exitRecord;
    EXPECT_EQ(TextOf(exitRecord), "");
    EXPECT_TRUE(exitRecord.IsExitRecord());
    CXMLStartRootNodeData appended(true);
    EXPECT_EQ(TextOf(appended), "");
    EXPECT_FALSE(appended.IsExitRecord());
}

TEST(BusinessProcessRecords, StartWritesItsNodeArgsAtOnce)
{
    CXMLStartBPTNodeData full(3, W("Order"), W("Res1"), RunIdentity{W("Set A"), W("2"), W("1.4")});
    ASSERT_NE(full.GetNodeArgs(), nullptr);
    FillPlainNodeArgs(*full.GetNodeArgs());
    EXPECT_EQ(TextOf(full), "<BPT rID=\"T3\">\r\n<DName><![CDATA[Order]]></DName>\r\n<Res><![CDATA[Res1]]></Res>\r\n"
                            "<DVer><![CDATA[1.4]]></DVer>\r\n<TSet><![CDATA[Set A]]></TSet>\r\n"
                            "<TInst><![CDATA[2]]></TInst>\r\n<NodeArgs eType=\"StartTest\" icon=\"1\" nRep=\"2\" >\r\n"
                            "<Disp><![CDATA[Login Summary]]></Disp>\r\n</NodeArgs>\r\n");

    CXMLStartBPTNodeData bare(1, W("Order"), W(""), RunIdentity{W(""), W(""), W("")});
    EXPECT_EQ(TextOf(bare), "<BPT rID=\"T1\">\r\n<DName><![CDATA[Order]]></DName>\r\n<Res><![CDATA[]]></Res>\r\n");

    CXMLEndBPTNodeData end;
    EXPECT_EQ(TextOf(end), "</BPT>");
}

TEST(TestRecords, DocOfATest)
{
    CXMLStartTestNodeData test(1, W("Login"), W("Res1"), W("Corvane"), W("Test"),
                               RunIdentity{W("Set A"), W("1"), W("3")}, 0);
    EXPECT_EQ(TextOf(test), "<Doc rID=\"T1\"   productName= \"Corvane\"  >\r\n<DName><![CDATA[Login]]></DName>\r\n"
                            "<Res><![CDATA[Res1]]></Res>\r\n<DVer><![CDATA[3]]></DVer>\r\n"
                            "<TSet><![CDATA[Set A]]></TSet>\r\n<TInst><![CDATA[1]]></TInst>\r\n");

    test.SetRunType(false, false, false, true, false);
    EXPECT_EQ(TextOf(test), "<Doc rID=\"T1\"   productName= \"Corvane\"  >\r\n<DName><![CDATA[Login]]></DName>\r\n"
                            "<Res><![CDATA[Res1]]></Res>\r\n<DVer><![CDATA[3]]></DVer>\r\n"
                            "<TSet><![CDATA[Set A]]></TSet>\r\n<TInst><![CDATA[1]]></TInst>\r\n"
                            "<RunType upChk=\"True\" />");

    test.SetRunType(true, true, true, true, true);
    std::string all = TextOf(test);
    EXPECT_EQ(all.substr(all.find("<RunType")),
              "<RunType fmStep=\"True\" batch=\"True\" upDesc=\"True\" upChk=\"True\" upAS=\"True\" />");
}

TEST(TestRecords, DocOfABusinessComponent)
{
    CXMLStartTestNodeData component(4, W("Login"), W("Res"), W("Corvane"), W("BC"),
                                    RunIdentity{W("Set A"), W("1"), W("3")}, 2);
    EXPECT_EQ(TextOf(component), "<Doc rID=\"T4\"  type= \"BC\"   productName= \"Corvane\"   BCIter= \"2\" >\r\n"
                                 "<DName><![CDATA[Login]]></DName>\r\n<Res><![CDATA[Res]]></Res>\r\n");

    CXMLStartTestNodeData firstIteration(4, W("Log"), W("R"), W(""), W("BC"), RunIdentity{W(""), W(""), W("")}, 0);
    EXPECT_EQ(TextOf(firstIteration), "<Doc rID=\"T4\"  type= \"BC\"   productName= \"\"  >\r\n"
                                      "<DName><![CDATA[Log]]></DName>\r\n<Res><![CDATA[R]]></Res>\r\n");

    // The comparison with "Test" is exact.
    CXMLStartTestNodeData lower(5, W("Log"), W("R"), W("P"), W("test"), RunIdentity{W("S"), W("I"), W("V")}, 0);
    std::string text = TextOf(lower);
    EXPECT_NE(text.find(" type= \"test\" "), std::string::npos);
    EXPECT_EQ(text.find("<TSet>"), std::string::npos);
}

TEST(TestRecords, EndRecordsPrintSummaryThenNodeArgs)
{
    CXMLEndTestNodeData end;
    EXPECT_EQ(TextOf(end), "</Doc>\r\n");
    EXPECT_EQ(end.RecordId(), -1);
    ASSERT_NE(end.GetSummary(), nullptr);
    end.GetSummary()->SetSummary(W("r"), SummaryParamList(), W(""), W(""), -1, -1, -1, false, W(""));
    FillPlainNodeArgs(*end.GetNodeArgs());
    EXPECT_EQ(TextOf(end), "<Summary retval=\"r\" ></Summary>\r\n<NodeArgs eType=\"StartTest\" icon=\"1\" nRep=\"2\" >"
                           "\r\n<Disp><![CDATA[Login Summary]]></Disp>\r\n</NodeArgs>\r\n</Doc>\r\n");

    CXMLStartTestIterNodeData iteration(2, 3);
    EXPECT_EQ(TextOf(iteration), "<DIter rID=\"T2\" iterID=\"3\" >\r\n");
    CXMLEndTestIterNodeData iterationEnd;
    EXPECT_EQ(TextOf(iterationEnd), "</DIter>\r\n");

    CXMLStartActionNodeData action(6, W("Action1"));
    EXPECT_EQ(TextOf(action), "<Action rID=\"T6\">\r\n<AName><![CDATA[Action1]]></AName>\r\n");
    CXMLEndActionNodeData actionEnd;
    EXPECT_EQ(TextOf(actionEnd), "</Action>\r\n");
    ASSERT_NE(actionEnd.GetNodeArgs(), nullptr);
    ASSERT_NE(actionEnd.GetSummary(), nullptr);

    CXMLStartActionIterNodeData actionIteration(7, 1);
    EXPECT_EQ(TextOf(actionIteration), "<AIter rID=\"T7\" iterID=\"1\" >\r\n");
    CXMLEndActionIterNodeData actionIterationEnd;
    EXPECT_EQ(TextOf(actionIterationEnd), "</AIter>\r\n");
}

TEST(StepRecords, PlainStep)
{
    CXMLStartRegularPlainNodeData step(17, W("details"), W("3/5/2024 - 14:05:05"), W(""), W("Button"), true, true,
                                       1709647505);
    EXPECT_EQ(TextOf(step), "<Step rID=\"T17\">\r\n<Obj ><![CDATA[Button]]></Obj>\r\n"
                            "<Details ><![CDATA[details]]></Details>\r\n<Time><![CDATA[3/5/2024 - 14:05:05]]></Time>\r\n"
                            "<TimeTick>1709647505</TimeTick>\r\n");

    CXMLStartRegularPlainNodeData html(18, W("<b>d</b>"), W("t"), W("42"), W("<i>o</i>"), false, false, 0);
    EXPECT_EQ(TextOf(html), "<Step rID=\"T18\" retval=\"42\">\r\n<Obj plainTxt=\"False\" ><![CDATA[<i>o</i>]]></Obj>\r\n"
                            "<Details plainTxt=\"False\" ><![CDATA[<b>d</b>]]></Details>\r\n<Time><![CDATA[t]]></Time>\r\n"
                            "<TimeTick>0</TimeTick>\r\n");

    CXMLStartRegularPlainNodeData earlier(17, W("d"), W("t"), W(""), W("o"), true, true, 1709647505,
                                          ProductLevel::Earlier);
    EXPECT_EQ(TextOf(earlier), "<Step rID=\"T17\">\r\n<Obj ><![CDATA[o]]></Obj>\r\n<Details ><![CDATA[d]]></Details>\r\n"
                               "<Time><![CDATA[t]]></Time>\r\n");

    CXMLEndRegularPlainNodeData end;
    EXPECT_EQ(TextOf(end), "</Step>\r\n");
    FillPlainNodeArgs(*end.GetNodeArgs());
    EXPECT_EQ(TextOf(end), "<NodeArgs eType=\"StartTest\" icon=\"1\" nRep=\"2\" >\r\n"
                           "<Disp><![CDATA[Login Summary]]></Disp>\r\n</NodeArgs>\r\n</Step>\r\n");
    EXPECT_EQ(end.GetSummary(), nullptr);
}

TEST(StepRecords, TheTickIsItsLow32Bits)
{
    CXMLStartRegularPlainNodeData late(1, W(""), W(""), W(""), W(""), true, true, 0x100000005LL);
    EXPECT_NE(TextOf(late).find("<TimeTick>5</TimeTick>"), std::string::npos);
    CXMLStartHtmlNodeData negative(1, W("h"), 0xFFFFFFFFLL);
    EXPECT_NE(TextOf(negative).find("<TimeTick>-1</TimeTick>"), std::string::npos);
}

TEST(StepRecords, ObjectAndDetailsNeverEndTheirSection)
{
    CXMLStartRegularPlainNodeData step(1, W("a]]>b]]]>c"), W("t"), W(""), W("x]]>"), true, true, 0);
    std::string text = TextOf(step);
    EXPECT_NE(text.find("<Obj ><![CDATA[x]]_]]></Obj>"), std::string::npos);
    EXPECT_NE(text.find("<Details ><![CDATA[a]]_b]]]_c]]></Details>"), std::string::npos);
}

TEST(StepRecords, HtmlStepAndDataTable)
{
    CXMLStartHtmlNodeData html(9, W("<html>page</html>"), 1709647505);
    EXPECT_EQ(TextOf(html), "<HtmlStep rID=\"T9\">\r\n<HTML><![CDATA[<html>page</html>]]></HTML>\r\n"
                            "<TimeTick>1709647505</TimeTick>\r\n");
    CXMLStartHtmlNodeData earlier(9, W("p"), 1709647505, ProductLevel::Earlier);
    EXPECT_EQ(TextOf(earlier), "<HtmlStep rID=\"T9\">\r\n<HTML><![CDATA[p]]></HTML>\r\n");
    CXMLEndHtmlNodeData end;
    EXPECT_EQ(TextOf(end), "</HtmlStep>\r\n");

    CXMLDataTableNodeData table(11);
    EXPECT_EQ(TextOf(table), "<DT rID=\"T11\">\r\n</DT>\r\n");
    table.GetNodeArgs()->SetNodeArgs(W("Table"), W("Data"), W("3"), W("40"), W("Done"), W(""), W("3"), W(""), W(""),
                                     W(""), W("-1"));
    EXPECT_EQ(TextOf(table), "<DT rID=\"T11\">\r\n<NodeArgs eType=\"Table\" icon=\"3\" nRep=\"40\" >\r\n"
                             "<Disp><![CDATA[Data]]></Disp>\r\n</NodeArgs>\r\n</DT>\r\n");
}
