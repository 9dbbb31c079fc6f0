// Date and time formatting in the en-US defaults, buffer sizes and errors.
#include <gtest/gtest.h>

#include "pal/pal.h"
#include "support/TestSupport.h"

namespace {

SYSTEMTIME MakeTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    return st;
}

const SYSTEMTIME kAfternoon = MakeTime(2024, 3, 5, 14, 5, 5);
const SYSTEMTIME kJustAfterMidnight = MakeTime(2024, 12, 25, 0, 7, 9);
const SYSTEMTIME kNoon = MakeTime(2024, 12, 25, 12, 7, 9);

std::string DateText(const SYSTEMTIME* st, DWORD flags = DATE_SHORTDATE, const WCHAR* format = nullptr,
                     LCID locale = LOCALE_USER_DEFAULT)
{
    WCHAR buffer[100];
    int length = GetDateFormatW(locale, flags, st, format, buffer, 100);
    if (length == 0)
        return "failed " + std::to_string(GetLastError());
    EXPECT_EQ(static_cast<size_t>(length), PAL_wcslen(buffer) + 1);
    return test::Utf16ToUtf8(buffer);
}

std::string TimeText(const SYSTEMTIME* st, DWORD flags = 0, const WCHAR* format = nullptr)
{
    WCHAR buffer[100];
    int length = GetTimeFormatW(LOCALE_USER_DEFAULT, flags, st, format, buffer, 100);
    if (length == 0)
        return "failed " + std::to_string(GetLastError());
    EXPECT_EQ(static_cast<size_t>(length), PAL_wcslen(buffer) + 1);
    return test::Utf16ToUtf8(buffer);
}

} // namespace

TEST(DateFormat, ShortAndLongDates)
{
    EXPECT_EQ(DateText(&kAfternoon), "3/5/2024");
    EXPECT_EQ(DateText(&kAfternoon, 0), "3/5/2024");
    EXPECT_EQ(DateText(&kJustAfterMidnight), "12/25/2024");
    EXPECT_EQ(DateText(&kAfternoon, DATE_LONGDATE), "Tuesday, March 5, 2024");
    EXPECT_EQ(DateText(&kAfternoon, DATE_SHORTDATE, nullptr, 0x0409), "3/5/2024");
    EXPECT_EQ(DateText(&kAfternoon, DATE_SHORTDATE, nullptr, LOCALE_SYSTEM_DEFAULT), "3/5/2024");
}

TEST(DateFormat, TimesWithTheFlagsTheLoggerUses)
{
    EXPECT_EQ(TimeText(&kAfternoon), "2:05:05 PM");
    EXPECT_EQ(TimeText(&kJustAfterMidnight), "12:07:09 AM");
    EXPECT_EQ(TimeText(&kNoon), "12:07:09 PM");
    // Forced to 24 hours the hour keeps the locale's single digit.
    EXPECT_EQ(TimeText(&kAfternoon, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER), "14:05:05");
    EXPECT_EQ(TimeText(&kJustAfterMidnight, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER), "0:07:09");
    EXPECT_EQ(TimeText(&kAfternoon, TIME_FORCE24HOURFORMAT), "14:05:05 PM");
    EXPECT_EQ(TimeText(&kAfternoon, TIME_NOTIMEMARKER), "2:05:05");
    EXPECT_EQ(TimeText(&kAfternoon, TIME_NOSECONDS), "2:05 PM");
    SYSTEMTIME ten = MakeTime(2024, 3, 5, 10, 0, 0);
    EXPECT_EQ(TimeText(&ten, TIME_NOMINUTESORSECONDS), "10 AM");
}

TEST(DateFormat, Pictures)
{
    EXPECT_EQ(DateText(&kAfternoon, 0, W("yyyy-MM-dd dddd MMM d 'x' yy")), "2024-03-05 Tuesday Mar 5 x 24");
    EXPECT_EQ(DateText(&kAfternoon, 0, W("dd/MM/yyyy")), "05/03/2024");
    EXPECT_EQ(TimeText(&kAfternoon, 0, W("HH:mm:ss tt h t")), "14:05:05 PM 2 P");
    EXPECT_EQ(TimeText(&kJustAfterMidnight, 0, W("hh:mm")), "12:07");
}

TEST(DateFormat, SizeNeededAndShortBuffers)
{
    EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kAfternoon, nullptr, nullptr, 0), 9);
    EXPECT_EQ(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &kAfternoon, nullptr, nullptr, 0), 11);

    WCHAR buffer[9];
    SetLastError(0);
    EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kAfternoon, nullptr, buffer, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kAfternoon, nullptr, buffer, 9), 9);
    EXPECT_EQ(test::Utf16ToUtf8(buffer), "3/5/2024");
    SetLastError(0);
    EXPECT_EQ(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &kAfternoon, nullptr, buffer, 9), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    SetLastError(0);
    EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kAfternoon, nullptr, nullptr, 5), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kAfternoon, nullptr, buffer, -1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(DateFormat, InvalidInput)
{
    SYSTEMTIME badMonth = MakeTime(2024, 13, 1, 0, 0, 0);
    EXPECT_EQ(DateText(&badMonth), "failed 87");
    SYSTEMTIME badDay = MakeTime(2024, 2, 30, 0, 0, 0);
    EXPECT_EQ(DateText(&badDay), "failed 87");
    SYSTEMTIME badHour = MakeTime(2024, 1, 1, 24, 0, 0);
    EXPECT_EQ(TimeText(&badHour), "failed 87");
    SYSTEMTIME badMinute = MakeTime(2024, 1, 1, 0, 60, 0);
    EXPECT_EQ(TimeText(&badMinute), "failed 87");
    // A time needs no valid date, a date no valid time.
    SYSTEMTIME timeOnly = MakeTime(0, 0, 0, 14, 5, 5);
    EXPECT_EQ(TimeText(&timeOnly), "2:05:05 PM");
    EXPECT_EQ(DateText(&badHour), "1/1/2024");

    EXPECT_EQ(DateText(&kAfternoon, DATE_SHORTDATE | DATE_LONGDATE), "failed 1004");
    EXPECT_EQ(DateText(&kAfternoon, DATE_SHORTDATE, W("yyyy")), "failed 1004");
    EXPECT_EQ(DateText(&kAfternoon, DATE_SHORTDATE, nullptr, 0x12345678), "failed 87");
}

TEST(DateFormat, WithoutATimeTheCurrentTimeIsUsed)
{
    // "M/d/yyyy" of a year of this century, and "H:mm:ss".
    std::string date = DateText(nullptr);
    size_t firstSlash = date.find('/'), lastSlash = date.rfind('/');
    ASSERT_NE(firstSlash, lastSlash) << date;
    EXPECT_EQ(date.size() - lastSlash - 1, 4u) << date;
    EXPECT_EQ(date.compare(lastSlash + 1, 2, "20"), 0) << date;
    std::string time = TimeText(nullptr, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER);
    size_t firstColon = time.find(':'), lastColon = time.rfind(':');
    ASSERT_NE(firstColon, lastColon) << time;
    EXPECT_EQ(time.size() - lastColon - 1, 2u) << time;
    EXPECT_EQ(lastColon - firstColon, 3u) << time;
}

TEST(DateFormat, LocaleIsEnglishUnitedStates)
{
    EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
    EXPECT_EQ(GetThreadLocale(), 0x0409u);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
}
