// Windows modules opened as data files: resources of real PE32 and PE32+
// files (resource-only modules the test build makes with mingw-w64), and
// files that are not modules or lie about their layout.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "pal/pal.h"
#include "support/TestSupport.h"
#include "support/IconFileTestSupport.h"
#include "support/PlatformTestSupport.h"

namespace {

const DWORD kErrorBadExeFormat = 193;

std::filesystem::path ModulePath(int bits)
{
    return test::BuildPath("tests/icon_module" + std::to_string(bits) + ".dll");
}

bool TestModulesBuilt()
{
#if defined(ANNALIST_TEST_MODULES)
    return true;
#else
    return false;
#endif
}

HMODULE OpenDataFile(const WideString& path) { return LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE); }

// The bytes of a resource in the default language (empty when it is missing).
std::string ResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name)
{
    HRSRC resource = FindResourceW(module, name, type);
    const char* data = resource ? static_cast<const char*>(LockResource(LoadResource(module, resource))) : nullptr;
    return data ? std::string(data, SizeofResource(module, resource)) : std::string();
}

// The RT_ICON ids that an RT_GROUP_ICON directory names.
std::vector<WORD> GroupIconIds(const std::string& group)
{
    std::vector<WORD> ids;
    if (group.size() < 6)
        return ids;
    uint32_t count = test::ReadLe16(group, 4);
    for (uint32_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i)
        ids.push_back(static_cast<WORD>(test::ReadLe16(group, 6 + 14 * i + 12)));
    return ids;
}

// The images of the group in the module, in the group's order.
std::vector<std::string> GroupImages(HMODULE module, LPCWSTR name)
{
    std::vector<std::string> images;
    for (WORD id : GroupIconIds(ResourceBytes(module, RT_GROUP_ICON, name)))
        images.push_back(ResourceBytes(module, RT_ICON, MAKEINTRESOURCEW(id)));
    return images;
}

std::vector<std::string> IconFileImages(const char* name)
{
    return test::IconFileImages(test::ReadFileBytes(test::DataPath(std::string("icons/") + name)));
}

class PeReader : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        if (!TestModulesBuilt())
            GTEST_SKIP() << "mingw-w64 was not found: no test modules";
        ASSERT_TRUE(test::FileExists(ModulePath(GetParam())));
        m_module = OpenDataFile(test::ToWide(ModulePath(GetParam())));
        ASSERT_NE(m_module, nullptr) << GetLastError();
    }
    void TearDown() override
    {
        if (m_module) {
            EXPECT_TRUE(FreeLibrary(m_module));
        }
    }

    HMODULE m_module = nullptr;
};

} // namespace

TEST_P(PeReader, IconGroupsNameTheImagesOfTheIconFiles)
{
    EXPECT_EQ(GroupImages(m_module, MAKEINTRESOURCEW(5)), IconFileImages("sample4.ico"));
    EXPECT_EQ(GroupImages(m_module, MAKEINTRESOURCEW(7)), IconFileImages("sample8.ico"));
    EXPECT_EQ(GroupImages(m_module, W("NAMED")), IconFileImages("sample32.ico"));

    // The group directory: two 14-byte entries naming images 1 and 2.
    std::string group = ResourceBytes(m_module, RT_GROUP_ICON, MAKEINTRESOURCEW(5));
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    EXPECT_EQ(GroupIconIds(group), (std::vector<WORD>{1, 2}));

    // Names compare without regard to case; "#5" is the integer id 5.
    HRSRC named = FindResourceW(m_module, W("NAMED"), RT_GROUP_ICON);
    EXPECT_NE(named, nullptr);
    EXPECT_EQ(FindResourceW(m_module, W("named"), RT_GROUP_ICON), named);
    EXPECT_EQ(FindResourceW(m_module, W("#5"), RT_GROUP_ICON), FindResourceW(m_module, MAKEINTRESOURCEW(5), RT_GROUP_ICON));
}

