// The registrar: the script language and its register and unregister
// semantics, on a scratch key under HKEY_CURRENT_USER (the real registry under
// Wine, a temporary one natively).
#include <gtest/gtest.h>

#include <memory>

#include "component/Registrar.h"
#include "component/RegistryScript.h"
#include "unit/component/ComponentTestSupport.h"

using test::KeyExists;
using test::ReadDword;
using test::ReadString;

namespace {

const WCHAR kScratch[] = W("Software\\AnnalistRegistrarTest");

class Registrar : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch); }

    static WideString Key(const char* relative)
    {
        WideString path = kScratch;
        if (*relative)
            path += W("\\") + PAL_AsciiToWide(relative);
        return path;
    }

    static void CreateKey(const char* relative)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Key(relative).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static bool Exists(const char* relative) { return KeyExists(HKEY_CURRENT_USER, Key(relative)); }

    test::ScopedTestRegistry m_registry;
    CRegistrar m_registrar;
};

} // namespace

TEST_F(Registrar, WritesKeysValuesAndTypes)
{
    m_registrar.AddReplacement(W("Module"), W("C:\\x\\lib.dll"));
    const WCHAR* script = W("hkcu\r\n{\n")
        W("  NoRemove Software\n  {\n")
        W("    AnnalistRegistrarTest = S 'Top'\n    {\n")
        W("      {0F0E0D0C-1111-2222-3333-444455556666} = s '%MODULE%'\n")
        W("      'Two Words' = s 'It''s 100%%'\n")
        W("      Values\n      {\n")
        W("        VAL Text = s 'abc'\n")
        W("        val Number = d '4294967295'\n")
        W("        val Hex = D '0x1F'\n")
        W("        val Basic = d '&H10'\n")
        W("        val Multi = m 'one\\0two'\n")
        W("        val Bytes = b '00FFa5'\n")
        W("        val Expand = e '%%TEMP%%'\n")
        W("      }\n    }\n  }\n}\n");
    ASSERT_EQ(m_registrar.StringRegister(script), S_OK) << test::Utf16ToUtf8(m_registrar.LastError());

    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, Key(""), nullptr), "Top");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, Key("{0F0E0D0C-1111-2222-3333-444455556666}"), nullptr), "C:\\x\\lib.dll");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, Key("Two Words"), nullptr), "It's 100%");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, Key("Values"), W("Text")), "abc");
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, Key("Values"), W("Number")), 0xFFFFFFFFu);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, Key("Values"), W("Hex")), 31u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, Key("Values"), W("Basic")), 16u);

    std::string multi = test::ReadRaw(HKEY_CURRENT_USER, Key("Values"), W("Multi"), REG_MULTI_SZ);
    EXPECT_EQ(multi, test::Utf16Bytes(WideString(W("one")) + WCHAR(0) + W("two") + WCHAR(0) + WCHAR(0)));
    EXPECT_EQ(test::ReadRaw(HKEY_CURRENT_USER, Key("Values"), W("Bytes"), REG_BINARY), std::string("\x00\xFF\xA5", 3));
    EXPECT_EQ(test::ReadRaw(HKEY_CURRENT_USER, Key("Values"), W("Expand"), REG_EXPAND_SZ),
              test::Utf16Bytes(WideString(W("%TEMP%")) + WCHAR(0)));
}

TEST_F(Registrar, MalformedScriptsChangeNothing)
{
    const WCHAR* scripts[] = {
        W("HKXX { Software }"),                                        // unknown root
        W("HKCU Software"),                                            // no block
        W("HKCU { NoRemove Software { AnnalistRegistrarTest { A }"),   // unexpected end
        W("HKCU { NoRemove Software { AnnalistRegistrarTest = s 'x } } }"),      // open quote
        W("HKCU { NoRemove Software { AnnalistRegistrarTest = s '%NOPE%' } }"),  // unknown name
        W("HKCU { NoRemove Software { AnnalistRegistrarTest = s '50% off' } }"), // lone %
        W("HKCU { NoRemove Software { AnnalistRegistrarTest { val N = d 'x1' } } }"),
        W("HKCU { NoRemove Software { AnnalistRegistrarTest { val N = d '4294967296' } } }"),
        W("HKCU { NoRemove Software { AnnalistRegistrarTest { val N = b 'ABC' } } }"),
        W("HKCU { NoRemove Software { AnnalistRegistrarTest { val N = q '1' } } }"),
        W("HKCU { NoRemove Software { AnnalistRegistrarTest { val N s 'x' } } }"),
    };
    for (const WCHAR* script : scripts) {
        EXPECT_EQ(m_registrar.StringRegister(script), DISP_E_EXCEPTION) << test::Utf16ToUtf8(script);
        EXPECT_FALSE(m_registrar.LastError().empty());
        EXPECT_FALSE(Exists("")) << test::Utf16ToUtf8(script);
    }
}

