// The tool's command line (CLI11): `annalist replay EVENTS -o RESULTS_DIR
// [--settings FILE.reg] [--root KEY] [--filter N] [--level current|earlier]
// [--fail-on failed|warning] [--allow-outside] [--clean] [--quiet]` (EVENTS "-":
// standard input), `annalist report RESULTS_DIR [-o FILE.html]
// [--embed-pictures] [--fail-on ...]`, `annalist export RESULTS_DIR
// [--junit FILE] [--summary-json FILE] [--fail-on ...]`, `annalist repair
// RESULTS_DIR`, `annalist --help`,
// `annalist <command> --help`, `annalist --version`.
#pragma once

#include <string>
#include <vector>

// --fail-on: the recorded outcome that makes the exit status 1.
enum class FailOn { Nothing, Failed, Warning };

struct ReplayOptions {
    std::string eventsFile;
    std::string resultsFolder;
    std::string settingsFile;            // empty: the default settings
    std::string root = "SOFTWARE\\Annalist";
    bool hasFilter = false;
    long filter = 0;                     // 0 to 3 (tagReportFilter)
    bool earlierLevel = false;           // --level earlier
    FailOn failOn = FailOn::Nothing;
    bool allowOutside = false;           // settings may lead outside the results folder
    bool clean = false;                  // empty the results folder first (when it is one)
    bool quiet = false;                  // errors only: no warnings, no summary
};

struct ReportOptions {
    std::string resultsFolder;
    std::string outputFile;              // empty: report.html in the results folder
    bool embedPictures = false;
    FailOn failOn = FailOn::Nothing;
};

struct ExportOptions {
    std::string resultsFolder;
    std::string junitFile;               // empty: none; "-": stdout
    std::string summaryJsonFile;         // empty: none; "-": stdout
    FailOn failOn = FailOn::Nothing;
};

struct RepairOptions {
    std::string resultsFolder;
};

enum class ToolCommand { Replay, Report, Export, Repair };

struct ToolOptions {
    ToolCommand command = ToolCommand::Replay;
    ReplayOptions replay;
    ReportOptions report;
    ExportOptions exportOptions;
    RepairOptions repair;
};

struct CommandLineResult {
    bool run = false;                    // false: the program ends with exitStatus
    int exitStatus = 0;
    std::string output;                  // for stdout (help, version)
    std::string errors;                  // for stderr (usage errors)
};

// The arguments as UTF-8, the program's name first.
CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments, ToolOptions& options);
