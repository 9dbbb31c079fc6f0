// The registry as both platforms have it. Natively the hives live in a
// temporary ANNALIST_REGISTRY folder; under Wine the tests use the real
// registry. Either way every test works below its own key,
// HKEY_CURRENT_USER\Software\AnnalistTests\<unique>, deleted afterwards.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "pal/tool_support.h"
#include "support/PlatformTestSupport.h"

namespace {

const WCHAR kTestsKey[] = W("Software\\AnnalistTests");

std::vector<BYTE> Bytes(const void* data, size_t size)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
}

std::vector<BYTE> TextBytes(const WCHAR* text) { return Bytes(text, (PAL_wcslen(text) + 1) * sizeof(WCHAR)); }

class Registry : public ::testing::Test {
protected:
    Registry() : m_registry(W("ANNALIST_REGISTRY"), m_folder.Wide().c_str()) {}

    void SetUp() override
    {
        static std::atomic<unsigned> counter{0};
        m_path = WideString(kTestsKey) + W("\\T") + PAL_AsciiToWide(std::to_string(GetCurrentProcessId()).c_str()) +
                 W("-") + PAL_AsciiToWide(std::to_string(counter++).c_str());
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &m_key, &disposition),
                  ERROR_SUCCESS);
        EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    }

    void TearDown() override
    {
        if (m_key)
            RegCloseKey(m_key);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kTestsKey); // only when no other test is using it
    }

    // A value of the test key, read through a handle of its own.
    LSTATUS Read(const WCHAR* name, DWORD& type, std::vector<BYTE>& data, const WCHAR* subkey = nullptr)
    {
        HKEY key = nullptr;
        LSTATUS status = RegOpenKeyExW(m_key, subkey, 0, KEY_READ, &key);
        if (status != ERROR_SUCCESS)
            return status;
        DWORD size = 0;
        status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
        if (status == ERROR_SUCCESS) {
            data.assign(size, 0xCC);
            status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
            data.resize(size);
        }
        RegCloseKey(key);
        return status;
    }

    LSTATUS Set(HKEY key, const WCHAR* name, DWORD type, const std::vector<BYTE>& data)
    {
        return RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    }

    std::vector<WideString> Subkeys(HKEY key)
    {
        std::vector<WideString> names;
        for (DWORD index = 0;; ++index) {
            WCHAR name[256];
            DWORD length = 256;
            if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.push_back(WideString(name, length));
        }
        return names;
    }

    test::TempFolder m_folder;
    test::ScopedEnvironment m_registry;
    WideString m_path;
    HKEY m_key = nullptr;
};

} // namespace

