// The decimal text of a whole number ("-" before a negative one), written
// without the C runtime's formatting or locale: the logging thread and the
// writer format numbers for every record.
#pragma once

#include <cstddef>
#include <type_traits>

// The most characters FormatDecimal writes for a 64-bit value: a sign and 19
// digits.
constexpr size_t kMaxDecimalLength = 20;

// Writes value's decimal text to out (room for kMaxDecimalLength characters;
// no terminator) and returns the characters written.
template <class Char, class Integer>
size_t FormatDecimal(Integer value, Char* out) noexcept
{
    static_assert(std::is_signed_v<Integer> && sizeof(Integer) <= 8, "a signed value of 64 bits at most");
    using Magnitude = std::make_unsigned_t<Integer>;
    Char reversed[kMaxDecimalLength];
    size_t count = 0;
    Magnitude magnitude = value < 0 ? Magnitude(0) - static_cast<Magnitude>(value) : static_cast<Magnitude>(value);
    do {
        reversed[count++] = static_cast<Char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    size_t length = 0;
    if (value < 0)
        out[length++] = '-';
    while (count)
        out[length++] = reversed[--count];
    return length;
}
