// Calendar arithmetic of OLE dates inside the POSIX layer. An OLE date counts
// days since 1899-12-30; the fraction is the time of day. Before the epoch the
// whole part counts back while the fraction still counts forward into the day
// (-1.5 is 1899-12-29 12:00), so the sign applies to the whole part only.
#pragma once

#include <cstdint>

#include "pal/pal.h"

// The first and last days an OLE date can hold: 1/1/100 and 12/31/9999.
const double kPalOleDateFirstDay = -657434.0;
const double kPalOleDateLastDay = 2958465.0;
const int64_t kPalSecondsPerDay = 86400;

// True when the value lies between the start of the first day and the end of
// the last day.
bool PalOleDateIsValid(double value);

bool PalIsLeapYear(int64_t year);
int PalDaysInMonth(int64_t year, int month);

// Days since 1899-12-30 of a proleptic Gregorian date (month 1 to 12; any day,
// counted on from the first of the month), and back.
int64_t PalDaysFromCivil(int64_t year, int month, int64_t day);
void PalCivilFromDays(int64_t days, int64_t* year, int* month, int* day);

// A two-digit year as the current Windows versions read it: 0-49 are in this
// century, 50-99 in the last.
int PalExpandTwoDigitYear(int year);

// The OLE date of a day number and a time of day in seconds (which may run
// past the end of the day).
double PalComposeOleDate(int64_t days, int64_t seconds);

// The calendar fields of an OLE date, rounded to the nearest whole second
// (milliseconds are 0). Fails for values outside the valid range.
bool PalOleDateToSystemTime(double value, SYSTEMTIME* out);

// The current local time (milliseconds included).
void PalCurrentLocalTime(SYSTEMTIME* out);
