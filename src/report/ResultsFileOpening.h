// Opening Results.xml for a run: a new report, or the continuation of the
// report already in the file (append mode).
//
// A new report ("wb") truncates the file. A continued one ("r+b") keeps every
// byte that holds a complete record of the earlier runs. Unless the caller
// knows the file (this logger left it so, and it is still as long as then:
// `knownSize`), the file is examined first, and made fit to continue:
// - a report that ended ("</Report>" last) has that end tag cut off, so that
//   the new run's records go inside the Report element;
// - a report that a crash cut short (a torn record at its end, or elements of
//   a test left open) is cut back to its last complete record and its open
//   elements are closed as "annalist repair" closes them (tests and actions
//   marked as not completed), all but the Report element and a business
//   process, which the new run continues;
// - an empty file, or one holding no complete record, is begun anew;
// - a file that is not a report is left alone, and nothing is written.
// Another writer that has the file open (another run writing into the same
// folder) refuses the open (ERROR_SHARING_VIOLATION); nothing is changed then.
#pragma once

#include <cstdio>
#include <string>

#include "pal/pal.h"
#include "results/GeneralInfo.h"

struct ResultsFileOpening {
    enum class Outcome {
        New,       // a new report: write the prologue first
        Continued, // the earlier report goes on
        Refused,   // nothing can be written (error says why)
    };
    Outcome outcome = Outcome::Refused;
    DWORD error = 0;       // Refused: the Win32 error (ERROR_INVALID_DATA: not a report)
    FILE* file = nullptr;  // New, Continued: the open stream, at the end of the file
    ULONGLONG size = 0;    // its length

    // Continued, when the file was examined:
    bool trusted = false;           // the file was as the caller knew it (not examined)
    bool examined = false;
    int openProcesses = 0;          // business processes left open at its end
    bool repaired = false;          // a torn end was cut back and closed
    std::string problem;            // what was wrong with it (repaired)
    LONG highestRecordNumber = 0;   // the highest rID number in the report
    results::GeneralInfo reportInfo; // what GeneralInfo.ini would hold, read from the report
};

// Opens the file at path for a run. With append, an existing non-empty file
// is continued (examined first unless it is knownSize bytes long; null: not
// known); otherwise, or when there is none, a new report is begun. The
// stream is the caller's to close.
ResultsFileOpening OpenResultsFile(const WCHAR* path, bool append, const ULONGLONG* knownSize) noexcept;