TEST_F(Registry, KeysAreCreatedAndOpenedWhateverTheCase)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(m_key, W("Alpha\\Beta\\Gamma"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExW(m_key, W("ALPHA\\beta\\GAMMA"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExW(m_key, W("alpha\\BETA"), 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(Subkeys(key), std::vector<WideString>{W("Gamma")}); // the case it was created with
    RegCloseKey(key);
    EXPECT_EQ(Subkeys(m_key), std::vector<WideString>{W("Alpha")});

    // A trailing backslash is allowed; a leading one is not.
    ASSERT_EQ(RegOpenKeyExW(m_key, W("Alpha\\Beta\\"), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(m_key, W("\\Alpha"), 0, KEY_READ, &key), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExW(m_key, W("Alpha\\Missing"), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);

    // A null or empty subkey opens the key itself.
    ASSERT_EQ(RegOpenKeyExW(m_key, W(""), 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(Subkeys(key), std::vector<WideString>{W("Alpha")});
    RegCloseKey(key);
}

TEST_F(Registry, ValuesOfEveryTypeComeBackAsTheyWereSet)
{
    const WCHAR text[] = W("C:\\Results \"quoted\" \x00e9\x20ac");
    const WCHAR expandable[] = W("%TEMP%\\x");
    const WCHAR multi[] = W("one\0two\0\0");
    DWORD number = 0xDEADBEEF;
    ULONGLONG wide = 0x0123456789ABCDEFull;
    std::vector<BYTE> binary(300);
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<BYTE>(i * 7);

    ASSERT_EQ(Set(m_key, W("Text"), REG_SZ, TextBytes(text)), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, W("Empty"), REG_SZ, TextBytes(W(""))), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, W("Expand"), REG_EXPAND_SZ, TextBytes(expandable)), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, W("Multi"), REG_MULTI_SZ, Bytes(multi, sizeof multi - sizeof(WCHAR))), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, W("Number"), REG_DWORD, Bytes(&number, 4)), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, W("Wide"), REG_QWORD, Bytes(&wide, 8)), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, W("Binary"), REG_BINARY, binary), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, W("Nothing"), REG_NONE, {}), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, W("Some none"), REG_NONE, {1, 2, 3}), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, W("name \"with\" \\ marks"), REG_SZ, TextBytes(W("v"))), ERROR_SUCCESS);
    ASSERT_EQ(Set(m_key, nullptr, REG_SZ, TextBytes(W("default"))), ERROR_SUCCESS);

    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(Read(W("Text"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(data, TextBytes(text));
    ASSERT_EQ(Read(W("empty"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, TextBytes(W("")));
    ASSERT_EQ(Read(W("Expand"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
    EXPECT_EQ(data, TextBytes(expandable));
    ASSERT_EQ(Read(W("Multi"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
    EXPECT_EQ(data, Bytes(multi, sizeof multi - sizeof(WCHAR)));
    ASSERT_EQ(Read(W("NUMBER"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(data, Bytes(&number, 4));
    ASSERT_EQ(Read(W("Wide"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_QWORD));
    EXPECT_EQ(data, Bytes(&wide, 8));
    ASSERT_EQ(Read(W("Binary"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(data, binary);
    ASSERT_EQ(Read(W("Nothing"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_NONE));
    EXPECT_TRUE(data.empty());
    ASSERT_EQ(Read(W("Some none"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, (std::vector<BYTE>{1, 2, 3}));
    ASSERT_EQ(Read(W("name \"with\" \\ marks"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, TextBytes(W("v")));
    // The default value answers to a null name and to an empty one.
    ASSERT_EQ(Read(W(""), type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, TextBytes(W("default")));

    // Setting a value again replaces it, type and all.
    ASSERT_EQ(Set(m_key, W("text"), REG_DWORD, Bytes(&number, 4)), ERROR_SUCCESS);
    ASSERT_EQ(Read(W("Text"), type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
}

TEST_F(Registry, QueriesReportSizesAndMissingValues)
{
    ASSERT_EQ(Set(m_key, W("Directory"), REG_SZ, TextBytes(W("Results"))), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    // No buffer: the size, terminator included.
    ASSERT_EQ(RegQueryValueExW(m_key, W("Directory"), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, 16u);
    // Too small a buffer: ERROR_MORE_DATA and the size needed.
    WCHAR small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExW(m_key, W("Directory"), nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 16u);
    WCHAR buffer[64];
    size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExW(m_key, W("Directory"), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(WideString(buffer), W("Results"));

    EXPECT_EQ(RegQueryValueExW(m_key, W("Missing"), nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    // A key without a default value has none to read.
    EXPECT_EQ(RegQueryValueExW(m_key, nullptr, nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeletingValuesKeysAndTrees)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(m_key, W("Parent\\Child\\Leaf"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(Set(key, W("Value"), REG_SZ, TextBytes(W("x"))), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, W("value")), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, W("Value")), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    // A key with subkeys is not deleted by RegDeleteKeyW.
    EXPECT_EQ(RegDeleteKeyW(m_key, W("Parent")), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyExW(m_key, W("Parent\\Child\\Leaf"), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyW(m_key, W("Parent\\Child\\LEAF")), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(m_key, W("Parent\\Child\\Leaf")), ERROR_FILE_NOT_FOUND);

    // RegDeleteTreeW takes the whole subtree; a handle to a deleted key
    // answers that its key is gone.
    ASSERT_EQ(RegCreateKeyExW(m_key, W("Parent\\Child\\Again"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeW(m_key, W("Parent")), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, W("x"), nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(m_key, W("Parent"), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTreeW(m_key, W("Parent")), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(Subkeys(m_key).empty());

    // A null subkey empties the key and keeps it.
    ASSERT_EQ(RegCreateKeyExW(m_key, W("A\\B"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(Set(m_key, W("V"), REG_SZ, TextBytes(W("x"))), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeW(m_key, nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(Subkeys(m_key).empty());
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_EQ(Read(W("V"), type, data), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, SubkeysAreEnumeratedInOrder)
{
    for (const WCHAR* name : {W("beta"), W("Alpha"), W("gamma"), W("Delta")}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(m_key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    EXPECT_EQ(Subkeys(m_key), (std::vector<WideString>{W("Alpha"), W("beta"), W("Delta"), W("gamma")}));

    WCHAR name[8];
    DWORD length = 5; // "Alpha" needs 6 with its terminator
    EXPECT_EQ(RegEnumKeyExW(m_key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    length = 6;
    EXPECT_EQ(RegEnumKeyExW(m_key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(WideString(name), W("Alpha"));
    length = 8;
    EXPECT_EQ(RegEnumKeyExW(m_key, 4, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(Registry, HandlesKeepTheirAccessRights)
{
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExW(m_key, nullptr, 0, KEY_READ, &reader), ERROR_SUCCESS);
    EXPECT_EQ(Set(reader, W("V"), REG_SZ, TextBytes(W("x"))), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(reader, W("V")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(reader), ERROR_SUCCESS);

    HKEY writer = nullptr;
    ASSERT_EQ(RegOpenKeyExW(m_key, nullptr, 0, KEY_SET_VALUE, &writer), ERROR_SUCCESS);
    EXPECT_EQ(Set(writer, W("V"), REG_SZ, TextBytes(W("x"))), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(writer, W("V"), nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    RegCloseKey(writer);
}

// ---- The hive files of the POSIX registry ----

namespace {

class RegistryFiles : public ::testing::Test {
protected:
    RegistryFiles() : m_registry(W("ANNALIST_REGISTRY"), m_folder.Wide().c_str()) {}

    void SetUp() override
    {
        if (!test::PosixPlatformLayer())
            GTEST_SKIP() << "the registry is not kept in files on Windows";
    }

    std::filesystem::path Hive(const char* root) const { return m_folder.Path() / (std::string(root) + ".reg"); }

    std::string ReadText(HKEY root, const WCHAR* path, const WCHAR* name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<no key>";
        WCHAR buffer[256] = {};
        DWORD size = sizeof buffer - sizeof(WCHAR);
        DWORD type = 0;
        LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? test::Utf16ToUtf8(buffer) : "<no value>";
    }

    test::TempFolder m_folder;
    test::ScopedEnvironment m_registry;
};

std::string Utf16File(const char* text) { return "\xFF\xFE" + test::Utf16Bytes(test::Utf8ToUtf16(text)); }

} // namespace

TEST_F(RegistryFiles, HivesAreWrittenAsRegeditWouldExportThem)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist\\Empty"), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, W("software\\annalist"), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const WCHAR directory[] = W("C:\\Results \"x\" \x00e9");
    RegSetValueExW(key, W("Directory"), 0, REG_SZ, reinterpret_cast<const BYTE*>(directory), sizeof directory);
    DWORD count = 2;
    RegSetValueExW(key, W("Count"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4);
    const WCHAR multi[] = W("a\0b\0");
    RegSetValueExW(key, W("List"), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi);
    std::vector<BYTE> binary(40, 0xAB);
    RegSetValueExW(key, W("Blob"), 0, REG_BINARY, binary.data(), 40);
    // A string without its terminator keeps its exact bytes.
    RegSetValueExW(key, W("Raw"), 0, REG_SZ, reinterpret_cast<const BYTE*>(W("ab")), 4);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(W("def")), 8);
    RegCloseKey(key);

    const char* expected = "Windows Registry Editor Version 5.00\r\n"
                           "\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
                           "\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Annalist]\r\n"
                           "\"Directory\"=\"C:\\\\Results \\\"x\\\" \xC3\xA9\"\r\n"
                           "\"Count\"=dword:00000002\r\n"
                           "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                           "\"Blob\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\r\n"
                           "  ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab\r\n"
                           "\"Raw\"=hex(1):61,00,62,00\r\n"
                           "@=\"def\"\r\n"
                           "\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Annalist\\Empty]\r\n"
                           "\r\n";
    EXPECT_EQ(test::ReadFileBytes(Hive("HKEY_LOCAL_MACHINE")), Utf16File(expected));
    EXPECT_FALSE(test::FileExists(Hive("HKEY_CURRENT_USER")));

    // The file reads back into the same values (in a fresh folder, so that
    // nothing comes from memory).
    test::TempFolder copy;
    std::filesystem::copy_file(Hive("HKEY_LOCAL_MACHINE"), copy.Path() / "HKEY_LOCAL_MACHINE.reg");
    test::ScopedEnvironment registry(W("ANNALIST_REGISTRY"), copy.Wide().c_str());
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist"), W("Directory")), "C:\\Results \"x\" \xC3\xA9");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist"), nullptr), "def");
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist"), 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE data[64];
    DWORD size = sizeof data, type = 0;
    ASSERT_EQ(RegQueryValueExW(key, W("Raw"), nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExW(key, W("Blob"), nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(data, data + size), binary);
    RegCloseKey(key);
}

TEST_F(RegistryFiles, RegeditFilesAreRead)
{
    // As regedit writes them (UTF-16 with its mark), with what hand-made files
    // also hold: comments, blank lines, continuations, deletions.
    test::WriteFileBytes(Hive("HKEY_LOCAL_MACHINE"),
                         Utf16File("Windows Registry Editor Version 5.00\r\n"
                                   "\r\n"
                                   "; settings of the logger\r\n"
                                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Annalist]\r\n"
                                   "\"Directory\"=\".\"\r\n"
                                   "\"IterDir\" = \"Row\"\r\n"
                                   "\"Eve1\"=\"Replay\"\r\n"
                                   "\"Path\"=hex(2):25,00,54,00,\\\r\n"
                                   "    4d,00,50,00,25,00,00,00\r\n"
                                   "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                                   "\"Gone\"=\"x\"\r\n"
                                   "\"Gone\"=-\r\n"
                                   "@=\"default \\\"quoted\\\"\"\r\n"
                                   "\r\n"
                                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n"
                                   "\"a\"=dword:1\r\n"
                                   "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n"));
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist"), W("Directory")), ".");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist"), W("iterdir")), "Row");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist"), W("Eve1")), "Replay");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist"), W("Path")), "%TMP%");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist"), W("Gone")), "<no value>");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Annalist"), nullptr), "default \"quoted\"");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("SOFTWARE\\Old"), W("a")), "<no key>");

    // UTF-8 files (with or without a mark) are read too.
    test::WriteFileBytes(Hive("HKEY_CURRENT_USER"), "Windows Registry Editor Version 5.00\n\n"
                                                    "[HKEY_CURRENT_USER\\Software\\Caf\xC3\xA9]\n"
                                                    "\"Name\"=\"\xE2\x82\xAC\"\n");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, test::Utf8ToUtf16("Software\\Caf\xC3\xA9").c_str(), W("Name")), "\xE2\x82\xAC");
}

TEST_F(RegistryFiles, OnlyHexDataGoesOnOverLines)
{
    // A comment or a text that ends in a backslash ends on its line; hex data
    // ending in one goes on, and a file that ends inside it cannot be read.
    test::WriteFileBytes(Hive("HKEY_LOCAL_MACHINE"), "Windows Registry Editor Version 5.00\r\n"
                                                     "; kept in C:\\\r\n"
                                                     "[HKEY_LOCAL_MACHINE\\S]\r\n"
                                                     "\"Path\"=\"C:\\\\\"\r\n"
                                                     "\"Bytes\"=hex:41,00,\\\r\n"
                                                     "  42,00,00,00\r\n");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("S"), W("Path")), "C:\\");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, W("S"), 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE data[16];
    DWORD size = sizeof data, type = 0;
    ASSERT_EQ(RegQueryValueExW(key, W("Bytes"), nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(data, data + size), (std::vector<BYTE>{0x41, 0, 0x42, 0, 0, 0}));
    RegCloseKey(key);

    test::WriteFileBytes(Hive("HKEY_CURRENT_USER"), "Windows Registry Editor Version 5.00\r\n"
                                                    "[HKEY_CURRENT_USER\\S]\r\n"
                                                    "\"Bytes\"=hex:41,\\\r\n");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, W("S"), 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("line 3: the file ends inside a value"), std::string::npos);
}

TEST_F(RegistryFiles, ChangesByOthersAreSeenAndBrokenFilesAreLeftAlone)
{
    test::WriteFileBytes(Hive("HKEY_LOCAL_MACHINE"), "Windows Registry Editor Version 5.00\r\n\r\n"
                                                     "[HKEY_LOCAL_MACHINE\\S]\r\n\"V\"=\"1\"\r\n");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("S"), W("V")), "1");
    // Another process changes the file: the next call sees it.
    test::WriteFileBytes(Hive("HKEY_LOCAL_MACHINE"), "Windows Registry Editor Version 5.00\r\n\r\n"
                                                     "[HKEY_LOCAL_MACHINE\\S]\r\n\"V\"=\"2\"\r\n");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("S"), W("V")), "2");

    // A file that is not a registry file is neither read nor overwritten.
    const std::string broken = "[HKEY_LOCAL_MACHINE\\S]\r\n\"V\"=\"3\"\r\n";
    test::WriteFileBytes(Hive("HKEY_LOCAL_MACHINE"), broken);
    HKEY key = nullptr;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, W("S"), 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, W("T"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_BADDB);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("HKEY_LOCAL_MACHINE.reg"), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(Hive("HKEY_LOCAL_MACHINE")), broken);
    // The other hives are not affected.
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, W("T"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// A batch gathers the writes: the hive file changes once, at the end, and a
// batch ended after a failure leaves the file as it was.
TEST_F(RegistryFiles, ABatchWritesEachHiveOnceAtItsEnd)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, W("S"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string before = test::ReadFileBytes(Hive("HKEY_LOCAL_MACHINE"));
    auto set = [&](const WCHAR* name, const WCHAR* text) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                              static_cast<DWORD>((PAL_wcslen(text) + 1) * sizeof(WCHAR)));
    };

    ASSERT_EQ(PAL_BeginRegistryBatch(), ERROR_SUCCESS);
    EXPECT_EQ(PAL_BeginRegistryBatch(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(set(W("A"), W("1")), ERROR_SUCCESS);
    EXPECT_EQ(set(W("B"), W("2")), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("S"), W("A")), "1"); // seen in the process at once
    EXPECT_EQ(test::ReadFileBytes(Hive("HKEY_LOCAL_MACHINE")), before);
    EXPECT_EQ(PAL_EndRegistryBatch(true), ERROR_SUCCESS);
    std::string after = test::ReadFileBytes(Hive("HKEY_LOCAL_MACHINE"));
    std::string line; // "B"="2" in UTF-16LE, as the hive file holds it
    for (char c : std::string("\"B\"=\"2\""))
        line += std::string(1, c) + std::string(1, '\0');
    EXPECT_NE(after.find(line), std::string::npos);

    ASSERT_EQ(PAL_BeginRegistryBatch(), ERROR_SUCCESS);
    EXPECT_EQ(set(W("C"), W("3")), ERROR_SUCCESS);
    EXPECT_EQ(PAL_EndRegistryBatch(false), ERROR_SUCCESS);
    EXPECT_EQ(test::ReadFileBytes(Hive("HKEY_LOCAL_MACHINE")), after);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, W("S"), W("C")), "<no value>");
    // Outside a batch every write is in the file at once again.
    EXPECT_EQ(set(W("D"), W("4")), ERROR_SUCCESS);
    EXPECT_NE(test::ReadFileBytes(Hive("HKEY_LOCAL_MACHINE")), after);
    EXPECT_EQ(PAL_EndRegistryBatch(true), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

// Runs inside the child processes of the test below (and is skipped in a
// normal run): writes values into the shared registry folder.
TEST(RegistryChildProcess, WritesValues)
{
    const char* name = std::getenv("ANNALIST_TEST_REGISTRY_CHILD");
    if (!name)
        GTEST_SKIP() << "runs only as a child of RegistryFiles.ProcessesSeeEachOthersWrites";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, W("Software\\Shared"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    for (int i = 0; i < 30; ++i) {
        WideString value = PAL_AsciiToWide((std::string(name) + "-" + std::to_string(i)).c_str());
        ASSERT_EQ(RegSetValueExW(key, value.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
}

TEST_F(RegistryFiles, ProcessesSeeEachOthersWrites)
{
    std::string program = test::BuildPath("tests/annalist_tests").string();
    ASSERT_TRUE(test::FileExists(program));
    std::vector<std::thread> children;
    std::atomic<int> failures{0};
    for (const char* child : {"first", "second"}) {
        children.emplace_back([&, child]() {
            std::string command = "ANNALIST_TEST_REGISTRY_CHILD=" + std::string(child) + " '" + program +
                                  "' --gtest_filter=RegistryChildProcess.WritesValues >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0)
                ++failures;
        });
    }
    // This process writes at the same time.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, W("Software\\Shared"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    for (int i = 0; i < 30; ++i) {
        WideString value = PAL_AsciiToWide(("parent-" + std::to_string(i)).c_str());
        EXPECT_EQ(RegSetValueExW(key, value.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4), ERROR_SUCCESS);
    }
    for (std::thread& child : children)
        child.join();
    EXPECT_EQ(failures.load(), 0);

    // No write was lost.
    for (const char* writer : {"first", "second", "parent"}) {
        for (int i = 0; i < 30; ++i) {
            WideString value = PAL_AsciiToWide((std::string(writer) + "-" + std::to_string(i)).c_str());
            DWORD data = 0, size = 4;
            EXPECT_EQ(RegQueryValueExW(key, value.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size),
                      ERROR_SUCCESS)
                << writer << " " << i;
            EXPECT_EQ(data, DWORD(i));
        }
    }
    RegCloseKey(key);
}
