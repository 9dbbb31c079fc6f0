// The wide printf-style formatter. Integers and texts are formatted here;
// doubles get their digits from std::to_chars, which is exact and the same
// code in both builds (it does not depend on the C runtime's printf).
#include "text/WideFormatter.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

// Collects the output: counts every unit, stores those that fit.
class Output {
public:
    Output(WCHAR* buffer, size_t capacity)
        : m_buffer(capacity ? buffer : nullptr), m_limit(buffer && capacity ? capacity - 1 : 0)
    {
    }

    void Put(WCHAR unit)
    {
        if (!Reserve(1))
            return;
        if (m_length < m_limit)
            m_buffer[m_length] = unit;
        ++m_length;
    }

    void Put(const WCHAR* units, size_t count)
    {
        if (!Reserve(count))
            return;
        if (m_length < m_limit) {
            size_t room = m_limit - m_length;
            std::memcpy(m_buffer + m_length, units, (count < room ? count : room) * sizeof(WCHAR));
        }
        m_length += count;
    }

    // Narrow bytes, each widened to the unit of the same value.
    void PutNarrow(const char* bytes, size_t count)
    {
        if (!Reserve(count))
            return;
        for (size_t i = 0; i < count; ++i, ++m_length)
            if (m_length < m_limit)
                m_buffer[m_length] = static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]));
    }

    void Repeat(WCHAR unit, size_t count)
    {
        if (!Reserve(count))
            return;
        for (size_t i = 0; i < count; ++i, ++m_length)
            if (m_length < m_limit)
                m_buffer[m_length] = unit;
    }

    void Fail() { m_failed = true; }
    size_t Length() const { return m_length; }

    size_t Finish()
    {
        if (m_buffer)
            m_buffer[m_length < m_limit ? m_length : m_limit] = 0;
        return m_failed ? kWideFormatFailed : m_length;
    }

private:
    bool Reserve(size_t count)
    {
        if (m_failed)
            return false;
        if (count >= kWideFormatFailed - m_length) {
            m_failed = true;
            return false;
        }
        return true;
    }

    WCHAR* m_buffer;
    size_t m_limit;
    size_t m_length = 0;
    bool m_failed = false;
};

enum class Size { Default, Char, Short, Long32, Long64, Pointer };

// One conversion of a template: its flags, width, precision, size prefix and
// conversion letter.
struct FieldFormat {
    bool left = false;
    bool plus = false;
    bool blank = false;
    bool alternate = false;
    bool zero = false;
    size_t width = 0;
    int precision = -1; // -1: none
    Size size = Size::Default;
    bool wide = false;   // l or w prefix
    bool narrow = false; // h prefix
    WCHAR conversion = 0;
};

// Pads a field of `length` units to the width, before or after the field.
size_t PaddingFor(const FieldFormat& field, size_t length) { return field.width > length ? field.width - length : 0; }

// A text argument: precision limits the units read, the width pads it (with
// zeros under the 0 flag, as the Windows runtime does).
void PutText(Output& out, const FieldFormat& field, const WCHAR* wide, const char* narrow)
{
    static const char kNull[] = "(null)";
    if (!wide && !narrow)
        narrow = kNull;
    size_t limit = field.precision < 0 ? std::numeric_limits<size_t>::max() : static_cast<size_t>(field.precision);
    size_t length = 0;
    if (wide)
        while (length < limit && wide[length])
            ++length;
    else
        while (length < limit && narrow[length])
            ++length;
    size_t padding = PaddingFor(field, length);
    if (!field.left)
        out.Repeat(field.zero ? W('0') : W(' '), padding);
    if (wide)
        out.Put(wide, length);
    else
        out.PutNarrow(narrow, length);
    if (field.left)
        out.Repeat(W(' '), padding);
}

void PutCharacter(Output& out, const FieldFormat& field, WCHAR unit)
{
    size_t padding = PaddingFor(field, 1);
    if (!field.left)
        out.Repeat(field.zero ? W('0') : W(' '), padding);
    out.Put(unit);
    if (field.left)
        out.Repeat(W(' '), padding);
}

// Sign or prefix, zeros, digits, padded to the width.
void PutField(Output& out, const FieldFormat& field, const char* prefix, const char* body, size_t bodyLength,
              size_t precisionZeros, bool zeroPadAllowed)
{
    size_t prefixLength = std::strlen(prefix);
    size_t length = prefixLength + precisionZeros + bodyLength;
    size_t padding = PaddingFor(field, length);
    bool zeroPad = field.zero && !field.left && zeroPadAllowed;
    if (!field.left && !zeroPad)
        out.Repeat(W(' '), padding);
    out.PutNarrow(prefix, prefixLength);
    if (zeroPad)
        out.Repeat(W('0'), padding);
    out.Repeat(W('0'), precisionZeros);
    out.PutNarrow(body, bodyLength);
    if (field.left)
        out.Repeat(W(' '), padding);
}

