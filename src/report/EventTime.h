// The two forms of an event time in the report: the text of step and summary
// times, and the time tick of a step.
#pragma once

#include "pal/pal.h"
#include "text/BstrString.h"

// The user's short date, " - ", and the time in 24-hour form with seconds and
// no AM/PM marker. A part the platform cannot format is left empty.
void FormatEventDateTime(const SYSTEMTIME& time, CBstrString& text) noexcept;

// The time texts of one logger's records: the text of the last second asked
// for is kept, so the steps logged within one second share it.
class CEventTimeText {
public:
    // FormatEventDateTime's text of the time (its milliseconds play no part).
    const CBstrString& Format(const SYSTEMTIME& time) noexcept;

private:
    bool m_valid = false;
    SYSTEMTIME m_time = {};
    CBstrString m_text;
};

// Seconds since 1970-01-01 00:00 UTC of the local time, the daylight-saving
// state left to the runtime's zone rules. A year before 1900 gives 0.
// E_FAIL when the month, day, hour, minute or second is out of range;
// E_INVALIDARG when the runtime cannot convert the time (before the epoch or
// beyond its last year); E_POINTER for a null tick.
HRESULT ComputeTimeTick(const SYSTEMTIME& time, LONGLONG* tick) noexcept;
