// Modules that the process has loaded, found by name, and their exports.
#include <gtest/gtest.h>

#include "support/PlatformTestSupport.h"

TEST(DynamicSymbols, AModuleThatIsNotLoadedIsNotFound)
{
    SetLastError(0);
    EXPECT_EQ(nullptr, GetModuleHandleW(W("QlxApplicationU")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, GetModuleHandleW(W("KovLogFile.dll")));
}

TEST(DynamicSymbols, ExportsOfALoadedModuleAreFound)
{
    // A system library every process of the platform has loaded.
    const WCHAR* name = test::PosixPlatformLayer() ? W("libc.so.6") : W("kernel32");
    const char* exported = test::PosixPlatformLayer() ? "strlen" : "GetProcAddress";
    HMODULE module = GetModuleHandleW(name);
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(module, GetModuleHandleW(name));
    EXPECT_NE(nullptr, GetProcAddress(module, exported));

    SetLastError(0);
    EXPECT_EQ(nullptr, GetProcAddress(module, "NoSuchExportAnywhere"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
}

TEST(DynamicSymbols, TheExecutableExportsNothingUnknown)
{
    HMODULE executable = GetModuleHandleW(nullptr);
    ASSERT_NE(nullptr, executable);
    SetLastError(0);
    EXPECT_EQ(nullptr, GetProcAddress(executable, "QlxGetExecutionEngine"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
}
