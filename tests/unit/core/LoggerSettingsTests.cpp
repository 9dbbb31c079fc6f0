// The logger's settings: registry root, results path, filter, and the two
// questions the host may ask in advance.
#include <gtest/gtest.h>

#include "core/ProductLevelSetting.h"
#include "support/TestLogger.h"
#include "support/PlatformTestSupport.h"

namespace {

CBstrString Bstr(const char* text) { return CBstrString(test::Utf8ToUtf16(text).c_str()); }

LONG Disabled(CAnnalistImp* logger, const char* type)
{
    LONG disabled = -1;
    EXPECT_EQ(S_OK, logger->IsEventTypeDisabled(Bstr(type).Get(), &disabled));
    return disabled;
}

} // namespace

TEST(LoggerSettings, EnabledEventTypesEndAtTheFirstMissingValue)
{
    test::CTestSettings settings;
    settings.SetText("Eve1", "Replay");
    settings.SetText("Eve2", "User");
    settings.SetText("Eve4", "Error");
    auto logger = test::CreateTestLogger();
    EXPECT_EQ(1, Disabled(logger.Get(), "Replay"));
    EXPECT_EQ(S_OK, logger->SetRegistryRoot(CBstrString(settings.Root().c_str()).Get()));
    EXPECT_EQ(0, Disabled(logger.Get(), "Replay"));
    EXPECT_EQ(0, Disabled(logger.Get(), "User"));
    EXPECT_EQ(1, Disabled(logger.Get(), "Error"));
    EXPECT_EQ(1, Disabled(logger.Get(), "user")); // case-sensitive
    EXPECT_TRUE(logger->Settings().IterationFolderPrefix() == W("Row"));

    // Another root adds its types; the set is not emptied.
    test::CTestSettings more;
    more.SetText("Eve1", "Error");
    more.SetText("IterDir", "Iteration");
    EXPECT_EQ(S_OK, logger->SetRegistryRoot(CBstrString(more.Root().c_str()).Get()));
    EXPECT_EQ(0, Disabled(logger.Get(), "Replay"));
    EXPECT_EQ(0, Disabled(logger.Get(), "Error"));
    EXPECT_TRUE(logger->Settings().IterationFolderPrefix() == W("Iteration"));

    // A root that cannot be opened changes nothing and is no error.
    EXPECT_EQ(S_OK, logger->SetRegistryRoot(Bstr("SOFTWARE\\AnnalistTests\\NoSuchKey").Get()));
    EXPECT_EQ(0, Disabled(logger.Get(), "Error"));
    EXPECT_TRUE(logger->Settings().IterationFolderPrefix() == W("Iteration"));

    LONG* none = nullptr;
    EXPECT_EQ(E_POINTER, logger->IsEventTypeDisabled(Bstr("Replay").Get(), none));
}

TEST(LoggerSettings, AValueTooLongForItsBufferEndsTheList)
{
    test::CTestSettings settings;
    settings.SetText("Eve1", std::string(63, 'a'));
    settings.SetText("Eve2", std::string(64, 'b'));
    settings.SetText("Eve3", "Replay");
    settings.SetText("IterDir", std::string(64, 'r'));
    auto logger = test::CreateTestLogger();
    logger->SetRegistryRoot(CBstrString(settings.Root().c_str()).Get());
    EXPECT_EQ(0, Disabled(logger.Get(), std::string(63, 'a').c_str()));
    EXPECT_EQ(1, Disabled(logger.Get(), std::string(64, 'b').c_str()));
    EXPECT_EQ(1, Disabled(logger.Get(), "Replay"));
    EXPECT_TRUE(logger->Settings().IterationFolderPrefix() == W("Row"));
}

