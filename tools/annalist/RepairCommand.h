// `annalist repair RESULTS_DIR`: mends a results folder that a crash left
// (the logger or the host killed while it wrote):
// - a torn Results.xml is cut back to its last complete record and its open
//   elements are closed as the end of a run closes them; a test or action
//   closed so is marked as not completed (results/ReportRepair.h);
// - a missing GeneralInfo.ini is rebuilt from the report, with Total the
//   highest node number so that a run appended later goes on from there; an
//   existing one whose Total is lower than that is raised to it.
// Files are replaced whole (a temporary file renamed over them), never
// written in place, and neither file is followed when it is a symbolic link.
// It says what it did on stdout.
//
// Exit status: 0 when nothing was needed or the folder was repaired; 1 when
// a file could not be written; 2 when the folder is missing, is no results
// folder, holds a file that is no results file, or one with no complete
// record to keep.
#pragma once

#include <string>

#include "annalist/CommandLine.h"
#include "annalist/Console.h"

int RunRepairCommand(const RepairOptions& options, CConsole& console);
