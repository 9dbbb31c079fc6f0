// OLE dates and SYSTEMTIME: days since 1899-12-30, rounding to the second,
// dates before the epoch and the valid range.
#include <gtest/gtest.h>

#include "pal/pal.h"

namespace {

SYSTEMTIME MakeTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                    WORD milliseconds = 0)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    st.wMilliseconds = milliseconds;
    return st;
}

const double kTime150405 = (15 * 3600 + 4 * 60 + 5) / 86400.0;

// "2024-01-02 15:04:05.000 dow 2"
std::string Describe(const SYSTEMTIME& st)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%04u-%02u-%02u %02u:%02u:%02u.%03u dow %u", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, st.wDayOfWeek);
    return buffer;
}

std::string FromDate(double value)
{
    SYSTEMTIME st = {};
    if (!VariantTimeToSystemTime(value, &st))
        return "failed";
    return Describe(st);
}

} // namespace

TEST(VariantTime, DatesBecomeCalendarFields)
{
    EXPECT_EQ(FromDate(0), "1899-12-30 00:00:00.000 dow 6");
    EXPECT_EQ(FromDate(45293 + kTime150405), "2024-01-02 15:04:05.000 dow 2");
    EXPECT_EQ(FromDate(60), "1900-02-28 00:00:00.000 dow 3");
    EXPECT_EQ(FromDate(61), "1900-03-01 00:00:00.000 dow 4");
    EXPECT_EQ(FromDate(45351), "2024-02-29 00:00:00.000 dow 4");
    // Before the epoch the whole part counts back, the fraction forward.
    EXPECT_EQ(FromDate(-1.5), "1899-12-29 12:00:00.000 dow 5");
    EXPECT_EQ(FromDate(-0.25), "1899-12-30 06:00:00.000 dow 6");
    EXPECT_EQ(FromDate(-657434), "0100-01-01 00:00:00.000 dow 5");
    EXPECT_EQ(FromDate(2958465.5), "9999-12-31 12:00:00.000 dow 5");
}

TEST(VariantTime, RoundsToTheNearestSecond)
{
    EXPECT_EQ(FromDate(45293.5 + 0.4 / 86400), "2024-01-02 12:00:00.000 dow 2");
    EXPECT_EQ(FromDate(45293.5 + 0.6 / 86400), "2024-01-02 12:00:01.000 dow 2");
    EXPECT_EQ(FromDate(45293.5 + 1.4 / 86400), "2024-01-02 12:00:01.000 dow 2");
}

TEST(VariantTime, ValuesOutsideTheRangeFail)
{
    SYSTEMTIME st;
    EXPECT_FALSE(VariantTimeToSystemTime(2958466.0, &st));
    EXPECT_FALSE(VariantTimeToSystemTime(-657435.0, &st));
    EXPECT_FALSE(VariantTimeToSystemTime(1e10, &st));
}

TEST(VariantTime, CalendarFieldsBecomeDates)
{
    double value = -1;
    SYSTEMTIME st = MakeTime(2024, 1, 2, 15, 4, 5);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, 45293 + kTime150405);

    // Milliseconds are ignored.
    st.wMilliseconds = 999;
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, 45293 + kTime150405);

    st = MakeTime(1899, 12, 29, 12);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, -1.5);
    st = MakeTime(1899, 12, 30, 6);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, 0.25);
    st = MakeTime(100, 1, 1);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, -657434);
    st = MakeTime(9999, 12, 31, 23, 59, 59);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, 2958465 + 86399 / 86400.0);
    st = MakeTime(1800, 1, 1);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, -36522);
}

TEST(VariantTime, FieldsPastTheirRangeCarryOver)
{
    double value = -1;
    SYSTEMTIME st = MakeTime(2024, 1, 1, 24);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, 45293);
    st = MakeTime(2024, 1, 1, 0, 60);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, 45292 + 1 / 24.0);
    st = MakeTime(2024, 1, 0);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, 45291);
    st = MakeTime(2024, 2, 30);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
    EXPECT_DOUBLE_EQ(value, 45352);

    st = MakeTime(2024, 13, 1);
    EXPECT_FALSE(SystemTimeToVariantTime(&st, &value));
    st = MakeTime(2024, 1, 32);
    EXPECT_FALSE(SystemTimeToVariantTime(&st, &value));
    st = MakeTime(10000, 1, 1);
    EXPECT_FALSE(SystemTimeToVariantTime(&st, &value));
}

TEST(VariantTime, RoundTripsEverySecondOfADay)
{
    for (int second = 0; second < 86400; second += 7) {
        SYSTEMTIME st = MakeTime(2024, 3, 5, static_cast<WORD>(second / 3600), static_cast<WORD>(second / 60 % 60),
                                 static_cast<WORD>(second % 60));
        double value = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&st, &value));
        SYSTEMTIME back = {};
        ASSERT_TRUE(VariantTimeToSystemTime(value, &back));
        st.wDayOfWeek = 2;
        ASSERT_EQ(Describe(back), Describe(st));
    }
}
