// `annalist repair` run as a program on results folders a crash left.
#include <gtest/gtest.h>

#include "integration/cli/ToolRunner.h"
#include "support/XmlCheck.h"
#include "support/PlatformTestSupport.h"

namespace {

class RepairCommandTest : public ::testing::Test {
protected:
    std::filesystem::path Path(const std::string& sub) const { return m_folder.Path() / std::filesystem::u8path(sub); }

    // The bundled example replayed into the folder, then its report cut to
    // `keep` of its bytes.
    std::string TornFolder(const std::string& name, double keep)
    {
        std::string folder = Path(name).u8string();
        test::ToolResult result =
            test::RunTool({"replay", test::ExamplePath("flight-booking.jsonl"), "-o", folder}, m_folder);
        EXPECT_EQ(result.status, 0) << result.err;
        std::string xml = test::ReadFileBytes(Path(name + "/Results.xml"));
        test::WriteFileBytes(Path(name + "/Results.xml"), xml.substr(0, static_cast<size_t>(xml.size() * keep)));
        return folder;
    }

    std::string Utf16File(const std::string& sub)
    {
        std::string bytes = test::ReadFileBytes(Path(sub));
        std::string text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(bytes[i]); // ASCII here
        return text;
    }

    test::TempFolder m_folder;
};

TEST_F(RepairCommandTest, ATornFolderIsMendedAndSaysWhatWasDone)
{
    std::string folder = TornFolder("torn", 0.66);
    std::filesystem::remove(Path("torn/GeneralInfo.ini"));
    test::ToolResult result = test::RunTool({"repair", folder}, m_folder);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("Results.xml: it ends inside the element <"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("  Cut back to its last complete record (byte "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("; closed: "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Doc T1, Report.\n  The run is marked as not completed (stopped=\"True\").\n"
                              "GeneralInfo.ini: rebuilt from the report (Total="),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Repaired: \""), std::string::npos) << result.out;
    std::string xml = test::ReadFileBytes(Path("torn/Results.xml"));
    std::string error;
    EXPECT_TRUE(test::XmlIsWellFormed(xml, &error)) << error;
    EXPECT_EQ(xml.substr(xml.size() - 54), "<Summary stopped=\"True\" ></Summary>\r\n</Doc>\r\n</Report>");
    std::string info = Utf16File("torn/GeneralInfo.ini");
    EXPECT_EQ(info.substr(0, 40), "[General]\r\nProduct=Corvane\r\nVersion=11.5");
    EXPECT_FALSE(test::FileExists(Path("torn/Results.xml.part")));

    // Read back whole now; a second repair finds nothing to do.
    result = test::RunTool({"export", folder, "--summary-json", "-"}, m_folder);
    EXPECT_EQ(result.status, 0) << result.err;
    result = test::RunTool({"repair", folder}, m_folder);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Nothing to repair: \"" + std::filesystem::path(folder).make_preferred().u8string() +
                              "\" is complete.\n");
}

// A GeneralInfo.ini left by an earlier run names fewer nodes than the report
// now holds: a run appended later would number its nodes again from there.
TEST_F(RepairCommandTest, ATotalBelowTheReportsNodesIsRaised)
{
    std::string folder = TornFolder("low", 1.0);
    std::string info = test::ReadFileBytes(Path("low/GeneralInfo.ini"));
    std::string total = std::string("T\0o\0t\0a\0l\0=\0", 12);
    size_t at = info.find(total);
    ASSERT_NE(at, std::string::npos);
    info.replace(at + total.size(), 4, std::string("3\0\r\0", 4)); // "Total=38" -> "Total=3"
    info.erase(at + total.size() + 4, 2);
    test::WriteFileBytes(Path("low/GeneralInfo.ini"), info);
    test::ToolResult result = test::RunTool({"repair", folder}, m_folder);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("GeneralInfo.ini: Total raised from 3 to 38 (the report holds nodes up to T38).\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(Utf16File("low/GeneralInfo.ini").find("\r\nTotal=38\r\n"), std::string::npos);
}

TEST_F(RepairCommandTest, FoldersThatCannotBeRepairedGiveOneLineAndStatus2)
{
    std::filesystem::create_directories(Path("empty"));
    std::filesystem::create_directories(Path("foreign"));
    test::WriteFileBytes(Path("foreign/Results.xml"), "<html></html>");
    std::filesystem::create_directories(Path("nothing"));
    test::WriteFileBytes(Path("nothing/Results.xml"), "");
    struct Case {
        std::string folder;
        std::string message;
    } cases[] = {
        {Path("missing").u8string(), "annalist: there is no folder"},
        {Path("empty").u8string(), "is not a results folder: it holds no Results.xml"},
        {Path("foreign").u8string(), "is not a results file: its first element is <html>, not <Report>"},
        {Path("nothing").u8string(), "annalist: cannot repair \""},
    };
    for (const Case& c : cases) {
        test::ToolResult result = test::RunTool({"repair", c.folder}, m_folder);
        EXPECT_EQ(result.status, 2) << c.folder;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(test::ReadFileBytes(Path("foreign/Results.xml")), "<html></html>");
}

// A link planted in a results folder is not followed: the repair would read
// or replace a file elsewhere.
TEST_F(RepairCommandTest, ASymbolicLinkInTheFolderIsNotFollowed)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "symbolic links need privileges on Windows";
    std::string folder = TornFolder("linked", 0.5);
    std::filesystem::rename(Path("linked/Results.xml"), Path("elsewhere.xml"));
    std::filesystem::create_symlink(Path("elsewhere.xml"), Path("linked/Results.xml"));
    std::string before = test::ReadFileBytes(Path("elsewhere.xml"));
    test::ToolResult result = test::RunTool({"repair", folder}, m_folder);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("Results.xml\" is a symbolic link"), std::string::npos) << result.err;
    EXPECT_EQ(test::ReadFileBytes(Path("elsewhere.xml")), before);
}

} // namespace
