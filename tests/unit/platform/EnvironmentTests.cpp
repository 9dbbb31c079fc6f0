// Environment variables as both platforms keep them.
#include <gtest/gtest.h>

#include "pal/pal.h"

TEST(Environment, SetReadAndRemove)
{
    const WCHAR* name = W("ANNALIST_TEST_VARIABLE");
    ASSERT_TRUE(SetEnvironmentVariableW(name, W("value \x00e9")));
    WCHAR buffer[32];
    EXPECT_EQ(GetEnvironmentVariableW(name, buffer, 32), 7u);
    EXPECT_EQ(WideString(buffer), WideString(W("value \x00e9")));
    // Too small a buffer: the size needed, terminator included.
    EXPECT_EQ(GetEnvironmentVariableW(name, buffer, 3), 8u);

    ASSERT_TRUE(SetEnvironmentVariableW(name, nullptr));
    EXPECT_EQ(GetEnvironmentVariableW(name, buffer, 32), 0u);
}
