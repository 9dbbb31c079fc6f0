// The compatibility stub files: exact bytes, and never overwriting.
#include <gtest/gtest.h>

#include "report/CompatibilityStub.h"
#include "unit/report/ReportTestSupport.h"

namespace {

const char kStub[] = "[T1]\r\nIndent=0\r\nEventType=StartRepLog\r\nType=HTML\r\nNodeName=Incompatibility Error\r\n"
                     "IconIndex=1\r\nStatus=Done\nIteration=1\r\nReplayId=2\r\nBottomFile=InstallNewReport.html\r\n"
                     "TopFile=\r\n[General]\r\nTotal=1\r\nTitle=Incompatibility Error";

std::string Page(const std::string& message)
{
    return "<html>\n<head>\n\t<link rel=\"stylesheet\" href=\"Dummy-will be replaced on runtime\">\n"
           "\t<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\"/>\n</head>\n"
           "<body bgcolor=\"#ffffff\" leftmargin=\"20\" marginwidth=\"20\" topmargin=\"10\" marginheight=\"10\" "
           "vlink=\"#9966cc\">\n<table border=\"0\" cellpadding=\"3\" cellspacing=\"0\" width=\"100%\">\n"
           "<tr><td height=\"1\" class=\"bg_midblue\"></td></tr><tr><td height=\"30\"><p><b><span class=\"hl1name\">" +
           message +
           "</span></b></td></tr><tr><td height=\"2\" class=\"bg_darkblue\"></td></tr>\n</BODY>\n</HTML>\n";
}

// The text in the ANSI code page, as the page holds it.
std::string Ansi(const WCHAR* text)
{
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size - 1));
    return bytes;
}

class CompatibilityStubTest : public ::testing::Test {
protected:
    void Write(const WCHAR* message)
    {
        WriteCompatibilityStub(folder.Wide("Results.cvn").c_str(), folder.Wide("InstallNewReport.html").c_str(),
                               message);
    }
    std::string Stub() const { return test::ReadFileBytes(folder.Path() / "Results.cvn"); }
    std::string PageFile() const { return test::ReadFileBytes(folder.Path() / "InstallNewReport.html"); }

    test::TempFolder folder;
};

const WCHAR kMessage[] = W("These results were generated with a later version of Corvane.<br>To view these results, ")
    W("install a later version of Corvane or the Ravelin.  \n");

} // namespace

TEST_F(CompatibilityStubTest, ANewFolderGetsBothFiles)
{
    Write(kMessage);
    ASSERT_EQ(sizeof(kStub) - 1, 223u);
    EXPECT_EQ(Stub(), kStub);
    std::string page = PageFile();
    EXPECT_EQ(page, Page(test::Utf16ToUtf8(kMessage)));
    EXPECT_NE(page.find("width=\"100%\""), std::string::npos);
    EXPECT_EQ(page.substr(page.size() - 8), "</HTML>\n");
}

TEST_F(CompatibilityStubTest, ThePageIsInTheAnsiCodePage)
{
    CBstrString message = test::Wide("Caf\xC3\xA9 100%");
    Write(message.c_str());
    EXPECT_EQ(PageFile(), Page(Ansi(message.c_str())));
}

TEST_F(CompatibilityStubTest, ExistingFilesAreNeverOverwritten)
{
    // A stub without a page: neither is written.
    test::WriteFileBytes(folder.Path() / "Results.cvn", "old stub");
    Write(kMessage);
    EXPECT_EQ(Stub(), "old stub");
    EXPECT_FALSE(test::FileExists(folder.Path() / "InstallNewReport.html"));

    // A page without a stub: the stub is written, the page kept.
    std::filesystem::remove(folder.Path() / "Results.cvn");
    test::WriteFileBytes(folder.Path() / "InstallNewReport.html", "old page");
    Write(kMessage);
    EXPECT_EQ(Stub(), kStub);
    EXPECT_EQ(PageFile(), "old page");
}

TEST_F(CompatibilityStubTest, AFolderThatCannotBeWrittenIsLeftAlone)
{
    WriteCompatibilityStub(folder.Wide("missing\\Results.cvn").c_str(),
                           folder.Wide("missing\\InstallNewReport.html").c_str(), kMessage);
    EXPECT_FALSE(test::FileExists(folder.Path() / "missing"));
    WriteCompatibilityStub(nullptr, nullptr, kMessage);
    Write(nullptr); // no message: an empty one
    EXPECT_EQ(PageFile(), Page(""));
}
