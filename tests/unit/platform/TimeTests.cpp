// The clock, the time zone and _mktime64. Exact values are checked where the
// platform is in the zone the test asks for: the POSIX layer follows TZ, the
// Windows runtime under Wine keeps the zone it started with, so there the
// zone-specific cases run only when that zone is UTC.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "pal/pal.h"
#include "support/PlatformTestSupport.h"

namespace {

// Days since 1970-01-01 of a civil date.
long long DaysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    long long era = (year >= 0 ? year : year - 399) / 400;
    long long yearOfEra = year - era * 400;
    long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

long long MinutesOf(const SYSTEMTIME& time)
{
    return DaysFromCivil(time.wYear, time.wMonth, time.wDay) * 1440 + time.wHour * 60 + time.wMinute;
}

struct tm Fields(int year, int month, int day, int hour, int minute, int second, int isdst = -1)
{
    struct tm fields;
    std::memset(&fields, 0, sizeof(fields));
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = isdst;
    return fields;
}

__time64_t MakeTime(int year, int month, int day, int hour, int minute, int second, int isdst = -1)
{
    struct tm fields = Fields(year, month, day, hour, minute, second, isdst);
    return _mktime64(&fields);
}

// Sets TZ for the test and puts the old value back afterwards.
class TimeZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<WCHAR> buffer(256);
        m_hadZone = GetEnvironmentVariableW(W("TZ"), buffer.data(), 256) > 0;
        if (m_hadZone)
            m_oldZone = buffer.data();
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(W("TZ"), m_hadZone ? m_oldZone.c_str() : nullptr);
        _tzset();
    }
    // True when the platform now uses a zone with the given standard bias.
    bool UseZone(const WCHAR* zone, LONG bias)
    {
        SetEnvironmentVariableW(W("TZ"), zone);
        _tzset();
        TIME_ZONE_INFORMATION info;
        return GetTimeZoneInformation(&info) != TIME_ZONE_ID_INVALID && info.Bias == bias;
    }

private:
    bool m_hadZone = false;
    WideString m_oldZone;
};

void ExpectTransition(const SYSTEMTIME& date, WORD month, WORD occurrence, WORD dayOfWeek, WORD hour)
{
    EXPECT_EQ(date.wYear, 0);
    EXPECT_EQ(date.wMonth, month);
    EXPECT_EQ(date.wDay, occurrence);
    EXPECT_EQ(date.wDayOfWeek, dayOfWeek);
    EXPECT_EQ(date.wHour, hour);
    EXPECT_EQ(date.wMinute, 0);
}

} // namespace

TEST(Time, LocalTimeIsSystemTimeMinusTheZoneBias)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        SYSTEMTIME utc, local;
        GetSystemTime(&utc);
        GetLocalTime(&local);
        TIME_ZONE_INFORMATION info;
        DWORD state = GetTimeZoneInformation(&info);
        ASSERT_NE(state, TIME_ZONE_ID_INVALID);
        if (utc.wSecond == 59)
            continue; // the minute may have turned between the calls

        LONG bias = info.Bias + (state == TIME_ZONE_ID_DAYLIGHT ? info.DaylightBias : info.StandardBias);
        EXPECT_EQ(MinutesOf(utc) - MinutesOf(local), bias);
        for (const SYSTEMTIME* time : {&utc, &local}) {
            EXPECT_LT(time->wMilliseconds, 1000);
            EXPECT_GE(time->wMonth, 1);
            EXPECT_LE(time->wMonth, 12);
            // 1970-01-01 was a Thursday.
            EXPECT_EQ(time->wDayOfWeek, (DaysFromCivil(time->wYear, time->wMonth, time->wDay) % 7 + 11) % 7);
        }
        return;
    }
}

TEST(Time, ZoneDescriptionHoldsTogether)
{
    TIME_ZONE_INFORMATION info;
    std::memset(&info, 0x55, sizeof(info));
    DWORD state = GetTimeZoneInformation(&info);
    ASSERT_LE(state, static_cast<DWORD>(TIME_ZONE_ID_DAYLIGHT));
    EXPECT_GT(PAL_wcslen(info.StandardName), 0u);
    EXPECT_LT(PAL_wcslen(info.StandardName), 32u);
    EXPECT_LT(PAL_wcslen(info.DaylightName), 32u);
    if (state == TIME_ZONE_ID_UNKNOWN) {
        EXPECT_EQ(info.StandardDate.wMonth, 0);
        EXPECT_EQ(info.DaylightDate.wMonth, 0);
    } else {
        for (const SYSTEMTIME* date : {&info.StandardDate, &info.DaylightDate}) {
            EXPECT_GE(date->wMonth, 1);
            EXPECT_LE(date->wMonth, 12);
            EXPECT_GE(date->wDay, 1);
            EXPECT_LE(date->wDay, 5);
            EXPECT_LE(date->wDayOfWeek, 6);
        }
    }
}

