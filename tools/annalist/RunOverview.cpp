#include "annalist/RunOverview.h"

#include <nlohmann/json.hpp>

#include "results/DurationClock.h"
#include "results/TimeText.h"

void CRunOverview::Observe(const results::CResultsReader& reader)
{
    if (reader.Current() != results::CResultsReader::Event::NodeEnd)
        return;
    const results::Node& node = reader.CurrentNode();
    if (node.depth == 0)
        m_status = results::MergeStatus(m_status, node.status);
    if (node.kind == results::NodeKind::BusinessProcess && node.depth == 0 && m_businessProcess.empty())
        m_businessProcess = node.name;
    if (node.kind != results::NodeKind::Test)
        return;
    for (size_t level = 0; const results::Node* outer = reader.Ancestor(level); ++level)
        if (outer->kind != results::NodeKind::BusinessProcess)
            return; // a test called from inside another one
    TestOverview test;
    test.name = node.name;
    test.type = node.testType;
    test.Read(node);
    test.hasDuration = test.hasSummaryDuration;
    test.duration = test.summaryDuration;
    if (!test.hasDuration && node.hasTicks) {
        test.hasDuration = true;
        test.duration = node.lastTick - node.firstTick;
    }
    m_tests.push_back(test);
}

long CRunOverview::Passed() const
{
    long sum = 0;
    for (const TestOverview& test : m_tests)
        sum += test.passed;
    return sum;
}

long CRunOverview::Failed() const
{
    long sum = 0;
    for (const TestOverview& test : m_tests)
        sum += test.failed;
    return sum;
}

long CRunOverview::Warnings() const
{
    long sum = 0;
    for (const TestOverview& test : m_tests)
        sum += test.warnings;
    return sum;
}

bool CRunOverview::Duration(int64_t& seconds) const
{
    if (m_tests.empty())
        return false;
    if (results::SecondsBetween(Start(), End(), seconds))
        return true;
    seconds = 0;
    bool any = false;
    for (const TestOverview& test : m_tests)
        if (test.hasDuration) {
            seconds += test.duration;
            any = true;
        }
    return any;
}

std::string CRunOverview::Name(const results::GeneralInfo& info) const
{
    if (!info.title.empty())
        return info.title;
    if (!m_businessProcess.empty())
        return m_businessProcess;
    if (m_tests.empty())
        return "(no test)";
    std::string name = m_tests.front().name;
    if (m_tests.size() > 1)
        name += " and " + std::to_string(m_tests.size() - 1) + (m_tests.size() == 2 ? " more run" : " more runs");
    return name;
}

bool OutcomeFails(FailOn failOn, results::Status status)
{
    switch (failOn) {
    case FailOn::Failed:
        return status == results::Status::Failed;
    case FailOn::Warning:
        return status == results::Status::Failed || status == results::Status::Warning;
    default:
        return false;
    }
}

std::string DurationText(int64_t seconds)
{
    if (seconds < 60)
        return std::to_string(seconds) + " s";
    char text[64];
    if (seconds < 3600)
        std::snprintf(text, sizeof(text), "%lld min %02lld s", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof(text), "%lld h %02lld min", static_cast<long long>(seconds / 3600),
                      static_cast<long long>((seconds % 3600) / 60));
    return text;
}

void CRunOverview::PutRunFacts(nlohmann::ordered_json& run, const results::GeneralInfo& info,
                               const results::ReportInfo& report) const
{
    run["name"] = Name(info);
    run["status"] = results::StatusName(Status());
    run["passed"] = Passed();
    run["failed"] = Failed();
    run["warnings"] = Warnings();
    run["start"] = Start();
    run["end"] = End();
    int64_t seconds = 0;
    if (Duration(seconds))
        run["duration"] = seconds;
    else
        run["duration"] = nullptr;
    run["host"] = !info.testHost.empty() ? info.testHost : report.host;
    run["product"] = !info.product.empty() ? info.product : report.productName;
    run["version"] = !info.version.empty() ? info.version : report.productVersion;
}
