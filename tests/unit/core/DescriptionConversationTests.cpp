// The logger's whole conversation with a description, call by call: which keys
// it asks about and reads, and what it writes back for the host. The icon
// numbers are worked out once and written for the host; the logger never
// reads back a value it wrote itself.
#include <gtest/gtest.h>

#include "support/RecordingDictionary.h"
#include "support/TestLogger.h"

using test::CTestDescription;

namespace {

// The calls every recorded node ends with (status, node keys, pictures and
// custom report), for a description that has none of those keys.
const char kNodeKeys[] = "Exists(Status)\nExists(NodeType)\n";
const char kLastKeys[] = "Exists(BottomFilePath)\nExists(EnableFilter)\nExists(MovieMarkerID)\nItem(ViewType)\n"
                         "Exists(DoSaveSnapShot)\nExists(CustomObjUnk)\nExists(UsersPictureHbitmap)\n";

class DescriptionConversation : public ::testing::Test {
protected:
    void Start(const WideString& resultsPath)
    {
        settings.SetUsual();
        run.reset(new test::CTestRun(settings, resultsPath));
        ASSERT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    }

    // Logs the event and gives the calls its description got.
    std::string Conversation(const char* type, LONG id, LONG parent, CTestDescription& values)
    {
        CInterfacePtr<test::CRecordingDictionary> recorder(new test::CRecordingDictionary(values.Dictionary()));
        CBstrString eventType(test::Utf8ToUtf16(type).c_str());
        EXPECT_EQ(S_OK, run->Logger()->LogEvent(eventType.Get(), static_cast<IDictionary*>(recorder.Get()), parent,
                                                id, run->NextTime()));
        return recorder->CallText();
    }

    test::CTestSettings settings;
    test::TempFolder folder;
    std::unique_ptr<test::CTestRun> run;
};

} // namespace

TEST_F(DescriptionConversation, AStartGetsTheLibrarysIconsWrittenForTheHost)
{
    Start(folder.Wide());
    CTestDescription test;
    test.Text("TestName", "T").Text("DocumentType", "Test").Int("IconIndex", 9);
    EXPECT_EQ("QueryInterface\n"
              "Exists(TestName)\nItem(TestName)\nExists(PartialReplay)\nExists(ProductName)\nExists(ResultsName)\n"
              "Exists(RunInUpdateTODescMode)\nExists(RunInUpdateVOMode)\nExists(RunInUpdateSnapshotsMode)\n"
              "Exists(DocumentType)\nItem(DocumentType)\nExists(CompIndexInBPT)\n"
              // The icon defaults for the host, then the numbers of the copied icons.
              "Exists(DllPAth)\nItem(DllIconIndex)=3:201\nItem(DllIconSelIndex)=3:201\nItem(DllPAth)=8:LocalDll\n"
              "Exists(ShowTopFile)\nItem(ShowTopFile)=11:0\nExists(ArgumentsDispatch)\n"
              "Item(IconIndex)=3:1\nItem(IconSelIndex)=3:1\n" +
                  std::string(kNodeKeys) + kLastKeys,
              Conversation("StartTest", 2, 0, test));
    EXPECT_EQ(1, run->Logger()->Node(2)->iconIndex);
    EXPECT_EQ(1, run->Logger()->Node(2)->selectedIconIndex);

    // An iteration start: its own group, 202.
    CTestDescription iteration;
    std::string calls = Conversation("StartIteration", 3, 2, iteration);
    EXPECT_NE(calls.find("Exists(DllPAth)\nItem(DllIconIndex)=3:202\nItem(DllIconSelIndex)=3:202\n"
                         "Item(DllPAth)=8:LocalDll\nExists(ShowTopFile)\nItem(ShowTopFile)=11:0\n"
                         "Item(IconIndex)=3:2\nItem(IconSelIndex)=3:2\n" +
                         std::string(kNodeKeys) + kLastKeys),
              std::string::npos)
        << calls;
}

TEST_F(DescriptionConversation, TheIconsAStepNamesAreReadOnce)
{
    Start(folder.Wide());
    CTestDescription test;
    test.Text("TestName", "T");
    ASSERT_EQ(S_OK, run->Log("StartTest", 2, 0, test));
    CTestDescription step;
    step.Text("NodeName", "S").Text("DllPAth", "LocalDll").Int("DllIconIndex", 201).Int("DllIconSelIndex", 202);
    EXPECT_EQ("QueryInterface\n"
              "Exists(PlainTextNodeName)\nExists(HtmlNodeName)\nExists(NodeName)\nItem(NodeName)\n"
              "Exists(StepPlainTxt)\nExists(StepHtmlInfo)\nExists(StepInfo)\nExists(ReturnValue)\n"
              "Exists(DllPAth)\nItem(DllPAth)\nExists(DllIconIndex)\nItem(DllIconIndex)\n"
              "Exists(DllIconSelIndex)\nItem(DllIconSelIndex)\nItem(IconIndex)=3:1\nItem(IconSelIndex)=3:2\n" +
                  std::string(kNodeKeys) + kLastKeys,
              Conversation("Replay", 3, 2, step));
    EXPECT_EQ(1, run->Logger()->Node(3)->iconIndex);
    EXPECT_EQ(2, run->Logger()->Node(3)->selectedIconIndex);
}

TEST_F(DescriptionConversation, WithoutAResultsFolderTheHostsNumbersAreRead)
{
    Start(WideString());
    CTestDescription process;
    process.Text("TestName", "P").Int("IconIndex", 7).Int("IconSelIndex", 8);
    EXPECT_EQ("QueryInterface\nExists(TestName)\nItem(TestName)\nExists(ResultsName)\n"
              "Exists(IconIndex)\nItem(IconIndex)\nExists(IconSelIndex)\nItem(IconSelIndex)\n",
              Conversation("StartBP", 2, 0, process));

    CTestDescription test;
    test.Text("TestName", "T").Int("IconIndex", 9);
    std::string calls = Conversation("StartTest", 3, 0, test);
    // The defaults are still written for the host, and nothing is numbered.
    EXPECT_NE(calls.find("Item(DllPAth)=8:LocalDll\n"), std::string::npos) << calls;
    EXPECT_EQ(calls.find("Item(IconIndex)="), std::string::npos) << calls;
    EXPECT_NE(calls.find(std::string(kNodeKeys) + "Exists(IconIndex)\nItem(IconIndex)\nExists(IconSelIndex)\n" +
                         kLastKeys),
              std::string::npos)
        << calls;
    EXPECT_EQ(9, run->Logger()->Node(3)->iconIndex);
}
