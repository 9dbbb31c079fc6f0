// BSTR layout and lengths, checked against the platform in both builds.
#include <gtest/gtest.h>

#include <cstring>

#include "pal/pal.h"

TEST(Bstr, KeepsByteCountBeforeTextAndZeroAfter)
{
    BSTR s = SysAllocString(W("abc"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(SysStringByteLen(s), 6u);
    DWORD prefix;
    std::memcpy(&prefix, reinterpret_cast<BYTE*>(s) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    EXPECT_EQ(s[3], 0);
    SysFreeString(s);
}

TEST(Bstr, NullAndEmptyTexts)
{
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);

    BSTR empty = SysAllocStringLen(nullptr, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(empty[0], 0);
    SysFreeString(empty);
}

TEST(Bstr, LengthMayHoldZeroUnits)
{
    const OLECHAR text[] = {'a', 0, 'b'};
    BSTR s = SysAllocStringLen(text, 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(s[2], 'b');
    EXPECT_EQ(s[3], 0);
    SysFreeString(s);
}

TEST(Bstr, OddByteLengthStaysTerminated)
{
    BSTR s = SysAllocStringByteLen("abc", 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringByteLen(s), 3u);
    EXPECT_EQ(SysStringLen(s), 1u);
    const char* bytes = reinterpret_cast<const char*>(s);
    EXPECT_EQ(std::memcmp(bytes, "abc\0\0", 5), 0);
    SysFreeString(s);
}

TEST(Bstr, ReallocationReplacesTheText)
{
    BSTR s = SysAllocString(W("hello world"));
    ASSERT_TRUE(SysReAllocStringLen(&s, W("world!"), 5));
    EXPECT_EQ(WideString(s, SysStringLen(s)), WideString(W("world")));
    ASSERT_TRUE(SysReAllocString(&s, W("x")));
    EXPECT_EQ(SysStringLen(s), 1u);
    SysFreeString(s);
}

TEST(Bstr, HugeLengthsFailInsteadOfOverflowing)
{
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
    EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFFu), nullptr);
}
