// The wide formatter: Windows argument conventions, C99 doubles, and the
// vsnprintf-style buffer rules. The same expectations hold in both builds.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "support/TestSupport.h"
#include "text/WideFormatter.h"

namespace {

// Formats twice (measure, then into a buffer of exactly that size) and
// checks that both passes agree.
WideString FormatWide(const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    size_t length = WideFormatV(nullptr, 0, format, measure);
    va_end(measure);
    WideString text(length + 1, W('#'));
    size_t written = WideFormatV(&text[0], text.size(), format, args);
    va_end(args);
    EXPECT_EQ(written, length);
    EXPECT_EQ(text[length], 0);
    text.resize(length);
    return text;
}

#define F(...) test::Utf16ToUtf8(FormatWide(__VA_ARGS__))

} // namespace

TEST(WideFormatter, WideAndNarrowTextsFollowTheWindowsConventions)
{
    EXPECT_EQ(F(W("[%s]"), W("wide")), "[wide]");
    EXPECT_EQ(F(W("[%ls|%ws|%lS]"), W("a"), W("b"), W("c")), "[a|b|c]");
    EXPECT_EQ(F(W("[%S|%hs|%hS]"), "x", "y", "z"), "[x|y|z]");
    EXPECT_EQ(F(W("%s and %S"), W("wide"), "narrow"), "wide and narrow");

    // A null text prints "(null)", whatever its kind.
    EXPECT_EQ(F(W("%s"), static_cast<const WCHAR*>(nullptr)), "(null)");
    EXPECT_EQ(F(W("%S"), static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(F(W("%.2s"), static_cast<const WCHAR*>(nullptr)), "(n");

    // Width, precision, left alignment; the 0 flag pads texts with zeros.
    EXPECT_EQ(F(W("[%6s]"), W("ab")), "[    ab]");
    EXPECT_EQ(F(W("[%-6s]"), W("ab")), "[ab    ]");
    EXPECT_EQ(F(W("[%05s]"), W("ab")), "[000ab]");
    EXPECT_EQ(F(W("[%.3s]"), W("abcdef")), "[abc]");
    EXPECT_EQ(F(W("[%.3S]"), "abcdef"), "[abc]");
    EXPECT_EQ(F(W("[%*.*s]"), 6, 2, W("abcdef")), "[    ab]");
    EXPECT_EQ(F(W("[%*s]"), -4, W("a")), "[a   ]");

    // The precision bounds what is read: the text need not be terminated.
    const WCHAR unterminated[] = {'x', 'y', 'z'};
    EXPECT_EQ(F(W("%.3s"), unterminated), "xyz");

    // Narrow bytes widen to the unit of the same value; wide units pass as they are.
    EXPECT_EQ(FormatWide(W("%S"), "caf\xE9"), WideString(W("caf\u00E9")));
    const WCHAR pair[] = {0xD83D, 0xDE00, 0};
    EXPECT_EQ(FormatWide(W("<%s>"), pair), WideString(W("<\U0001F600>")));
}

TEST(WideFormatter, Characters)
{
    EXPECT_EQ(FormatWide(W("%c"), 0x20AC), WideString(W("\u20AC")));
    EXPECT_EQ(F(W("%c%lc%wc"), 'a', 'b', 'c'), "abc");
    EXPECT_EQ(FormatWide(W("%C"), 0xE9), WideString(W("\u00E9")));
    EXPECT_EQ(FormatWide(W("%hc"), 0x1E9), WideString(W("\u00E9"))); // narrow: the low byte only
    EXPECT_EQ(F(W("[%3c|%-3c|%03c]"), 'z', 'z', 'z'), "[  z|z  |00z]");

    // A zero character is a unit of the text.
    WideString withZero = FormatWide(W("a%cb"), 0);
    ASSERT_EQ(withZero.size(), 3u);
    EXPECT_EQ(withZero[1], 0);
}

TEST(WideFormatter, Integers)
{
    EXPECT_EQ(F(W("%d %i %u"), -42, 7, 42u), "-42 7 42");
    EXPECT_EQ(F(W("%d %d"), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()),
              "-2147483648 2147483647");
    EXPECT_EQ(F(W("%u %x %X %o"), 0xFFFFFFFFu, 255, 255, 8), "4294967295 ff FF 10");
    EXPECT_EQ(F(W("%x"), -1), "ffffffff");

    // Flags, width and precision.
    EXPECT_EQ(F(W("[%5d|%-5d|%05d]"), 42, 42, 42), "[   42|42   |00042]");
    EXPECT_EQ(F(W("[%+d|%+d|% d|% +d]"), 5, -5, 5, 5), "[+5|-5| 5|+5]");
    EXPECT_EQ(F(W("[%+05d|%-+8.3d|%08.3d]"), 42, -7, 5), "[+0042|-007    |     005]");
    EXPECT_EQ(F(W("[%.0d|%.0x|%5.0d]"), 0, 0, 0), "[||     ]");
    EXPECT_EQ(F(W("[%#x|%#X|%#o|%#x|%#o]"), 255, 255, 8, 0, 0), "[0xff|0XFF|010|0|0]");
    EXPECT_EQ(F(W("[%#08x|%#.3o|%+u|%#u]"), 255, 8, 5u, 6u), "[0x0000ff|010|5|6]");
    EXPECT_EQ(F(W("[%.*d|%.*d]"), 4, 7, -2, 7), "[0007|7]");
}

TEST(WideFormatter, SizePrefixes)
{
    EXPECT_EQ(F(W("%hd %hu %hhd %hhu"), 70000, 70000, 300, 300), "4464 4464 44 44");
    EXPECT_EQ(F(W("%hd"), -1), "-1");
    // l is the Windows long: 32 bits on every target.
    EXPECT_EQ(F(W("%ld %lu %lx"), static_cast<LONG>(-3), static_cast<ULONG>(0xFFFFFFFFu), static_cast<LONG>(-1)),
              "-3 4294967295 ffffffff");
    EXPECT_EQ(F(W("%I64d %lld %I64u %llx"), static_cast<LONGLONG>(-5), std::numeric_limits<long long>::min(),
                std::numeric_limits<unsigned long long>::max(), 0x123456789ABCDEFull),
              "-5 -9223372036854775808 18446744073709551615 123456789abcdef");
    EXPECT_EQ(F(W("%I32d %I32u"), -9, 9u), "-9 9");
    // I, z, t: pointer-sized; j: 64 bits.
    EXPECT_EQ(F(W("%Iu %zu %td %Id %jd"), static_cast<size_t>(7), static_cast<size_t>(8), static_cast<ptrdiff_t>(-9),
                static_cast<ptrdiff_t>(-10), static_cast<long long>(11)),
              "7 8 -9 -10 11");
    // F, N and L are accepted and ignored.
    EXPECT_EQ(F(W("%Fs %Ns %Lf"), W("x"), W("y"), 1.5), "x y 1.500000");
    // The arguments after a 64-bit one are still read right.
    EXPECT_EQ(F(W("%I64d|%s|%d"), 1LL << 40, W("t"), 3), "1099511627776|t|3");
}

TEST(WideFormatter, PointersAndCounts)
{
    void* pointer = reinterpret_cast<void*>(static_cast<uintptr_t>(0x1234ABCD));
    std::string digits = sizeof(void*) == 8 ? "000000001234ABCD" : "1234ABCD";
    EXPECT_EQ(F(W("%p"), pointer), digits);
    EXPECT_EQ(F(W("%#p"), pointer), "0X" + digits);
    EXPECT_EQ(F(W("%p"), static_cast<void*>(nullptr)), std::string(2 * sizeof(void*), '0'));

    int count = -1;
    short shortCount = -1;
    long long longCount = -1;
    EXPECT_EQ(F(W("abc%n%s%hn%lln!"), &count, W("de"), &shortCount, &longCount), "abcde!");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(shortCount, 5);
    EXPECT_EQ(longCount, 5);
    // The count is that of the whole text, also beyond a small buffer.
    WCHAR small[2];
    EXPECT_EQ(WideFormat(small, 2, W("abcdef%n"), &count), 6u);
    EXPECT_EQ(count, 6);
}

TEST(WideFormatter, DoublesAreFormattedTheC99Way)
{
    EXPECT_EQ(F(W("%f|%e|%E"), 1.5, 1.5, 1.5), "1.500000|1.500000e+00|1.500000E+00");
    EXPECT_EQ(F(W("%.2f|%.0f|%.0f|%.0f"), 3.14159, 0.5, 1.5, 2.5), "3.14|0|2|2");
    EXPECT_EQ(F(W("%.3e|%e|%e"), 123456.0, 1e-300, 0.0), "1.235e+05|1.000000e-300|0.000000e+00");
    EXPECT_EQ(F(W("%g|%g|%g|%g|%g"), 0.0001, 0.00001, 123456.0, 1234567.0, 100.0),
              "0.0001|1e-05|123456|1.23457e+06|100");
    EXPECT_EQ(F(W("%G|%.3g|%.0g|%g|%g"), 1e-10, 3.14159, 7.0, 0.0, -2.5), "1E-10|3.14|7|0|-2.5");
    EXPECT_EQ(F(W("%#g|%#.0f|%#.0e|%#g"), 1.0, 1.0, 1.0, 1e20), "1.00000|1.|1.e+00|1.00000e+20");
    EXPECT_EQ(F(W("%a|%A|%.2a|%a|%#a"), 1.0, 255.5, 1.0 / 3, 0.0, 1.0), "0x1p+0|0X1.FFP+7|0x1.55p-2|0x0p+0|0x1.p+0");

    // Signs, width, zeros (after the sign).
    EXPECT_EQ(F(W("[%+f|% f|%010.3f|%-10.2f|%+.1e]"), 1.0, 1.0, -1.5, 2.25, 12.0),
              "[+1.000000| 1.000000|-00001.500|2.25      |+1.2e+01]");
    EXPECT_EQ(F(W("%f|%g"), -0.0, -0.0), "-0.000000|-0");

    // Infinities and NaN: C99 words, padded with blanks only.
    double inf = std::numeric_limits<double>::infinity();
    double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(F(W("%f|%f|%E|%+g|%05f|%G"), inf, -inf, inf, inf, inf, nan), "inf|-inf|INF|+inf|  inf|NAN");

    // Exact digits, however many are asked for.
    EXPECT_EQ(F(W("%.20f"), 0.1), "0.10000000000000000555");
    EXPECT_EQ(F(W("%.0f"), 1e22), "10000000000000000000000");
    std::string big = F(W("%f"), 1e300);
    EXPECT_EQ(big.size(), 301u + 7u);
    EXPECT_EQ(big.substr(0, 20), "10000000000000000525");
    std::string precise = F(W("%.1000f"), 1.0);
    EXPECT_EQ(precise.size(), 1002u);
    EXPECT_EQ(precise.find_first_not_of('0', 2), std::string::npos);
}

TEST(WideFormatter, PercentUnknownConversionsAndCutTemplates)
{
    EXPECT_EQ(F(W("100%% %d%%"), 5), "100% 5%");
    EXPECT_EQ(F(W("%y|%q%d"), 1), "y|q1");   // an unknown conversion is written as itself
    EXPECT_EQ(F(W("ab%")), "ab");            // a cut-off conversion writes nothing
    EXPECT_EQ(F(W("ab%-5")), "ab");
    EXPECT_EQ(F(W("plain text")), "plain text");
    EXPECT_EQ(WideFormat(nullptr, 0, nullptr), 0u);
}

TEST(WideFormatter, BufferRulesAreThoseOfVsnprintf)
{
    // Measuring.
    EXPECT_EQ(WideFormat(nullptr, 0, W("%s-%d"), W("abc"), 12345), 9u);
    WCHAR untouched[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(WideFormat(untouched, 0, W("%s"), W("abc")), 3u);
    EXPECT_EQ(untouched[0], 'x');

    // Cut to capacity - 1 units and terminated; the full length is returned.
    WCHAR buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(WideFormat(buffer, 4, W("%d"), 1234567), 7u);
    EXPECT_EQ(WideString(buffer), WideString(W("123")));
    EXPECT_EQ(WideFormat(buffer, 1, W("abc")), 3u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(WideFormat(buffer, 4, W("abc")), 3u);
    EXPECT_EQ(WideString(buffer), WideString(W("abc")));

    // A long argument comes through whole.
    WideString longText(20000, W('q'));
    WideString formatted = FormatWide(W("<%s>"), longText.c_str());
    EXPECT_EQ(formatted.size(), 20002u);
    EXPECT_EQ(formatted.substr(1, 20000), longText);
}
