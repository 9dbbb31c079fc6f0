// The replay's settings: the private registry (the process's own settings are
// never touched, and the store is gone afterwards), the defaults, and
// registry files read and imported into it.
#include <gtest/gtest.h>

#include <chrono>

#include "annalist/RegFileImporter.h"
#include "annalist/ReplaySettings.h"
#include "annalist/TextConversion.h"
#include "pal/tool_support.h"
#include "support/TestSupport.h"

namespace {

std::string Utf16File(const std::string& utf8)
{
    std::string bytes = "\xFF\xFE";
    for (WCHAR c : test::Utf8ToUtf16(utf8)) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

// A value read from HKEY_LOCAL_MACHINE; "(missing)" when it cannot be read.
std::string Value(const WCHAR* key, const WCHAR* name, DWORD* type = nullptr)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return "(missing)";
    BYTE data[512] = {};
    DWORD size = sizeof(data) - 2;
    DWORD kind = 0;
    LONG status = RegQueryValueExW(handle, name, nullptr, &kind, data, &size);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS)
        return "(missing)";
    if (type)
        *type = kind;
    if (kind == REG_SZ)
        return Utf8FromWide(reinterpret_cast<const WCHAR*>(data));
    std::string hex;
    char byte[4];
    for (DWORD i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof(byte), i ? ",%02x" : "%02x", data[i]);
        hex += byte;
    }
    return hex;
}

bool KeyExists(const WCHAR* key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

// The machine's name as GetComputerNameW gives it; "(none)" when it fails.
std::string ComputerName()
{
    WCHAR buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(buffer, &size))
        return "(none)";
    return Utf8FromWide(WideString(buffer, size));
}

TEST(PrivateRegistryTest, HoldsTheReplaySettingsAndVanishesAfterwards)
{
    const WCHAR root[] = W("SOFTWARE\\AnnalistToolTest");
    std::string where;
    const std::string machine = ComputerName();
    EXPECT_NE(machine, "(none)");
    {
        CPrivateRegistry registry;
        std::string error;
        ASSERT_TRUE(registry.Begin(error)) << error;
        // The logger still finds the machine's name (its runs record it).
        EXPECT_EQ(ComputerName(), machine);
        EXPECT_FALSE(registry.Where().empty());
        EXPECT_EQ(PAL_BeginPrivateRegistry(where), ERROR_ALREADY_EXISTS);
        EXPECT_FALSE(KeyExists(root));
        ASSERT_TRUE(WriteDefaultSettings(root, error)) << error;
        EXPECT_EQ(Value(root, W("Directory")), ".");
        EXPECT_EQ(Value(root, W("IterDir")), "Row");
        const char* types[] = {"Replay", "User", "Error", "Verification", "Transaction", "Context", "Table"};
        for (int i = 0; i < 7; ++i) {
            WideString name = W("Eve") + PAL_AsciiToWide(std::to_string(i + 1).c_str());
            EXPECT_EQ(Value(root, name.c_str()), types[i]);
        }
        EXPECT_EQ(Value(root, W("Eve8")), "(missing)");
        WideString directory;
        EXPECT_TRUE(ReadDirectorySetting(root, directory));
        EXPECT_EQ(Utf8FromWide(directory), ".");
    }
    // The process's own registry again: the replay's keys are not there.
    EXPECT_FALSE(KeyExists(root));
    if (std::filesystem::path::preferred_separator == '/') {
        EXPECT_FALSE(test::FileExists(where)) << where; // the temporary folder
    }
}