TEST_P(PeReader, TheDefaultLanguageIsChosenAsWindowsChoosesIt)
{
    // English before German.
    HRSRC english = FindResourceExW(m_module, RT_GROUP_ICON, MAKEINTRESOURCEW(9), 0x0409);
    HRSRC german = FindResourceExW(m_module, RT_GROUP_ICON, MAKEINTRESOURCEW(9), 0x0407);
    ASSERT_NE(english, nullptr);
    ASSERT_NE(german, nullptr);
    EXPECT_NE(english, german);
    EXPECT_EQ(FindResourceW(m_module, MAKEINTRESOURCEW(9), RT_GROUP_ICON), english);
    EXPECT_EQ(GroupImages(m_module, MAKEINTRESOURCEW(9)), IconFileImages("english.ico"));

    // Neither neutral nor English: the first in the directory (German, 0x0407).
    HRSRC first = FindResourceExW(m_module, RT_GROUP_ICON, MAKEINTRESOURCEW(11), 0x0407);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(FindResourceW(m_module, MAKEINTRESOURCEW(11), RT_GROUP_ICON), first);
    EXPECT_EQ(GroupImages(m_module, MAKEINTRESOURCEW(11)), IconFileImages("german.ico"));

    // A language asked for by number must be there.
    SetLastError(0);
    EXPECT_EQ(FindResourceExW(m_module, RT_GROUP_ICON, MAKEINTRESOURCEW(11), 0x0409), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, PeReader, ::testing::Values(32, 64));

TEST(PeReaderFiles, FilesThatAreNotModulesFail)
{
    test::TempFolder folder;
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string mzOnly = "MZ" + std::string(62, '\0');
    std::string badSignature = mzOnly;
    badSignature[0x3C] = 0x40;
    badSignature += "PX" + std::string(300, '\0');
    const Case cases[] = {
        {"text.dll", "This is not a module.\r\n"},
        {"mz-only.dll", mzOnly},
        {"bad-signature.dll", badSignature},
    };
    for (const Case& c : cases) {
        test::WriteFileBytes(folder.Path() / c.name, c.bytes);
        SetLastError(0);
        HMODULE module = OpenDataFile(folder.Wide(c.name));
        EXPECT_EQ(module, nullptr) << c.name;
        EXPECT_EQ(GetLastError(), kErrorBadExeFormat) << c.name;
        if (module)
            FreeLibrary(module);
    }

    // A missing file is not found, whether its folder exists or not.
    SetLastError(0);
    EXPECT_EQ(OpenDataFile(folder.Wide("missing.dll")), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(OpenDataFile(folder.Wide("no-folder/missing.dll")), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    test::WriteFileBytes(folder.Path() / "empty.dll", "");
    SetLastError(0);
    EXPECT_EQ(OpenDataFile(folder.Wide("empty.dll")), nullptr);
    EXPECT_EQ(GetLastError(), 1006u); // ERROR_FILE_INVALID
    std::filesystem::create_directory(folder.Path() / "folder.dll");
    SetLastError(0);
    EXPECT_EQ(OpenDataFile(folder.Wide("folder.dll")), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

namespace {

// Where the raw data of the ".rsrc" section lie in a PE file.
bool ResourceSectionRange(const std::string& file, size_t& offset, size_t& size)
{
    uint32_t nt = test::ReadLe32(file, 0x3C);
    uint32_t sections = test::ReadLe16(file, nt + 6);
    uint32_t optionalSize = test::ReadLe16(file, nt + 20);
    for (uint32_t i = 0; i < sections; ++i) {
        size_t header = nt + 24 + optionalSize + 40 * i;
        if (file.compare(header, 6, ".rsrc\0", 6) == 0) {
            size = test::ReadLe32(file, header + 16);
            offset = test::ReadLe32(file, header + 20);
            return true;
        }
    }
    return false;
}

// Opens the file as a module and reads every resource it may offer in full,
// so that the sanitizers see any read outside the module's copy. Returns how
// many resources were found, -1 when the file did not open.
int ReadEverything(const WideString& path)
{
    HMODULE module = OpenDataFile(path);
    if (!module)
        return -1;
    const LPCWSTR types[] = {RT_GROUP_ICON, RT_ICON};
    std::vector<LPCWSTR> names = {W("NAMED")};
    for (WORD id = 1; id <= 12; ++id)
        names.push_back(MAKEINTRESOURCEW(id));
    int found = 0;
    unsigned sum = 0;
    for (LPCWSTR type : types) {
        for (LPCWSTR name : names) {
            for (WORD language : {0x0000, 0x0407}) {
                HRSRC resource = FindResourceExW(module, type, name, language);
                if (!resource)
                    continue;
                ++found;
                DWORD size = SizeofResource(module, resource);
                const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
                for (DWORD i = 0; data && i < size; ++i)
                    sum += data[i];
            }
        }
    }
    EXPECT_TRUE(FreeLibrary(module));
    return found + static_cast<int>(sum & 0); // the sum only makes the reads happen
}

} // namespace

// The real loader is not ours to harden: these run against the POSIX layer's
// own PE reader only.
TEST(PeReaderFiles, TruncatedAndCorruptedModulesNeitherCrashNorReadOutsideTheFile)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "checks the POSIX layer's PE reader";
    if (!TestModulesBuilt())
        GTEST_SKIP() << "mingw-w64 was not found: no test modules";
    test::TempFolder folder;
    const std::filesystem::path file = folder.Path() / "fuzz.dll";
    const WideString path = folder.Wide("fuzz.dll");

    for (int bits : {32, 64}) {
        std::string original = test::ReadFileBytes(ModulePath(bits));
        test::WriteFileBytes(file, original);
        int complete = ReadEverything(path);
        ASSERT_GT(complete, 8);

        // Every 32-bit value of the headers and of the resource tree replaced
        // by values that point outside, back to the start, or at everything.
        // The file is changed in place, 4 bytes at a time.
        size_t rsrcOffset = 0, rsrcSize = 0;
        ASSERT_TRUE(ResourceSectionRange(original, rsrcOffset, rsrcSize));
        std::vector<size_t> positions;
        for (size_t at = 0; at + 4 <= 1024 && at + 4 <= original.size(); at += 2)
            positions.push_back(at);
        for (size_t at = rsrcOffset; at + 4 <= rsrcOffset + 768 && at + 4 <= original.size(); at += 2)
            positions.push_back(at);
        {
            std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
            auto put = [&stream](size_t at, const std::string& bytes) {
                stream.seekp(static_cast<std::streamoff>(at));
                stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
                stream.flush();
            };
            for (size_t at : positions) {
                for (uint32_t value : {0xFFFFFFFFu, 0x7FFFFFF0u, 0x80000000u, 0x00010000u}) {
                    put(at, test::Le32(value));
                    ReadEverything(path);
                }
                put(at, original.substr(at, 4));
            }
        }
        ASSERT_EQ(test::ReadFileBytes(file), original);

        // Every length, from the whole file down: the headers byte by byte,
        // the rest in steps.
        for (size_t length = original.size(); length-- > 0;) {
            if (length >= 1024 && length % 7 != 0)
                continue;
            std::filesystem::resize_file(file, length);
            EXPECT_LE(ReadEverything(path), complete) << "length " << length;
        }
    }
}

// A module whose resource section claims 3 GiB (a sparse file of that size
// with a few kilobytes in it) is read for what its resources need: reading
// the whole claimed section once cost seconds and gigabytes.
TEST(PeReaderFiles, AResourceSectionThatClaimsGigabytesReadsOnlyWhatIsNeeded)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "checks the POSIX layer's PE reader";
    if (!TestModulesBuilt())
        GTEST_SKIP() << "mingw-w64 was not found: no test modules";
    test::TempFolder folder;
    std::string module = test::ReadFileBytes(ModulePath(32));
    size_t rsrcOffset = 0, rsrcSize = 0;
    ASSERT_TRUE(ResourceSectionRange(module, rsrcOffset, rsrcSize));
    // The raw size in the section header, and the file made that long.
    uint32_t nt = test::ReadLe32(module, 0x3C);
    uint32_t sections = test::ReadLe16(module, nt + 6);
    uint32_t optionalSize = test::ReadLe16(module, nt + 20);
    const uint64_t claimed = 3ull << 30;
    for (uint32_t i = 0; i < sections; ++i) {
        size_t header = nt + 24 + optionalSize + 40 * i;
        if (module.compare(header, 6, ".rsrc\0", 6) == 0)
            module.replace(header + 16, 4, test::Le32(static_cast<uint32_t>(claimed)));
    }
    test::WriteFileBytes(folder.Path() / "huge.dll", module);
    std::filesystem::resize_file(folder.Path() / "huge.dll", rsrcOffset + claimed);

    auto start = std::chrono::steady_clock::now();
    HMODULE opened = OpenDataFile(folder.Wide("huge.dll"));
    ASSERT_NE(opened, nullptr) << GetLastError();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(GroupImages(opened, MAKEINTRESOURCEW(5)), IconFileImages("sample4.ico"));
    EXPECT_EQ(GroupImages(opened, W("NAMED")), IconFileImages("sample32.ico"));
    FreeLibrary(opened);
}
