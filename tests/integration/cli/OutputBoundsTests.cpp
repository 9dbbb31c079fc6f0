// The replay's check that the logger's settings keep its folders inside the
// results folder given with -o.
#include <gtest/gtest.h>

#include "annalist/OutputBounds.h"
#include "support/TestSupport.h"

namespace {

std::string Problem(const char* path, const char* directory, const char* iterDir)
{
    OutputSettings settings;
    settings.reportPath = test::Utf8ToUtf16(path);
    settings.directory = test::Utf8ToUtf16(directory);
    settings.iterDir = test::Utf8ToUtf16(iterDir);
    return OutsideProblem(W("C:\\Out\\res"), settings);
}

TEST(OutputBoundsTest, SettingsThatLeadAboveTheResultsFolderAreNamed)
{
    // Inside: the folder itself, below it, and ".." that stays below it.
    EXPECT_EQ(Problem("C:\\Out\\res", ".", "Row"), "");
    EXPECT_EQ(Problem("C:/Out/res/", "Report", "Row"), "");
    EXPECT_EQ(Problem("C:\\Out\\res\\a\\..\\b", "x\\..\\y", ".."), ""); // "..0" is a name
    EXPECT_EQ(Problem("C:\\Out\\res", "a\\b", "..\\..\\..\\x"), "");   // Act0 is below a\b
    EXPECT_EQ(Problem("C:\\Out\\res", ".", "..\\x"), "");               // beside Act0, inside
    EXPECT_EQ(Problem("C:\\Out\\res", "\\Report", "Row"), "");          // "res\\Report": inside

    EXPECT_EQ(Problem("C:\\Out\\res", "..\\..\\x", "Row"),
              "the \"Directory\" setting \"..\\..\\x\" leads outside the results folder \"C:\\Out\\res\"");
    EXPECT_NE(Problem("C:\\Out\\res", "a\\..\\..\\x", "Row"), "");
    EXPECT_NE(Problem("C:\\Out\\res", "... \\x", "Row"), ""); // Windows reads "... " as ".."
    EXPECT_EQ(Problem("C:\\Out\\res", ".", "..\\..\\..\\x"),
              "the \"IterDir\" setting \"..\\..\\..\\x\" leads outside the results folder \"C:\\Out\\res\"");
    EXPECT_NE(Problem("C:\\Out\\res", ".", "../../x"), "");
    EXPECT_EQ(Problem("C:\\Out\\other", ".", "Row"),
              "ReportPath \"C:\\Out\\other\" lies outside the results folder \"C:\\Out\\res\"");
    EXPECT_NE(Problem("C:\\Out\\res\\..\\x", ".", "Row"), "");
    EXPECT_NE(Problem("C:\\Out\\resx", ".", "Row"), "");
    EXPECT_NE(Problem("C:\\Out", ".", "Row"), "");

    OutputSettings settings;
    settings.directory = W(".");
    settings.iterDir = WideString(W("R")) + static_cast<WCHAR>(0xD800);
    EXPECT_EQ(UnusableSettingProblem(settings),
              "the \"IterDir\" setting holds a lone surrogate, which no file name can hold");
    settings.iterDir = WideString(W("R")) + static_cast<WCHAR>(0xD83D) + static_cast<WCHAR>(0xDE00);
    EXPECT_EQ(UnusableSettingProblem(settings), "");
}

} // namespace
