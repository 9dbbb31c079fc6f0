// What a written Results.xml holds, read back for the replay's summary: the
// business process, tests, business components and actions with their status
// and counts, the number of report nodes, and whether the report is closed.
// The file is read as a stream (any size) and leniently: a report left open
// for a later append, or cut short, still gives what it holds.
#pragma once

#include <string>
#include <vector>

#include "pal/pal.h"

struct ReportEntry {
    enum Kind { BusinessProcess, Test, BusinessComponent, Action };
    Kind kind = Test;
    int depth = 0;               // entries it is nested in
    std::string name;            // DName / AName (UTF-8)
    std::string status;          // NodeArgs status: "Passed", "Failed", ... ("Done" when not written)
    bool hasCounts = false;      // a Summary with counts was written
    long passed = 0, failed = 0, warnings = 0;
    bool closed = false;         // its end tag was written
};

struct ReportContents {
    std::vector<ReportEntry> entries;
    long nodes = 0;              // elements with an rID
    bool closed = false;         // "</Report>" was written
    unsigned long long bytes = 0;
};

// False with a reason when the file cannot be read.
bool ReadReportContents(const WideString& path, ReportContents& contents, std::string& error);
