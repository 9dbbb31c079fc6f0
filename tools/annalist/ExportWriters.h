// The export files of a results folder, from what CRunCollector and
// CRunOverview gathered:
// - JUnit XML as Jenkins, GitLab and Azure DevOps read it: a testsuite per
//   action (or per test or business component for the steps outside
//   actions), a testcase per test case of CRunCollector with its time from
//   the steps' times, a failure naming the first failed step with its
//   details as plain text, an error when the run was cut short inside it,
//   the warnings in system-out and as a property of the suite;
// - the summary in JSON for scripts (its shape is in the README).
#pragma once

#include <string>

#include "annalist/RunCollector.h"
#include "annalist/RunOverview.h"
#include "results/GeneralInfo.h"
#include "results/ResultsReader.h"

struct ExportInput {
    const CRunCollector& collector;
    const CRunOverview& overview;
    const results::GeneralInfo& info;
    const results::CResultsReader& reader;
};

std::string JUnitXml(const ExportInput& input);
std::string SummaryJson(const ExportInput& input);

// XML text with &, <, >, " escaped and the characters XML does not allow
// replaced by U+FFFD.
std::string XmlEscaped(const std::string& text);
