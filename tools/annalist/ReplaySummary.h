// The text a person reads at the end of a replay: how the replay went, the
// results folder, the tests and actions written with their status and counts,
// and the number of report nodes written.
#pragma once

#include <string>
#include <vector>

#include "annalist/ReportContents.h"

struct ReplayStatistics {
    long lines = 0;          // event lines read (blank lines not counted)
    long calls = 0;          // calls made for them
    long failedCalls = 0;
    long skippedLines = 0;
    long warnings = 0;
    bool interrupted = false;
    bool closedOpenRun = false; // the tool ended a run the log left open
    double seconds = 0;
};

struct ReplaySummaryInput {
    std::string eventsFile;     // as given
    std::string resultsFolder;  // for display
    ReplayStatistics statistics;
    bool runStarted = false;    // the event log started a run
    bool reportRead = false;    // Results.xml was found and read
    ReportContents report;
    std::vector<std::string> files; // the results folder's entries (folders end with the separator)
};

std::string FormatReplaySummary(const ReplaySummaryInput& input);
