// The computer name and its buffer rules. Windows keeps at most 15 upper-case
// characters; the POSIX layer gives the host name up to its first dot, cut to
// 15 characters, so the tests check the shape, not the text.
#include <gtest/gtest.h>

#include "pal/pal.h"

TEST(ComputerName, FillsTheBufferAndGivesTheLength)
{
    WCHAR name[256];
    DWORD size = 256;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    EXPECT_GT(size, 0u);
    EXPECT_LE(size, static_cast<DWORD>(MAX_COMPUTERNAME_LENGTH)); // fits the logger's 16-unit buffer
    EXPECT_EQ(size, PAL_wcslen(name));
    EXPECT_EQ(PAL_wcschr(name, '.'), nullptr);

    // Exactly the length plus the terminator is enough.
    WCHAR exact[256];
    DWORD exactSize = size + 1;
    ASSERT_TRUE(GetComputerNameW(exact, &exactSize));
    EXPECT_EQ(exactSize, size);
    EXPECT_EQ(WideString(exact), WideString(name));
}

TEST(ComputerName, TooSmallABufferGivesTheSizeNeeded)
{
    WCHAR name[256];
    DWORD length = 256;
    ASSERT_TRUE(GetComputerNameW(name, &length));

    DWORD size = length; // no room for the terminator
    SetLastError(0);
    EXPECT_FALSE(GetComputerNameW(name, &size));
    EXPECT_EQ(GetLastError(), 111u); // ERROR_BUFFER_OVERFLOW
    EXPECT_EQ(size, length + 1);

    size = 0;
    EXPECT_FALSE(GetComputerNameW(nullptr, &size));
    EXPECT_EQ(GetLastError(), 111u);
    EXPECT_EQ(size, length + 1);
}
