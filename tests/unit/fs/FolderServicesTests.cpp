// The guarded folder and file operations against real folders with space to
// spare. Every test has the fake host registered, so that a prompt or warning
// is recorded (and never shown as a window).
#include <gtest/gtest.h>

#include <vector>

#include "fs/FolderServices.h"
#include "fs/ResultsFolder.h"
#include "support/FolderServicesTestSupport.h"
#include "support/FakeHostApplication.h"

namespace {

class FolderServices : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_host.Registered()); }

    WideString Path(const char* relative) const { return m_folder.Wide() + W("\\") + test::Utf8ToUtf16(relative); }
    // A path inside the folder without the folder: what CResultsFolder takes.
    WideString Relative(const WideString& path) const { return path.substr(m_folder.Wide().size() + 1); }
    bool CreateFolder(const WideString& path, ULONGLONG threshold)
    {
        return m_results.CreateFolder(Relative(path).c_str(), threshold);
    }

    // The root of a path as the platform reduces it.
    static WideString RootOf(const WideString& path)
    {
        std::vector<WCHAR> buffer(path.begin(), path.end());
        buffer.resize(MAX_PATH > path.size() + 1 ? MAX_PATH : path.size() + 1, 0);
        PathStripToRootW(buffer.data());
        return WideString(buffer.data());
    }

    test::TempFolder m_folder;
    test::FakeHostApplication m_host;
    CResultsFolder m_results{m_folder.Wide().c_str()};
};

} // namespace

TEST_F(FolderServices, FreeSpaceOfAPathsRoot)
{
    ULONGLONG freeBytes = 12345;
    EXPECT_FALSE(GetAvailableDiskSpace(W(""), &freeBytes));
    EXPECT_FALSE(GetAvailableDiskSpace(nullptr, &freeBytes));
    EXPECT_EQ(freeBytes, 12345u);

    ASSERT_TRUE(GetAvailableDiskSpace(Path("not\\made\\yet").c_str(), &freeBytes));
    EXPECT_GT(freeBytes, 0u);

    // A path too long for a MAX_PATH buffer still has its root read.
    WideString longPath = test::PathOfLength(m_folder.Wide(), "deep", 300);
    EXPECT_TRUE(GetAvailableDiskSpace(longPath.c_str(), &freeBytes));
    EXPECT_GT(freeBytes, 0u);
}

TEST_F(FolderServices, PromptNamesTheDriveOrSpeaksGenerally)
{
    m_host.answer = [](const test::HostMessage&, size_t number) { return number == 0 ? IDRETRY : IDCANCEL; };
    WideString file = Path("Results.xml");
    EXPECT_EQ(PromptForDiskSpace(file.c_str()), IDRETRY);
    EXPECT_EQ(PromptForDiskSpace(W("")), IDCANCEL);
    EXPECT_EQ(PromptForDiskSpace(nullptr), IDCANCEL);

    ASSERT_EQ(m_host.messages.size(), 3u);
    EXPECT_EQ(m_host.messages[0].text, test::DiskFullOnDriveText(RootOf(file)));
    EXPECT_EQ(m_host.messages[1].text, test::DiskFullText());
    EXPECT_EQ(m_host.messages[2].text, test::DiskFullText());
    for (const test::HostMessage& message : m_host.messages) {
        EXPECT_EQ(message.style, MB_RETRYCANCEL | MB_ICONERROR);
        EXPECT_EQ(message.a, 0);
        EXPECT_EQ(message.b, IDCANCEL);
        EXPECT_TRUE(message.captionIsNull);
    }
}

TEST_F(FolderServices, ExistingFoldersAreASuccessWhateverTheirLength)
{
    WideString made = Path("made");
    EXPECT_TRUE(CreateFolder(made, 1));
    EXPECT_TRUE(test::IsFolder(made));
    EXPECT_TRUE(CreateFolder(made, 1));
    // The results folder itself exists.
    EXPECT_TRUE(m_results.CreateFolder(W(""), 1));

    // A folder whose path is over the limit but which exists already: no
    // warning, and the warning is still due.
    WideString longFolder = test::PathOfLength(m_folder.Wide(), "", 258);
    ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), nullptr));
    EXPECT_TRUE(CreateFolder(longFolder, 1000));
    // A new long folder that the file system accepts is created without comment.
    WideString longNew = test::PathOfLength(m_folder.Wide(), "", 257);
    EXPECT_TRUE(CreateFolder(longNew, 1000));
    EXPECT_TRUE(test::IsFolder(longNew));
    EXPECT_TRUE(m_results.LongPathWarningDue());
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(FolderServices, AFolderWithoutItsParentFailsAfterShortRetries)
{
    WideString nested = Path("missing\\child");
    bool created = true;
    long long ms = test::MillisecondsOf([&] { created = CreateFolder(nested, 1000); });
    EXPECT_FALSE(created);
    EXPECT_GE(ms, test::kRetriesMs);
    EXPECT_FALSE(test::IsFolder(Path("missing")));
    EXPECT_TRUE(m_host.messages.empty());
    // Without a results folder nothing is created.
    CResultsFolder none;
    EXPECT_FALSE(none.CreateFolder(W(""), 1));
    EXPECT_FALSE(none.CreateFolder(nullptr, 1));
}

