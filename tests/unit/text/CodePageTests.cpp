// Code-page conversions and CStrEncCnv: round trips, unmappable characters,
// counts, byte lengths and positions.
#include <gtest/gtest.h>

#include <cstring>

#include "support/TestSupport.h"
#include "text/CodePageText.h"
#include "text/StrEncCnv.h"

namespace {

const UINT kWestern = 1252;

} // namespace

TEST(CodePageText, RoundTripsThroughACodePage)
{
    std::unique_ptr<char[]> narrow;
    EXPECT_EQ(WideToCodePage(W("caf\u00E9 \u20AC"), kWestern, narrow), 7);
    ASSERT_TRUE(narrow);
    EXPECT_STREQ(narrow.get(), "caf\xE9 \x80");

    std::unique_ptr<WCHAR[]> wide;
    EXPECT_EQ(CodePageToWide(narrow.get(), kWestern, wide), 7);
    ASSERT_TRUE(wide);
    EXPECT_EQ(WideString(wide.get()), WideString(W("caf\u00E9 \u20AC")));

    // A character the code page lacks becomes '?'.
    EXPECT_EQ(WideToCodePage(W("a\u0416b"), kWestern, narrow), 4);
    EXPECT_STREQ(narrow.get(), "a?b");

    // UTF-8 as a code page, with a character outside the BMP.
    const WCHAR smile[] = {'<', 0xD83D, 0xDE00, '>', 0};
    EXPECT_EQ(WideToCodePage(smile, CP_UTF8, narrow), 7);
    EXPECT_STREQ(narrow.get(), "<\xF0\x9F\x98\x80>");
    EXPECT_EQ(CodePageToWide(narrow.get(), CP_UTF8, wide), 5);
    EXPECT_EQ(WideString(wide.get()), WideString(smile));

    EXPECT_EQ(WideToCodePage(W(""), kWestern, narrow), 1);
    EXPECT_STREQ(narrow.get(), "");
}

TEST(CodePageText, FailuresGiveMinusOneAndNoBuffer)
{
    std::unique_ptr<char[]> narrow(new char[1]);
    EXPECT_EQ(WideToCodePage(nullptr, kWestern, narrow), -1);
    EXPECT_FALSE(narrow);
    std::unique_ptr<WCHAR[]> wide(new WCHAR[1]);
    EXPECT_EQ(CodePageToWide(nullptr, kWestern, wide), -1);
    EXPECT_FALSE(wide);
    EXPECT_EQ(CodePageToWide("abc", 12345, wide), -1); // no such code page
    EXPECT_FALSE(wide);
}

