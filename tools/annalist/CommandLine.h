// The tool's command line (CLI11): `annalist replay EVENTS -o RESULTS_DIR
// [--settings FILE.reg] [--root KEY] [--filter N] [--level current|earlier]`,
// `annalist --help`, `annalist replay --help`, `annalist --version`.
#pragma once

#include <string>
#include <vector>

struct ReplayOptions {
    std::string eventsFile;
    std::string resultsFolder;
    std::string settingsFile;            // empty: the default settings
    std::string root = "SOFTWARE\\Annalist";
    bool hasFilter = false;
    long filter = 0;                     // 0 to 3 (tagReportFilter)
    bool earlierLevel = false;           // --level earlier
};

struct CommandLineResult {
    bool run = false;                    // false: the program ends with exitStatus
    int exitStatus = 0;
    std::string output;                  // for stdout (help, version)
    std::string errors;                  // for stderr (usage errors)
};

// The arguments as UTF-8, the program's name first.
CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments, ReplayOptions& options);
