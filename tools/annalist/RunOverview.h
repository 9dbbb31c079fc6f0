// What a results folder says about its run as a whole: its tests (or
// business components) with status, counts, times and duration, the
// overall status and counts. Fed every event of a CResultsReader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "annalist/CommandLine.h"
#include "annalist/ScopeFacts.h"
#include "results/GeneralInfo.h"
#include "results/ResultsReader.h"

struct TestOverview : ScopeFacts {
    std::string name;
    std::string type = "Test";   // "BC" for a business component
    bool hasDuration = false;    // from the summary, else from the time ticks
    int64_t duration = 0;        // seconds
};

class CRunOverview {
public:
    void Observe(const results::CResultsReader& reader);

    // After the End event.
    const std::vector<TestOverview>& Tests() const { return m_tests; }
    results::Status Status() const { return m_status; }
    long Passed() const;
    long Failed() const;
    long Warnings() const;
    std::string Start() const { return m_tests.empty() ? std::string() : m_tests.front().start; }
    std::string End() const { return m_tests.empty() ? std::string() : m_tests.back().end; }
    bool Duration(int64_t& seconds) const;
    const std::string& BusinessProcess() const { return m_businessProcess; }
    // The run's name: the title the host gave, else the business process,
    // else the test (and how many more there are).
    std::string Name(const results::GeneralInfo& info) const;
    // Puts the run's "name", "status", counts, "start", "end", "duration"
    // (null when unknown), "host", "product" and "version" into run: the
    // texts of GeneralInfo.ini, else those of the report.
    void PutRunFacts(nlohmann::ordered_json& run, const results::GeneralInfo& info,
                     const results::ReportInfo& report) const;

private:
    std::vector<TestOverview> m_tests;
    results::Status m_status = results::Status::Done;
    std::string m_businessProcess;
};

// Whether the recorded status makes the exit status 1 under --fail-on.
bool OutcomeFails(FailOn failOn, results::Status status);

// "2 s", "1 min 05 s", "2 h 03 min".
std::string DurationText(int64_t seconds);
