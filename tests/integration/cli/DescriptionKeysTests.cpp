// The replay's table of the description keys each event type reads, held
// against the logger itself: the bundled examples are logged in-process with
// every description watched, and each key the logger asks about must be in
// the table for its event's type (else the replay would warn about a key that
// is in fact read). Events without a description are given an empty one, so
// that their handlers show what they ask for too.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "annalist/DescriptionBuilder.h"
#include "annalist/DescriptionKeys.h"
#include "annalist/ReplayCall.h"
#include "integration/cli/ToolRunner.h"
#include "support/RecordingDictionary.h"
#include "support/TestLogger.h"

namespace {

// The keys the logger asked about or read ("Exists(K)", "Item(K)"), not
// those it wrote.
std::set<std::string> KeysAsked(const std::vector<std::string>& calls)
{
    std::set<std::string> keys;
    for (const std::string& call : calls) {
        for (const char* prefix : {"Exists(", "Item("}) {
            std::string start = prefix;
            if (call.compare(0, start.size(), start) == 0 && call.back() == ')')
                keys.insert(call.substr(start.size(), call.size() - start.size() - 1));
        }
    }
    return keys;
}

// type -> keys asked, for every event of the example.
void LogExample(const std::string& name, std::map<std::string, std::set<std::string>>& asked)
{
    test::CTestSettings settings;
    settings.SetUsual();
    test::TempFolder folder;
    test::CTestRun run(settings, folder.Wide());
    std::ifstream file(test::ExamplePath(name));
    ASSERT_TRUE(file) << name;
    std::string line;
    long number = 0;
    while (std::getline(file, line)) {
        ++number;
        ReplayCall call;
        std::string reason;
        ASSERT_TRUE(ParseReplayCall(line, call, reason)) << name << ":" << number << ": " << reason;
        if (call.kind == CallKind::SetStatus) {
            run.Logger()->SetStatus(call.id, static_cast<tagKovReportEvent>(call.status));
            continue;
        }
        ASSERT_EQ(call.kind, CallKind::LogEvent) << name << ":" << number;
        CInterfacePtr<IDictionary> description;
        ASSERT_TRUE(BuildDescription(call.hasDescription ? call.description : Json::object(), description, reason))
            << reason;
        CInterfacePtr<test::CRecordingDictionary> recorder(new test::CRecordingDictionary(description.Get()));
        CBstrString type(test::Utf8ToUtf16(call.type).c_str());
        EXPECT_EQ(S_OK, run.Logger()->LogEvent(type.Get(), static_cast<IDictionary*>(recorder.Get()), call.parent,
                                               call.id, run.NextTime()))
            << name << ":" << number;
        std::set<std::string> keys = KeysAsked(recorder->Calls());
        asked[call.type].insert(keys.begin(), keys.end());
    }
}

} // namespace

TEST(DescriptionKeys, TheTableHoldsEveryKeyTheLoggerReadsForTheExamples)
{
    std::map<std::string, std::set<std::string>> asked;
    for (const char* example : {"flight-booking.jsonl", "business-process.jsonl"})
        LogExample(example, asked);
    std::string missing;
    for (const auto& [type, keys] : asked) {
        const EventTypeKeys* entry = FindEventType(type);
        const std::vector<std::string>& known = entry ? entry->keys : OtherStepKeys();
        for (const std::string& key : keys)
            if (std::find(known.begin(), known.end(), key) == known.end())
                missing += type + ": " + key + "\n";
    }
    EXPECT_EQ(missing, "");
    // The examples go through most of the logger's handlers.
    EXPECT_GE(asked.size(), 15u);
}
