// GUIDs as text: StringFromGUID2, CLSIDFromString and IIDFromString.
#include <gtest/gtest.h>

#include <cstring>

#include "pal/pal.h"
#include "support/TestSupport.h"

namespace {

const GUID kDictionaryIid = {0x42C642C1, 0x97E1, 0x11CF, {0x97, 0x8F, 0x00, 0xA0, 0x24, 0x63, 0xE0, 0x6F}};

} // namespace

TEST(GuidText, WrittenInUpperCaseWithBraces)
{
    WCHAR text[40];
    ASSERT_EQ(StringFromGUID2(kDictionaryIid, text, 40), 39);
    EXPECT_EQ(test::Utf16ToUtf8(text), "{42C642C1-97E1-11CF-978F-00A02463E06F}");
    EXPECT_EQ(StringFromGUID2(kDictionaryIid, text, 39), 39);
    EXPECT_EQ(StringFromGUID2(kDictionaryIid, text, 38), 0);

    ASSERT_EQ(StringFromGUID2(GUID_NULL, text, 40), 39);
    EXPECT_EQ(test::Utf16ToUtf8(text), "{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidText, ReadInEitherCase)
{
    CLSID clsid;
    ASSERT_EQ(CLSIDFromString(W("{42C642C1-97E1-11CF-978F-00A02463E06F}"), &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, kDictionaryIid));
    ASSERT_EQ(CLSIDFromString(W("{42c642c1-97e1-11cf-978f-00a02463e06f}"), &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, kDictionaryIid));
    IID iid;
    ASSERT_EQ(IIDFromString(W("{42c642c1-97E1-11cf-978F-00a02463e06f}"), &iid), S_OK);
    EXPECT_TRUE(IsEqualGUID(iid, kDictionaryIid));

    // A null text is GUID_NULL.
    std::memset(&clsid, 0xAB, sizeof(clsid));
    ASSERT_EQ(CLSIDFromString(nullptr, &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, GUID_NULL));
}

TEST(GuidText, RoundTrip)
{
    const GUID guids[] = {{0x01234567, 0x89AB, 0xCDEF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}},
                          {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
                          {0x00000001, 0x0002, 0x0003, {0, 1, 2, 3, 4, 5, 6, 7}}};
    for (const GUID& guid : guids) {
        WCHAR text[39];
        ASSERT_EQ(StringFromGUID2(guid, text, 39), 39);
        CLSID back;
        ASSERT_EQ(CLSIDFromString(text, &back), S_OK) << test::Utf16ToUtf8(text);
        EXPECT_TRUE(IsEqualGUID(back, guid)) << test::Utf16ToUtf8(text);
    }
}

TEST(GuidText, BadTextIsRefused)
{
    const WCHAR* bad[] = {W(""),
                          W("42C642C1-97E1-11CF-978F-00A02463E06F"),
                          W("{42C642C1-97E1-11CF-978F-00A02463E06F"),
                          W("{42C642C1-97E1-11CF-978F-00A02463E06G}"),
                          W("{42C642C1-97E1-11CF-978F-00A02463E06F}x"),
                          W("{42C642C197E1-11CF-978F-00A02463E06F}"),
                          W("{ 2C642C1-97E1-11CF-978F-00A02463E06F}"),
                          W("{+2C642C1-97E1-11CF-978F-00A02463E06F}")};
    for (const WCHAR* text : bad) {
        CLSID clsid;
        EXPECT_EQ(CLSIDFromString(text, &clsid), CO_E_CLASSSTRING) << test::Utf16ToUtf8(text);
        IID iid;
        EXPECT_TRUE(FAILED(IIDFromString(text, &iid))) << test::Utf16ToUtf8(text);
    }
}