void PutInteger(Output& out, const FieldFormat& field, unsigned long long magnitude, bool negative, bool isSigned)
{
    unsigned base = 10;
    const char* digitSet = "0123456789abcdef";
    switch (field.conversion) {
    case 'o':
        base = 8;
        break;
    case 'x':
        base = 16;
        break;
    case 'X':
    case 'p':
        base = 16;
        digitSet = "0123456789ABCDEF";
        break;
    default:
        break;
    }

    // Digits from the last one backwards; a zero with precision 0 has none.
    char digits[32];
    char* end = digits + sizeof digits;
    char* body = end;
    for (unsigned long long rest = magnitude; rest; rest /= base)
        *--body = digitSet[rest % base];
    if (magnitude == 0 && field.precision != 0)
        *--body = '0';
    size_t count = static_cast<size_t>(end - body);

    size_t zeros = field.precision > 0 && static_cast<size_t>(field.precision) > count
                       ? static_cast<size_t>(field.precision) - count
                       : 0;

    const char* prefix = "";
    if (isSigned) {
        if (negative)
            prefix = "-";
        else if (field.plus)
            prefix = "+";
        else if (field.blank)
            prefix = " ";
    } else if (field.alternate) {
        if (field.conversion == 'o') {
            if (zeros == 0 && (count == 0 || body[0] != '0'))
                zeros = 1;
        } else if (field.conversion == 'p') {
            prefix = "0X";
        } else if (field.conversion == 'x' && magnitude != 0) {
            prefix = "0x";
        } else if (field.conversion == 'X' && magnitude != 0) {
            prefix = "0X";
        }
    }
    PutField(out, field, prefix, body, count, zeros, field.precision < 0);
}

// A buffer for the digits of a double: on the stack when small enough.
class DigitBuffer {
public:
    explicit DigitBuffer(size_t size)
    {
        if (size <= sizeof m_local) {
            m_data = m_local;
            m_size = sizeof m_local;
        } else {
            m_heap.reset(new (std::nothrow) char[size]);
            m_data = m_heap.get();
            m_size = m_heap ? size : 0;
        }
    }
    char* Data() { return m_data; }
    size_t Size() const { return m_size; }

private:
    char m_local[400];
    std::unique_ptr<char[]> m_heap;
    char* m_data = nullptr;
    size_t m_size = 0;
};

// Writes the digits of a finite, non-negative value; returns the length, or
// 0 when the buffer is too small.
size_t ToChars(char* first, size_t size, double value, std::chars_format format, int precision)
{
    std::to_chars_result result = precision < 0 ? std::to_chars(first, first + size, value, format)
                                                : std::to_chars(first, first + size, value, format, precision);
    if (result.ec != std::errc())
        return 0;
    return static_cast<size_t>(result.ptr - first);
}

// The decimal exponent of a scientific-notation body ("1.25e-07" gives -7).
int ExponentOf(const char* body, size_t length)
{
    const char* e = static_cast<const char*>(std::memchr(body, 'e', length));
    if (!e)
        return 0;
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), body + length, exponent);
    return exponent;
}

// Removes the trailing zeros of the fraction, and the point when nothing is
// left after it (the %g rule); the exponent, if any, stays.
size_t StripFractionZeros(char* body, size_t length)
{
    char* point = static_cast<char*>(std::memchr(body, '.', length));
    if (!point)
        return length;
    char* exponent = static_cast<char*>(std::memchr(body, 'e', length));
    char* fractionEnd = exponent ? exponent : body + length;
    char* keep = fractionEnd;
    while (keep > point + 1 && keep[-1] == '0')
        --keep;
    if (keep == point + 1)
        keep = point;
    size_t tail = static_cast<size_t>(body + length - fractionEnd);
    std::memmove(keep, fractionEnd, tail);
    return static_cast<size_t>(keep - body) + tail;
}

// Puts a decimal point before the exponent (or at the end) when there is
// none, for the # flag. The buffer has room for one more character.
size_t EnsurePoint(char* body, size_t length, char exponentMark)
{
    if (std::memchr(body, '.', length))
        return length;
    char* mark = static_cast<char*>(std::memchr(body, exponentMark, length));
    size_t at = mark ? static_cast<size_t>(mark - body) : length;
    std::memmove(body + at + 1, body + at, length - at);
    body[at] = '.';
    return length + 1;
}

