// OLE dates and SYSTEMTIME: VariantTimeToSystemTime, SystemTimeToVariantTime
// and the calendar arithmetic behind them.
#include <cmath>
#include <ctime>

#include "oleaut/ole_date.h"

namespace {

// Floor division and the matching remainder, for day numbers before the epoch.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

// 1899-12-30 counted from 0000-03-01 in the calendar below.
const int64_t kEpochFromMarchZero = 693899;

} // namespace

bool PalOleDateIsValid(double value)
{
    return value > kPalOleDateFirstDay - 1.0 && value < kPalOleDateLastDay + 1.0;
}

bool PalIsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int PalDaysInMonth(int64_t year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && PalIsLeapYear(year) ? 29 : kDays[month - 1];
}

// The calendar is counted from March of year 0, so that the leap day falls at
// the end of each year; 400 years are 146097 days.
int64_t PalDaysFromCivil(int64_t year, int month, int64_t day)
{
    int64_t y = month <= 2 ? year - 1 : year;
    int64_t monthFromMarch = month <= 2 ? month + 9 : month - 3;
    int64_t era = FloorDiv(y, 400);
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - kEpochFromMarchZero;
}

void PalCivilFromDays(int64_t days, int64_t* year, int* month, int* day)
{
    int64_t fromMarchZero = days + kEpochFromMarchZero;
    int64_t era = FloorDiv(fromMarchZero, 146097);
    int64_t dayOfEra = fromMarchZero - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    *month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    *year = yearOfEra + era * 400 + (*month <= 2 ? 1 : 0);
}

int PalExpandTwoDigitYear(int year) { return year < 50 ? 2000 + year : 1900 + year; }

double PalComposeOleDate(int64_t days, int64_t seconds)
{
    days += FloorDiv(seconds, kPalSecondsPerDay);
    double fraction = static_cast<double>(FloorMod(seconds, kPalSecondsPerDay)) / kPalSecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

bool PalOleDateToSystemTime(double value, SYSTEMTIME* out)
{
    if (!PalOleDateIsValid(value))
        return false;
    double whole = std::trunc(value);
    int64_t days = static_cast<int64_t>(whole);
    int64_t seconds = static_cast<int64_t>(std::floor(std::fabs(value - whole) * kPalSecondsPerDay + 0.5));
    if (seconds >= kPalSecondsPerDay) {
        seconds -= kPalSecondsPerDay;
        ++days;
    }
    int64_t year;
    int month, day;
    PalCivilFromDays(days, &year, &month, &day);
    out->wYear = static_cast<WORD>(year);
    out->wMonth = static_cast<WORD>(month);
    out->wDay = static_cast<WORD>(day);
    out->wDayOfWeek = static_cast<WORD>(FloorMod(days + 6, 7)); // 1899-12-30 was a Saturday
    out->wHour = static_cast<WORD>(seconds / 3600);
    out->wMinute = static_cast<WORD>(seconds / 60 % 60);
    out->wSecond = static_cast<WORD>(seconds % 60);
    out->wMilliseconds = 0;
    return true;
}

void PalCurrentLocalTime(SYSTEMTIME* out) { GetLocalTime(out); }

extern "C" INT VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME lpSystemTime)
{
    if (!lpSystemTime)
        return FALSE;
    return PalOleDateToSystemTime(vtime, lpSystemTime) ? TRUE : FALSE;
}

// Milliseconds are ignored. Fields past their range carry over (hour 24 is the
// next day, day 0 the last day of the month before, month 0 December of the
// year before), except a month above 12 or a day above 31, which fail.
extern "C" INT SystemTimeToVariantTime(LPSYSTEMTIME lpSystemTime, DOUBLE* pvtime)
{
    if (!lpSystemTime || !pvtime)
        return FALSE;
    const SYSTEMTIME& st = *lpSystemTime;
    if (st.wMonth > 12 || st.wDay > 31 || st.wYear > 9999)
        return FALSE;
    int64_t year = st.wYear < 100 ? PalExpandTwoDigitYear(st.wYear) : st.wYear;
    int month = st.wMonth;
    if (month == 0) {
        month = 12;
        --year;
    }
    int64_t days = PalDaysFromCivil(year, month, 1) + static_cast<int64_t>(st.wDay) - 1;
    int64_t seconds = static_cast<int64_t>(st.wHour) * 3600 + static_cast<int64_t>(st.wMinute) * 60 + st.wSecond;
    double value = PalComposeOleDate(days, seconds);
    if (!PalOleDateIsValid(value))
        return FALSE;
    *pvtime = value;
    return TRUE;
}
