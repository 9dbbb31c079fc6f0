// The logger's date and time texts ("3/5/2024 - 14:05:08": the short date of
// the machine's locale, " - ", the 24-hour time) read back as seconds.
#pragma once

#include <cstdint>
#include <string>

namespace results {

// The text as seconds since 1970-01-01 00:00 of the same clock (the local
// time read as if it were UTC); false when it is not a date and time. The
// date's order follows its separators: "M/d/yyyy" (d/M/yyyy when the first
// number cannot be a month), "d.M.yyyy", "d-M-yyyy" and "yyyy-M-d".
bool ParseTimeText(const std::string& text, int64_t& seconds);

// The seconds from one text to the other; false when either cannot be read
// or the end lies before the start.
bool SecondsBetween(const std::string& start, const std::string& end, int64_t& seconds);

} // namespace results