void PutDouble(Output& out, const FieldFormat& field, double value)
{
    WCHAR conversion = field.conversion;
    bool upper = conversion == 'E' || conversion == 'F' || conversion == 'G' || conversion == 'A';
    WCHAR lower = upper ? static_cast<WCHAR>(conversion + ('a' - 'A')) : conversion;

    const char* sign = "";
    if (std::signbit(value))
        sign = "-";
    else if (field.plus)
        sign = "+";
    else if (field.blank)
        sign = " ";

    if (!std::isfinite(value)) {
        const char* body = std::isnan(value) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
        PutField(out, field, sign, body, 3, 0, false);
        return;
    }
    double magnitude = std::fabs(value);

    int precision = field.precision;
    if (precision < 0 && lower != 'a')
        precision = 6;
    size_t precisionRoom = precision < 0 ? 0 : static_cast<size_t>(precision);
    // Fixed notation of a double has at most 309 digits before the point.
    DigitBuffer buffer((lower == 'f' ? 330 : 40) + precisionRoom);
    if (!buffer.Size()) {
        out.Fail();
        return;
    }
    char* body = buffer.Data();
    size_t room = buffer.Size() - 1; // one spare for the # flag's point
    size_t length = 0;

    if (lower == 'f') {
        length = ToChars(body, room, magnitude, std::chars_format::fixed, precision);
        if (field.alternate)
            length = EnsurePoint(body, length, 'e');
    } else if (lower == 'e') {
        length = ToChars(body, room, magnitude, std::chars_format::scientific, precision);
        if (field.alternate)
            length = EnsurePoint(body, length, 'e');
    } else if (lower == 'g') {
        int significant = precision == 0 ? 1 : precision;
        length = ToChars(body, room, magnitude, std::chars_format::scientific, significant - 1);
        int exponent = ExponentOf(body, length);
        if (exponent < significant && exponent >= -4)
            length = ToChars(body, room, magnitude, std::chars_format::fixed, significant - 1 - exponent);
        if (field.alternate)
            length = EnsurePoint(body, length, 'e');
        else
            length = StripFractionZeros(body, length);
    } else { // 'a'
        length = ToChars(body, room, magnitude, std::chars_format::hex, precision);
        if (field.alternate)
            length = EnsurePoint(body, length, 'p');
    }
    if (length == 0) {
        out.Fail();
        return;
    }
    if (upper)
        for (size_t i = 0; i < length; ++i)
            if (body[i] >= 'a' && body[i] <= 'z')
                body[i] = static_cast<char>(body[i] - ('a' - 'A'));

    char prefix[4] = {0};
    std::strcpy(prefix, sign);
    if (lower == 'a')
        std::strcat(prefix, upper ? "0X" : "0x");
    PutField(out, field, prefix, body, length, 0, true);
}

bool IsDigit(WCHAR unit) { return unit >= '0' && unit <= '9'; }

// Reads a decimal number of the template, saturating at INT_MAX.
int ReadNumber(const WCHAR*& p)
{
    long long value = 0;
    for (; IsDigit(*p); ++p) {
        value = value * 10 + (*p - '0');
        if (value > std::numeric_limits<int>::max())
            value = std::numeric_limits<int>::max();
    }
    return static_cast<int>(value);
}

// Parses flags, width, precision and size prefix; p is just past the '%'.
// Returns false when the template ends inside the conversion.
bool ParseFieldFormat(const WCHAR*& p, va_list* args, FieldFormat& field)
{
    for (;; ++p) {
        if (*p == '-')
            field.left = true;
        else if (*p == '+')
            field.plus = true;
        else if (*p == ' ')
            field.blank = true;
        else if (*p == '#')
            field.alternate = true;
        else if (*p == '0')
            field.zero = true;
        else
            break;
    }

    if (*p == '*') {
        ++p;
        int width = va_arg(*args, int);
        if (width < 0) {
            field.left = true;
            field.width = static_cast<size_t>(-static_cast<long long>(width));
        } else {
            field.width = static_cast<size_t>(width);
        }
    } else {
        field.width = static_cast<size_t>(ReadNumber(p));
    }

    if (*p == '.') {
        ++p;
        if (*p == '*') {
            ++p;
            int precision = va_arg(*args, int);
            field.precision = precision < 0 ? -1 : precision;
        } else {
            field.precision = ReadNumber(p);
        }
    }

    for (bool more = true; more;) {
        switch (*p) {
        case 'h':
            field.narrow = true;
            field.size = field.size == Size::Short ? Size::Char : Size::Short;
            ++p;
            break;
        case 'l':
            field.wide = true;
            field.size = field.size == Size::Long32 ? Size::Long64 : Size::Long32;
            ++p;
            break;
        case 'w':
            field.wide = true;
            ++p;
            break;
        case 'I':
            if (p[1] == '6' && p[2] == '4') {
                field.size = Size::Long64;
                p += 3;
            } else if (p[1] == '3' && p[2] == '2') {
                field.size = Size::Long32;
                p += 3;
            } else {
                field.size = Size::Pointer;
                ++p;
            }
            break;
        case 'z':
        case 't':
            field.size = Size::Pointer;
            ++p;
            break;
        case 'j':
            field.size = Size::Long64;
            ++p;
            break;
        case 'F':
        case 'N':
        case 'L':
            ++p;
            break;
        default:
            more = false;
            break;
        }
    }

    if (!*p)
        return false;
    field.conversion = *p++;
    return true;
}

