// Date and time pictures of the one locale the POSIX layer knows, en-US, as
// GetDateFormatW / GetTimeFormatW and the VT_DATE text conversions use them.
#pragma once

#include "pal/pal.h"

extern const WCHAR kPalShortDatePicture[]; // "M/d/yyyy"
extern const WCHAR kPalLongDatePicture[];  // "dddd, MMMM d, yyyy"
extern const WCHAR kPalTimePicture[];      // "h:mm:ss tt"

// A date picture filled in: d, dd (day), ddd, dddd (day name), M, MM (month),
// MMM, MMMM (month name), y, yy (two-digit year), yyyy (year), g, gg (era);
// text in single quotes is copied ('' is a quote); other characters too.
WideString PalFormatDatePicture(const SYSTEMTIME& date, const WCHAR* picture);

// A time picture filled in: h, hh (12-hour), H, HH (24-hour), m, mm, s, ss,
// t (A/P), tt (AM/PM); the TIME_* flags drop minutes, seconds or the marker
// (each with the separator before it) and force 24 hours.
WideString PalFormatTimePicture(const SYSTEMTIME& time, const WCHAR* picture, DWORD flags);