TEST_F(TimeZone, Mktime64InUtc)
{
    if (!UseZone(W("UTC"), 0))
        GTEST_SKIP() << "the runtime keeps a zone other than UTC";

    struct tm fields = Fields(2024, 3, 5, 14, 5, 5);
    EXPECT_EQ(_mktime64(&fields), 1709647505);
    EXPECT_EQ(fields.tm_wday, 2);
    EXPECT_EQ(fields.tm_yday, 64);
    EXPECT_EQ(fields.tm_isdst, 0);
    // No daylight time in the zone: the flag changes nothing.
    EXPECT_EQ(MakeTime(2024, 3, 5, 14, 5, 5, 1), 1709647505);
    EXPECT_EQ(MakeTime(2024, 3, 5, 14, 5, 5, 0), 1709647505);

    // Out-of-range fields are carried into the next field.
    fields = Fields(2023, 13, 1, 0, 0, 0);
    EXPECT_EQ(_mktime64(&fields), 1704067200);
    EXPECT_EQ(fields.tm_year, 124);
    EXPECT_EQ(fields.tm_mon, 0);
    fields = Fields(2024, 1, 1, 0, 0, -1);
    EXPECT_EQ(_mktime64(&fields), 1704067199);
    EXPECT_EQ(fields.tm_year, 123);
    EXPECT_EQ(fields.tm_mday, 31);
    EXPECT_EQ(fields.tm_sec, 59);

    // The range is 1970-01-01 00:00:00 to 3000-12-31 23:59:59 UTC; a refused
    // time leaves the fields as they were.
    EXPECT_EQ(MakeTime(1970, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(MakeTime(3000, 12, 31, 23, 59, 59), 32535215999LL);
    fields = Fields(1969, 12, 31, 23, 59, 59);
    fields.tm_wday = 99;
    EXPECT_EQ(_mktime64(&fields), -1);
    EXPECT_EQ(fields.tm_wday, 99);
    EXPECT_EQ(fields.tm_isdst, -1);
    EXPECT_EQ(MakeTime(3001, 1, 1, 0, 0, 0), -1);
    EXPECT_EQ(MakeTime(1800, 6, 1, 0, 0, 0), -1);
}

TEST_F(TimeZone, DaylightTimeFollowsTheZoneRules)
{
    if (!UseZone(W("EST5EDT,M3.2.0,M11.1.0"), 300))
        GTEST_SKIP() << "the runtime does not take its zone from TZ";

    struct tm fields = Fields(2024, 7, 1, 12, 0, 0);
    EXPECT_EQ(_mktime64(&fields), 1719849600); // 16:00 UTC
    EXPECT_EQ(fields.tm_isdst, 1);
    fields = Fields(2024, 1, 15, 12, 0, 0);
    EXPECT_EQ(_mktime64(&fields), 1705338000); // 17:00 UTC
    EXPECT_EQ(fields.tm_isdst, 0);
    // A summer time given as standard time is one hour later in summer time.
    fields = Fields(2024, 7, 1, 12, 0, 0, 0);
    EXPECT_EQ(_mktime64(&fields), 1719853200);
    EXPECT_EQ(fields.tm_hour, 13);
    EXPECT_EQ(fields.tm_isdst, 1);
    // West of UTC, local midnight of 1970-01-01 is after the epoch.
    EXPECT_EQ(MakeTime(1970, 1, 1, 0, 0, 0), 5 * 3600);

    TIME_ZONE_INFORMATION info;
    DWORD state = GetTimeZoneInformation(&info);
    EXPECT_TRUE(state == TIME_ZONE_ID_STANDARD || state == TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(info.Bias, 300);
    EXPECT_EQ(info.StandardBias, 0);
    EXPECT_EQ(info.DaylightBias, -60);
    EXPECT_EQ(WideString(info.StandardName), W("EST"));
    EXPECT_EQ(WideString(info.DaylightName), W("EDT"));
    ExpectTransition(info.StandardDate, 11, 1, 0, 2); // first Sunday of November, 2:00
    ExpectTransition(info.DaylightDate, 3, 2, 0, 2);  // second Sunday of March, 2:00

    ASSERT_TRUE(UseZone(W("CET-1CEST,M3.5.0,M10.5.0/3"), -60));
    GetTimeZoneInformation(&info);
    EXPECT_EQ(info.DaylightBias, -60);
    ExpectTransition(info.StandardDate, 10, 5, 0, 3); // last Sunday of October, 3:00
    ExpectTransition(info.DaylightDate, 3, 5, 0, 2);  // last Sunday of March, 2:00
    EXPECT_EQ(MakeTime(1970, 1, 1, 0, 0, 0), -1);     // 1969 in UTC

    // Southern hemisphere: daylight time spans the turn of the year.
    ASSERT_TRUE(UseZone(W("AEST-10AEDT,M10.1.0,M4.1.0/3"), -600));
    GetTimeZoneInformation(&info);
    ExpectTransition(info.DaylightDate, 10, 1, 0, 2);
    ExpectTransition(info.StandardDate, 4, 1, 0, 3);
    EXPECT_EQ(MakeTime(2024, 1, 15, 12, 0, 0), 1705280400); // 01:00 UTC, daylight time

    ASSERT_TRUE(UseZone(W("JST-9"), -540));
    EXPECT_EQ(GetTimeZoneInformation(&info), static_cast<DWORD>(TIME_ZONE_ID_UNKNOWN));
    EXPECT_EQ(WideString(info.StandardName), W("JST"));
}

namespace {

// The wall-clock fields of a count of seconds taken as UTC: a local time
// stepped minute by minute, whether the zone has it once, twice or not at all.
struct tm WallClock(long long seconds)
{
    time_t at = static_cast<time_t>(seconds);
    struct tm fields;
    std::memset(&fields, 0, sizeof(fields));
    struct tm* made = gmtime(&at);
    if (made)
        fields = *made;
    fields.tm_isdst = -1;
    return fields;
}

long long WallSeconds(const struct tm& fields)
{
    return DaysFromCivil(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday) * 86400 + fields.tm_hour * 3600 +
           fields.tm_min * 60 + fields.tm_sec;
}

// _mktime64 and the C runtime's own mktime on the same local time: the same
// second (or both refusing it) and the same normalised fields.
void ExpectSameConversion(const struct tm& wall)
{
    struct tm ours = wall;
    struct tm reference = wall;
    __time64_t converted = _mktime64(&ours);
    // A C runtime with a 32-bit time_t refuses what lies beyond 2038.
    const long long expected = mktime(&reference);
    if (expected < 0 || expected > 32535215999LL) {
        EXPECT_EQ(converted, -1);
        return;
    }
    ASSERT_EQ(converted, static_cast<__time64_t>(expected))
        << (wall.tm_year + 1900) << "-" << (wall.tm_mon + 1) << "-" << wall.tm_mday << " " << wall.tm_hour << ":"
        << wall.tm_min << ":" << wall.tm_sec;
    EXPECT_EQ(WallSeconds(ours), WallSeconds(reference));
    EXPECT_EQ(ours.tm_isdst, reference.tm_isdst);
    EXPECT_EQ(ours.tm_wday, reference.tm_wday);
    EXPECT_EQ(ours.tm_yday, reference.tm_yday);
}

} // namespace

// The conversion of a local time keeps what it learnt about the zone between
// calls; its answers must be the C runtime's, to the second, on both sides of
// every change between standard and daylight time (skipped and repeated
// hours, half-hour and two-hour shifts, daylight time in winter), and
// whenever the zone itself changes.
TEST_F(TimeZone, Mktime64AgreesWithTheRuntimeAcrossZoneChanges)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "the zones are named as the POSIX zone database names them";
    const WCHAR* const zones[] = {W("America/New_York"), W("Europe/London"),    W("Europe/Dublin"),
                                  W("Australia/Lord_Howe"), W("Pacific/Chatham"), W("America/Sao_Paulo"),
                                  W("Antarctica/Troll"),    W("Asia/Kolkata"),    W("EST5EDT,M3.2.0,M11.1.0")};
    const int years[] = {1971, 1996, 2007, 2024, 2037};
    for (const WCHAR* zone : zones) {
        SCOPED_TRACE(std::string(zone, zone + PAL_wcslen(zone)));
        SetEnvironmentVariableW(W("TZ"), zone);
        _tzset();
        for (int year : years) {
            long long first = DaysFromCivil(year, 1, 1) * 86400;
            long long last = DaysFromCivil(year + 1, 1, 1) * 86400;
            // Every hour of the year, at a varying minute and second.
            for (long long wall = first; wall < last; wall += 3600 + 61)
                ExpectSameConversion(WallClock(wall));
            // Every minute around each change of the zone's offset (an hour
            // whose end is not an hour after its start).
            for (long long wall = first; wall < last; wall += 3600) {
                struct tm start = WallClock(wall);
                struct tm end = WallClock(wall + 3600);
                if (mktime(&end) - mktime(&start) == 3600)
                    continue;
                for (long long minute = wall - 4 * 3600; minute <= wall + 5 * 3600; minute += 60) {
                    ExpectSameConversion(WallClock(minute));
                    ExpectSameConversion(WallClock(minute + 59));
                }
            }
        }
    }
}
