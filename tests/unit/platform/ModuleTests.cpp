// Module handles and file names. The tests link the library, so the library's
// module is the test executable's.
#include <gtest/gtest.h>

#include <cstring>

#include "pal/pal.h"

TEST(ModuleFileName, NamesTheExecutable)
{
    WCHAR path[1024];
    SetLastError(1234);
    DWORD length = GetModuleFileNameW(nullptr, path, 1024);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(length, PAL_wcslen(path));
    EXPECT_NE(WideString(path).find(W("annalist_tests")), WideString::npos);

    EXPECT_EQ(GetModuleHandleW(nullptr), PAL_GetLibraryModule());
    WCHAR library[1024];
    EXPECT_EQ(GetModuleFileNameW(PAL_GetLibraryModule(), library, 1024), length);
    EXPECT_EQ(WideString(library), WideString(path));
}

TEST(ModuleFileName, TooSmallABufferIsCut)
{
    WCHAR path[1024];
    DWORD length = GetModuleFileNameW(nullptr, path, 1024);
    ASSERT_GT(length, 5u);

    WCHAR cut[1024];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, cut, 5), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::memcmp(cut, path, 4 * sizeof(WCHAR)), 0);

    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, cut, length), length); // no room for the terminator
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetModuleFileNameW(nullptr, cut, length + 1), length);
    EXPECT_EQ(WideString(cut), WideString(path));

    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, cut, 0), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(ModuleFileName, UnknownModulesFail)
{
    int notAModule = 0;
    WCHAR path[64];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(&notAModule), path, 64), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleW(W("no-such-module-annalist.dll")), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(StringLength, CountsUnitsAndTakesNull)
{
    EXPECT_EQ(lstrlenA(nullptr), 0);
    EXPECT_EQ(lstrlenA("abc"), 3);
    EXPECT_EQ(lstrlenA("\xC3\xA9"), 2);
    EXPECT_EQ(lstrlenW(nullptr), 0);
    EXPECT_EQ(lstrlenW(W("a\x00e9")), 2);
}
