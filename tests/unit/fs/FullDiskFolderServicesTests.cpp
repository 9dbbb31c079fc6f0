// The guarded operations on a file system that is really full: a small tmpfs
// mounted inside the test's temporary folder. Mounting needs root (as in the
// test container and CI); where it is refused, and on Windows, the group is
// skipped and says so. The fake host answers the prompts, and can make room
// before it answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fs/FolderServices.h"
#include "fs/ResultsFolder.h"
#include "support/FolderServicesTestSupport.h"
#include "support/FakeHostApplication.h"
#include "support/PlatformTestSupport.h"

namespace {

// 64 KiB of data and 16 entries.
class FullDiskFolderServices : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::PosixPlatformLayer())
            GTEST_SKIP() << "a full file system is only made on the POSIX side";
        ASSERT_TRUE(m_host.Registered());
        m_mountPoint = m_folder.Path() / "small";
        std::filesystem::create_directory(m_mountPoint);
        std::string command =
            "mount -t tmpfs -o size=64k,nr_inodes=16 annalist-test '" + m_mountPoint.string() + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            std::printf("FullDiskFolderServices tests skipped: a small tmpfs cannot be mounted here\n");
            GTEST_SKIP() << "a small tmpfs cannot be mounted here";
        }
        m_mounted = true;
        m_root = test::ToWide(std::filesystem::canonical(m_mountPoint));
    }

    void TearDown() override
    {
        if (m_mounted) {
            std::string command = "umount '" + m_mountPoint.string() + "'";
            EXPECT_EQ(std::system(command.c_str()), 0);
        }
    }

    WideString Path(const char* relative) const { return m_root + W("\\") + test::Utf8ToUtf16(relative); }
    // A folder inside the small file system, created as the logger creates
    // the folders of its results.
    bool CreateFolder(const char* relative)
    {
        CResultsFolder results(m_root.c_str());
        return results.CreateFolder(test::Utf8ToUtf16(relative).c_str(), 1000);
    }

    ULONGLONG FreeBytes() const
    {
        ULARGE_INTEGER available{};
        EXPECT_TRUE(GetDiskFreeSpaceExW(m_root.c_str(), &available, nullptr, nullptr));
        return available.QuadPart;
    }

    // Writes the file until the disk is full, leaving `spare` bytes free.
    void FillWith(const char* name, ULONGLONG spare = 0)
    {
        HANDLE file = CreateFileW(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        std::vector<char> page(4096, 'b');
        while (FreeBytes() > spare) {
            DWORD written = 0;
            ULONGLONG room = FreeBytes() - spare;
            DWORD size = room < page.size() ? static_cast<DWORD>(room) : static_cast<DWORD>(page.size());
            if (!WriteFile(file, page.data(), size, &written, nullptr))
                break;
        }
        CloseHandle(file);
        ASSERT_EQ(FreeBytes(), spare);
    }

    // Makes the whole disk full: no entry left, and no byte but `spare`.
    void FillDisk(ULONGLONG spare = 0)
    {
        FillWith("ballast", spare);
        for (int i = 0; i < 64; ++i) {
            std::string name = "entry" + std::to_string(i);
            HANDLE file = CreateFileW(Path(name.c_str()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) {
                ASSERT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
                return;
            }
            CloseHandle(file);
        }
        FAIL() << "the small file system never ran out of entries";
    }

    // Room for data but still no free entry: the ballast emptied.
    void FreeBytesOnly() { test::WriteFileBytes(m_mountPoint / "ballast", ""); }
    // Room for everything: the ballast deleted.
    void FreeEverything() { EXPECT_TRUE(DeleteFileW(Path("ballast").c_str())); }

    test::TempFolder m_folder;
    test::FakeHostApplication m_host;
    std::filesystem::path m_mountPoint;
    WideString m_root;
    bool m_mounted = false;
};

} // namespace

TEST_F(FullDiskFolderServices, ExistingFoldersNeedNoSpace)
{
    WideString made = Path("made");
    ASSERT_TRUE(CreateDirectoryW(made.c_str(), nullptr));
    FillDisk();
    EXPECT_TRUE(CreateFolder("made"));
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(FullDiskFolderServices, FolderPromptCancelOrRetryUntilItSucceeds)
{
    FillDisk();
    WideString folder = Path("Act0");
    EXPECT_FALSE(CreateFolder("Act0")); // the fake answers Cancel
    EXPECT_FALSE(test::IsFolder(folder));
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].text, test::DiskFullOnDriveText(m_root));
    EXPECT_EQ(m_host.messages[0].style, MB_RETRYCANCEL | MB_ICONERROR);
    EXPECT_EQ(m_host.messages[0].b, IDCANCEL);

    m_host.answer = [this](const test::HostMessage&, size_t number) {
        if (number == 1)
            return IDOK; // neither button: asked again
        FreeEverything();
        return IDRETRY;
    };
    EXPECT_TRUE(CreateFolder("Act0"));
    EXPECT_TRUE(test::IsFolder(folder));
    EXPECT_EQ(m_host.messages.size(), 3u);
}

