// GUIDs written as text and made at compile time.
#include <gtest/gtest.h>

#include <cstring>

#include "text/GuidLiteral.h"

TEST(GuidLiteral, TheTextGivesTheSameGuidAsItsFields)
{
    constexpr GUID made = GuidFromText("322D175C-53D1-485B-BAF6-69bc95e033fc");
    const GUID fields = {0x322D175C, 0x53D1, 0x485B, {0xBA, 0xF6, 0x69, 0xBC, 0x95, 0xE0, 0x33, 0xFC}};
    EXPECT_EQ(0, std::memcmp(&made, &fields, sizeof(GUID)));
    // Made while compiling: usable where a constant is needed.
    static_assert(GuidFromText("00000000-0000-0000-0000-0000000000FF").Data4[7] == 0xFF, "not a constant");
}
