// Profile (INI) files as both platforms read and write them; files are
// compared byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "support/PlatformTestSupport.h"

namespace {

using test::Join;

std::string Utf16(const char* utf8) { return test::Utf16Bytes(test::Utf8ToUtf16(utf8)); }

class Profile : public ::testing::Test {
protected:
    WideString File(const char* name) const { return Join(m_folder.Wide(), name); }
    std::string Bytes(const char* name) const { return test::ReadFileBytes(m_folder.Path() / name); }
    void Make(const char* name, const std::string& bytes) const { test::WriteFileBytes(m_folder.Path() / name, bytes); }

    bool Write(const WCHAR* section, const WCHAR* key, const WCHAR* value, const char* name) const
    {
        return WritePrivateProfileStringW(section, key, value, File(name).c_str()) != FALSE;
    }

    // The text read, or "<n>" when the count returned disagrees with it.
    std::string Read(const WCHAR* section, const WCHAR* key, const WCHAR* fallback, const char* name,
                     DWORD size = 256) const
    {
        WCHAR buffer[256];
        DWORD count = GetPrivateProfileStringW(section, key, fallback, buffer, size, File(name).c_str());
        WideString text(buffer);
        if (text.size() != count)
            return "<" + std::to_string(count) + ">";
        return test::Utf16ToUtf8(text);
    }

    test::TempFolder m_folder;
};

} // namespace

TEST_F(Profile, GeneralInfoWrittenKeyByKeyIntoAUtf16File)
{
    // The file is made with its byte-order mark only, then filled key by key.
    Make("GeneralInfo.ini", "\xFF\xFE");
    EXPECT_TRUE(Write(W("General"), W("Product"), W("Corvane \x00c9" "dition"), "GeneralInfo.ini"));
    EXPECT_TRUE(Write(W("General"), W("Version"), W("11.0"), "GeneralInfo.ini"));
    EXPECT_TRUE(Write(W("General"), W("Total"), W("12"), "GeneralInfo.ini"));
    EXPECT_TRUE(Write(W("General"), W("Title"), W("Nightly \x20ac run"), "GeneralInfo.ini"));
    EXPECT_TRUE(Write(W("General"), W("GlobalIteration"), W("-1"), "GeneralInfo.ini"));
    EXPECT_TRUE(Write(W("General"), W("VaultServer"), W(""), "GeneralInfo.ini"));
    EXPECT_EQ(Bytes("GeneralInfo.ini"), "\xFF\xFE" + Utf16("[General]\r\n"
                                                            "Product=Corvane \xC3\x89" "dition\r\n"
                                                            "Version=11.0\r\n"
                                                            "Total=12\r\n"
                                                            "Title=Nightly \xE2\x82\xAC run\r\n"
                                                            "GlobalIteration=-1\r\n"
                                                            "VaultServer=\r\n"));

    EXPECT_EQ(Read(W("general"), W("TITLE"), W(""), "GeneralInfo.ini"), "Nightly \xE2\x82\xAC run");
    EXPECT_EQ(GetPrivateProfileIntW(W("General"), W("Total"), 0, File("GeneralInfo.ini").c_str()), 12u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntW(W("General"), W("GlobalIteration"), 0, File("GeneralInfo.ini").c_str())), -1);
    EXPECT_EQ(Read(W("General"), W("VaultServer"), W("none"), "GeneralInfo.ini"), "");

    // A key written again is replaced where it stands; a new section goes last.
    EXPECT_TRUE(Write(W("GENERAL"), W("total"), W("40"), "GeneralInfo.ini"));
    EXPECT_TRUE(Write(W("Other"), W("Key"), W("x"), "GeneralInfo.ini"));
    EXPECT_EQ(Bytes("GeneralInfo.ini"), "\xFF\xFE" + Utf16("[General]\r\n"
                                                            "Product=Corvane \xC3\x89" "dition\r\n"
                                                            "Version=11.0\r\n"
                                                            "Total=40\r\n"
                                                            "Title=Nightly \xE2\x82\xAC run\r\n"
                                                            "GlobalIteration=-1\r\n"
                                                            "VaultServer=\r\n"
                                                            "[Other]\r\n"
                                                            "Key=x\r\n"));
}

