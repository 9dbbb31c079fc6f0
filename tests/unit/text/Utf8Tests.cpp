// UTF-16 <-> UTF-8: byte vectors, surrogates, the buffer-size rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/TestSupport.h"
#include "text/Utf8.h"

namespace {

// The bytes of the encoding, without the terminating zero.
std::string Encode(const WideString& text)
{
    size_t needed = WideToUtf8(text.c_str(), nullptr, 0);
    EXPECT_GT(needed, 0u);
    std::string bytes(needed, '#');
    EXPECT_EQ(WideToUtf8(text.c_str(), &bytes[0], needed), needed);
    EXPECT_EQ(bytes.back(), '\0');
    bytes.pop_back();
    return bytes;
}

// The decoded units including zero units inside; "<invalid>" when refused.
WideString Decode(const std::string& bytes)
{
    size_t needed = Utf8ToWide(bytes.c_str(), nullptr, 0);
    if (needed == 0)
        return W("<invalid>");
    WideString text(needed, W('#'));
    EXPECT_EQ(Utf8ToWide(bytes.c_str(), &text[0], needed), needed);
    EXPECT_EQ(text.back(), 0);
    text.pop_back();
    return text;
}

WideString Units(std::initializer_list<WCHAR> units) { return WideString(units); }

} // namespace

TEST(Utf8, EncodesWithTheBufferRules)
{
    EXPECT_EQ(WideToUtf8(W("abc"), nullptr, 0), 4u);
    char exact[4];
    EXPECT_EQ(WideToUtf8(W("abc"), exact, 4), 4u);
    EXPECT_EQ(std::memcmp(exact, "abc\0", 4), 0);
    char small[3] = {'x', 'x', 'x'};
    EXPECT_EQ(WideToUtf8(W("abc"), small, 3), 0u);
    EXPECT_EQ(std::memcmp(small, "xxx", 3), 0);

    EXPECT_EQ(WideToUtf8(nullptr, exact, 4), 0u);
    EXPECT_EQ(WideToUtf8(W(""), nullptr, 0), 1u);
    WCHAR shared[8] = {'a', 0};
    EXPECT_EQ(WideToUtf8(shared, reinterpret_cast<char*>(shared), sizeof shared), 0u);
}

TEST(Utf8, EncodesEveryLength)
{
    EXPECT_EQ(Encode(W("A\u00E9\u20AC\uFFFF")), "A\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBF");
    EXPECT_EQ(Encode(W("\u007F\u0080\u07FF\u0800")), "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80");
    // A surrogate pair is one 4-byte sequence.
    EXPECT_EQ(Encode(Units({0xD83D, 0xDE00})), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Encode(Units({0xDBFF, 0xDFFF, 'x'})), "\xF4\x8F\xBF\xBF" "x");
    // A surrogate that is not part of a pair becomes U+FFFD.
    EXPECT_EQ(Encode(Units({0xD83D, 'a'})), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(Encode(Units({0xDE00, 0xD83D})), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Encode(Units({'a', 0xD83D})), "a\xEF\xBF\xBD");
}

TEST(Utf8, DecodesEveryLengthAndOlderSurrogateForms)
{
    EXPECT_EQ(Decode("A\xC3\xA9\xE2\x82\xAC"), WideString(W("A\u00E9\u20AC")));
    EXPECT_EQ(Decode("\xF0\x9F\x98\x80"), Units({0xD83D, 0xDE00}));
    EXPECT_EQ(Decode("\xF4\x8F\xBF\xBF"), Units({0xDBFF, 0xDFFF}));
    // Older files hold each surrogate as its own 3-byte sequence.
    EXPECT_EQ(Decode("\xED\xA0\xBD\xED\xB8\x80"), Units({0xD83D, 0xDE00}));
    // Overlong forms decode to the unit they spell (C0 80 is a zero unit inside the text).
    EXPECT_EQ(Decode("a\xC0\x80" "b"), Units({'a', 0, 'b'}));
    EXPECT_EQ(Decode("\xE0\x81\x81"), WideString(W("A")));
    EXPECT_EQ(Decode(""), WideString());

    // Round trip of a mixed text.
    WideString mixed = Units({'x', 0xE9, 0x4E2D, 0xD83D, 0xDE00, 0xFFFD, 'y'});
    EXPECT_EQ(Decode(Encode(mixed)), mixed);
}

TEST(Utf8, RefusesWhatIsNotUtf8)
{
    EXPECT_EQ(Decode("\xC3"), W("<invalid>"));           // text ends inside a sequence
    EXPECT_EQ(Decode("\xE2\x82"), W("<invalid>"));
    EXPECT_EQ(Decode("\xF0\x9F\x98"), W("<invalid>"));
    EXPECT_EQ(Decode("a\x80" "b"), W("<invalid>"));      // a stray continuation byte
    EXPECT_EQ(Decode("\xC3" "A"), W("<invalid>"));       // a wrong continuation byte
    EXPECT_EQ(Decode("\xF5\x80\x80\x80"), W("<invalid>")); // beyond U+10FFFF
    EXPECT_EQ(Decode("\xF4\x90\x80\x80"), W("<invalid>"));
    EXPECT_EQ(Decode("\xFF"), W("<invalid>"));
}

TEST(Utf8, DecodesWithTheBufferRules)
{
    EXPECT_EQ(Utf8ToWide("ab\xC3\xA9", nullptr, 0), 4u);
    WCHAR small[3] = {'x', 'x', 'x'};
    EXPECT_EQ(Utf8ToWide("ab\xC3\xA9", small, 3), 0u);
    EXPECT_EQ(small[0], 'x');
    WCHAR exact[4];
    EXPECT_EQ(Utf8ToWide("ab\xC3\xA9", exact, 4), 4u);
    EXPECT_EQ(WideString(exact), WideString(W("ab\u00E9")));

    EXPECT_EQ(Utf8ToWide(nullptr, exact, 4), 0u);
    char shared[8] = "ab";
    EXPECT_EQ(Utf8ToWide(shared, reinterpret_cast<WCHAR*>(shared), 4), 0u);
    EXPECT_EQ(Utf8ToWide("\x80", exact, 4), 0u);
}
