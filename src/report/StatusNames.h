// Node statuses as the report writes, merges and shows them (the values of
// tagKovReportEvent: 0 Passed, 1 Failed, 2 Done, 3 Warning, 4 Information).
#pragma once

#include "pal/pal.h"
#include "text/BstrString.h"

// The status of a node after a child's (or a later) status arrives: Failed
// beats Warning beats Passed; Done, Information and unknown values change
// nothing, and Passed replaces Done and Information.
LONG MergeStatus(LONG current, LONG incoming) noexcept;

// "Passed", "Failed", "Done", "Warning", "Information"; an empty text for any
// other value. Never null.
const WCHAR* ReportStatusName(LONG status) noexcept;

// The word and the style class of a status on a step's details page:
// "Passed" / "PassedHigh", ...; any value other than 0, 1, 3, 4 is Done.
CBstrString StatusDisplayWord(LONG status);
const WCHAR* StatusStyleClass(LONG status) noexcept;
