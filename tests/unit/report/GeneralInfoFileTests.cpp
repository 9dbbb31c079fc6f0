// GeneralInfo.ini: the exact bytes at both levels, the user-name rule, line
// breaks inside values, rewriting, and reading back.
#include <gtest/gtest.h>

#include "report/GeneralInfoFile.h"
#include "unit/report/ReportTestSupport.h"

namespace {

std::string Utf16LeFile(const std::string& ascii)
{
    std::string bytes("\xFF\xFE", 2);
    for (char c : ascii) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

GeneralInfo Sample()
{
    GeneralInfo info;
    info.product = W("Corvane");
    info.version = W("9.2");
    info.total = 12;
    info.title = W("Login run");
    info.osVersion = 7;
    info.testLocation = W("C:\\Tests\\Login");
    info.testOnHost = W("HOST1");
    info.globalIteration = 3000;
    return info;
}

const char kCommonLines[] = "[General]\r\nProduct=Corvane\r\nVersion=9.2\r\nTotal=12\r\nTitle=Login run\r\nOSVersion=7\r\n"
                            "TestLocation=C:\\Tests\\Login\r\nTestOnHost=HOST1\r\nGlobalIteration=3000\r\n";

class GeneralInfoFileTest : public ::testing::Test {
protected:
    WideString Path() const { return folder.Wide("GeneralInfo.ini"); }
    std::string Bytes() const { return test::ReadFileBytes(folder.Path() / "GeneralInfo.ini"); }

    test::TempFolder folder;
};

} // namespace

TEST_F(GeneralInfoFileTest, CurrentLevelBytes)
{
    GeneralInfo info = Sample();
    WriteGeneralInfo(Path().c_str(), &info, ProductLevel::Current);
    EXPECT_EQ(Bytes(), Utf16LeFile(std::string(kCommonLines) + "VaultServer=\r\nVaultProject=\r\n"));

    info.userName = W("qa");
    info.vaultServer = W("http://srv/qcbin");
    info.vaultProject = W("Shop");
    WriteGeneralInfo(Path().c_str(), &info, ProductLevel::Current);
    EXPECT_EQ(Bytes(), Utf16LeFile(std::string(kCommonLines) +
                                   "UserName=qa\r\nPassword=\r\nVaultServer=http://srv/qcbin\r\nVaultProject=Shop\r\n"));
}

TEST_F(GeneralInfoFileTest, EarlierLevelBytes)
{
    GeneralInfo info = Sample();
    info.vaultServer = W("srv");
    WriteGeneralInfo(Path().c_str(), &info, ProductLevel::Earlier);
    EXPECT_EQ(Bytes(), Utf16LeFile(kCommonLines));
    info.password = W("secret");
    WriteGeneralInfo(Path().c_str(), &info, ProductLevel::Earlier);
    EXPECT_EQ(Bytes(), Utf16LeFile(std::string(kCommonLines) + "UserName=\r\nPassword=secret\r\n"));
}

TEST_F(GeneralInfoFileTest, AValueCannotAddKeys)
{
    GeneralInfo info = Sample();
    info.title = W("run\r\nTotal=99\n[Other]\rX=1");
    WriteGeneralInfo(Path().c_str(), &info, ProductLevel::Current);
    std::string expected = test::ReplaceAll(kCommonLines, "Title=Login run", "Title=run  Total=99 [Other] X=1");
    EXPECT_EQ(Bytes(), Utf16LeFile(expected + "VaultServer=\r\nVaultProject=\r\n"));
    GeneralInfo read;
    ReadGeneralInfo(Path().c_str(), &read, ProductLevel::Current);
    EXPECT_EQ(read.total, 12);
}

TEST_F(GeneralInfoFileTest, ASecondWriteStartsFromAnEmptyFile)
{
    GeneralInfo info = Sample();
    info.userName = W("qa");
    WriteGeneralInfo(Path().c_str(), &info, ProductLevel::Current);
    info.userName.Empty();
    info.total = 20;
    WriteGeneralInfo(Path().c_str(), &info, ProductLevel::Current);
    EXPECT_EQ(Bytes(), Utf16LeFile(test::ReplaceAll(kCommonLines, "Total=12", "Total=20") +
                                   "VaultServer=\r\nVaultProject=\r\n"));
    WriteGeneralInfo(Path().c_str(), nullptr, ProductLevel::Current); // nothing
    EXPECT_EQ(Bytes().size(), Utf16LeFile(test::ReplaceAll(kCommonLines, "Total=12", "Total=20") +
                                          "VaultServer=\r\nVaultProject=\r\n")
                                  .size());
}

TEST_F(GeneralInfoFileTest, ReadsBackWhatWasWritten)
{
    GeneralInfo info = Sample();
    info.userName = W("qa");
    info.password = W("pw");
    info.vaultServer = W("srv");
    info.vaultProject = W("prj");
    info.globalIteration = -1;
    info.testLocation = test::Wide("C:\\T\xC3\xA9st\xE4\xB8\xAD");
    WriteGeneralInfo(Path().c_str(), &info, ProductLevel::Current);

    GeneralInfo read;
    ReadGeneralInfo(Path().c_str(), &read, ProductLevel::Current);
    EXPECT_EQ(read.total, 12);
    EXPECT_EQ(read.osVersion, 7);
    EXPECT_EQ(read.globalIteration, -1);
    EXPECT_TRUE(read.product == W("Corvane"));
    EXPECT_TRUE(read.version == W("9.2"));
    EXPECT_TRUE(read.title == W("Login run"));
    EXPECT_TRUE(read.testLocation == info.testLocation);
    EXPECT_TRUE(read.testOnHost == W("HOST1"));
    EXPECT_TRUE(read.userName == W("qa"));
    EXPECT_TRUE(read.password == W("pw"));
    EXPECT_TRUE(read.vaultServer == W("srv"));
    EXPECT_TRUE(read.vaultProject == W("prj"));

    GeneralInfo earlier;
    earlier.vaultServer = W("kept");
    ReadGeneralInfo(Path().c_str(), &earlier, ProductLevel::Earlier);
    EXPECT_TRUE(earlier.vaultServer == W("kept"));
    EXPECT_TRUE(earlier.userName == W("qa"));
    ReadGeneralInfo(Path().c_str(), nullptr, ProductLevel::Current); // nothing
}

TEST_F(GeneralInfoFileTest, MissingKeysAndLongValues)
{
    test::WriteFileBytes(folder.Path() / "GeneralInfo.ini", Utf16LeFile("[General]\r\nTitle=x\r\n"));
    GeneralInfo read = Sample();
    read.userName = W("old");
    ReadGeneralInfo(Path().c_str(), &read, ProductLevel::Current);
    EXPECT_EQ(read.total, 0);
    EXPECT_EQ(read.osVersion, 0);
    EXPECT_EQ(read.globalIteration, -1);
    EXPECT_TRUE(read.product.IsEmpty());
    EXPECT_TRUE(read.userName.IsEmpty());
    EXPECT_TRUE(read.title == W("x"));

    GeneralInfo info = Sample();
    info.title = CBstrString(WideString(300, W('t')).c_str());
    WriteGeneralInfo(Path().c_str(), &info, ProductLevel::Current);
    ReadGeneralInfo(Path().c_str(), &read, ProductLevel::Current);
    EXPECT_EQ(read.title.Length(), 255u);
}