TEST_F(FolderServices, TooLongFolderPathsWarnOncePerRun)
{
    // 254 characters are still accepted: the failure goes through the space
    // check and the retries, silently.
    WideString path254 = test::PathOfLength(m_folder.Wide(), "missing", 254);
    ASSERT_EQ(path254.size(), 254u);
    bool created = true;
    long long ms = test::MillisecondsOf([&] { created = CreateFolder(path254, 1000); });
    EXPECT_FALSE(created);
    EXPECT_GE(ms, test::kRetriesMs);
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_TRUE(m_results.LongPathWarningDue());

    // 255 characters: the warning, and failure at once.
    WideString path255 = test::PathOfLength(m_folder.Wide(), "missing", 255);
    ms = test::MillisecondsOf([&] { created = CreateFolder(path255, 1000); });
    EXPECT_FALSE(created);
    EXPECT_LT(ms, test::kRetriesMs);
    EXPECT_FALSE(m_results.LongPathWarningDue());
    ASSERT_EQ(m_host.messages.size(), 1u);
    const test::HostMessage& warning = m_host.messages[0];
    EXPECT_EQ(warning.text, W("The pathname of the test results folder is too long. The test results may not be "
                              "saved correctly.\nMake sure you are not running a nested action.\n"));
    EXPECT_EQ(warning.style, MB_ICONERROR);
    EXPECT_EQ(warning.a, 0);
    EXPECT_EQ(warning.b, -1);
    EXPECT_TRUE(warning.captionIsNull);

    // Later folders of the same run fail without another warning.
    WideString path300 = test::PathOfLength(m_folder.Wide(), "missing", 300);
    EXPECT_FALSE(CreateFolder(path300, 1000));
    EXPECT_FALSE(CreateFolder(path255, 1));
    EXPECT_EQ(m_host.messages.size(), 1u);

    // The next run (the warning rearmed) is warned once more.
    m_results.RearmLongPathWarning();
    EXPECT_FALSE(CreateFolder(path300, 1000));
    EXPECT_FALSE(CreateFolder(path255, 1000));
    EXPECT_EQ(m_host.messages.size(), 2u);
    EXPECT_FALSE(m_results.LongPathWarningDue());
}

TEST_F(FolderServices, StreamsOpenOrFailWithoutAPromptWhileThereIsSpace)
{
    WideString path = Path("Results.xml");
    FILE* file = OpenFileWithRetry(path.c_str(), W("wb"), true, 1);
    ASSERT_NE(file, nullptr);
    std::fputs("<a>", file);
    std::fclose(file);
    file = OpenFileWithRetry(path.c_str(), W("ab"), true, 1);
    ASSERT_NE(file, nullptr);
    std::fputs("</a>", file);
    std::fclose(file);
    EXPECT_EQ(test::ReadFileBytes(m_folder.Path() / "Results.xml"), "<a></a>");

    // The folder is missing, not the space: no prompt, whatever the threshold.
    WideString lost = Path("missing\\GeneralInfo.ini");
    EXPECT_EQ(OpenFileWithRetry(lost.c_str(), W("wb"), true, 1), nullptr);
    EXPECT_EQ(OpenFileWithRetry(lost.c_str(), W("wb"), true, 1000), nullptr);
    EXPECT_EQ(OpenFileWithRetry(lost.c_str(), W("wb"), false, 1), nullptr);
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(FolderServices, CreatedFilesAreTruncatedAndNotShared)
{
    WideString path = Path("1.ico");
    test::WriteFileBytes(m_folder.Path() / "1.ico", "old contents");
    HANDLE file = CreateFileWithRetry(path.c_str());
    ASSERT_NE(file, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);

    // Nobody else may open it while it is being written.
    HANDLE other = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));

    DWORD written = 0;
    EXPECT_TRUE(WriteFileWithRetry(file, "icon", 4, &written, nullptr));
    EXPECT_EQ(written, 4u);
    CloseHandle(file);
    EXPECT_EQ(test::ReadFileBytes(m_folder.Path() / "1.ico"), "icon");

    // Failures other than a full disk: null (not INVALID_HANDLE_VALUE) and 0,
    // without a prompt.
    EXPECT_EQ(CreateFileWithRetry(Path("missing\\2.ico").c_str()), nullptr);
    EXPECT_EQ(CreateFileWithRetry(m_folder.Wide().c_str()), nullptr);
    HANDLE readOnly = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteFileWithRetry(readOnly, "x", 1, &written, nullptr));
    CloseHandle(readOnly);
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_TRUE(m_host.AllReleased());
}
