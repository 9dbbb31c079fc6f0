// Readers of the event description for the facts of a run that the records
// carry: its general information ("SetInfo"), its identity in the
// test-management system ("ReportPrepareRun") and whether it completed
// ("FinalRunStatus").
#pragma once

#include "report/GeneralInfo.h"
#include "report/ProductLevel.h"
#include "report/RunIdentity.h"
#include "results/GeneralInfo.h"

class CDescription;

// "UserName" and "Password" and, unless the run appends to an earlier report,
// the rest of the general information ("ProductName", "Version", "Title",
// "TestLocation", "ToolOsVersion", at the current level "VaultServer" and
// "VaultProject") with the computer name. True when it read the rest: the
// report then gets a General element.
bool ReadGeneralInfoEvent(CDescription& description, GeneralInfo& info, bool appendMode, ProductLevel level);

// The identity of a real run ("DebugRunMode" present and 0): "ShortTestset"
// when present, "TestInstance" ("1" when empty), "TestVersionInVC". Nothing
// changes for any other run.
void ReadRunIdentity(CDescription& description, RunIdentity& identity);

// Whether "FINAL_STATUS" is the text "Not Completed", exactly.
bool ReadsNotCompleted(CDescription& description);

// The number of the first node of a run that continues a report whose last
// node number is total: total + 1, stopping at the largest number (a Total
// read from a file never overflows the counter).
LONG NextRecordNumber(LONG total) noexcept;

// GlobalIteration of GeneralInfo.ini: the test's iteration times 1000,
// stopping at the largest number (2,147,483 iterations and more give
// 2147483647).
LONG GlobalIterationOf(LONG iteration) noexcept;

// The general information of a report read back from its Results.xml (for a
// report continued without its GeneralInfo.ini): product, version, host,
// location, test-management server and project, the operating system's
// number; Total is the report's highest node number.
void TakeGeneralInfoFromReport(const results::GeneralInfo& read, GeneralInfo& info);
