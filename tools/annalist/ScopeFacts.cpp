#include "annalist/ScopeFacts.h"

#include <nlohmann/json.hpp>

#include "results/DurationClock.h"

void ScopeFacts::Read(const results::Node& node)
{
    const results::Summary& summary = node.summary;
    const bool counted = summary.present && summary.passed >= 0;
    status = node.status;
    passed = counted ? summary.passed : node.counts.passed;
    failed = counted ? summary.failed : node.counts.failed;
    warnings = counted ? summary.warnings : node.counts.warnings;
    start = summary.startTime;
    end = summary.endTime;
    hasSummaryDuration = results::SummaryDuration(summary, summaryDuration);
    complete = node.complete;
}

void PutScopeFacts(nlohmann::ordered_json& item, const ScopeFacts& facts)
{
    item["status"] = results::StatusName(facts.status);
    item["passed"] = facts.passed;
    item["failed"] = facts.failed;
    item["warnings"] = facts.warnings;
    item["start"] = facts.start;
    item["end"] = facts.end;
}