TEST(StrEncCnv, DerivesTheOtherFormsOnDemand)
{
    CStrEncCnv text(W("a\u00E9\u20AC"), kWestern);
    EXPECT_EQ(text.CodePage(), kWestern);
    EXPECT_STREQ(text.GetUtf8(), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_STREQ(text.GetNarrow(), "a\xE9\x80");
    EXPECT_EQ(text.WideCharCount(), 3u);
    EXPECT_EQ(text.Utf8CharCount(), 3u);
    EXPECT_EQ(text.NarrowCharCount(), 3u);
    EXPECT_EQ(text.WideByteLength(), 6u);
    EXPECT_EQ(text.WideByteLength(true), 8u);
    EXPECT_EQ(text.Utf8ByteLength(), 6u);
    EXPECT_EQ(text.Utf8ByteLength(true), 7u);
    EXPECT_EQ(text.NarrowByteLength(true), 4u);

    CStrEncCnv fromNarrow("caf\xE9", kWestern);
    EXPECT_STREQ(fromNarrow.GetUtf8(), "caf\xC3\xA9");
    EXPECT_EQ(WideString(fromNarrow.GetWide()), WideString(W("caf\u00E9")));

    CStrEncCnv fromUtf8(kWestern);
    EXPECT_TRUE(fromUtf8.SetUtf8("\xE2\x82\xAC\xD0\x96"));
    EXPECT_EQ(fromUtf8.Utf8CharCount(), 2u);
    EXPECT_STREQ(fromUtf8.GetNarrow(), "\x80?");
    EXPECT_TRUE(fromUtf8.SetUtf8("\xF0\x9F\x98\x80"));
    EXPECT_EQ(fromUtf8.Utf8CharCount(), 1u);
    EXPECT_EQ(fromUtf8.WideCharCount(), 2u); // units: the pair counts twice

    // Setting a form discards the others.
    EXPECT_TRUE(text.SetWide(W("new")));
    EXPECT_STREQ(text.GetUtf8(), "new");
    EXPECT_STREQ(text.GetNarrow(), "new");
}

TEST(StrEncCnv, ExplicitConversions)
{
    CStrEncCnv text(kWestern);
    EXPECT_FALSE(text.FromUtf8());
    EXPECT_FALSE(text.FromCodePage());
    EXPECT_FALSE(text.ToUtf8FromWide());
    EXPECT_FALSE(text.ToUtf8FromCodePage());
    EXPECT_FALSE(text.ToCodePageFromUtf8());
    EXPECT_FALSE(text.ToCodePageFromWide());
    EXPECT_EQ(text.GetWide(), nullptr);
    EXPECT_EQ(text.Utf8ByteLength(true), 0u);

    EXPECT_TRUE(text.SetNarrow("\xE9t\xE9"));
    EXPECT_TRUE(text.ToUtf8FromCodePage());
    EXPECT_STREQ(text.GetUtf8(), "\xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(text.FromCodePage());
    EXPECT_EQ(WideString(text.GetWide()), WideString(W("\u00E9t\u00E9")));

    EXPECT_TRUE(text.SetUtf8("\xC3\xA9"));
    EXPECT_TRUE(text.ToCodePageFromUtf8());
    EXPECT_STREQ(text.GetNarrow(), "\xE9");
    EXPECT_TRUE(text.FromUtf8());
    EXPECT_TRUE(text.ToUtf8FromWide());
    EXPECT_TRUE(text.ToCodePageFromWide());

    // Invalid UTF-8: nothing is derived from it.
    EXPECT_TRUE(text.SetUtf8("ab\xC3"));
    EXPECT_FALSE(text.FromUtf8());
    EXPECT_EQ(text.GetWide(), nullptr);
    EXPECT_EQ(text.GetNarrow(), nullptr);
    EXPECT_EQ(text.Utf8CharCount(), 0u);
    EXPECT_EQ(text.Utf8ByteLength(), 3u);
}

TEST(StrEncCnv, Utf8CountsTakeTheLeadByteLengths)
{
    CStrEncCnv text;
    EXPECT_TRUE(text.SetUtf8("\xF8\x88\x80\x80\x80" "a\xFC\x84\x80\x80\x80\x80"));
    EXPECT_EQ(text.Utf8CharCount(), 3u);
    EXPECT_TRUE(text.SetUtf8("a\x80"));
    EXPECT_EQ(text.Utf8CharCount(), 0u);
    EXPECT_TRUE(text.SetUtf8("\xE2\x82"));
    EXPECT_EQ(text.Utf8CharCount(), 0u);
}

TEST(StrEncCnv, MapsByteOffsetsToCharacters)
{
    CStrEncCnv text(W("a\u00E9\u20AC"), kWestern);
    CStrEncCnv::CharPosition at{};
    ASSERT_TRUE(text.Utf8Position(0, at));
    EXPECT_EQ(at.index, 0u);
    EXPECT_EQ(at.size, 1u);
    EXPECT_EQ(at.offset, 0u);
    ASSERT_TRUE(text.Utf8Position(2, at));
    EXPECT_EQ(at.index, 1u);
    EXPECT_EQ(at.size, 2u);
    EXPECT_EQ(at.offset, 1u);
    ASSERT_TRUE(text.Utf8Position(5, at));
    EXPECT_EQ(at.index, 2u);
    EXPECT_EQ(at.size, 3u);
    EXPECT_EQ(at.offset, 2u);
    EXPECT_FALSE(text.Utf8Position(6, at));
    EXPECT_FALSE(text.Utf8Position(-1, at));

    ASSERT_TRUE(text.WidePosition(3, at));
    EXPECT_EQ(at.index, 1u);
    EXPECT_EQ(at.size, 2u);
    EXPECT_EQ(at.offset, 1u);
    EXPECT_FALSE(text.WidePosition(6, at));

    ASSERT_TRUE(text.NarrowPosition(2, at));
    EXPECT_EQ(at.index, 2u);
    EXPECT_EQ(at.size, 1u);
    EXPECT_FALSE(text.NarrowPosition(3, at));

    CStrEncCnv broken;
    EXPECT_TRUE(broken.SetUtf8("a\xFF" "b"));
    EXPECT_FALSE(broken.Utf8Position(2, at));
    EXPECT_TRUE(broken.Utf8Position(0, at));
}

TEST(StrEncCnv, DoubleByteCodePages)
{
    const UINT kJapanese = 932;
    CStrEncCnv text("a\x82\xA0" "b", kJapanese); // "a", HIRAGANA A, "b"
    EXPECT_EQ(text.NarrowCharCount(), 3u);
    EXPECT_EQ(text.NarrowByteLength(), 4u);
    CStrEncCnv::CharPosition at{};
    ASSERT_TRUE(text.NarrowPosition(2, at));
    EXPECT_EQ(at.index, 1u);
    EXPECT_EQ(at.size, 2u);
    EXPECT_EQ(at.offset, 1u);
    ASSERT_TRUE(text.NarrowPosition(3, at));
    EXPECT_EQ(at.index, 2u);
    EXPECT_EQ(WideString(text.GetWide()), WideString(W("a\u3042b")));
}
