// The current time, the time zone and _mktime64, from the C library's clock
// and zone (TZ, or the system's zone).
#include <cerrno>
#include <cstring>
#include <ctime>

#include "pal/pal.h"
#include "pal/utf8.h"

namespace {

void FillSystemTime(const struct tm& fields, long nanoseconds, LPSYSTEMTIME out)
{
    out->wYear = static_cast<WORD>(fields.tm_year + 1900);
    out->wMonth = static_cast<WORD>(fields.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    out->wDay = static_cast<WORD>(fields.tm_mday);
    out->wHour = static_cast<WORD>(fields.tm_hour);
    out->wMinute = static_cast<WORD>(fields.tm_min);
    out->wSecond = static_cast<WORD>(fields.tm_sec > 59 ? 59 : fields.tm_sec); // no leap second
    out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

struct timespec Now()
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

// Copies a zone name into a fixed field, cut to fit with its terminator.
void CopyZoneName(const char* name, WCHAR (&field)[32])
{
    WideString wide = PalFromUtf8(name ? name : "");
    size_t length = wide.size() < 31 ? wide.size() : 31;
    std::memcpy(field, wide.data(), length * sizeof(WCHAR));
    field[length] = 0;
}

struct LocalState {
    bool daylight;
    long offset; // seconds east of UTC
};

LocalState StateAt(time_t at)
{
    struct tm fields;
    localtime_r(&at, &fields);
    return LocalState{fields.tm_isdst > 0, fields.tm_gmtoff};
}

// The first second at or after which the daylight state differs from the
// state at 'from' (which differs at 'to').
time_t FindTransition(time_t from, time_t to)
{
    bool before = StateAt(from).daylight;
    while (to - from > 1) {
        time_t middle = from + (to - from) / 2;
        if (StateAt(middle).daylight == before)
            from = middle;
        else
            to = middle;
    }
    return to;
}

// A transition in the Windows form: month, weekday, its occurrence in the
// month (5: the last), and the wall-clock time before the change.
void SetTransitionDate(SYSTEMTIME& out, time_t at, long offsetBefore)
{
    time_t wall = at + offsetBefore;
    struct tm fields;
    gmtime_r(&wall, &fields);
    static const int daysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = fields.tm_year + 1900;
    int days = daysInMonth[fields.tm_mon];
    if (fields.tm_mon == 1 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0))
        days = 29;
    int occurrence = (fields.tm_mday - 1) / 7 + 1;
    if (fields.tm_mday + 7 > days)
        occurrence = 5;
    std::memset(&out, 0, sizeof(out));
    out.wMonth = static_cast<WORD>(fields.tm_mon + 1);
    out.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    out.wDay = static_cast<WORD>(occurrence);
    out.wHour = static_cast<WORD>(fields.tm_hour);
    out.wMinute = static_cast<WORD>(fields.tm_min);
    out.wSecond = static_cast<WORD>(fields.tm_sec);
}

// The latest time _mktime64 accepts: 3000-12-31 23:59:59 UTC.
const __time64_t kLatestTime64 = 32535215999LL;

} // namespace

extern "C" void GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    struct timespec now = Now();
    tzset(); // the zone may have changed (TZ)
    struct tm fields;
    localtime_r(&now.tv_sec, &fields);
    FillSystemTime(fields, now.tv_nsec, lpSystemTime);
}

extern "C" void GetSystemTime(LPSYSTEMTIME lpSystemTime)
{
    struct timespec now = Now();
    struct tm fields;
    gmtime_r(&now.tv_sec, &fields);
    FillSystemTime(fields, now.tv_nsec, lpSystemTime);
}

extern "C" DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation)
{
    if (!lpTimeZoneInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    TIME_ZONE_INFORMATION& info = *lpTimeZoneInformation;
    std::memset(&info, 0, sizeof(info));
    tzset();
    CopyZoneName(tzname[0], info.StandardName);
    CopyZoneName(tzname[1], info.DaylightName);

    // Walk the current year day by day to learn the standard and daylight
    // offsets and the dates on which the zone changes between them.
    time_t now = time(nullptr);
    struct tm today;
    localtime_r(&now, &today);
    struct tm yearStart = {};
    yearStart.tm_year = today.tm_year;
    yearStart.tm_mday = 1;
    const time_t day = 24 * 60 * 60;
    time_t first = timegm(&yearStart) - day;
    time_t last = first + 368 * day;

    LocalState previous = StateAt(first);
    bool haveStandard = !previous.daylight, haveDaylight = previous.daylight;
    long standardOffset = previous.daylight ? 0 : previous.offset;
    long daylightOffset = previous.daylight ? previous.offset : 0;
    bool haveToStandard = false, haveToDaylight = false;
    for (time_t at = first + day; at <= last; at += day) {
        LocalState state = StateAt(at);
        if (state.daylight != previous.daylight) {
            time_t change = FindTransition(at - day, at);
            if (state.daylight && !haveToDaylight) {
                SetTransitionDate(info.DaylightDate, change, previous.offset);
                haveToDaylight = true;
            } else if (!state.daylight && !haveToStandard) {
                SetTransitionDate(info.StandardDate, change, previous.offset);
                haveToStandard = true;
            }
        }
        if (state.daylight && !haveDaylight) {
            daylightOffset = state.offset;
            haveDaylight = true;
        } else if (!state.daylight && !haveStandard) {
            standardOffset = state.offset;
            haveStandard = true;
        }
        previous = state;
    }
    if (!haveStandard) // daylight time all year: it is the zone's time
        standardOffset = daylightOffset;

    // UTC = local time + bias, in minutes.
    info.Bias = static_cast<LONG>(-standardOffset / 60);
    info.StandardBias = 0;
    if (!haveDaylight || !haveToDaylight || !haveToStandard) {
        std::memset(&info.StandardDate, 0, sizeof(info.StandardDate));
        std::memset(&info.DaylightDate, 0, sizeof(info.DaylightDate));
        return TIME_ZONE_ID_UNKNOWN;
    }
    info.DaylightBias = static_cast<LONG>(-(daylightOffset - standardOffset) / 60);
    return today.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

extern "C" void _tzset(void) { tzset(); }

extern "C" __time64_t _mktime64(struct tm* timeptr)
{
    if (!timeptr) {
        errno = EINVAL;
        return -1;
    }
    struct tm fields = *timeptr;
    tzset();
    // In a zone without daylight time a daylight flag means nothing.
    if (fields.tm_isdst > 0 && !daylight)
        fields.tm_isdst = 0;
    time_t result = mktime(&fields);
    // Before 1970 (which includes mktime's own -1) or after 3000: refused.
    if (result < 0 || static_cast<__time64_t>(result) > kLatestTime64) {
        errno = EINVAL;
        return -1;
    }
    *timeptr = fields;
    return static_cast<__time64_t>(result);
}
