#include "report/EventTime.h"

#include <cstring>
#include <ctime>

namespace {

const int kPartCapacity = 260;

} // namespace

void FormatEventDateTime(const SYSTEMTIME& time, CBstrString& text) noexcept
{
    WCHAR date[kPartCapacity];
    WCHAR clock[kPartCapacity];
    if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, kPartCapacity) == 0)
        date[0] = 0;
    if (GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, &time, nullptr, clock,
                       kPartCapacity) == 0)
        clock[0] = 0;
    text.Format(W("%s - %s"), date, clock);
}

const CBstrString& CEventTimeText::Format(const SYSTEMTIME& time) noexcept
{
    if (!m_valid || time.wYear != m_time.wYear || time.wMonth != m_time.wMonth || time.wDay != m_time.wDay ||
        time.wHour != m_time.wHour || time.wMinute != m_time.wMinute || time.wSecond != m_time.wSecond) {
        FormatEventDateTime(time, m_text);
        m_time = time;
        m_valid = true;
    }
    return m_text;
}

HRESULT ComputeTimeTick(const SYSTEMTIME& time, LONGLONG* tick) noexcept
{
    if (!tick)
        return E_POINTER;
    *tick = 0;
    if (time.wYear < 1900)
        return S_OK;
    if (time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 || time.wDay > 31 || time.wHour > 23 ||
        time.wMinute > 59 || time.wSecond > 59)
        return E_FAIL;
    struct tm fields;
    std::memset(&fields, 0, sizeof(fields));
    fields.tm_year = time.wYear - 1900;
    fields.tm_mon = time.wMonth - 1;
    fields.tm_mday = time.wDay;
    fields.tm_hour = time.wHour;
    fields.tm_min = time.wMinute;
    fields.tm_sec = time.wSecond;
    fields.tm_isdst = -1;
    __time64_t seconds = _mktime64(&fields);
    if (seconds == -1)
        return E_INVALIDARG;
    *tick = static_cast<LONGLONG>(seconds);
    return S_OK;
}
