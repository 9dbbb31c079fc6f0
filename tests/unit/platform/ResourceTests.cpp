// The library's resources as both builds serve them: the Windows build's come
// from windres, the POSIX build's from the embedded table in the PE layout.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pal/pal.h"

namespace {

const WORD kEnglishUS = 0x0409;

WideString Load(UINT id, int bufferSize = 1024)
{
    std::vector<WCHAR> buffer(static_cast<size_t>(bufferSize) + 1, 'x');
    int count = LoadStringW(PAL_GetLibraryModule(), id, buffer.data(), bufferSize);
    return WideString(buffer.data(), static_cast<size_t>(count));
}

// The counted strings of an RT_STRING block.
std::vector<WideString> ParseBlock(const BYTE* data, DWORD size)
{
    std::vector<WideString> strings;
    DWORD offset = 0;
    while (offset + 2 <= size) {
        WORD length;
        std::memcpy(&length, data + offset, 2);
        offset += 2;
        if (offset + length * 2u > size)
            break;
        WideString text(length, 0);
        std::memcpy(&text[0], data + offset, length * 2u);
        strings.push_back(text);
        offset += length * 2u;
    }
    return strings;
}

} // namespace

TEST(LoadString, LoadsWholeStringsOfTheLibrary)
{
    EXPECT_EQ(Load(100), W("Annalist"));
    EXPECT_EQ(Load(34452).substr(0, 44), W("There is not enough disk space on drive '%s'"));

    WideString header = Load(268);
    ASSERT_EQ(header.size(), 703u);
    EXPECT_EQ(header.substr(0, 7), W("<html>\n"));
    EXPECT_EQ(header.substr(header.size() - 4), W("-->\n"));
    EXPECT_NE(header.find(W("\t%s\t\n")), WideString::npos);

    WideString stub = Load(274);
    ASSERT_GE(stub.size(), 3u);
    EXPECT_EQ(stub.substr(stub.size() - 3), W("  \n"));
}

TEST(LoadString, MissingStringsGiveZero)
{
    WCHAR buffer[16] = {'x'};
    EXPECT_EQ(LoadStringW(PAL_GetLibraryModule(), 102, buffer, 16), 0); // in a block that exists
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(LoadStringW(PAL_GetLibraryModule(), 5000, buffer, 16), 0); // no such block
    EXPECT_EQ(LoadStringW(PAL_GetLibraryModule(), 0, buffer, 16), 0);
}

TEST(LoadString, CutsToTheBufferAndTerminates)
{
    WCHAR buffer[8];
    std::memset(buffer, 0x55, sizeof(buffer));
    EXPECT_EQ(LoadStringW(PAL_GetLibraryModule(), 100, buffer, 5), 4);
    EXPECT_EQ(WideString(buffer), W("Anna"));
    EXPECT_EQ(buffer[5], 0x5555); // nothing written past the buffer

    // Room for the terminator only: nothing is copied. (Windows leaves such a
    // buffer as it was; the POSIX layer terminates it.)
    EXPECT_EQ(LoadStringW(PAL_GetLibraryModule(), 100, buffer, 1), 0);

    // The buffer must hold the terminator too: 8 units of room give 7.
    EXPECT_EQ(LoadStringW(PAL_GetLibraryModule(), 100, buffer, 8), 7);
    EXPECT_EQ(WideString(buffer), W("Annalis"));
}

TEST(LoadString, ZeroSizeGivesAPointerToTheResourceText)
{
    const WCHAR* text = nullptr;
    int length = LoadStringW(PAL_GetLibraryModule(), 101, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_EQ(length, 13);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(WideString(text, 13), W("Windows Vista"));
}

TEST(Resources, StringBlocksHaveTheSixteenStringLayout)
{
    HMODULE module = PAL_GetLibraryModule();
    // Block 7 holds ids 96 to 111: 100 and 101 are set, the rest are empty.
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(7), kEnglishUS);
    ASSERT_NE(block, nullptr);
    DWORD size = SizeofResource(module, block);
    EXPECT_EQ(size, 16u * 2 + (8 + 13) * 2);
    HGLOBAL loaded = LoadResource(module, block);
    ASSERT_NE(loaded, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    ASSERT_NE(data, nullptr);
    std::vector<WideString> strings = ParseBlock(data, size);
    ASSERT_EQ(strings.size(), 16u);
    EXPECT_EQ(strings[4], W("Annalist"));
    EXPECT_EQ(strings[5], W("Windows Vista"));
    for (size_t i : {0, 1, 2, 3, 6, 15})
        EXPECT_TRUE(strings[i].empty()) << i;

    // The neutral language and FindResourceW choose the en-US block; "#7"
    // names the same integer id.
    EXPECT_EQ(FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(7), 0), block);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(7), RT_STRING), block);
    EXPECT_EQ(FindResourceW(module, W("#7"), RT_STRING), block);
    EXPECT_EQ(FindResourceW(module, W("#7"), W("#6")), block);
    EXPECT_EQ(FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(7), 0x0400), block); // user default
}

TEST(Resources, ReportsWhatIsMissing)
{
    HMODULE module = PAL_GetLibraryModule();
    SetLastError(0);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1000), RT_STRING), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(7), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(7), W("NO_SUCH_TYPE")), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    // A language other than the neutral ones must match exactly.
    for (WORD language : {0x0407, 0x0809, 0x0009}) {
        SetLastError(0);
        EXPECT_EQ(FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(7), language), nullptr) << language;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
    }
    // A name that is a text is not an integer id.
    EXPECT_EQ(FindResourceW(module, W("7"), RT_STRING), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

// Once the library carries icons, every image of each group resolves to an
// RT_ICON of the size the group gives.
TEST(Resources, IconGroupsNameTheirImages)
{
    HMODULE module = PAL_GetLibraryModule();
    int groups = 0;
    for (WORD id : {201, 202}) {
        HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
        if (!group)
            continue;
        ++groups;
        DWORD size = SizeofResource(module, group);
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
        ASSERT_GE(size, 6u);
        WORD count;
        std::memcpy(&count, data + 4, 2);
        ASSERT_EQ(size, 6u + count * 14u);
        for (WORD i = 0; i < count; ++i) {
            const BYTE* entry = data + 6 + i * 14;
            DWORD bytes;
            WORD iconId;
            std::memcpy(&bytes, entry + 8, 4);
            std::memcpy(&iconId, entry + 12, 2);
            HRSRC icon = FindResourceW(module, MAKEINTRESOURCEW(iconId), RT_ICON);
            ASSERT_NE(icon, nullptr) << iconId;
            EXPECT_EQ(SizeofResource(module, icon), bytes);
        }
    }
    if (groups == 0)
        GTEST_SKIP() << "the library has no icons yet";
}

TEST(Resources, DataFileModulesOfMissingFilesFail)
{
    SetLastError(0);
    EXPECT_EQ(LoadLibraryExW(W("no-such-module-annalist.dll"), nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
