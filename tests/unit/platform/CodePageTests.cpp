// Code-page conversions, checked against the platform in both builds.
#include <gtest/gtest.h>

#include <string>

#include "pal/pal.h"

namespace {

// Wide -> narrow into a large buffer; the bytes, or "<fail N>" with the error.
std::string ToNarrow(UINT codePage, const WideString& text, int count = -2, DWORD flags = 0,
                     const char* defaultChar = nullptr, BOOL* usedDefault = nullptr)
{
    char buffer[256];
    int length = count == -2 ? static_cast<int>(text.size()) : count;
    SetLastError(0);
    int result = WideCharToMultiByte(codePage, flags, text.c_str(), length, buffer, sizeof(buffer), defaultChar,
                                     usedDefault);
    if (result == 0)
        return "<fail " + std::to_string(GetLastError()) + ">";
    return std::string(buffer, static_cast<size_t>(result));
}

// Narrow -> wide; an empty result is marked with the error.
WideString ToWide(UINT codePage, const std::string& bytes, DWORD flags = 0, DWORD* error = nullptr)
{
    WCHAR buffer[256];
    SetLastError(0);
    int result = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), buffer, 256);
    if (error)
        *error = result == 0 ? GetLastError() : 0;
    return WideString(buffer, static_cast<size_t>(result));
}

const WideString kMixed = {'a', 0x00E9, 0x4E00, 0xD83D, 0xDE00, 'z'};

} // namespace

