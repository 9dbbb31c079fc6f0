// The one UTF-8 converter's two decoding rules on the same bytes: the tolerant
// rule of the project's own files keeps the older surrogate and overlong
// forms; the Windows rule of code page 65001 replaces them. Both replace what
// is no UTF-8 at all with U+FFFD and say so.
#include <gtest/gtest.h>

#include <string>

#include "pal/utf8.h"

namespace {

WideString DecodeWith(PalUtf8Rule rule, const std::string& bytes, bool& clean)
{
    WideString text(PalDecodeUtf8(bytes.data(), bytes.size(), nullptr, rule, &clean), WCHAR(0));
    if (!text.empty())
        PalDecodeUtf8(bytes.data(), bytes.size(), &text[0], rule, nullptr);
    return text;
}

} // namespace

TEST(Utf8Rules, OlderFormsAreKeptOnlyByTheTolerantRule)
{
    struct Case {
        std::string bytes;
        WideString tolerant;
        bool tolerantClean;
        WideString windows;
    } cases[] = {
        {"\xED\xA0\xBD\xED\xB8\x80", {0xD83D, 0xDE00}, true, {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},
        {"\xC0\x80" "A", {0, 'A'}, true, {0xFFFD, 0xFFFD, 'A'}},
        {"\xF0\x9F\x98\x80", {0xD83D, 0xDE00}, true, {0xD83D, 0xDE00}},
        {"\xE2\x82" "A\x80", {0xFFFD, 'A', 0xFFFD}, false, {0xFFFD, 'A', 0xFFFD}},
        {std::string("a\0b", 3), {'a', 0, 'b'}, true, {'a', 0, 'b'}},
    };
    for (const Case& c : cases) {
        bool clean = false;
        EXPECT_EQ(DecodeWith(PalUtf8Rule::Tolerant, c.bytes, clean), c.tolerant) << c.bytes;
        EXPECT_EQ(clean, c.tolerantClean) << c.bytes;
        EXPECT_EQ(DecodeWith(PalUtf8Rule::Windows, c.bytes, clean), c.windows) << c.bytes;
        EXPECT_EQ(clean, c.windows == c.tolerant && c.tolerantClean) << c.bytes;
    }
    // The string forms decode with the tolerant rule and keep what they can.
    EXPECT_EQ(PalFromUtf8(std::string("x\xFFy")), WideString({'x', 0xFFFD, 'y'}));
    EXPECT_EQ(PalToUtf8(WideString({'a', 0xD800, 0xD83D, 0xDE00})), "a\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

// The length of one sequence agrees with the decoder: a prefix of n bytes is a
// valid sequence exactly when it decodes clean to one character (a unit, or
// a pair from 4 bytes), for every lead byte and second bytes on both sides of
// each range's limits, under both rules.
TEST(Utf8Rules, SequenceLengthAgreesWithTheDecoder)
{
    const unsigned char seconds[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
    const unsigned char laters[] = {0x41, 0x80, 0xBF, 0xC0};
    for (PalUtf8Rule rule : {PalUtf8Rule::Tolerant, PalUtf8Rule::Windows}) {
        for (int lead = 0; lead < 256; ++lead) {
            for (unsigned char second : seconds) {
                for (unsigned char later : laters) {
                    const unsigned char bytes[4] = {static_cast<unsigned char>(lead), second, later, later};
                    size_t length = PalUtf8SequenceLength(bytes, sizeof bytes, rule);
                    size_t expected = 0;
                    for (size_t n = 1; n <= 4 && expected == 0; ++n) {
                        bool clean = false;
                        WideString text = DecodeWith(rule, std::string(reinterpret_cast<const char*>(bytes), n), clean);
                        if (clean && (text.size() == 1 || (n == 4 && text.size() == 2)))
                            expected = n;
                    }
                    EXPECT_EQ(length, expected) << "lead " << lead << " second " << int(second) << " then "
                                                << int(later);
                    if (length > 1) {
                        EXPECT_EQ(PalUtf8SequenceLength(bytes, length - 1, rule), 0u) << "cut short, lead " << lead;
                    }
                }
            }
        }
    }
}