TEST(LoggerSettings, ResultsFolderFollowsTheDirectorySetting)
{
    test::TempFolder folder;
    test::CTestSettings settings;
    auto logger = test::CreateTestLogger();
    CBstrString path(folder.Wide().c_str());

    // No registry root, then a root without "Directory": refused, nothing stored.
    EXPECT_EQ(E_FAIL, logger->put_ReportPath(path.Get()));
    logger->SetRegistryRoot(CBstrString(settings.Root().c_str()).Get());
    EXPECT_EQ(E_FAIL, logger->put_ReportPath(path.Get()));
    EXPECT_TRUE(logger->Results().Path().IsEmpty());

    settings.SetText("Directory", ".");
    EXPECT_EQ(S_OK, logger->put_ReportPath(path.Get()));
    EXPECT_TRUE(logger->Results().Path() == path);
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "Icons"));

    settings.SetText("Directory", "Report");
    EXPECT_EQ(S_OK, logger->put_ReportPath(path.Get()));
    EXPECT_EQ(test::Join(folder.Wide(), "Report"), WideString(logger->Results().Path().c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "Report" / "Icons"));
}

TEST(LoggerSettings, FilterIsStoredUncheckedAndDecidesWhatIsFiltered)
{
    test::CTestSettings settings;
    settings.SetEventTypes({"User"});
    auto logger = test::CreateTestLogger();
    logger->SetRegistryRoot(CBstrString(settings.Root().c_str()).Get());

    tagReportFilter filter = rfDisableAll;
    EXPECT_EQ(S_OK, logger->get_Filter(&filter));
    EXPECT_EQ(rfEnableAll, filter);
    EXPECT_EQ(E_POINTER, logger->get_Filter(nullptr));

    LONG filtered = -1;
    EXPECT_EQ(S_OK, logger->IsEventFiltered(Bstr("User").Get(), kovInfo, &filtered));
    EXPECT_EQ(0, filtered);
    EXPECT_EQ(S_OK, logger->put_Filter(rfEnableErrorsOnly));
    EXPECT_EQ(S_OK, logger->IsEventFiltered(Bstr("User").Get(), kovInfo, &filtered));
    EXPECT_EQ(1, filtered);
    EXPECT_EQ(S_OK, logger->IsEventFiltered(Bstr("User").Get(), kovFail, &filtered));
    EXPECT_EQ(0, filtered);
    EXPECT_EQ(E_INVALIDARG, logger->IsEventFiltered(Bstr("User").Get(), 7, &filtered));
    EXPECT_EQ(E_INVALIDARG, logger->IsEventFiltered(Bstr("User").Get(), -1, &filtered));
    // A type that is not enabled is filtered whatever its status.
    EXPECT_EQ(S_OK, logger->IsEventFiltered(Bstr("Replay").Get(), 7, &filtered));
    EXPECT_EQ(1, filtered);
    EXPECT_EQ(E_POINTER, logger->IsEventFiltered(Bstr("User").Get(), kovFail, nullptr));

    EXPECT_EQ(S_OK, logger->put_Filter(static_cast<tagReportFilter>(9)));
    EXPECT_EQ(S_OK, logger->get_Filter(&filter));
    EXPECT_EQ(9, static_cast<int>(filter));
    EXPECT_EQ(S_OK, logger->IsEventFiltered(Bstr("User").Get(), kovFail, &filtered));
    EXPECT_EQ(1, filtered);
}

TEST(LoggerSettings, ProductLevelComesFromTheEnvironment)
{
    {
        test::ScopedEnvironment level(W("ANNALIST_PRODUCT_LEVEL"), nullptr);
        EXPECT_EQ(ProductLevel::Current, ReadProductLevelSetting());
    }
    {
        test::ScopedEnvironment level(W("ANNALIST_PRODUCT_LEVEL"), W("Earlier"));
        EXPECT_EQ(ProductLevel::Earlier, ReadProductLevelSetting());
    }
    {
        test::ScopedEnvironment level(W("ANNALIST_PRODUCT_LEVEL"), W("current"));
        EXPECT_EQ(ProductLevel::Current, ReadProductLevelSetting());
    }
    {
        test::ScopedEnvironment level(W("ANNALIST_PRODUCT_LEVEL"), W("earliest"));
        EXPECT_EQ(ProductLevel::Current, ReadProductLevelSetting());
    }
}
