// The console message box of the POSIX layer. On Windows MessageBoxW shows a
// window, which a test run cannot answer, so these tests run on POSIX only.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/PlatformTestSupport.h"

namespace {

class ConsoleMessageBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::PosixPlatformLayer())
            GTEST_SKIP() << "MessageBoxW shows a window on Windows";
        // Nobody at a terminal: stdin is not one, and stderr is captured.
        ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
    }

    // Shows a box and keeps what it wrote to stderr.
    int Show(const WCHAR* text, const WCHAR* caption, UINT type)
    {
        ::testing::internal::CaptureStderr();
        int answer = MessageBoxW(nullptr, text, caption, type);
        m_output = ::testing::internal::GetCapturedStderr();
        return answer;
    }

    std::string m_output;
};

} // namespace

TEST_F(ConsoleMessageBox, UnattendedAnswers)
{
    test::ScopedEnvironment noAnswer(W("ANNALIST_MESSAGEBOX_ANSWER"), nullptr);
    EXPECT_EQ(Show(W("There is not enough disk space.\nFree some disk space and click Retry."), W("Annalist"),
                   MB_RETRYCANCEL | MB_ICONERROR),
              IDCANCEL);
    EXPECT_NE(m_output.find("Annalist"), std::string::npos);
    EXPECT_NE(m_output.find("There is not enough disk space.\nFree some disk space and click Retry."), std::string::npos);
    EXPECT_NE(m_output.find("Cancel"), std::string::npos);

    EXPECT_EQ(Show(W("The pathname is too long."), nullptr, MB_ICONERROR), IDOK);
    EXPECT_NE(m_output.find("Error"), std::string::npos); // the caption of a box without one
    EXPECT_EQ(Show(W("?"), W("c"), MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(Show(W("?"), W("c"), MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(Show(W("?"), W("c"), MB_YESNO), IDNO);
    EXPECT_EQ(Show(W("?"), W("c"), MB_ABORTRETRYIGNORE), IDABORT);
    EXPECT_EQ(Show(W("?"), W("c"), MB_CANCELTRYCONTINUE), IDCANCEL);
    EXPECT_EQ(Show(W("non-ASCII \x00e9\x20ac"), W("c"), MB_OK), IDOK);
    EXPECT_NE(m_output.find("non-ASCII \xC3\xA9\xE2\x82\xAC"), std::string::npos);
}

TEST_F(ConsoleMessageBox, AnswerChosenByTheEnvironment)
{
    {
        test::ScopedEnvironment answer(W("ANNALIST_MESSAGEBOX_ANSWER"), W("retry"));
        EXPECT_EQ(Show(W("full"), W("c"), MB_RETRYCANCEL | MB_ICONERROR), IDRETRY);
        EXPECT_NE(m_output.find("Retry"), std::string::npos);
        EXPECT_EQ(Show(W("?"), W("c"), MB_ABORTRETRYIGNORE), IDRETRY);
        // A box without that button answers as it would unattended.
        EXPECT_EQ(Show(W("too long"), W("c"), MB_OK | MB_ICONERROR), IDOK);
        EXPECT_EQ(Show(W("?"), W("c"), MB_YESNO), IDNO);
    }
    {
        test::ScopedEnvironment answer(W("ANNALIST_MESSAGEBOX_ANSWER"), W("Yes"));
        EXPECT_EQ(Show(W("?"), W("c"), MB_YESNOCANCEL), IDYES);
    }
    {
        test::ScopedEnvironment answer(W("ANNALIST_MESSAGEBOX_ANSWER"), W("CANCEL"));
        EXPECT_EQ(Show(W("?"), W("c"), MB_RETRYCANCEL), IDCANCEL);
    }
    {
        test::ScopedEnvironment answer(W("ANNALIST_MESSAGEBOX_ANSWER"), W("tryagain"));
        EXPECT_EQ(Show(W("?"), W("c"), MB_CANCELTRYCONTINUE), IDTRYAGAIN);
    }
}

TEST_F(ConsoleMessageBox, UnknownStyleIsRefused)
{
    EXPECT_EQ(Show(W("?"), W("c"), 0x0000000F), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_MSGBOX_STYLE));
}
