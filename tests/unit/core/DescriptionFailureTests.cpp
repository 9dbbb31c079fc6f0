// A description whose dictionary fails a call: the handler ends there, the
// event is finished with what it has, and LogEvent still succeeds.
#include <gtest/gtest.h>

#include "support/RecordingDictionary.h"
#include "support/TestLogger.h"

using test::CTestDescription;

namespace {

class DescriptionFailure : public ::testing::Test {
protected:
    DescriptionFailure()
    {
        settings.SetUsual();
        run.reset(new test::CTestRun(settings));
        EXPECT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    }

    // Logs the event with a description that fails on the key.
    HRESULT LogFailing(const char* type, LONG id, LONG parent, CTestDescription& values, const WCHAR* failingKey)
    {
        CInterfacePtr<IDictionary> failing(new test::CRecordingDictionary(values.Dictionary(), failingKey));
        CBstrString eventType(test::Utf8ToUtf16(type).c_str());
        return run->Logger()->LogEvent(eventType.Get(), failing.Get(), parent, id, run->NextTime());
    }

    test::CTestSettings settings;
    std::unique_ptr<test::CTestRun> run;
};

} // namespace

TEST_F(DescriptionFailure, AStepIsFinishedWithWhatItHas)
{
    CTestDescription test;
    test.Text("TestName", "T");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));

    CTestDescription step;
    step.Text("NodeName", "Half read").Int("Status", kovFail).Text("NodeType", "Link");
    ASSERT_EQ(S_OK, LogFailing("Replay", 11, 10, step, W("NodeType")));
    const EventNode* node = run->Logger()->Node(11);
    ASSERT_NE(nullptr, node);
    EXPECT_TRUE(node->displayName == W("Half read"));
    EXPECT_EQ(kovFail, node->status);
    EXPECT_TRUE(node->nodeType.IsEmpty());
    EXPECT_EQ(1, run->Logger()->Run().Counts(0).failed);
    EXPECT_EQ(11, run->Logger()->Run().LastEventId());
}

TEST_F(DescriptionFailure, WithoutAnOpenScopeTheEventIsDropped)
{
    CTestDescription test;
    test.Text("TestName", "T");
    ASSERT_EQ(S_OK, LogFailing("StartTest", 10, 0, test, W("TestName")));
    EXPECT_EQ(nullptr, run->Logger()->Node(10));
    EXPECT_EQ(0u, run->Logger()->Run().OpenScopeCount());
}

TEST_F(DescriptionFailure, TheRunStillEnds)
{
    CTestDescription test;
    test.Text("TestName", "T");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));
    CTestDescription action;
    action.Text("TestName", "A");
    ASSERT_EQ(S_OK, run->Log("StartAction", 11, 10, action));
    CTestDescription end;
    end.Text("ReturnValue", "x");
    ASSERT_EQ(S_OK, LogFailing("EndRepLog", 12, 0, end, W("ReturnValue")));
    EXPECT_EQ(0u, run->Logger()->Run().OpenScopeCount());
    EXPECT_EQ(0u, run->Logger()->Run().ScopeCount());
    EXPECT_EQ(0u, run->Logger()->Run().NodeCount());
}
