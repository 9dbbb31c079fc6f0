// The type library of the module as the component sees it: under Wine the
// compiled TYPELIB resource, natively the platform layer's stand-in made from
// the description. Both must say the same.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "component/ModuleTypeLib.h"
#include "component/TypeLibDescription.h"
#include "core/LoggerInterfaces.h"
#include "support/PlatformTestSupport.h"

TEST(LoggerTypeLib, DescriptionMatchesTheLibrary)
{
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadModuleTypeLib(PAL_GetLibraryModule(), &library), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_ANNALISTLib));
    EXPECT_EQ(attributes->wMajorVerNum, kLoggerTypeLibMajorVersion);
    EXPECT_EQ(attributes->wMinorVerNum, kLoggerTypeLibMinorVersion);
    EXPECT_EQ(attributes->lcid, kLoggerTypeLibLocale);
    EXPECT_EQ(attributes->wLibFlags, kLoggerTypeLibFlags);
    EXPECT_EQ(attributes->syskind, SYS_WIN32);
    library->ReleaseTLibAttr(attributes);

    BSTR name = nullptr, doc = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(test::Narrow(name), test::Utf16ToUtf8(kLoggerTypeLibName));
    EXPECT_EQ(test::Narrow(doc), test::Utf16ToUtf8(kLoggerTypeLibDocString));
    SysFreeString(name);
    SysFreeString(doc);

    // The interfaces that registration lists.
    std::set<std::string> described, found;
    for (UINT i = 0; i < kLoggerTypeLibInterfaceCount; ++i)
        described.insert(test::Utf16ToUtf8(kLoggerTypeLibInterfaces[i].name));
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        TYPEKIND kind = TKIND_MAX;
        ASSERT_EQ(library->GetTypeInfoType(i, &kind), S_OK);
        if (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH)
            continue;
        ASSERT_EQ(library->GetDocumentation(static_cast<INT>(i), &name, nullptr, nullptr, nullptr), S_OK);
        found.insert(test::Narrow(name));
        SysFreeString(name);
    }
    EXPECT_EQ(found, described);
    library->Release();
}