TEST(PrivateRegistryTest, RootsAndResultsFolders)
{
    EXPECT_EQ(Utf8FromWide(NormalizeRegistryRoot(W("SOFTWARE\\Annalist"))), "SOFTWARE\\Annalist");
    EXPECT_EQ(Utf8FromWide(NormalizeRegistryRoot(W("HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\"))), "SOFTWARE\\A");
    EXPECT_EQ(Utf8FromWide(NormalizeRegistryRoot(W("hklm\\SOFTWARE\\A"))), "SOFTWARE\\A");
    EXPECT_EQ(Utf8FromWide(ResultsFolderFor(W("C:\\Res"), W("."))), "C:\\Res");
    EXPECT_EQ(Utf8FromWide(ResultsFolderFor(W("C:\\Res"), W("Report"))), "C:\\Res\\Report");
}

TEST(RegFileTest, ReadsWhatRegeditWrites)
{
    std::string text = "Windows Registry Editor Version 5.00\r\n"
                       "\r\n"
                       "; settings of a replay\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q\\Sub]\r\n"
                       "\"Directory\"=\"Report \\\"A\\\"\\\\x\"\r\n"
                       "@=\"default\"\r\n"
                       "\"Count\"=dword:0000002a\r\n"
                       "\"Bytes\"=hex:01,ff,\\\r\n"
                       "  10\r\n"
                       "\"Multi\"=hex(7):41,00,00,00,00,00\r\n"
                       "\"Gone\"=-\r\n"
                       "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n";
    for (const std::string& bytes : {Utf16File(text), "\xEF\xBB\xBF" + text, text}) {
        CRegFile file;
        std::string error;
        ASSERT_TRUE(file.Parse(bytes, error)) << error;
        ASSERT_EQ(file.Keys().size(), 2u);
        const RegFileKey& key = file.Keys()[0];
        EXPECT_EQ(Utf8FromWide(key.path), "SOFTWARE\\Q\\Sub");
        EXPECT_EQ(key.line, 4);
        ASSERT_EQ(key.values.size(), 6u);
        EXPECT_EQ(Utf8FromWide(key.values[0].name), "Directory");
        EXPECT_EQ(key.values[0].type, DWORD(REG_SZ));
        EXPECT_EQ(Utf8FromWide(reinterpret_cast<const WCHAR*>(key.values[0].data.data())), "Report \"A\"\\x");
        EXPECT_TRUE(key.values[1].name.empty());
        EXPECT_EQ(key.values[2].type, DWORD(REG_DWORD));
        EXPECT_EQ(key.values[2].data, (std::vector<BYTE>{0x2a, 0, 0, 0}));
        EXPECT_EQ(key.values[3].type, DWORD(REG_BINARY));
        EXPECT_EQ(key.values[3].data, (std::vector<BYTE>{0x01, 0xff, 0x10}));
        EXPECT_EQ(key.values[4].type, DWORD(REG_MULTI_SZ));
        EXPECT_TRUE(key.values[5].remove);
        EXPECT_TRUE(file.Keys()[1].remove);
        EXPECT_EQ(Utf8FromWide(file.Keys()[1].path), "SOFTWARE\\Old");
    }
}

TEST(RegFileTest, RefusesWhatItCannotTakeWithTheLine)
{
    const std::string header = "Windows Registry Editor Version 5.00\n";
    struct Case {
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"", "the file is empty"},
        {"REGEDIT5\n[HKLM\\A]\n", "line 1: not a registry file"},
        {header + "[HKEY_CURRENT_USER\\Software\\A]\n", "line 2: only keys of HKEY_LOCAL_MACHINE"},
        {header + "\n\"A\"=\"x\"\n", "line 3: a value must follow a key line"},
        {header + "[HKLM\\A]\n\"A\"=dword:123456789\n", "line 3: dword: takes 1 to 8"},
        {header + "[HKLM\\A]\n\"A\"=hex:1,2\n", "line 3: hex data must be two-digit"},
        {header + "[HKLM\\A]\n\"A\"=hex:01,\\\n", "line 3: the file ends inside a value"},
        {header + "[HKLM\\A]\n\"A\"=text\n", "line 3: unknown data"},
        {header + "[HKLM\\A]\n\"A=\"x\"\n", "line 3: expected \"=\""},
        {header + "[HKLM\\A\n", "line 2: a key line must end with \"]\""},
        {"\xFE\xFF\x00W", "big-endian"},
        {header + "[HKLM\\A]\n\"A\"=\"\xC3\x28\"\n", "neither UTF-16LE"},
    };
    for (const Case& c : cases) {
        CRegFile file;
        std::string error;
        EXPECT_FALSE(file.Parse(c.bytes, error)) << c.bytes;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.bytes << " gave: " << error;
    }
}

TEST(RegFileTest, ImportsIntoThePrivateRegistry)
{
    test::TempFolder folder;
    std::string text = "Windows Registry Editor Version 5.00\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Imported]\r\n"
                       "\"Directory\"=\"Report\"\r\n"
                       "\"Eve1\"=\"Replay\"\r\n"
                       "\"Count\"=dword:00000010\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Imported\\Gone]\r\n"
                       "\"X\"=\"y\"\r\n"
                       "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Imported\\Gone]\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Imported]\r\n"
                       "\"Eve1\"=-\r\n";
    test::WriteFileBytes(folder.Path() / "settings.reg", Utf16File(text));
    CPrivateRegistry registry;
    std::string error;
    ASSERT_TRUE(registry.Begin(error)) << error;
    ASSERT_TRUE(ImportRegFile(folder.Wide("settings.reg"), kPrivateKeyOptions, error)) << error;
    const WCHAR key[] = W("SOFTWARE\\Imported");
    EXPECT_EQ(Value(key, W("Directory")), "Report");
    EXPECT_EQ(Value(key, W("Eve1")), "(missing)");
    DWORD type = 0;
    EXPECT_EQ(Value(key, W("Count"), &type), "10,00,00,00");
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_FALSE(KeyExists(W("SOFTWARE\\Imported\\Gone")));
    // Descriptions are still made while the settings are private (on Windows
    // the dictionary's class is found through HKEY_CLASSES_ROOT).
    IDictionary* dictionary = nullptr;
    EXPECT_EQ(PAL_CreateDictionary(&dictionary), S_OK);
    if (dictionary)
        dictionary->Release();

    EXPECT_FALSE(ImportRegFile(folder.Wide("missing.reg"), kPrivateKeyOptions, error));
    EXPECT_FALSE(error.empty());
}

// Thousands of values are one write of the registry: each value used to
// rewrite, sync and rename the whole hive (minutes for 8,000 values).
TEST(RegFileTest, ThousandsOfValuesImportAtOnce)
{
    test::TempFolder folder;
    std::string text = "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Many]\r\n";
    for (int i = 0; i < 8000; ++i)
        text += "\"Value" + std::to_string(i) + "\"=\"text " + std::to_string(i) + "\"\r\n";
    text += "\"value7999\"=\"last\"\r\n"; // names compare without regard to case
    test::WriteFileBytes(folder.Path() / "many.reg", Utf16File(text));
    CPrivateRegistry registry;
    std::string error;
    ASSERT_TRUE(registry.Begin(error)) << error;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(ImportRegFile(folder.Wide("many.reg"), kPrivateKeyOptions, error)) << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(Value(W("SOFTWARE\\Many"), W("Value0")), "text 0");
    EXPECT_EQ(Value(W("SOFTWARE\\Many"), W("Value4711")), "text 4711");
    EXPECT_EQ(Value(W("SOFTWARE\\Many"), W("VALUE7999")), "last");
}

TEST(ToolPlatformTest, RunsAProgramAndGivesItsExitStatus)
{
    // The tool itself: `annalist --version` prints to stdout and ends with 0;
    // an unknown option is a usage error on stderr with status 2.
    test::TempFolder folder;
    std::string out = (folder.Path() / "out.txt").string();
    std::string err = (folder.Path() / "err.txt").string();
    int status = -1;
    ASSERT_TRUE(PAL_RunProgram({ANNALIST_TOOL_PATH, "--version"}, out, err, status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::ReadFileBytes(out).substr(0, 9), "annalist ");
    ASSERT_TRUE(
        PAL_RunProgram({ANNALIST_TOOL_PATH, "replay", "a \"quoted\\\" arg", "-o", "r", "--bogus"}, out, err, status));
    EXPECT_EQ(status, 2);
    EXPECT_NE(test::ReadFileBytes(err).find("annalist: The following argument was not expected: --bogus"),
              std::string::npos)
        << test::ReadFileBytes(err);
    EXPECT_FALSE(PAL_RunProgram({(folder.Path() / "no-such-program").string()}, out, err, status));
}

} // namespace
