// Files and folders as both platforms have them: folders one level at a time,
// C runtime streams, handles with dispositions and share modes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "support/PlatformTestSupport.h"

namespace {

using test::Join;

// A file handle that is closed at the end of the scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    void Close()
    {
        if (Valid())
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

HANDLE Open(const WideString& path, DWORD access, DWORD share, DWORD disposition)
{
    return CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteText(HANDLE file, const char* text)
{
    DWORD written = 0;
    return WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr) &&
           written == std::strlen(text);
}

} // namespace

TEST(Files, FoldersAreCreatedOneLevelAtATime)
{
    test::TempFolder folder;
    WideString child = Join(folder.Wide(), "child");
    ASSERT_TRUE(CreateDirectoryW(child.c_str(), nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "child"));
    EXPECT_EQ(GetFileAttributesW(child.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));

    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryW(child.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));

    // The parent must exist.
    WideString orphan = Join(folder.Wide(), "missing/orphan");
    EXPECT_FALSE(CreateDirectoryW(orphan.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(test::FileExists(folder.Path() / "missing"));

    // Backslashes separate the levels.
    WideString nested = Join(folder.Wide(), "child/nested");
    ASSERT_TRUE(CreateDirectoryW(nested.c_str(), nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "child" / "nested"));

    // A folder that holds something stays.
    EXPECT_FALSE(RemoveDirectoryW(child.c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DIR_NOT_EMPTY));
    EXPECT_TRUE(RemoveDirectoryW(nested.c_str()));
    EXPECT_TRUE(RemoveDirectoryW(child.c_str()));
    EXPECT_EQ(GetFileAttributesW(child.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(RemoveDirectoryW(child.c_str()));
}

TEST(Files, AttributesAndAccessChecks)
{
    test::TempFolder folder;
    test::WriteFileBytes(folder.Path() / "file.txt", "data");
    WideString file = Join(folder.Wide(), "file.txt");
    WideString missing = Join(folder.Wide(), "missing.txt");

    DWORD attributes = GetFileAttributesW(file.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(_waccess(file.c_str(), 0), 0);
    EXPECT_EQ(_waccess(file.c_str(), 2), 0);
    EXPECT_EQ(_waccess(file.c_str(), 4), 0);
    EXPECT_EQ(_waccess(file.c_str(), 6), 0);
    EXPECT_EQ(_waccess(folder.Wide().c_str(), 0), 0);
    errno = 0;
    EXPECT_EQ(_waccess(missing.c_str(), 0), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST(Files, StreamsOpenedByWideName)
{
    test::TempFolder folder;
    WideString path = Join(folder.Wide(), "stream \x00e9.bin");
    FILE* file = nullptr;

    // "rb" of a missing file fails with ENOENT and no stream.
    EXPECT_EQ(_wfopen_s(&file, path.c_str(), W("rb")), ENOENT);
    EXPECT_EQ(file, nullptr);

    // "wb" creates (and later truncates), "ab" appends; no line-end translation.
    ASSERT_EQ(_wfopen_s(&file, path.c_str(), W("wb")), 0);
    ASSERT_NE(file, nullptr);
    std::fputs("one\r\n", file);
    std::fclose(file);
    ASSERT_EQ(_wfopen_s(&file, path.c_str(), W("ab")), 0);
    std::fputs("two\n", file);
    std::fclose(file);
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / test::FromWide(W("stream \x00e9.bin"))), "one\r\ntwo\n");

    // "r+b" reads and overwrites in place.
    ASSERT_EQ(_wfopen_s(&file, path.c_str(), W("r+b")), 0);
    char first[4] = {};
    ASSERT_EQ(std::fread(first, 1, 3, file), 3u);
    EXPECT_STREQ(first, "one");
    std::fseek(file, 0, SEEK_SET);
    std::fputs("ONE", file);
    std::fclose(file);
    ASSERT_EQ(_wfopen_s(&file, path.c_str(), W("wb")), 0);
    std::fputs("new", file);
    std::fclose(file);
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / test::FromWide(W("stream \x00e9.bin"))), "new");

    // A missing folder, a folder in place of the file, a mode that is not one.
    WideString inMissing = Join(folder.Wide(), "missing/file.bin");
    EXPECT_EQ(_wfopen_s(&file, inMissing.c_str(), W("wb")), ENOENT);
    EXPECT_EQ(_wfopen_s(&file, folder.Wide().c_str(), W("wb")), EACCES);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(_wfopen_s(&file, path.c_str(), W("q")), EINVAL);
    EXPECT_EQ(file, nullptr);
}

TEST(Files, CreateFileDispositions)
{
    test::TempFolder folder;
    WideString path = Join(folder.Wide(), "file.bin");

    {
        FileHandle missing(Open(path, GENERIC_READ, 0, OPEN_EXISTING));
        EXPECT_FALSE(missing.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    }
    {
        FileHandle created(Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
        ASSERT_TRUE(created.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
        EXPECT_TRUE(WriteText(created.Get(), "0123456789"));
    }
    {
        FileHandle again(Open(path, GENERIC_WRITE, 0, CREATE_NEW));
        EXPECT_FALSE(again.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    }
    {
        // OPEN_ALWAYS keeps what is there and says that the file existed.
        FileHandle opened(Open(path, GENERIC_READ, 0, OPEN_ALWAYS));
        ASSERT_TRUE(opened.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
        EXPECT_EQ(GetFileSize(opened.Get(), nullptr), 10u);
    }
    {
        // CREATE_ALWAYS truncates an existing file.
        FileHandle truncated(Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
        ASSERT_TRUE(truncated.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
        EXPECT_EQ(GetFileSize(truncated.Get(), nullptr), 0u);
    }
    {
        WideString fresh = Join(folder.Wide(), "fresh.bin");
        FileHandle created(Open(fresh, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS));
        ASSERT_TRUE(created.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    }
    {
        WideString inMissing = Join(folder.Wide(), "missing/file.bin");
        FileHandle failed(Open(inMissing, GENERIC_WRITE, 0, CREATE_ALWAYS));
        EXPECT_FALSE(failed.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    }
    {
        FileHandle aFolder(Open(folder.Wide(), GENERIC_READ, 0, OPEN_EXISTING));
        EXPECT_FALSE(aFolder.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    }
}

TEST(Files, ReadWriteAndMoveThePointer)
{
    test::TempFolder folder;
    WideString path = Join(folder.Wide(), "data.bin");
    FileHandle file(Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.Valid());
    ASSERT_TRUE(WriteText(file.Get(), "abcdefghij"));

    DWORD high = 7;
    EXPECT_EQ(GetFileSize(file.Get(), &high), 10u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(SetFilePointer(file.Get(), 2, nullptr, FILE_BEGIN), 2u);
    EXPECT_EQ(SetFilePointer(file.Get(), 3, nullptr, FILE_CURRENT), 5u);
    EXPECT_EQ(SetFilePointer(file.Get(), -4, nullptr, FILE_END), 6u);
    LONG moveHigh = 0;
    EXPECT_EQ(SetFilePointer(file.Get(), 1, &moveHigh, FILE_BEGIN), 1u);
    EXPECT_EQ(moveHigh, 0);

    char buffer[16] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file.Get(), buffer, 4, &read, nullptr));
    EXPECT_EQ(read, 4u);
    EXPECT_STREQ(buffer, "bcde");

    // Reading at the end succeeds with nothing read.
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    ASSERT_TRUE(ReadFile(file.Get(), buffer, 4, &read, nullptr));
    EXPECT_EQ(read, 0u);

    // A position before the start is refused and the pointer stays.
    SetFilePointer(file.Get(), 3, nullptr, FILE_BEGIN);
    EXPECT_EQ(SetFilePointer(file.Get(), -5, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(file.Get(), 0, nullptr, FILE_CURRENT), 3u);

    // Writing in the middle overwrites.
    ASSERT_TRUE(WriteText(file.Get(), "XY"));
    file.Close();
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "data.bin"), "abcXYfghij");

    // A handle opened for reading cannot write, and a closed one does nothing.
    FileHandle reader(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_TRUE(reader.Valid());
    DWORD written = 99;
    EXPECT_FALSE(WriteFile(reader.Get(), "z", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "z", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(Files, ShareModesBetweenHandles)
{
    test::TempFolder folder;
    WideString path = Join(folder.Wide(), "shared.bin");
    {
        FileHandle owner(Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
        ASSERT_TRUE(owner.Valid());
        ASSERT_TRUE(WriteText(owner.Get(), "kept"));

        // Nobody else may open a file held without sharing, not even to read,
        // and a refused CREATE_ALWAYS does not truncate it.
        FileHandle reader(Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
        EXPECT_FALSE(reader.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
        FileHandle writer(Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
        EXPECT_FALSE(writer.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));

        // Nor delete it.
        EXPECT_FALSE(DeleteFileW(path.c_str()));
    }
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "shared.bin"), "kept");
    {
        // Two readers that share reading; a writer is refused while they
        // do not share writing.
        FileHandle first(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        FileHandle second(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        EXPECT_TRUE(first.Valid());
        EXPECT_TRUE(second.Valid());
        FileHandle writer(Open(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
        EXPECT_FALSE(writer.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
        // A reader that does not share reading is refused too.
        FileHandle exclusive(Open(path, GENERIC_READ, 0, OPEN_EXISTING));
        EXPECT_FALSE(exclusive.Valid());
    }
    // Once every handle is closed the file is free again.
    FileHandle reopened(Open(path, GENERIC_WRITE, 0, OPEN_EXISTING));
    EXPECT_TRUE(reopened.Valid());
    reopened.Close();
    EXPECT_TRUE(DeleteFileW(path.c_str()));
    EXPECT_FALSE(test::FileExists(folder.Path() / "shared.bin"));
    EXPECT_FALSE(DeleteFileW(path.c_str()));
}

TEST(Files, AStreamThatDeniesWritingKeepsOtherWritersOut)
{
    test::TempFolder folder;
    WideString path = Join(folder.Wide(), "Results.xml");
    test::WriteFileBytes(folder.Path() / "Results.xml", "kept");

    FILE* owner = _wfsopen(path.c_str(), W("ab"), _SH_DENYWR);
    ASSERT_NE(owner, nullptr);
    // A second writer is refused, whatever it opens with, and a refused "wb"
    // truncates nothing.
    SetLastError(0);
    errno = 0;
    EXPECT_EQ(_wfsopen(path.c_str(), W("ab"), _SH_DENYWR), nullptr);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(_wfsopen(path.c_str(), W("wb"), _SH_DENYNO), nullptr);
    FILE* second = nullptr;
    EXPECT_EQ(_wfopen_s(&second, path.c_str(), W("wb")), EACCES);
    EXPECT_EQ(second, nullptr);
    {
        FileHandle sharing(Open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
        EXPECT_FALSE(sharing.Valid());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    }
    // Readers are let in.
    FILE* reader = _wfsopen(path.c_str(), W("rb"), _SH_DENYNO);
    EXPECT_NE(reader, nullptr);
    if (reader)
        std::fclose(reader);
    EXPECT_GE(std::fputs(" and more", owner), 0);
    std::fclose(owner);
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "Results.xml"), "kept and more");

    // Free again once closed; an unshared handle keeps the stream out in turn.
    {
        FileHandle handle(Open(path, GENERIC_WRITE, 0, OPEN_EXISTING));
        ASSERT_TRUE(handle.Valid());
        EXPECT_EQ(_wfsopen(path.c_str(), W("ab"), _SH_DENYWR), nullptr);
    }
    second = _wfsopen(path.c_str(), W("wb"), _SH_DENYWR);
    ASSERT_NE(second, nullptr);
    std::fclose(second);
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "Results.xml"), "");
}

TEST(Files, StreamsAreCutBackAndPositionedBeyondTwoGigabytes)
{
    test::TempFolder folder;
    WideString path = Join(folder.Wide(), "cut.bin");
    FILE* file = nullptr;
    ASSERT_EQ(_wfopen_s(&file, path.c_str(), W("wb")), 0);
    std::fputs("0123456789", file);
    std::fflush(file);
    // Cut back to 4 bytes, then go on writing there.
    EXPECT_EQ(_chsize_s(_fileno(file), 4), 0);
    EXPECT_EQ(_fseeki64(file, 0, SEEK_END), 0);
    EXPECT_EQ(_ftelli64(file), 4);
    std::fputs("ab", file);
    // A position past 2^31 (a sparse file).
    const long long beyond = 3LL * 1024 * 1024 * 1024;
    EXPECT_EQ(_fseeki64(file, beyond, SEEK_SET), 0);
    EXPECT_EQ(_ftelli64(file), beyond);
    EXPECT_EQ(_chsize_s(_fileno(file), 6), 0);
    std::fclose(file);
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "cut.bin"), "0123ab");
}

TEST(Files, MoveReplacesAFileInOneStep)
{
    test::TempFolder folder;
    WideString from = Join(folder.Wide(), "GeneralInfo.ini.tmp");
    WideString to = Join(folder.Wide(), "GeneralInfo.ini");
    test::WriteFileBytes(folder.Path() / "GeneralInfo.ini.tmp", "new");
    test::WriteFileBytes(folder.Path() / "GeneralInfo.ini", "old");

    // Without MOVEFILE_REPLACE_EXISTING an existing name is kept.
    EXPECT_FALSE(MoveFileExW(from.c_str(), to.c_str(), 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "GeneralInfo.ini"), "old");

    EXPECT_TRUE(MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "GeneralInfo.ini"), "new");
    EXPECT_FALSE(test::FileExists(folder.Path() / "GeneralInfo.ini.tmp"));

    // A missing file; a new name in a missing folder; a fresh name.
    EXPECT_FALSE(MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    WideString inMissing = Join(folder.Wide(), "missing/GeneralInfo.ini");
    EXPECT_FALSE(MoveFileExW(to.c_str(), inMissing.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    WideString fresh = Join(folder.Wide(), "fresh.ini");
    EXPECT_TRUE(MoveFileExW(to.c_str(), fresh.c_str(), 0));
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "fresh.ini"), "new");
}