TEST(CodePage, Utf8FromWide)
{
    EXPECT_EQ(ToNarrow(CP_UTF8, kMixed), "a\xC3\xA9\xE4\xB8\x80\xF0\x9F\x98\x80z");
    // A lone surrogate becomes U+FFFD, or fails when invalid input must fail.
    const WideString lone = {'a', 0xD800, 'b'};
    EXPECT_EQ(ToNarrow(CP_UTF8, lone), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(ToNarrow(CP_UTF8, lone, -2, WC_ERR_INVALID_CHARS), "<fail 1113>");
}

TEST(CodePage, Utf8ToWide)
{
    const WideString expected = {'a', 0x00E9, 0x4E00, 0xD83D, 0xDE00};
    EXPECT_EQ(ToWide(CP_UTF8, "a\xC3\xA9\xE4\xB8\x80\xF0\x9F\x98\x80"), expected);

    // Invalid input: U+FFFD for the lead byte, together with a continuation
    // byte that is outside the lead byte's range, or for a cut sequence.
    const WideString cut = {0xFFFD, 'A'};
    EXPECT_EQ(ToWide(CP_UTF8, "\xE2\x82" "A"), cut);
    const WideString stray = {0xFFFD, 0xFFFD, 'A'};
    EXPECT_EQ(ToWide(CP_UTF8, "\x80\x80" "A"), stray);
    EXPECT_EQ(ToWide(CP_UTF8, "\xED\xA0\x80" "A"), stray); // encoded surrogate
    const WideString overlong = {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 'A'};
    EXPECT_EQ(ToWide(CP_UTF8, "\xC0\x80\xE0\x80\x80" "A"), overlong);
    const WideString tooHigh = {0xFFFD, 0xFFFD, 0xFFFD, 'A'};
    EXPECT_EQ(ToWide(CP_UTF8, "\xF4\x90\x80\x80" "A"), tooHigh);
    const WideString endsInside = {'A', 0xFFFD};
    EXPECT_EQ(ToWide(CP_UTF8, "A\xF0\x9F\x98"), endsInside);

    DWORD error = 0;
    EXPECT_EQ(ToWide(CP_UTF8, "\xE2\x82" "A", MB_ERR_INVALID_CHARS, &error), WideString());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodePage, SizesTerminatorsAndBuffers)
{
    // -1: a zero-terminated text, the terminator counted and written.
    const WCHAR* text = W("a\x00e9");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), 4);
    char narrow[8] = "xxxxxxx";
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, 8, nullptr, nullptr), 4);
    EXPECT_EQ(std::string(narrow, 5), std::string("a\xC3\xA9\0x", 5));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, 0, narrow, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3\xA9", -1, nullptr, 0), 3);
    WCHAR wide[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3\xA9", -1, wide, 4), 3);
    EXPECT_EQ(WideString(wide), W("a\x00e9"));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3\xA9", -1, wide, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CodePage, UnknownCodePagesAreRefused)
{
    EXPECT_EQ(ToNarrow(12345, W("a")), "<fail 87>");
    DWORD error = 0;
    EXPECT_EQ(ToWide(12345, "a", 0, &error), WideString());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_FALSE(IsDBCSLeadByteEx(12345, 0x81));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CodePage, ProcessCodePageIsWhatCpAcpUses)
{
    UINT acp = GetACP();
    ASSERT_NE(acp, 0u);
    const WideString text = {'a', 0x00E9, 'b'};
    EXPECT_EQ(ToNarrow(CP_ACP, text), ToNarrow(acp, text));
    EXPECT_EQ(ToWide(CP_ACP, ToNarrow(CP_ACP, text)), text);
    EXPECT_EQ(ToNarrow(CP_THREAD_ACP, text), ToNarrow(acp, text));
}

TEST(CodePage, Windows1252)
{
    BOOL used = TRUE;
    EXPECT_EQ(ToNarrow(1252, W("a\x00e9\x20ac"), -2, 0, nullptr, &used), "a\xE9\x80");
    EXPECT_FALSE(used);
    // Characters the code page lacks (each unit of a pair, a lone surrogate).
    EXPECT_EQ(ToNarrow(1252, kMixed, -2, 0, nullptr, &used), "a\xE9???z");
    EXPECT_TRUE(used);
    EXPECT_EQ(ToNarrow(1252, WideString{'a', 0xD800}, -2, 0, "#", &used), "a#");
    EXPECT_TRUE(used);

    const WideString expected = {'a', 0x00E9, 0x20AC, 0x0081, 0x00FF};
    EXPECT_EQ(ToWide(1252, "a\xE9\x80\x81\xFF"), expected);
    DWORD error = 1;
    EXPECT_EQ(ToWide(1252, "a\x81", MB_ERR_INVALID_CHARS, &error), (WideString{'a', 0x0081}));
    EXPECT_EQ(error, 0u);
}

TEST(CodePage, Windows1255)
{
    const WideString hebrew = {0x05D0, 0x05EA, 'a', 0x20AC};
    EXPECT_EQ(ToNarrow(1255, hebrew), "\xE0\xFA" "a\x80");
    EXPECT_EQ(ToWide(1255, "\xE0\xFA" "a\x80"), hebrew);
    DWORD error = 0;
    EXPECT_EQ(ToWide(1255, "\xE0\xFF", MB_ERR_INVALID_CHARS, &error), WideString());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodePage, Japanese932)
{
    const WideString japanese = {0x3042, 'a', 0xFF71, 0x4E00};
    BOOL used = TRUE;
    EXPECT_EQ(ToNarrow(932, japanese, -2, 0, nullptr, &used), "\x82\xA0" "a\xB1\x88\xEA");
    EXPECT_FALSE(used);
    EXPECT_EQ(ToNarrow(932, WideString{0x05D0}, -2, 0, nullptr, &used), "?");
    EXPECT_TRUE(used);
    EXPECT_EQ(ToWide(932, "\x82\xA0" "a\xB1\x88\xEA"), japanese);

    // A lead byte at the end, or with a byte that cannot follow it, gives the
    // code page's default character.
    EXPECT_EQ(ToWide(932, "a\x82"), (WideString{'a', 0x30FB}));
    EXPECT_EQ(ToWide(932, "\x82\x20" "b"), (WideString{0x30FB, 'b'}));
    DWORD error = 0;
    EXPECT_EQ(ToWide(932, "a\x82", MB_ERR_INVALID_CHARS, &error), WideString());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodePage, LeadBytes)
{
    EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x81));
    EXPECT_TRUE(IsDBCSLeadByteEx(932, 0xFC));
    EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xA0));
    EXPECT_FALSE(IsDBCSLeadByteEx(932, 'a'));
    EXPECT_TRUE(IsDBCSLeadByteEx(936, 0xFE));
    EXPECT_FALSE(IsDBCSLeadByteEx(936, 0x80));
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x81));
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0xE4));
}
