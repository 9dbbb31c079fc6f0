// Self-registration through the exports, linked into the test program: the
// counted registrations, the keys of the registry script and the type
// library, and the bare file name. Under Wine the real registry of the test
// prefix is used (and cleaned), natively a private one.
#include <gtest/gtest.h>

#include "component/ModuleExports.h"
#include "component/ModuleRegistration.h"
#include "core/LoggerInterfaces.h"
#include "unit/component/ComponentTestSupport.h"

using test::KeyExists;
using test::ReadDword;
using test::ReadString;

namespace {

constexpr DWORD kMissing = 0xFFFFFFFEu; // what ReadDword gives for no DWORD value

class Registration : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_classKey = W("CLSID\\") + test::GuidText(CLSID_Annalist);
        m_serverKey = m_classKey + W("\\InprocServer32");
        m_typeLibKey = W("TypeLib\\") + test::GuidText(LIBID_ANNALISTLib);
        m_counterKey = m_typeLibKey + W("\\1.0\\0\\win32");
        Clean();
    }
    void TearDown() override { Clean(); }

    void Clean()
    {
        for (const WideString& key : {m_classKey, m_typeLibKey, WideString(W("Talvex.Annalist")),
                                      WideString(W("Talvex.Annalist.2")),
                                      W("Interface\\") + test::GuidText(IID_ILogMedia2),
                                      W("Interface\\") + test::GuidText(IID_ILogMedia3)})
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    }

    void SetStringRefCount(const WideString& path)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_WRITE, &key), ERROR_SUCCESS);
        const WCHAR five[] = W("5");
        RegSetValueExW(key, W("RefCount"), 0, REG_SZ, reinterpret_cast<const BYTE*>(five), sizeof(five));
        RegCloseKey(key);
    }

    void DeleteRefCount(const WideString& path)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_WRITE, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteValueW(key, W("RefCount")), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    bool ClassRegistered() const
    {
        return KeyExists(HKEY_CLASSES_ROOT, m_classKey) || KeyExists(HKEY_CLASSES_ROOT, W("Talvex.Annalist")) ||
               KeyExists(HKEY_CLASSES_ROOT, W("Talvex.Annalist.2"));
    }

    // After the last unregistration. Wine cannot unregister a type library
    // registered under a bare file name, so there only the counter is checked.
    void ExpectUnregistered()
    {
        EXPECT_FALSE(ClassRegistered());
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, W("CLSID")));
        EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, m_counterKey, W("RefCount")), kMissing);
        if (test::PosixPlatformLayer()) {
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, m_typeLibKey));
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, W("Interface\\") + test::GuidText(IID_ILogMedia3)));
        }
    }

    test::ScopedTestRegistry m_registry;
    WideString m_classKey, m_serverKey, m_typeLibKey, m_counterKey;
};

} // namespace

TEST_F(Registration, RegistrationsAreCounted)
{
    ASSERT_EQ(DllRegisterServer(), S_OK);
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, m_serverKey, W("RefCount")), 2u);
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, m_counterKey, W("RefCount")), 2u);

    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, m_serverKey, W("RefCount")), 1u);
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, m_counterKey, W("RefCount")), 1u);

    // Every entry stays while a registration remains.
    std::string clsid = test::Utf16ToUtf8(test::GuidText(CLSID_Annalist));
    std::string bareName = test::Utf16ToUtf8(ModuleBareFileName(PAL_GetLibraryModule()));
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, W("Talvex.Annalist.2"), nullptr), "Annalist Class");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, W("Talvex.Annalist.2\\CLSID"), nullptr), clsid);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, W("Talvex.Annalist"), nullptr), "Annalist Class");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, W("Talvex.Annalist\\CLSID"), nullptr), clsid);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, W("Talvex.Annalist\\CurVer"), nullptr), "Talvex.Annalist.2");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_classKey, nullptr), "Annalist Class");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_classKey + W("\\ProgID"), nullptr), "Talvex.Annalist.2");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_classKey + W("\\VersionIndependentProgID"), nullptr),
              "Talvex.Annalist");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, m_classKey + W("\\Programmable")));
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_serverKey, nullptr), bareName);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_serverKey, W("ThreadingModel")), "Apartment");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_typeLibKey + W("\\1.0"), nullptr), "Annalist 1.0 Type Library");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_counterKey, nullptr), bareName);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_typeLibKey + W("\\1.0\\HELPDIR"), nullptr), "");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_typeLibKey + W("\\1.0\\FLAGS"), nullptr), "8");
    for (const IID* iid : {&IID_ILogMedia2, &IID_ILogMedia3}) {
        WideString key = W("Interface\\") + test::GuidText(*iid);
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key, nullptr), iid == &IID_ILogMedia2 ? "ILogMedia2" : "ILogMedia3");
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key + W("\\ProxyStubClsid32"), nullptr),
                  "{00020424-0000-0000-C000-000000000046}");
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key + W("\\TypeLib"), nullptr),
                  test::Utf16ToUtf8(test::GuidText(LIBID_ANNALISTLib)));
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key + W("\\TypeLib"), W("Version")), "1.0");
    }

    EXPECT_EQ(DllUnregisterServer(), S_OK);
    ExpectUnregistered();
    // Once more, with nothing left to count.
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    ExpectUnregistered();
}