TEST_F(Profile, EightBitFilesAreEditedInPlace)
{
    // A missing file is created as 8-bit text.
    EXPECT_TRUE(Write(W("First"), W("a"), W("1"), "plain.ini"));
    EXPECT_EQ(Bytes("plain.ini"), "[First]\r\na=1\r\n");
    EXPECT_TRUE(Write(W("Second"), W("b"), W("2"), "plain.ini"));
    EXPECT_TRUE(Write(W("first"), W("c"), W("3"), "plain.ini"));
    EXPECT_TRUE(Write(W("First"), W("A"), W("one"), "plain.ini"));
    EXPECT_EQ(Bytes("plain.ini"), "[First]\r\na=one\r\nc=3\r\n[Second]\r\nb=2\r\n");

    // A null value deletes a key, a null key the section; deleting what is not
    // there succeeds and changes nothing.
    EXPECT_TRUE(Write(W("First"), W("c"), nullptr, "plain.ini"));
    EXPECT_EQ(Bytes("plain.ini"), "[First]\r\na=one\r\n[Second]\r\nb=2\r\n");
    EXPECT_TRUE(Write(W("First"), nullptr, nullptr, "plain.ini"));
    EXPECT_EQ(Bytes("plain.ini"), "[Second]\r\nb=2\r\n");
    EXPECT_TRUE(Write(W("Second"), W("missing"), nullptr, "plain.ini"));
    EXPECT_TRUE(Write(W("Missing"), nullptr, nullptr, "plain.ini"));
    EXPECT_EQ(Bytes("plain.ini"), "[Second]\r\nb=2\r\n");

    // Comments stay; a new key goes after the last line of its section.
    Make("commented.ini", "; settings\r\n[S]\r\nk=v\r\n;end of S\r\n[T]\r\nt=1\r\n");
    EXPECT_TRUE(Write(W("S"), W("new"), W("n"), "commented.ini"));
    EXPECT_EQ(Bytes("commented.ini"), "; settings\r\n[S]\r\nk=v\r\n;end of S\r\nnew=n\r\n[T]\r\nt=1\r\n");

    // A file in a folder that does not exist cannot be written.
    EXPECT_FALSE(Write(W("S"), W("k"), W("v"), "missing/file.ini"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(Profile, ValuesAreReadWithTheWindowsRules)
{
    Make("read.ini", "[Settings]\r\n"
                     "  Spaced  =   some value   \r\n"
                     "Quoted=\" kept blanks \"\r\n"
                     "Single='single'\r\n"
                     "Half=\"half\r\n"
                     "Equals=a=b\r\n"
                     ";Comment=not a key\r\n"
                     "Empty=\r\n"
                     "[Other]\r\n"
                     "Spaced=other\r\n");
    EXPECT_EQ(Read(W("Settings"), W("Spaced"), W(""), "read.ini"), "some value");
    EXPECT_EQ(Read(W("SETTINGS"), W("spaced"), W(""), "read.ini"), "some value");
    EXPECT_EQ(Read(W("Other"), W("Spaced"), W(""), "read.ini"), "other");
    EXPECT_EQ(Read(W("Settings"), W("Quoted"), W(""), "read.ini"), " kept blanks ");
    EXPECT_EQ(Read(W("Settings"), W("Single"), W(""), "read.ini"), "single");
    EXPECT_EQ(Read(W("Settings"), W("Half"), W(""), "read.ini"), "\"half");
    EXPECT_EQ(Read(W("Settings"), W("Equals"), W(""), "read.ini"), "a=b");
    EXPECT_EQ(Read(W("Settings"), W("Empty"), W("default"), "read.ini"), "");

    // Missing: the default, without its trailing blanks; a null default is "".
    EXPECT_EQ(Read(W("Settings"), W("Missing"), W("  def  "), "read.ini"), "  def");
    EXPECT_EQ(Read(W("Settings"), W("Missing"), nullptr, "read.ini"), "");
    EXPECT_EQ(Read(W("Missing"), W("Spaced"), W("d"), "read.ini"), "d");
    EXPECT_EQ(Read(W("Settings"), W("Spaced"), W("d"), "no-such-file.ini"), "d");

    // A small buffer: the text cut to fit, its length returned.
    EXPECT_EQ(Read(W("Settings"), W("Spaced"), W(""), "read.ini", 5), "some");
    EXPECT_EQ(Read(W("Settings"), W("Missing"), W("default"), "read.ini", 4), "def");
    EXPECT_EQ(Read(W("Settings"), W("Spaced"), W(""), "read.ini", 1), "");

    // UTF-16 files are read as such.
    Make("wide.ini", "\xFF\xFE" + Utf16("[S]\r\nName=Caf\xC3\xA9 \xE2\x82\xAC\r\n"));
    EXPECT_EQ(Read(W("s"), W("name"), W(""), "wide.ini"), "Caf\xC3\xA9 \xE2\x82\xAC");
}

TEST_F(Profile, NamesAreListed)
{
    Make("list.ini", "[One]\r\na=1\r\n;c=2\r\nbb=2\r\n[Two]\r\n[Three]\r\nx=y\r\n");
    WCHAR buffer[64];
    const WCHAR* file = nullptr;
    WideString path = File("list.ini");
    file = path.c_str();

    DWORD count = GetPrivateProfileStringW(W("one"), nullptr, W(""), buffer, 64, file);
    EXPECT_EQ(WideString(buffer, count + 1), WideString(W("a\0bb\0"), 6));
    count = GetPrivateProfileStringW(nullptr, nullptr, W(""), buffer, 64, file);
    EXPECT_EQ(WideString(buffer, count + 1), WideString(W("One\0Two\0Three\0"), 15));

    // A list that does not fit is cut and ends with two zeros.
    count = GetPrivateProfileStringW(nullptr, nullptr, W(""), buffer, 7, file);
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(WideString(buffer, 6), WideString(W("One\0T\0"), 6));
}

TEST_F(Profile, NumbersAreRead)
{
    Make("numbers.ini", "[N]\r\nplain=42\r\ntrailing=12abc\r\nnegative=-5\r\nhex=0x1F\r\nword=abc\r\nempty=\r\n");
    WideString path = File("numbers.ini");
    const WCHAR* file = path.c_str();
    EXPECT_EQ(GetPrivateProfileIntW(W("N"), W("plain"), 7, file), 42u);
    EXPECT_EQ(GetPrivateProfileIntW(W("N"), W("trailing"), 7, file), 12u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntW(W("N"), W("negative"), 7, file)), -5);
    EXPECT_EQ(GetPrivateProfileIntW(W("N"), W("hex"), 7, file), 31u);
    EXPECT_EQ(GetPrivateProfileIntW(W("N"), W("word"), 7, file), 0u);
    EXPECT_EQ(GetPrivateProfileIntW(W("N"), W("empty"), 7, file), 7u);
    EXPECT_EQ(GetPrivateProfileIntW(W("N"), W("missing"), 7, file), 7u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntW(W("N"), W("missing"), -1, file)), -1);
}