TEST_F(FullDiskFolderServices, FolderRetryThatFailsWithSpaceEndsInShortRetries)
{
    FillDisk();
    m_host.answer = [this](const test::HostMessage&, size_t) {
        FreeBytesOnly();
        return IDRETRY;
    };
    bool created = true;
    long long ms = test::MillisecondsOf(
        [&] { created = CreateFolder("Act0"); });
    EXPECT_FALSE(created);
    EXPECT_GE(ms, test::kRetriesMs);
    EXPECT_EQ(m_host.messages.size(), 1u);
}

TEST_F(FullDiskFolderServices, ThresholdIsInclusive)
{
    // Free space equal to the threshold is enough: a file that cannot be
    // opened (here for want of a free entry) then fails without a prompt.
    FillDisk(4096);
    EXPECT_EQ(OpenFileWithRetry(Path("GeneralInfo.ini").c_str(), W("wb"), true, 4096), nullptr);
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ(OpenFileWithRetry(Path("GeneralInfo.ini").c_str(), W("wb"), true, 4097), nullptr);
    EXPECT_EQ(m_host.messages.size(), 1u);
}

TEST_F(FullDiskFolderServices, StreamPromptRetryCancelAndSpaceFreed)
{
    FillDisk();
    WideString path = Path("Results.xml");

    // Cancel: null.
    EXPECT_EQ(OpenFileWithRetry(path.c_str(), W("wb"), true, 1), nullptr);
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].text, test::DiskFullOnDriveText(m_root));

    // Another answer after which the space suffices: the failure is not the
    // space's, so null without another prompt.
    m_host.answer = [this](const test::HostMessage&, size_t) {
        FreeBytesOnly();
        return IDOK;
    };
    EXPECT_EQ(OpenFileWithRetry(path.c_str(), W("wb"), true, 1), nullptr);
    EXPECT_EQ(m_host.messages.size(), 2u);

    // Retry after room was made: the stream.
    FillWith("ballast");
    m_host.answer = [this](const test::HostMessage&, size_t) {
        FreeEverything();
        return IDRETRY;
    };
    FILE* file = OpenFileWithRetry(path.c_str(), W("wb"), true, 1);
    ASSERT_NE(file, nullptr);
    EXPECT_GE(std::fputs("<Report/>", file), 0);
    std::fclose(file);
    EXPECT_EQ(m_host.messages.size(), 3u);
    EXPECT_EQ(test::ReadFileBytes(m_mountPoint / "Results.xml"), "<Report/>");

    // Without the space check: null at once (the new file took the last entry).
    EXPECT_EQ(OpenFileWithRetry(Path("other.xml").c_str(), W("wb"), false, 1), nullptr);
    EXPECT_EQ(m_host.messages.size(), 3u);
}

TEST_F(FullDiskFolderServices, CreatedFilePromptRetryAndCancel)
{
    FillDisk();
    WideString path = Path("1.ico");
    EXPECT_EQ(CreateFileWithRetry(path.c_str()), nullptr);
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].text, test::DiskFullOnDriveText(m_root));

    m_host.answer = [this](const test::HostMessage&, size_t) {
        FreeEverything();
        return IDRETRY;
    };
    HANDLE file = CreateFileWithRetry(path.c_str());
    ASSERT_NE(file, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(m_host.messages.size(), 2u);
}

TEST_F(FullDiskFolderServices, RetriedWriteStoresTheBufferOnce)
{
    WideString path = Path("2.ico");
    HANDLE file = CreateFileWithRetry(path.c_str());
    ASSERT_NE(file, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFileWithRetry(file, "head", 4, &written, nullptr));

    // Room for half of the next buffer: the first half is stored before the
    // disk is full.
    std::string buffer;
    for (int i = 0; i < 16 * 1024; ++i)
        buffer.push_back(static_cast<char>('a' + i % 26));
    FillWith("ballast", 8 * 1024);
    m_host.answer = [this](const test::HostMessage&, size_t) {
        FreeEverything();
        return IDRETRY;
    };
    EXPECT_TRUE(WriteFileWithRetry(file, buffer.data(), static_cast<DWORD>(buffer.size()), &written, nullptr));
    EXPECT_EQ(written, buffer.size());
    CloseHandle(file);

    // The general text: a handle has no path.
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].text, test::DiskFullText());
    EXPECT_EQ(m_host.messages[0].style, MB_RETRYCANCEL | MB_ICONERROR);
    // The whole buffer was written again over the part stored before: it is in
    // the file once, after what came before it.
    EXPECT_EQ(test::ReadFileBytes(m_mountPoint / "2.ico"), "head" + buffer);
}

TEST_F(FullDiskFolderServices, CancelledWriteFails)
{
    WideString path = Path("3.ico");
    HANDLE file = CreateFileWithRetry(path.c_str());
    ASSERT_NE(file, nullptr);
    FillWith("ballast");
    std::string buffer(8 * 1024, 'c');
    DWORD written = 12345;
    EXPECT_FALSE(WriteFileWithRetry(file, buffer.data(), static_cast<DWORD>(buffer.size()), &written, nullptr));
    EXPECT_LT(written, buffer.size());
    CloseHandle(file);
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].text, test::DiskFullText());
}
