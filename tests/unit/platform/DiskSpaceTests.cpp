// Free space and the root of a path; a full file system where one can be made.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/PlatformTestSupport.h"

namespace {

using test::Join;

// The path reduced to its root, through a buffer of MAX_PATH characters.
WideString RootOf(const WideString& path, BOOL* result = nullptr)
{
    std::vector<WCHAR> buffer(MAX_PATH, 0);
    std::memcpy(buffer.data(), path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    BOOL stripped = PathStripToRootW(buffer.data());
    if (result)
        *result = stripped;
    return WideString(buffer.data());
}

bool StartsWithNoCase(const WideString& text, const WideString& prefix)
{
    return text.size() >= prefix.size() && PAL_wcsicmp(text.substr(0, prefix.size()).c_str(), prefix.c_str()) == 0;
}

} // namespace

TEST(DiskSpace, FreeSpaceOfAFolder)
{
    test::TempFolder folder;
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(folder.Wide().c_str(), &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(available.QuadPart, free.QuadPart);
    EXPECT_LE(free.QuadPart, total.QuadPart);

    // The standard library asks the same question its own way.
    std::filesystem::space_info space = std::filesystem::space(folder.Path());
    EXPECT_EQ(total.QuadPart, space.capacity);
    ULONGLONG difference = available.QuadPart > space.available ? available.QuadPart - space.available
                                                                 : space.available - available.QuadPart;
    EXPECT_LT(difference, 256ull * 1024 * 1024);

    // Only the outputs asked for are written.
    ULARGE_INTEGER onlyAvailable{};
    EXPECT_TRUE(GetDiskFreeSpaceExW(folder.Wide().c_str(), &onlyAvailable, nullptr, nullptr));
    EXPECT_GT(onlyAvailable.QuadPart, 0u);
}

TEST(DiskSpace, RootOfAPath)
{
    test::TempFolder folder;
    ASSERT_TRUE(CreateDirectoryW(Join(folder.Wide(), "sub").c_str(), nullptr));
    WideString existing = Join(folder.Wide(), "sub");
    BOOL stripped = FALSE;
    WideString root = RootOf(existing, &stripped);
    ASSERT_TRUE(stripped);
    ASSERT_FALSE(root.empty());
    EXPECT_TRUE(PathFileExistsW(root.c_str()));

    // The root is where the folder's file system begins: the same space.
    ULARGE_INTEGER rootTotal{}, folderTotal{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(root.c_str(), nullptr, &rootTotal, nullptr));
    ASSERT_TRUE(GetDiskFreeSpaceExW(existing.c_str(), nullptr, &folderTotal, nullptr));
    EXPECT_EQ(rootTotal.QuadPart, folderTotal.QuadPart);

    // A root is its own root, and a path that does not exist yet has the root
    // of the folder it would be made in.
    EXPECT_EQ(RootOf(root), root);
    EXPECT_EQ(RootOf(Join(folder.Wide(), "sub/not/yet/made")), root);
    if (test::PosixPlatformLayer()) {
        // Here the root is the mount point: a prefix of the real path.
        std::filesystem::path real = std::filesystem::canonical(folder.Path());
        EXPECT_TRUE(StartsWithNoCase(test::ToWide(real), root));
        EXPECT_TRUE(root == W("/") || root.back() != '/');
    } else {
        EXPECT_TRUE(StartsWithNoCase(existing, root));
    }
}

TEST(DiskSpace, PathExistence)
{
    test::TempFolder folder;
    test::WriteFileBytes(folder.Path() / "file.txt", "x");
    EXPECT_TRUE(PathFileExistsW(folder.Wide().c_str()));
    EXPECT_TRUE(PathFileExistsW(Join(folder.Wide(), "file.txt").c_str()));
    EXPECT_FALSE(PathFileExistsW(Join(folder.Wide(), "missing.txt").c_str()));
    EXPECT_FALSE(PathFileExistsW(Join(folder.Wide(), "missing/file.txt").c_str()));
}

// A file system of 64 KiB and a few files, mounted in a temporary folder, so
// that the disk-full paths can be seen for real. It needs the right to mount
// (root in the test container); elsewhere the group is skipped.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::PosixPlatformLayer())
            GTEST_SKIP() << "a full file system is only made on the POSIX side";
        m_mountPoint = m_folder.Path() / "small";
        std::filesystem::create_directory(m_mountPoint);
        std::string command =
            "mount -t tmpfs -o size=64k,nr_inodes=12 annalist-test '" + m_mountPoint.string() + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            std::printf("FullDisk tests skipped: a small tmpfs cannot be mounted here\n");
            GTEST_SKIP() << "a small tmpfs cannot be mounted here";
        }
        m_mounted = true;
    }

    void TearDown() override
    {
        if (m_mounted) {
            std::string command = "umount '" + m_mountPoint.string() + "'";
            EXPECT_EQ(std::system(command.c_str()), 0);
        }
    }

    WideString Path(const char* relative) const { return Join(test::ToWide(m_mountPoint), relative); }

    test::TempFolder m_folder;
    std::filesystem::path m_mountPoint;
    bool m_mounted = false;
};

TEST_F(FullDisk, SpaceAndRootOfTheSmallFileSystem)
{
    ULARGE_INTEGER available{}, total{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(Path("").c_str(), &available, &total, nullptr));
    EXPECT_EQ(total.QuadPart, 64u * 1024);
    EXPECT_EQ(available.QuadPart, 64u * 1024);
    EXPECT_EQ(RootOf(Path("a/b/c.txt")), test::ToWide(std::filesystem::canonical(m_mountPoint)));
}

TEST_F(FullDisk, WritingStopsWithDiskFull)
{
    WideString path = Path("big.bin");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<char> data(128 * 1024, 'x');
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    // What did fit is reported.
    EXPECT_LT(written, data.size());
    EXPECT_EQ(GetFileSize(file, nullptr), written);
    CloseHandle(file);

    ULARGE_INTEGER available{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(Path("").c_str(), &available, nullptr, nullptr));
    EXPECT_EQ(available.QuadPart, 0u);
}

TEST_F(FullDisk, NoRoomForMoreFilesOrFolders)
{
    // The file system holds a dozen entries: fill them with folders.
    int made = 0;
    DWORD error = ERROR_SUCCESS;
    for (int i = 0; i < 64; ++i) {
        std::string name = "folder" + std::to_string(i);
        if (!CreateDirectoryW(Path(name.c_str()).c_str(), nullptr)) {
            error = GetLastError();
            break;
        }
        ++made;
    }
    EXPECT_GT(made, 0);
    EXPECT_EQ(error, DWORD(ERROR_DISK_FULL));

    FILE* stream = nullptr;
    EXPECT_EQ(_wfopen_s(&stream, Path("one-more.txt").c_str(), W("wb")), ENOSPC);
    EXPECT_EQ(stream, nullptr);
    HANDLE file = CreateFileW(Path("one-more.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
}
