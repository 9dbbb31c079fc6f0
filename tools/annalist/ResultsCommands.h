// `annalist report` and `annalist export`: a results folder read once, as a
// stream, into an HTML report, JUnit XML or a summary in JSON.
//
// Exit status: 0 written; 1 with --fail-on when the recorded run failed
// (or has warnings, for --fail-on warning); 2 when the folder is missing,
// is no results folder, holds a file that is no results file, or holds one
// that is cut short. A file cut short is still written out as far as it
// goes, marked incomplete, with a warning; only one from which nothing at
// all could be read gives no output.
#pragma once

#include <string>

#include "annalist/CommandLine.h"
#include "annalist/Console.h"
#include "results/ResultsTree.h"

int RunReportCommand(const ReportOptions& options, CConsole& console);
int RunExportCommand(const ExportOptions& options, CConsole& console);

// The recorded status of the run in a results folder (for `replay
// --fail-on`); false with a one-line reason when it cannot be read whole.
bool ReadRecordedStatus(const std::string& resultsFolder, results::Status& status, std::string& error);
