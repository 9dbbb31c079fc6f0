// Icon groups read from modules: the test modules built with mingw-w64, the
// library's own icons 201 and 202, and the Windows build's annalist.dll.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/IconFiles.h"
#include "support/TestSupport.h"
#include "support/IconFileTestSupport.h"

namespace {

bool TestModulesBuilt()
{
#if defined(ANNALIST_TEST_MODULES)
    return true;
#else
    return false;
#endif
}

std::vector<std::string> SetImages(const IconImageSet& set)
{
    std::vector<std::string> images;
    for (const IconImage& image : set.images)
        images.emplace_back(reinterpret_cast<const char*>(image.data.get()), image.dataSize);
    return images;
}

std::vector<std::string> IconFileImages(const std::filesystem::path& path)
{
    return test::IconFileImages(test::ReadFileBytes(path));
}

} // namespace

TEST(IconFileModule, GroupsOfPe32AndPe32PlusModules)
{
    if (!TestModulesBuilt())
        GTEST_SKIP() << "mingw-w64 was not found: no test modules";
    for (int bits : {32, 64}) {
        WideString path = test::ToWide(test::BuildPath("tests/icon_module" + std::to_string(bits) + ".dll"));
        IconSetPtr set(LoadIconGroup(path.c_str(), 5));
        ASSERT_TRUE(set) << bits;
        EXPECT_EQ(set->moduleName, path);
        EXPECT_TRUE(set->fileName.empty());
        EXPECT_EQ(SetImages(*set), IconFileImages(test::DataPath("icons/sample4.ico")));
        ASSERT_EQ(set->ImageCount(), 2);
        EXPECT_EQ(set->images[1].width, 16);
        EXPECT_EQ(set->images[1].colorDepth, 4);

        // Only the low 16 bits of the number name the group.
        set.reset(LoadIconGroup(path.c_str(), 0x10007));
        ASSERT_TRUE(set);
        EXPECT_EQ(SetImages(*set), IconFileImages(test::DataPath("icons/sample8.ico")));

        // A group with a missing image fails as a whole; so does a missing group.
        EXPECT_FALSE(LoadIconGroup(path.c_str(), 12));
        EXPECT_FALSE(LoadIconGroup(path.c_str(), 6));
    }
}

TEST(IconFileModule, ModulesThatCannotBeOpenedGiveNothing)
{
    test::TempFolder folder;
    test::WriteFileBytes(folder.Path() / "text.dll", "not a module");
    EXPECT_FALSE(LoadIconGroup(folder.Wide("text.dll").c_str(), 1));
    EXPECT_FALSE(LoadIconGroup(folder.Wide("missing.dll").c_str(), 1));
    EXPECT_FALSE(LoadIconGroup(nullptr, 1));
    EXPECT_FALSE(LoadIconGroup(W(""), 1));
    EXPECT_FALSE(LoadIconGroupFromModule(nullptr, W("LocalDll"), 201));
}

TEST(IconFileModule, TheLibrarysOwnIconsAreWrittenAsTheirSourceFiles)
{
    test::TempFolder folder;
    for (int id : {201, 202}) {
        IconSetPtr set(LoadIconGroupFromModule(PAL_GetLibraryModule(), W("LocalDll"), id));
        ASSERT_TRUE(set) << id;
        EXPECT_EQ(set->moduleName, W("LocalDll"));
        ASSERT_EQ(set->ImageCount(), 2);
        EXPECT_EQ(set->images[0].width, 32);
        EXPECT_EQ(set->images[1].width, 16);
        for (const IconImage& image : set->images)
            EXPECT_EQ(image.colorDepth, 4);

        // The source files have the same directory; only biSizeImage differs.
        std::string source =
            test::ReadFileBytes(test::DataPath("../../src/resources/icons/annalist" + std::to_string(id) + ".ico"));
        ASSERT_FALSE(source.empty());
        for (const std::string& image : test::IconFileImages(source))
            source.replace(source.find(image), image.size(), std::string(image).replace(20, 4, test::Le32(0)));
        ASSERT_TRUE(WriteIconFile(set.get(), folder.Wide("own.ico").c_str()));
        EXPECT_EQ(test::ReadFileBytes(folder.Path() / "own.ico"), source) << id;
    }
}

// The Windows build's DLL carries the same icons as the library here: under
// Wine the DLL beside the tests, natively the DLLs of the Windows builds when
// they have been built.
TEST(IconFileModule, TheWindowsDllCarriesTheSameIcons)
{
    int compared = 0;
    for (const char* relative : {"annalist.dll", "../windows-x86/annalist.dll", "../windows-x64/annalist.dll"}) {
        std::filesystem::path dll = test::BuildPath(relative);
        if (!test::FileExists(dll))
            continue;
        for (int id : {201, 202}) {
            IconSetPtr fromDll(LoadIconGroup(test::ToWide(dll).c_str(), id));
            IconSetPtr own(LoadIconGroupFromModule(PAL_GetLibraryModule(), W("LocalDll"), id));
            ASSERT_TRUE(fromDll) << relative << " " << id;
            ASSERT_TRUE(own);
            EXPECT_EQ(SetImages(*fromDll), SetImages(*own)) << relative << " " << id;
        }
        ++compared;
    }
    if (compared == 0)
        GTEST_SKIP() << "no Windows build of the library here";
}
