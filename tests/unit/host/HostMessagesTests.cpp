// Messages through the host application object, the plain message box without
// it, and the host's installation folder.
#include <gtest/gtest.h>

#include <cstdio>

#include "host/HostMessages.h"
#include "host/InstallationDirCache.h"
#include "text/ResourceStrings.h"
#include "support/FakeHostApplication.h"
#include "support/PlatformTestSupport.h"

TEST(HostMessages, ReachTheHostWithTheirArgumentsAndAnswer)
{
    test::FakeHostApplication host;
    ASSERT_TRUE(host.Registered());
    host.answer = [](const test::HostMessage&, size_t number) { return number == 0 ? IDRETRY : 77; };

    EXPECT_EQ(ShowHostMessage(W("Free some space."), MB_RETRYCANCEL | MB_ICONERROR, 0, IDCANCEL, nullptr), IDRETRY);
    // Whatever the host answers comes back, even a code no box has.
    EXPECT_EQ(ShowHostMessage(W("Second"), MB_ICONERROR, 5, -1, W("My caption")), 77);

    ASSERT_EQ(host.messages.size(), 2u);
    const test::HostMessage& first = host.messages[0];
    EXPECT_EQ(first.text, W("Free some space."));
    EXPECT_EQ(first.style, 0x15);
    EXPECT_EQ(first.a, 0);
    EXPECT_EQ(first.b, IDCANCEL);
    // A null caption reaches the host as null, not as the default caption.
    EXPECT_TRUE(first.captionIsNull);
    const test::HostMessage& second = host.messages[1];
    EXPECT_EQ(second.text, W("Second"));
    EXPECT_EQ(second.style, 0x10);
    EXPECT_EQ(second.a, 5);
    EXPECT_EQ(second.b, -1);
    EXPECT_FALSE(second.captionIsNull);
    EXPECT_EQ(second.caption, W("My caption"));
    EXPECT_TRUE(host.AllReleased());
}

TEST(HostMessages, ByIdLoadsTheLibrarysOwnStrings)
{
    test::FakeHostApplication host;
    ASSERT_TRUE(host.Registered());
    host.answer = [](const test::HostMessage&, size_t) { return IDOK; };

    EXPECT_EQ(ShowHostMessageById(IDS_DISK_FULL, MB_RETRYCANCEL | MB_ICONERROR, 0, IDCANCEL, nullptr, nullptr), IDOK);
    EXPECT_EQ(ShowHostMessageById(IDS_RESULTS_PATH_TOO_LONG, MB_ICONERROR, 0, -1, nullptr, GetResourceModule()), IDOK);
    // A string that does not exist is shown as an empty message.
    EXPECT_EQ(ShowHostMessageById(9999, MB_OK, 0, 0, nullptr, nullptr), IDOK);

    ASSERT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[0].text, W("There is not enough disk space on the drive you are using.\n"
                                       "Free some disk space and click Retry.\n"
                                       "If you click Cancel, your report will not be created successfully."));
    EXPECT_EQ(host.messages[1].text, W("The pathname of the test results folder is too long. The test results may "
                                       "not be saved correctly.\nMake sure you are not running a nested action.\n"));
    EXPECT_TRUE(host.messages[2].text.empty());
}

// Without the host a plain message box is shown. On Windows that is a window
// a test run cannot answer, so this runs on the console box of POSIX only.
TEST(HostMessages, WithoutTheHostAPlainMessageBoxWithTheDefaultCaption)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "MessageBoxW shows a window on Windows";
    ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
    test::ScopedEnvironment answer(W("ANNALIST_MESSAGEBOX_ANSWER"), W("retry"));

    ::testing::internal::CaptureStderr();
    int result = ShowHostMessage(W("No host here."), MB_RETRYCANCEL | MB_ICONERROR, 0, IDCANCEL, nullptr);
    std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, IDRETRY);
    EXPECT_NE(shown.find("Corvane"), std::string::npos) << shown;
    EXPECT_NE(shown.find("No host here."), std::string::npos) << shown;

    ::testing::internal::CaptureStderr();
    result = ShowHostMessageById(IDS_DISK_FULL, MB_RETRYCANCEL | MB_ICONERROR, 0, IDCANCEL, W("Own caption"), nullptr);
    shown = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, IDRETRY);
    EXPECT_NE(shown.find("Own caption"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Corvane"), std::string::npos) << shown;
    EXPECT_NE(shown.find("There is not enough disk space on the drive you are using."), std::string::npos) << shown;
}

TEST(InstallationDir, AskedUntilTheHostAnswersATextThenKept)
{
    CInstallationDirCache cache;
    CBstrString folder(W("stale"));
    // No host: nothing, and the out text is emptied.
    EXPECT_FALSE(cache.Get(folder));
    EXPECT_TRUE(folder.IsEmpty());

    test::FakeHostApplication host;
    ASSERT_TRUE(host.Registered());
    // An answer that is not a text is no answer: asked again every time.
    EXPECT_FALSE(cache.Get(folder));
    V_VT(&host.installationDir) = VT_I4;
    V_I4(&host.installationDir) = 5;
    EXPECT_FALSE(cache.Get(folder));
    EXPECT_EQ(host.valueRequests, 2);

    V_VT(&host.installationDir) = VT_BSTR;
    V_BSTR(&host.installationDir) = SysAllocString(W("C:\\Program Files\\Corvane"));
    EXPECT_TRUE(cache.Get(folder));
    EXPECT_EQ(folder, W("C:\\Program Files\\Corvane"));
    EXPECT_TRUE(cache.Get(folder));
    EXPECT_TRUE(cache.Get(folder));
    EXPECT_EQ(folder, W("C:\\Program Files\\Corvane"));
    EXPECT_EQ(host.valueRequests, 3);
    EXPECT_TRUE(host.AllReleased());
}

TEST(InstallationDir, TheProcessWideCacheKeepsTheHostsAnswer)
{
    CBstrString folder;
    {
        test::FakeHostApplication host;
        ASSERT_TRUE(host.Registered());
        V_VT(&host.installationDir) = VT_BSTR;
        V_BSTR(&host.installationDir) = SysAllocString(W("C:\\Host"));
        EXPECT_TRUE(GetInstallationDir(folder));
        EXPECT_EQ(folder, W("C:\\Host"));
    }
    // The host has gone; the answer stays.
    folder.Empty();
    EXPECT_TRUE(GetInstallationDir(folder));
    EXPECT_EQ(folder, W("C:\\Host"));
}
