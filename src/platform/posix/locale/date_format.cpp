// Date and time formatting and the locale identifiers. The POSIX layer knows
// one locale, en-US (0x0409), which is every default locale; the invariant
// locale is known too. Other locales are refused with ERROR_INVALID_PARAMETER
// rather than formatted in a way they would not be.
#include <cstring>
#include <vector>

#include "locale/date_picture.h"
#include "oleaut/ole_date.h"

const WCHAR kPalShortDatePicture[] = u"M/d/yyyy";
const WCHAR kPalLongDatePicture[] = u"dddd, MMMM d, yyyy";
const WCHAR kPalTimePicture[] = u"h:mm:ss tt";

namespace {

const WCHAR kInvariantShortDatePicture[] = u"MM/dd/yyyy";
const WCHAR kInvariantLongDatePicture[] = u"dddd, dd MMMM yyyy";
const WCHAR kInvariantTimePicture[] = u"HH:mm:ss";

const LANGID kEnglishUs = 0x0409;

const WCHAR* const kDayNames[7] = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
const WCHAR* const kDayAbbreviations[7] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
const WCHAR* const kMonthNames[12] = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                      u"July",    u"August",   u"September", u"October", u"November", u"December"};
const WCHAR* const kMonthAbbreviations[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                              u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

// One element of a picture: a run of one specifier letter, or literal text.
struct PictureToken {
    WCHAR letter; // 0 for literal text
    int count;
    WideString literal;
};

std::vector<PictureToken> Tokenize(const WCHAR* picture, const WCHAR* letters)
{
    std::vector<PictureToken> tokens;
    WideString literal;
    auto flushLiteral = [&]() {
        if (!literal.empty())
            tokens.push_back(PictureToken{0, 0, literal});
        literal.clear();
    };
    const WCHAR* p = picture;
    while (*p) {
        if (*p == u'\'') {
            ++p;
            while (*p) {
                if (*p == u'\'') {
                    if (p[1] == u'\'') {
                        literal += u'\'';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                literal += *p++;
            }
            continue;
        }
        if (PAL_wcschr(letters, *p)) {
            flushLiteral();
            WCHAR letter = *p;
            int count = 0;
            while (*p == letter) {
                ++p;
                ++count;
            }
            tokens.push_back(PictureToken{letter, count, WideString()});
            continue;
        }
        literal += *p++;
    }
    flushLiteral();
    return tokens;
}

void AppendNumber(WideString& out, int64_t value, int minimumDigits)
{
    WideString digits;
    bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits.insert(digits.begin(), static_cast<WCHAR>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    while (static_cast<int>(digits.size()) < minimumDigits)
        digits.insert(digits.begin(), u'0');
    if (negative)
        out += u'-';
    out += digits;
}

bool IsValidDate(const SYSTEMTIME& st)
{
    return st.wYear >= 1601 && st.wYear <= 30827 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
           st.wDay <= PalDaysInMonth(st.wYear, st.wMonth);
}

bool IsValidTime(const SYSTEMTIME& st)
{
    return st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

enum class LocaleKind { Unknown, EnglishUs, Invariant };

LocaleKind ResolveLocale(LCID locale)
{
    switch (locale & 0xFFFF) {
    case LOCALE_NEUTRAL:
    case LOCALE_USER_DEFAULT:
    case LOCALE_SYSTEM_DEFAULT:
    case 0x0C00: // LOCALE_CUSTOM_DEFAULT
    case 0x1000: // LOCALE_CUSTOM_UNSPECIFIED
    case 0x1400: // LOCALE_CUSTOM_UI_DEFAULT
    case kEnglishUs:
        return LocaleKind::EnglishUs;
    case LOCALE_INVARIANT:
        return LocaleKind::Invariant;
    default:
        return LocaleKind::Unknown;
    }
}

// Copies the text out with its terminator; with cch 0 returns the size needed.
int CopyOut(const WideString& text, LPWSTR buffer, int cch)
{
    int needed = static_cast<int>(text.size()) + 1;
    if (cch == 0)
        return needed;
    if (cch < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, text.c_str(), static_cast<size_t>(needed) * sizeof(WCHAR));
    return needed;
}

// The locale of a call whose output buffer is sound; Unknown (with the last
// error set) when either is not.
LocaleKind CheckCall(LCID locale, LPWSTR out, int room)
{
    LocaleKind kind = room < 0 || (room > 0 && !out) ? LocaleKind::Unknown : ResolveLocale(locale);
    if (kind == LocaleKind::Unknown)
        SetLastError(ERROR_INVALID_PARAMETER);
    return kind;
}

// The date or time the caller gave (when valid), or the current local time;
// false with the last error set when the given one is not valid.
bool GivenOrNow(const SYSTEMTIME* given, bool (*isValid)(const SYSTEMTIME&), SYSTEMTIME& out)
{
    if (!given) {
        PalCurrentLocalTime(&out);
        return true;
    }
    if (!isValid(*given)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    out = *given;
    return true;
}

} // namespace

WideString PalFormatDatePicture(const SYSTEMTIME& date, const WCHAR* picture)
{
    WideString out;
    for (const PictureToken& token : Tokenize(picture, u"dMyg")) {
        switch (token.letter) {
        case u'd':
            if (token.count <= 2) {
                AppendNumber(out, date.wDay, token.count);
            } else {
                int64_t weekday = (PalDaysFromCivil(date.wYear, date.wMonth, date.wDay) % 7 + 7 + 6) % 7;
                out += token.count == 3 ? kDayAbbreviations[weekday] : kDayNames[weekday];
            }
            break;
        case u'M':
            if (token.count <= 2)
                AppendNumber(out, date.wMonth, token.count);
            else if (date.wMonth >= 1 && date.wMonth <= 12)
                out += token.count == 3 ? kMonthAbbreviations[date.wMonth - 1] : kMonthNames[date.wMonth - 1];
            break;
        case u'y':
            if (token.count <= 2)
                AppendNumber(out, date.wYear % 100, token.count);
            else
                AppendNumber(out, date.wYear, 1);
            break;
        case u'g':
            out += u"A.D.";
            break;
        default:
            out += token.literal;
            break;
        }
    }
    return out;
}

WideString PalFormatTimePicture(const SYSTEMTIME& time, const WCHAR* picture, DWORD flags)
{
    std::vector<PictureToken> tokens = Tokenize(picture, u"hHmst");
    // Dropping a part drops the separator written before it as well.
    std::vector<PictureToken> kept;
    for (PictureToken& token : tokens) {
        bool drop = (token.letter == u't' && (flags & TIME_NOTIMEMARKER)) ||
                    (token.letter == u's' && (flags & (TIME_NOSECONDS | TIME_NOMINUTESORSECONDS))) ||
                    (token.letter == u'm' && (flags & TIME_NOMINUTESORSECONDS));
        if (drop) {
            if (!kept.empty() && kept.back().letter == 0)
                kept.pop_back();
            continue;
        }
        if (token.letter == u'h' && (flags & TIME_FORCE24HOURFORMAT))
            token.letter = u'H';
        kept.push_back(token);
    }

    WideString out;
    int hour12 = time.wHour % 12 == 0 ? 12 : time.wHour % 12;
    bool afternoon = time.wHour >= 12;
    for (const PictureToken& token : kept) {
        int width = token.count >= 2 ? 2 : 1;
        switch (token.letter) {
        case u'h':
            AppendNumber(out, hour12, width);
            break;
        case u'H':
            AppendNumber(out, time.wHour, width);
            break;
        case u'm':
            AppendNumber(out, time.wMinute, width);
            break;
        case u's':
            AppendNumber(out, time.wSecond, width);
            break;
        case u't':
            out += token.count == 1 ? (afternoon ? u"P" : u"A") : (afternoon ? u"PM" : u"AM");
            break;
        default:
            out += token.literal;
            break;
        }
    }
    return out;
}

extern "C" int GetDateFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCWSTR lpFormat, LPWSTR lpDateStr,
                              int cchDate)
{
    LocaleKind kind = CheckCall(Locale, lpDateStr, cchDate);
    if (kind == LocaleKind::Unknown)
        return 0;
    DWORD pictureFlags = dwFlags & (DATE_SHORTDATE | DATE_LONGDATE);
    if ((dwFlags & ~(DATE_SHORTDATE | DATE_LONGDATE | LOCALE_NOUSEROVERRIDE)) ||
        pictureFlags == (DATE_SHORTDATE | DATE_LONGDATE) || (lpFormat && pictureFlags)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    SYSTEMTIME date;
    if (!GivenOrNow(lpDate, IsValidDate, date))
        return 0;
    const WCHAR* picture = lpFormat;
    if (!picture) {
        bool invariant = kind == LocaleKind::Invariant;
        if (pictureFlags == DATE_LONGDATE)
            picture = invariant ? kInvariantLongDatePicture : kPalLongDatePicture;
        else
            picture = invariant ? kInvariantShortDatePicture : kPalShortDatePicture;
    }
    try {
        return CopyOut(PalFormatDatePicture(date, picture), lpDateStr, cchDate);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

extern "C" int GetTimeFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCWSTR lpFormat, LPWSTR lpTimeStr,
                              int cchTime)
{
    LocaleKind kind = CheckCall(Locale, lpTimeStr, cchTime);
    if (kind == LocaleKind::Unknown)
        return 0;
    const DWORD known =
        TIME_NOMINUTESORSECONDS | TIME_NOSECONDS | TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT | LOCALE_NOUSEROVERRIDE;
    if (dwFlags & ~known) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    SYSTEMTIME time;
    if (!GivenOrNow(lpTime, IsValidTime, time))
        return 0;
    const WCHAR* picture = lpFormat;
    if (!picture)
        picture = kind == LocaleKind::Invariant ? kInvariantTimePicture : kPalTimePicture;
    try {
        return CopyOut(PalFormatTimePicture(time, picture, dwFlags), lpTimeStr, cchTime);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

extern "C" LANGID GetSystemDefaultLangID(void) { return kEnglishUs; }

extern "C" LANGID GetUserDefaultLangID(void) { return kEnglishUs; }

extern "C" LCID GetUserDefaultLCID(void) { return kEnglishUs; }

extern "C" LCID GetThreadLocale(void) { return kEnglishUs; }