TEST_F(Registrar, ForceRemoveRecreatesAndDeleteRemovesOnRegister)
{
    CreateKey("Forced\\Foreign");
    CreateKey("Plain\\Foreign");
    CreateKey("Doomed\\Child");
    const WCHAR* script = W("HKCU { NoRemove Software { AnnalistRegistrarTest {\n")
        W(" ForceRemove Forced = s 'new' { Mine }\n")
        W(" Plain = s 'kept' { Mine }\n")
        W(" Delete Doomed\n")
        W(" Delete NeverThere\n")
        W("} } }");
    ASSERT_EQ(m_registrar.StringRegister(script), S_OK) << test::Utf16ToUtf8(m_registrar.LastError());
    EXPECT_FALSE(Exists("Forced\\Foreign"));
    EXPECT_TRUE(Exists("Forced\\Mine"));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, Key("Forced"), nullptr), "new");
    EXPECT_TRUE(Exists("Plain\\Foreign"));
    EXPECT_TRUE(Exists("Plain\\Mine"));
    EXPECT_FALSE(Exists("Doomed"));
}

TEST_F(Registrar, UnregisterRemovesOnlyWhatTheScriptOwns)
{
    const WCHAR* script = W("HKCU { NoRemove Software { NoRemove AnnalistRegistrarTest {\n")
        W(" Owned = s 'x' { val V = s 'y'\n Leaf }\n")
        W(" Shared { Leaf }\n")
        W(" ForceRemove Forced { Leaf }\n")
        W(" Delete Victim\n")
        W("} } }");
    ASSERT_EQ(m_registrar.StringRegister(script), S_OK) << test::Utf16ToUtf8(m_registrar.LastError());
    CreateKey("Shared\\Foreign"); // not the script's: keeps its parent alive
    CreateKey("Victim");          // "Delete" does nothing when unregistering

    ASSERT_EQ(m_registrar.StringUnregister(script), S_OK);
    EXPECT_TRUE(Exists(""));      // NoRemove
    EXPECT_FALSE(Exists("Owned"));
    EXPECT_FALSE(Exists("Forced"));
    EXPECT_FALSE(Exists("Shared\\Leaf"));
    EXPECT_TRUE(Exists("Shared\\Foreign"));
    EXPECT_TRUE(Exists("Victim"));

    // Unregistering again, with the keys gone, is quiet.
    EXPECT_EQ(m_registrar.StringUnregister(script), S_OK);
}

TEST(RegistryScriptText, DecodesResourceEncodings)
{
    WideString text;
    const BYTE utf16[] = {0xFF, 0xFE, 'H', 0, 'K', 0, 0, 0};
    ASSERT_TRUE(DecodeRegistryScript(utf16, sizeof(utf16), text));
    EXPECT_EQ(text, WideString(W("HK")));
    const BYTE utf8[] = {0xEF, 0xBB, 0xBF, 'a', 0xC3, 0xA9, 0, 0};
    ASSERT_TRUE(DecodeRegistryScript(utf8, sizeof(utf8), text));
    EXPECT_EQ(text, WideString(W("a")) + WCHAR(0xE9));
    const BYTE bad[] = {'a', 0xFF, 'b'};
    EXPECT_FALSE(DecodeRegistryScript(bad, sizeof(bad), text));
}

TEST_F(Registrar, AFailedRegistrationIsUndone)
{
    // A key name that begins with a backslash cannot be created.
    const WCHAR* script = W("HKCU { NoRemove Software { AnnalistRegistrarTest { First = s 'x'\n '\\Bad' } } }");
    HRESULT hr = m_registrar.StringRegister(script);
    EXPECT_TRUE(FAILED(hr)) << test::HrText(hr);
    EXPECT_NE(hr, DISP_E_EXCEPTION); // a registry error, not a script error
    EXPECT_FALSE(Exists("First"));
    EXPECT_FALSE(Exists(""));
}
