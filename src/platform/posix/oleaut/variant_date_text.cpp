// Dates as text, the en-US way OLE Automation reads and writes them.
#include <cmath>
#include <vector>

#include "locale/date_picture.h"
#include "oleaut/ole_date.h"
#include "oleaut/variant_text.h"

namespace {

struct DateToken {
    enum Kind { Number, Separator, Word } kind;
    int64_t number; // Number
    int digits;     // Number
    WCHAR separator;
    WideString word; // Word, upper case
};

bool Tokenize(const WCHAR* text, size_t length, std::vector<DateToken>* tokens)
{
    size_t i = 0;
    while (i < length) {
        WCHAR c = text[i];
        if (PAL_iswspace(c) || c == u',') {
            ++i;
        } else if (c >= u'0' && c <= u'9') {
            DateToken token{DateToken::Number, 0, 0, 0, WideString()};
            while (i < length && text[i] >= u'0' && text[i] <= u'9') {
                if (++token.digits > 9)
                    return false;
                token.number = token.number * 10 + (text[i] - u'0');
                ++i;
            }
            tokens->push_back(token);
        } else if (c == u'/' || c == u'-' || c == u':') {
            tokens->push_back(DateToken{DateToken::Separator, 0, 0, c, WideString()});
            ++i;
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
            DateToken token{DateToken::Word, 0, 0, 0, WideString()};
            while (i < length && ((text[i] >= u'a' && text[i] <= u'z') || (text[i] >= u'A' && text[i] <= u'Z')))
                token.word += PAL_towupper(text[i++]);
            tokens->push_back(token);
        } else {
            return false;
        }
    }
    return true;
}

class TokenReader {
public:
    explicit TokenReader(const std::vector<DateToken>& tokens) : m_tokens(tokens) {}
    bool AtEnd() const { return m_pos >= m_tokens.size(); }
    const DateToken* Peek(size_t ahead = 0) const
    {
        return m_pos + ahead < m_tokens.size() ? &m_tokens[m_pos + ahead] : nullptr;
    }
    bool IsNumber(size_t ahead = 0) const { return Peek(ahead) && Peek(ahead)->kind == DateToken::Number; }
    bool IsSeparator(WCHAR c, size_t ahead = 0) const
    {
        return Peek(ahead) && Peek(ahead)->kind == DateToken::Separator && Peek(ahead)->separator == c;
    }
    const DateToken& Take() { return m_tokens[m_pos++]; }

private:
    const std::vector<DateToken>& m_tokens;
    size_t m_pos = 0;
};

bool IsDateSeparator(const TokenReader& in, size_t ahead)
{
    return in.IsSeparator(u'/', ahead) || in.IsSeparator(u'-', ahead);
}

bool LooksLikeDate(const TokenReader& in) { return in.IsNumber() && IsDateSeparator(in, 1) && in.IsNumber(2); }

// A date: "M/d/y", "M/d", "y/M/d" (a year of three or four digits first), with
// "/" or "-" between the parts. A month above 12 with a day that could be a
// month is read as day and month the other way round.
bool ReadDate(TokenReader& in, int64_t* days)
{
    const DateToken& first = in.Take();
    in.Take();
    const DateToken& second = in.Take();
    const DateToken* third = nullptr;
    if (IsDateSeparator(in, 0) && in.IsNumber(1)) {
        in.Take();
        third = &in.Take();
    }

    int64_t year, month, day;
    if (first.digits >= 3) {
        if (!third)
            return false;
        year = first.number;
        month = second.number;
        day = third->number;
    } else {
        month = first.number;
        day = second.number;
        if (third) {
            year = third->number;
            if (third->digits <= 2)
                year = PalExpandTwoDigitYear(static_cast<int>(year));
        } else {
            SYSTEMTIME now;
            PalCurrentLocalTime(&now);
            year = now.wYear;
        }
    }
    if (month > 12 && day <= 12) {
        int64_t swap = month;
        month = day;
        day = swap;
    }
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > PalDaysInMonth(year, static_cast<int>(month)))
        return false;
    *days = PalDaysFromCivil(year, static_cast<int>(month), day);
    return true;
}

// "H:mm", "H:mm:ss", each optionally followed by AM or PM, or "H AM"/"H PM".
// An hour above 12 keeps its value whatever the marker says.
bool ReadTime(TokenReader& in, int64_t* seconds)
{
    if (!in.IsNumber())
        return false;
    int64_t hour = in.Take().number, minute = 0, second = 0;
    bool hasMinutes = false;
    if (in.IsSeparator(u':') && in.IsNumber(1)) {
        in.Take();
        minute = in.Take().number;
        hasMinutes = true;
        if (in.IsSeparator(u':') && in.IsNumber(1)) {
            in.Take();
            second = in.Take().number;
        }
    }
    const DateToken* marker = in.Peek();
    bool hasMarker = marker && marker->kind == DateToken::Word && (marker->word == u"AM" || marker->word == u"PM");
    if (!hasMinutes && !hasMarker)
        return false;
    if (hasMarker) {
        bool afternoon = in.Take().word == u"PM";
        if (hour <= 12) {
            if (hour == 12)
                hour = 0;
            if (afternoon)
                hour += 12;
        }
    }
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    *seconds = hour * 3600 + minute * 60 + second;
    return true;
}

} // namespace

HRESULT PalParseOleDate(const WCHAR* text, size_t length, DATE* out)
{
    std::vector<DateToken> tokens;
    if (!Tokenize(text, length, &tokens) || tokens.empty())
        return DISP_E_TYPEMISMATCH;
    TokenReader in(tokens);
    int64_t days = 0, seconds = 0;
    if (LooksLikeDate(in) && !ReadDate(in, &days))
        return DISP_E_TYPEMISMATCH;
    if (!in.AtEnd() && !ReadTime(in, &seconds))
        return DISP_E_TYPEMISMATCH;
    if (!in.AtEnd())
        return DISP_E_TYPEMISMATCH;
    *out = PalComposeOleDate(days, seconds);
    return S_OK;
}

HRESULT PalFormatOleDate(DATE value, WideString* out)
{
    SYSTEMTIME st;
    if (!PalOleDateToSystemTime(value, &st))
        return E_INVALIDARG;
    double whole = std::trunc(value);
    out->clear();
    if (whole != 0)
        *out += PalFormatDatePicture(st, kPalShortDatePicture);
    if (whole == 0 || value != whole) {
        if (!out->empty())
            *out += u' ';
        *out += PalFormatTimePicture(st, kPalTimePicture, 0);
    }
    return S_OK;
}