TEST_F(Registration, UnregisteringWhatWasNeverRegisteredChangesNothing)
{
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_FALSE(ClassRegistered());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, m_typeLibKey));
}

TEST_F(Registration, ACountOfAnotherTypeCountsAsZero)
{
    ASSERT_EQ(DllRegisterServer(), S_OK);
    SetStringRefCount(m_serverKey);
    SetStringRefCount(m_counterKey);
    // Registering counts from 0 again...
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, m_serverKey, W("RefCount")), 1u);
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, m_counterKey, W("RefCount")), 1u);
    // ...and unregistering with such a count removes everything at once.
    SetStringRefCount(m_serverKey);
    SetStringRefCount(m_counterKey);
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_FALSE(ClassRegistered());
    if (test::PosixPlatformLayer()) {
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, m_typeLibKey));
    }
}

TEST_F(Registration, KeysWithoutACountGoAtOnce)
{
    ASSERT_EQ(DllRegisterServer(), S_OK);
    ASSERT_EQ(DllRegisterServer(), S_OK);
    DeleteRefCount(m_serverKey);
    DeleteRefCount(m_counterKey);
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    ExpectUnregistered();
}

TEST_F(Registration, ServerPathIsTheBareFileName)
{
    WCHAR path[MAX_PATH + 1] = {0};
    ASSERT_GT(GetModuleFileNameW(PAL_GetLibraryModule(), path, MAX_PATH), 0u);
    WideString full(path);
    WideString bare = ModuleBareFileName(PAL_GetLibraryModule());
    ASSERT_FALSE(bare.empty());
    EXPECT_EQ(bare.find_first_of(W("\\/")), WideString::npos);
    EXPECT_LT(bare.size(), full.size()); // the module was loaded from some folder
    EXPECT_EQ(full.substr(full.size() - bare.size()), bare);

    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_serverKey, nullptr), test::Utf16ToUtf8(bare));
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, m_counterKey, nullptr), test::Utf16ToUtf8(bare));
    EXPECT_EQ(DllUnregisterServer(), S_OK);
}

TEST(RegistrationCount, CountsUpAndDownWithinLimits)
{
    test::ScopedTestRegistry registry;
    const WCHAR scratch[] = W("Software\\AnnalistCountTest");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(UpdateRegistrationCount(key, false), 0u); // nothing to take away, nothing written
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, scratch, W("RefCount")), kMissing);
    EXPECT_EQ(UpdateRegistrationCount(key, true), 1u);
    EXPECT_EQ(UpdateRegistrationCount(key, true), 2u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, scratch, W("RefCount")), 2u);
    EXPECT_EQ(UpdateRegistrationCount(key, false), 1u);
    EXPECT_EQ(UpdateRegistrationCount(key, false), 0u);
    EXPECT_EQ(test::ReadRaw(HKEY_CURRENT_USER, scratch, W("RefCount"), REG_DWORD), "<missing>");

    // Counts are unsigned; a value of the wrong size counts as 0.
    DWORD big = 0x80000000u;
    RegSetValueExW(key, W("RefCount"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&big), sizeof(big));
    EXPECT_EQ(UpdateRegistrationCount(key, false), 0x7FFFFFFFu);
    const BYTE eight[8] = {5};
    RegSetValueExW(key, W("RefCount"), 0, REG_BINARY, eight, sizeof(eight));
    EXPECT_EQ(UpdateRegistrationCount(key, true), 1u);
    RegCloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch);
}
