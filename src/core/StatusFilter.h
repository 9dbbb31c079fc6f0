// Node statuses and the report filter.
#pragma once

#include "pal/pal.h"

class CDescription;

// Whether a step of the status is recorded under the filter: 0 all, 1
// failed and warning, 2 failed only, 3 and any other value none.
bool PassesFilter(LONG filter, LONG status) noexcept;

// The check of a step before it is recorded: filter 0 passes, filter 3 is
// rejected, a step without a description passes; otherwise the status is
// "Status" when present and within 0-4, else 2 (Done).
bool PassesStatusFilter(LONG filter, CDescription& description);

// Whether status is one of the five statuses (0-4).
inline bool IsValidStatus(LONG status) noexcept { return status >= 0 && status <= 4; }
