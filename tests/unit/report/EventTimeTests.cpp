// Event times in the report: the date-time text, the time tick, and the status
// names and merge rule that go with the node arguments.
#include <gtest/gtest.h>

#include "report/EventTime.h"
#include "report/StatusNames.h"
#include "unit/report/ReportTestSupport.h"

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

// True when the runtime's zone is UTC (the tick then has a known value).
bool ZoneIsUtc()
{
    TIME_ZONE_INFORMATION info;
    DWORD state = GetTimeZoneInformation(&info);
    return state != TIME_ZONE_ID_INVALID && info.Bias == 0 && state != TIME_ZONE_ID_DAYLIGHT;
}

} // namespace

TEST(EventTime, DateTimeText)
{
    CBstrString text;
    FormatEventDateTime(Time(2024, 3, 5, 14, 5, 5), text);
    // The user's short date and the 24-hour time; en-US here.
    EXPECT_EQ(test::Utf8Of(text), "3/5/2024 - 14:05:05");
    FormatEventDateTime(Time(2024, 12, 31, 23, 59, 9), text);
    EXPECT_EQ(test::Utf8Of(text), "12/31/2024 - 23:59:09");
}

TEST(EventTime, TimeTick)
{
    LONGLONG tick = -5;
    // Before 1900: 0 without asking the runtime.
    EXPECT_EQ(ComputeTimeTick(Time(1899, 12, 31, 23, 59, 59), &tick), S_OK);
    EXPECT_EQ(tick, 0);
    EXPECT_EQ(ComputeTimeTick(Time(1800, 13, 40, 99, 99, 99), &tick), S_OK);
    EXPECT_EQ(tick, 0);

    EXPECT_EQ(ComputeTimeTick(Time(2024, 13, 5, 14, 5, 5), &tick), E_FAIL);
    EXPECT_EQ(ComputeTimeTick(Time(2024, 0, 5, 14, 5, 5), &tick), E_FAIL);
    EXPECT_EQ(ComputeTimeTick(Time(2024, 3, 32, 14, 5, 5), &tick), E_FAIL);
    EXPECT_EQ(ComputeTimeTick(Time(2024, 3, 5, 24, 5, 5), &tick), E_FAIL);
    EXPECT_EQ(ComputeTimeTick(Time(2024, 3, 5, 14, 60, 5), &tick), E_FAIL);
    EXPECT_EQ(ComputeTimeTick(Time(2024, 3, 5, 14, 5, 60), &tick), E_FAIL);
    // Before the epoch the runtime cannot convert.
    EXPECT_EQ(ComputeTimeTick(Time(1950, 6, 1, 12, 0, 0), &tick), E_INVALIDARG);
    EXPECT_EQ(ComputeTimeTick(Time(2024, 3, 5, 14, 5, 5), nullptr), E_POINTER);

    ASSERT_EQ(ComputeTimeTick(Time(2024, 3, 5, 14, 5, 5), &tick), S_OK);
    LONGLONG nextDay = 0;
    ASSERT_EQ(ComputeTimeTick(Time(2024, 3, 6, 14, 5, 5), &nextDay), S_OK);
    EXPECT_EQ(nextDay - tick, 86400);
    if (ZoneIsUtc()) {
        EXPECT_EQ(tick, 1709647505);
    }
    // The day is normalised as the runtime does it (February 31 is March 2).
    LONGLONG normalised = 0, march = 0;
    ASSERT_EQ(ComputeTimeTick(Time(2023, 2, 31, 12, 0, 0), &normalised), S_OK);
    ASSERT_EQ(ComputeTimeTick(Time(2023, 3, 3, 12, 0, 0), &march), S_OK);
    EXPECT_EQ(normalised, march);
}

TEST(StatusNames, NamesAndMerge)
{
    EXPECT_EQ(test::Utf16ToUtf8(ReportStatusName(0)), "Passed");
    EXPECT_EQ(test::Utf16ToUtf8(ReportStatusName(1)), "Failed");
    EXPECT_EQ(test::Utf16ToUtf8(ReportStatusName(2)), "Done");
    EXPECT_EQ(test::Utf16ToUtf8(ReportStatusName(3)), "Warning");
    EXPECT_EQ(test::Utf16ToUtf8(ReportStatusName(4)), "Information");
    EXPECT_EQ(test::Utf16ToUtf8(ReportStatusName(5)), "");
    EXPECT_EQ(test::Utf16ToUtf8(ReportStatusName(-1)), "");

    // Rows: current status 0..4; columns: incoming 0..5.
    const LONG expected[5][6] = {
        {0, 1, 0, 3, 0, 0}, // Passed
        {1, 1, 1, 1, 1, 1}, // Failed stays
        {0, 1, 2, 3, 2, 2}, // Done
        {3, 1, 3, 3, 3, 3}, // Warning
        {0, 1, 4, 3, 4, 4}, // Information
    };
    for (LONG current = 0; current < 5; ++current)
        for (LONG incoming = 0; incoming < 6; ++incoming)
            EXPECT_EQ(MergeStatus(current, incoming), expected[current][incoming]) << current << " " << incoming;
}
