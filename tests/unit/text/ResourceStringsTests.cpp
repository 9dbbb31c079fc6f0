// The library's string table as CBstrString, CStringLoader and the
// operating-system names see it; under Wine the table is the one windres
// built and LoadStringW / FindResourceExW are the real ones.
#include <gtest/gtest.h>

#include <vector>

#include "support/TestSupport.h"
#include "text/BstrString.h"
#include "text/ResourceStrings.h"
#include "text/StringLoader.h"

namespace {

struct TableEntry {
    UINT id;
    const WCHAR* text;
};

const std::vector<TableEntry>& SourceTable()
{
    static const std::vector<TableEntry> table = {
#define STR(id, text) {id, W(text)},
#include "resources/strings.h"
#undef STR
    };
    return table;
}

const LANGID kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::string Text(const CBstrString& s) { return test::Utf16ToUtf8(WideString(s.c_str(), s.Length())); }

} // namespace

TEST(ResourceStrings, EveryStringLoadsAsWritten)
{
    ASSERT_EQ(SourceTable().size(), 37u);
    for (const TableEntry& entry : SourceTable()) {
        SCOPED_TRACE(entry.id);
        EXPECT_TRUE(LoadResourceString(entry.id) == entry.text);
        CStringLoader exact(entry.id, kEnglishUs, nullptr);
        EXPECT_EQ(WideString(exact.Text()), WideString(entry.text));
        CStringLoader byUser;
        EXPECT_TRUE(byUser.LoadByUser(entry.id, GetResourceModule()));
        EXPECT_EQ(WideString(byUser.Text()), WideString(entry.text));
    }
}

TEST(ResourceStrings, LongStringsLoadWhole)
{
    CBstrString header;
    EXPECT_TRUE(header.LoadString(GetResourceModule(), IDS_DETAILS_PAGE_HEADER));
    EXPECT_EQ(header.Length(), 703u);
    EXPECT_EQ(Text(header.Left(14)), "<html>\n<head>\n");
    EXPECT_EQ(Text(header.Right(41)), "<!--Until here code from report media-->\n");

    CStringLoader loader(IDS_DETAILS_PAGE_HEADER, kEnglishUs, nullptr);
    EXPECT_EQ(loader.Length(), 703u);
    CStringLoader byUser;
    EXPECT_TRUE(byUser.LoadByUser(IDS_DETAILS_PAGE_HEADER, nullptr));
    EXPECT_EQ(byUser.Length(), 703u);
}

TEST(ResourceStrings, MissingStrings)
{
    // 112 and 116 share a block with 113-115; 99 and 4000 have no block at all.
    for (UINT id : {99u, 112u, 116u, 127u, 4000u, 34450u}) {
        SCOPED_TRACE(id);
        CBstrString s(W("before"));
        EXPECT_FALSE(s.LoadString(GetResourceModule(), id));
        EXPECT_TRUE(s.IsEmpty());
        EXPECT_TRUE(LoadResourceString(id).IsEmpty());

        CStringLoader loader(id, kEnglishUs, nullptr);
        ASSERT_NE(loader.Text(), nullptr);
        EXPECT_EQ(loader.Text()[0], 0);
        EXPECT_FALSE(loader.Load(id, kEnglishUs, nullptr));
        EXPECT_FALSE(loader.LoadByUser(id, nullptr));
        EXPECT_EQ(loader.Length(), 0u);
    }
    CStringLoader loaded(IDS_TEST, kEnglishUs, nullptr);
    EXPECT_FALSE(loaded.Load(70000, kEnglishUs, nullptr));
    EXPECT_EQ(loaded.Text()[0], 0);
}

TEST(ResourceStrings, TheLoaderTakesTheLanguageAsAsked)
{
    CStringLoader loader;
    EXPECT_FALSE(loader.Load(IDS_TEST, MAKELANGID(0x07, SUBLANG_DEFAULT), nullptr)); // German: not in the table
    EXPECT_EQ(loader.Length(), 0u);
    EXPECT_TRUE(loader.Load(IDS_TEST, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), nullptr));
    EXPECT_EQ(WideString(loader.Text()), WideString(W("Test")));
}

TEST(ResourceStrings, FormatFromTheTable)
{
    CBstrString s;
    EXPECT_TRUE(s.FormatResource(IDS_INVALID_EVENT_STATUS, 7));
    EXPECT_EQ(Text(s), "7 is an invalid value for the EventStatus argument (argument 1).");
    EXPECT_TRUE(s.FormatResource(IDS_SCOPE_SUMMARY_NAME, W("Test"), W("Login"), W("")));
    EXPECT_EQ(Text(s), "Test Login Summary");
    EXPECT_TRUE(s.FormatResourceFrom(IDS_TEST_ITERATION_NAME, nullptr, W("Login"), 2u, 5u));
    EXPECT_EQ(Text(s), "Login Iteration 2 (Row 5)");
    EXPECT_TRUE(s.FormatResourceFrom(IDS_COMPONENT_ITERATION_SUFFIX, GetResourceModule(), -3));
    EXPECT_EQ(Text(s), " (#-3)");

    // A string that cannot be loaded leaves the text as it was.
    EXPECT_FALSE(s.FormatResource(4000, 1));
    EXPECT_FALSE(s.FormatResourceFrom(4000, nullptr, 1));
    EXPECT_EQ(Text(s), " (#-3)");
}

TEST(ResourceStrings, OperatingSystemNames)
{
    EXPECT_EQ(Text(OperatingSystemName(4)), "Windows NT version 4.0");
    EXPECT_EQ(Text(OperatingSystemName(5)), "Windows 2000");
    EXPECT_EQ(Text(OperatingSystemName(6)), "Windows Millennium");
    EXPECT_EQ(Text(OperatingSystemName(7)), "Windows XP");
    EXPECT_EQ(Text(OperatingSystemName(8)), "Windows 2003");
    EXPECT_EQ(Text(OperatingSystemName(9)), "Windows Vista");
    for (int code : {-1, 0, 1, 2, 3, 10, 100}) {
        EXPECT_EQ(OperatingSystemNameId(code), 0u);
        EXPECT_TRUE(OperatingSystemName(code).IsEmpty());
    }
}

TEST(ResourceStrings, TheResourceModuleCanBeSet)
{
    EXPECT_EQ(GetResourceModule(), PAL_GetLibraryModule());
    SetResourceModule(PAL_GetLibraryModule());
    EXPECT_EQ(Text(LoadResourceString(IDS_PROJNAME)), "Annalist");
    SetResourceModule(nullptr);
    EXPECT_EQ(GetResourceModule(), PAL_GetLibraryModule());
}
