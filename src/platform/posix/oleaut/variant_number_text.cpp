// Numbers as text, the en-US way OLE Automation reads and writes them. The C
// library's locale is never consulted: the decimal point is always ".".
#include <charconv>
#include <cmath>
#include <string>

#include "oleaut/variant_text.h"

namespace {

class Reader {
public:
    Reader(const WCHAR* text, size_t length) : m_text(text), m_length(length) {}

    bool AtEnd() const { return m_pos >= m_length; }
    WCHAR Peek(size_t ahead = 0) const { return m_pos + ahead < m_length ? m_text[m_pos + ahead] : 0; }
    void Advance(size_t count = 1) { m_pos += count; }
    bool Accept(WCHAR c)
    {
        if (Peek() != c || AtEnd())
            return false;
        ++m_pos;
        return true;
    }
    void SkipBlanks()
    {
        while (!AtEnd() && PAL_iswspace(m_text[m_pos]))
            ++m_pos;
    }

private:
    const WCHAR* m_text;
    size_t m_length;
    size_t m_pos = 0;
};

bool IsDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }

int DigitValue(WCHAR c, int radix)
{
    int value = PalHexDigit(c);
    return value < radix ? value : -1;
}

// "&H..." or "&O..." after the blanks; the reader stands on the '&'.
HRESULT ParseRadixLiteral(Reader& in, PalOleNumber* out)
{
    WCHAR kind = PAL_towupper(in.Peek(1));
    int radix = kind == u'H' ? 16 : 8;
    in.Advance(2);
    uint64_t value = 0;
    bool overflow = false;
    int digits = 0;
    for (int digit; (digit = DigitValue(in.Peek(), radix)) >= 0 && !in.AtEnd(); in.Advance()) {
        value = value * radix + digit;
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0;
        }
        ++digits;
    }
    in.SkipBlanks();
    if (digits == 0 || !in.AtEnd())
        return DISP_E_TYPEMISMATCH;
    if (overflow)
        return DISP_E_OVERFLOW;
    out->isRadixLiteral = true;
    out->bits = static_cast<uint32_t>(value);
    out->value = 0;
    return S_OK;
}

} // namespace

HRESULT PalParseOleNumber(const WCHAR* text, size_t length, PalOleNumber* out)
{
    Reader in(text, length);
    in.SkipBlanks();
    if (in.Peek() == u'&' && (PAL_towupper(in.Peek(1)) == u'H' || PAL_towupper(in.Peek(1)) == u'O'))
        return ParseRadixLiteral(in, out);

    // Leading sign, opening parenthesis and currency symbol, in any order.
    bool negative = false, signSeen = false, parenthesis = false, currency = false;
    for (;;) {
        WCHAR c = in.Peek();
        if ((c == u'+' || c == u'-') && !signSeen && !parenthesis && !in.AtEnd()) {
            negative = c == u'-';
            signSeen = true;
        } else if (c == u'(' && !signSeen && !parenthesis && !in.AtEnd()) {
            parenthesis = true;
        } else if (c == u'$' && !currency && !in.AtEnd()) {
            currency = true;
        } else {
            break;
        }
        in.Advance();
        in.SkipBlanks();
    }

    // The digits go to an ASCII copy that std::from_chars reads.
    std::string number;
    int significantIntegerDigits = 0; // integer digits after the leading zeros
    int leadingFractionZeros = 0;     // zeros after the point before the first other digit
    bool nonZeroSeen = false;
    int digits = 0;
    while (IsDigit(in.Peek()) || (in.Peek() == u',' && digits > 0)) {
        WCHAR c = in.Peek();
        in.Advance();
        if (c == u',')
            continue;
        number += static_cast<char>(c);
        ++digits;
        if (c != u'0')
            nonZeroSeen = true;
        if (nonZeroSeen)
            ++significantIntegerDigits;
    }
    if (in.Accept(u'.')) {
        number += '.';
        while (IsDigit(in.Peek())) {
            WCHAR c = in.Peek();
            in.Advance();
            number += static_cast<char>(c);
            ++digits;
            if (c != u'0')
                nonZeroSeen = true;
            else if (!nonZeroSeen)
                ++leadingFractionZeros;
        }
    }
    if (digits == 0)
        return DISP_E_TYPEMISMATCH;

    long exponent = 0;
    if (in.Peek() == u'e' || in.Peek() == u'E') {
        in.Advance();
        bool exponentNegative = false;
        if (in.Peek() == u'+' || in.Peek() == u'-') {
            exponentNegative = in.Peek() == u'-';
            in.Advance();
        }
        if (!IsDigit(in.Peek()))
            return DISP_E_TYPEMISMATCH;
        while (IsDigit(in.Peek())) {
            if (exponent < 100000)
                exponent = exponent * 10 + (in.Peek() - u'0');
            in.Advance();
        }
        if (exponentNegative)
            exponent = -exponent;
        number += 'e';
        number += std::to_string(exponent);
    }

    // Currency symbol, closing parenthesis or trailing sign.
    in.SkipBlanks();
    if (!currency && in.Peek() == u'$' && !in.AtEnd()) {
        in.Advance();
        in.SkipBlanks();
    }
    if (parenthesis) {
        if (!in.Accept(u')'))
            return DISP_E_TYPEMISMATCH;
        negative = true;
        in.SkipBlanks();
    } else if (!signSeen && (in.Peek() == u'+' || in.Peek() == u'-') && !in.AtEnd()) {
        negative = in.Peek() == u'-';
        in.Advance();
        in.SkipBlanks();
    }
    if (!in.AtEnd())
        return DISP_E_TYPEMISMATCH;

    double value = 0;
    if (nonZeroSeen) {
        auto result = std::from_chars(number.data(), number.data() + number.size(), value);
        if (result.ec == std::errc::result_out_of_range) {
            // Too large, or too small to be anything but zero.
            long magnitude = significantIntegerDigits > 0 ? significantIntegerDigits + exponent
                                                          : exponent - leadingFractionZeros;
            if (magnitude > 0)
                return DISP_E_OVERFLOW;
            value = 0;
        } else if (result.ec != std::errc()) {
            return DISP_E_TYPEMISMATCH;
        }
    }
    out->isRadixLiteral = false;
    out->bits = 0;
    out->value = negative ? -value : value;
    return S_OK;
}

WideString PalFormatOleDouble(double value, int significantDigits)
{
    if (value == 0)
        return WideString(u"0"); // also for -0
    if (std::isnan(value))
        return WideString(u"NAN");
    if (std::isinf(value))
        return WideString(value < 0 ? u"-INF" : u"INF");
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, significantDigits);
    WideString out;
    for (char* p = buffer; p != result.ptr; ++p)
        out += static_cast<WCHAR>(*p == 'e' ? 'E' : *p);
    return out;
}