long long ReadSigned(va_list* args, Size size)
{
    switch (size) {
    case Size::Char:
        return static_cast<signed char>(va_arg(*args, int));
    case Size::Short:
        return static_cast<short>(va_arg(*args, int));
    case Size::Long64:
        return va_arg(*args, long long);
    case Size::Pointer:
        return va_arg(*args, intptr_t);
    default:
        return va_arg(*args, int);
    }
}

unsigned long long ReadUnsigned(va_list* args, Size size)
{
    switch (size) {
    case Size::Char:
        return static_cast<unsigned char>(va_arg(*args, unsigned int));
    case Size::Short:
        return static_cast<unsigned short>(va_arg(*args, unsigned int));
    case Size::Long64:
        return va_arg(*args, unsigned long long);
    case Size::Pointer:
        return va_arg(*args, uintptr_t);
    default:
        return va_arg(*args, unsigned int);
    }
}

void StoreCount(va_list* args, Size size, size_t count)
{
    switch (size) {
    case Size::Char:
        *va_arg(*args, signed char*) = static_cast<signed char>(count);
        break;
    case Size::Short:
        *va_arg(*args, short*) = static_cast<short>(count);
        break;
    case Size::Long64:
        *va_arg(*args, long long*) = static_cast<long long>(count);
        break;
    case Size::Pointer:
        *va_arg(*args, intptr_t*) = static_cast<intptr_t>(count);
        break;
    default:
        *va_arg(*args, int*) = static_cast<int>(count);
        break;
    }
}

void FormatConversion(Output& out, FieldFormat& field, va_list* args)
{
    switch (field.conversion) {
    case 'd':
    case 'i': {
        long long value = ReadSigned(args, field.size);
        unsigned long long magnitude =
            value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
        PutInteger(out, field, magnitude, value < 0, true);
        break;
    }
    case 'u':
    case 'o':
    case 'x':
    case 'X':
        PutInteger(out, field, ReadUnsigned(args, field.size), false, false);
        break;
    case 'p':
        field.precision = static_cast<int>(2 * sizeof(void*));
        PutInteger(out, field, reinterpret_cast<uintptr_t>(va_arg(*args, void*)), false, false);
        break;
    case 'n':
        StoreCount(args, field.size, out.Length());
        break;
    case 's':
    case 'S': {
        bool wide = field.conversion == 's' ? !field.narrow : field.wide;
        if (wide)
            PutText(out, field, va_arg(*args, const WCHAR*), nullptr);
        else
            PutText(out, field, nullptr, va_arg(*args, const char*));
        break;
    }
    case 'c':
    case 'C': {
        bool wide = field.conversion == 'c' ? !field.narrow : field.wide;
        int value = va_arg(*args, int);
        PutCharacter(out, field,
                     wide ? static_cast<WCHAR>(value) : static_cast<WCHAR>(static_cast<unsigned char>(value)));
        break;
    }
    case 'e':
    case 'E':
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        PutDouble(out, field, va_arg(*args, double));
        break;
    default: // '%' and any unknown conversion character: written as itself
        out.Put(field.conversion);
        break;
    }
}

} // namespace

size_t WideFormatV(WCHAR* buffer, size_t capacity, const WCHAR* format, va_list args) noexcept
{
    Output out(buffer, capacity);
    if (format) {
        va_list list;
        va_copy(list, args);
        for (const WCHAR* p = format; *p;) {
            if (*p != '%') {
                const WCHAR* run = p;
                while (*p && *p != '%')
                    ++p;
                out.Put(run, static_cast<size_t>(p - run));
                continue;
            }
            ++p;
            FieldFormat field;
            if (!ParseFieldFormat(p, &list, field))
                break;
            FormatConversion(out, field, &list);
        }
        va_end(list);
    }
    return out.Finish();
}

size_t WideFormat(WCHAR* buffer, size_t capacity, const WCHAR* format, ...) noexcept
{
    va_list args;
    va_start(args, format);
    size_t length = WideFormatV(buffer, capacity, format, args);
    va_end(args);
    return length;
}
