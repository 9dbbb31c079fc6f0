// The current time, the time zone and _mktime64, from the C library's clock
// and zone (TZ, or the system's zone).
//
// The zone is read again (tzset, which looks at TZ and at the zone file)
// when TZ is changed through SetEnvironmentVariableW and otherwise at most
// once a second, not on every call:
// the logger asks for the local time and converts a local time with every
// step. Between two readings the conversions are answered from what the
// last one found: the local fields of the current second, and the UTC start
// of an hour of local time that no zone change comes near.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <atomic>
#include <mutex>

#include "pal/pal.h"
#include "kernel/time_zone.h"
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

// The zone as last read: each reading has a number of its own, which the
// answers kept from an earlier reading are checked against. The second of
// the reading and its number are read without the lock by the callers that
// find the reading current.
struct ZoneReading {
    std::mutex lock;
    std::atomic<time_t> readAt{-1};
    std::atomic<unsigned long> number{0};
    // Set by SetEnvironmentVariableW when it changes TZ.
    std::atomic<bool> stale{true};
};

ZoneReading& Zone()
{
    static ZoneReading* zone = new ZoneReading();
    return *zone;
}

// Reads the zone again when `force`, when TZ has been changed through
// SetEnvironmentVariableW since the last reading, or when the second `now`
// differs from the one of that reading (so a change made otherwise is seen
// within a second); returns the number of the reading in force.
unsigned long CurrentZone(time_t now, bool force = false)
{
    ZoneReading& zone = Zone();
    if (!force && !zone.stale.load(std::memory_order_acquire) && zone.readAt.load(std::memory_order_acquire) == now)
        return zone.number.load(std::memory_order_acquire);
    std::lock_guard<std::mutex> guard(zone.lock);
    if (force || zone.stale.exchange(false) || zone.readAt.load() != now) {
        tzset();
        zone.number.fetch_add(1);
        zone.readAt.store(now, std::memory_order_release);
    }
    return zone.number.load();
}

time_t CurrentSecond() { return Now().tv_sec; }

// The local fields of the last second this thread asked about.
struct LocalSecond {
    bool valid = false;
    unsigned long zone = 0;
    time_t second = 0;
    struct tm fields;
};
thread_local LocalSecond t_localSecond;

// An hour of local time whose UTC start is known, with the normalised
// fields of that start. Only an hour that no zone change comes near is kept,
// so every time within it is the start plus its minutes and seconds.
struct LocalHour {
    bool valid = false;
    unsigned long zone = 0;
    struct tm start;
    time_t startTime = 0;
};
thread_local LocalHour t_localHour;

long OffsetAt(time_t at)
{
    struct tm fields;
    localtime_r(&at, &fields);
    return fields.tm_gmtoff;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Fields that name a time of an existing day as they stand (nothing to carry
// into another field), with the daylight state left to the zone.
bool IsPlainLocalTime(const struct tm& fields)
{
    static const int daysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (fields.tm_isdst >= 0 || fields.tm_mon < 0 || fields.tm_mon > 11 || fields.tm_hour < 0 ||
        fields.tm_hour > 23 || fields.tm_min < 0 || fields.tm_min > 59 || fields.tm_sec < 0 || fields.tm_sec > 59 ||
        fields.tm_mday < 1)
        return false;
    int days = daysInMonth[fields.tm_mon];
    if (fields.tm_mon == 1 && IsLeapYear(fields.tm_year + 1900))
        days = 29;
    return fields.tm_mday <= days;
}

bool IsSameHour(const struct tm& a, const struct tm& b)
{
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday && a.tm_hour == b.tm_hour;
}

// Learns the UTC start of the hour of `fields` (plain local time) for the
// hour cache; false when that hour is near a change of the zone's offset
// (then every time in it is converted by the C library).
bool LearnHour(const struct tm& fields, unsigned long zone, LocalHour& hour)
{
    struct tm start = fields;
    start.tm_min = 0;
    start.tm_sec = 0;
    start.tm_isdst = -1;
    time_t startTime = mktime(&start);
    if (startTime == static_cast<time_t>(-1) || !IsSameHour(start, fields) || start.tm_min != 0 ||
        start.tm_sec != 0)
        return false;
    if (startTime < 0 || static_cast<__time64_t>(startTime) + 3599 > kLatestTime64)
        return false;
    // No change of offset from three hours before the hour to three after
    // it: the hour is neither skipped nor repeated, nor is any of its times.
    const time_t hourSeconds = 3600;
    for (time_t at = startTime - 3 * hourSeconds; at <= startTime + 4 * hourSeconds; at += hourSeconds / 2)
        if (OffsetAt(at) != start.tm_gmtoff)
            return false;
    hour.valid = true;
    hour.zone = zone;
    hour.start = start;
    hour.startTime = startTime;
    return true;
}

} // namespace

void PalZoneSettingChanged() { Zone().stale.store(true, std::memory_order_release); }

extern "C" void GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    struct timespec now = Now();
    unsigned long zone = CurrentZone(now.tv_sec); // the zone may have changed (TZ)
    LocalSecond& cached = t_localSecond;
    if (!cached.valid || cached.zone != zone || cached.second != now.tv_sec) {
        localtime_r(&now.tv_sec, &cached.fields);
        cached.valid = true;
        cached.zone = zone;
        cached.second = now.tv_sec;
    }
    FillSystemTime(cached.fields, now.tv_nsec, lpSystemTime);
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
    CurrentZone(CurrentSecond(), true);
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

extern "C" void _tzset(void) { CurrentZone(CurrentSecond(), true); }

extern "C" __time64_t _mktime64(struct tm* timeptr)
{
    if (!timeptr) {
        errno = EINVAL;
        return -1;
    }
    struct tm fields = *timeptr;
    unsigned long zone = CurrentZone(CurrentSecond());
    if (IsPlainLocalTime(fields)) {
        LocalHour& hour = t_localHour;
        if ((hour.valid && hour.zone == zone && IsSameHour(hour.start, fields)) || LearnHour(fields, zone, hour)) {
            struct tm result = hour.start;
            result.tm_min = fields.tm_min;
            result.tm_sec = fields.tm_sec;
            *timeptr = result;
            return static_cast<__time64_t>(hour.startTime) + fields.tm_min * 60 + fields.tm_sec;
        }
    }
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
