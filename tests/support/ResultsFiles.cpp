#include "support/ResultsFiles.h"

#include <gtest/gtest.h>

#include "pal/pal.h"
#include "report/EventTime.h"
#include "support/TestSupport.h"
#include "support/XmlCheck.h"

namespace test {

namespace {

// Replaces the value of every attribute name="..." by the replacement.
void ReplaceAttributeValues(std::string& text, const std::string& name, const std::string& replacement)
{
    std::string start = " " + name + "=\"";
    size_t at = 0;
    while ((at = text.find(start, at)) != std::string::npos) {
        size_t value = at + start.size();
        size_t end = text.find('"', value);
        if (end == std::string::npos)
            return;
        text.replace(value, end - value, replacement);
        at = value + replacement.size();
    }
}

LONGLONG BaseTick()
{
    SYSTEMTIME base = {};
    base.wYear = 2024;
    base.wMonth = 3;
    base.wDay = 5;
    base.wHour = 14;
    base.wMinute = 5;
    base.wSecond = 5;
    LONGLONG tick = 0;
    EXPECT_EQ(S_OK, ComputeTimeTick(base, &tick));
    return tick;
}

bool UpdateGolden()
{
    WCHAR value[8] = {};
    DWORD length = GetEnvironmentVariableW(W("ANNALIST_UPDATE_GOLDEN"), value, 8);
    return length == 1 && value[0] == '1';
}

// The line of the first difference, with its number, for the failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual)
{
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    size_t lineStart = expected.rfind('\n', at == 0 ? 0 : at - 1);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    size_t line = 1;
    for (size_t i = 0; i < lineStart; ++i)
        line += expected[i] == '\n';
    auto lineAt = [&](const std::string& text) {
        size_t end = text.find('\n', lineStart);
        return lineStart >= text.size() ? std::string("<end>") : text.substr(lineStart, end - lineStart);
    };
    return "line " + std::to_string(line) + "\n expected: " + lineAt(expected) + "\n   actual: " + lineAt(actual);
}

} // namespace

std::string NormalizeResults(const std::string& xml)
{
    std::string text = xml;
    ReplaceAttributeValues(text, "tmZone", "ZONE");
    ReplaceAttributeValues(text, "host", "HOST");
    const std::string open = "<TimeTick>";
    const std::string close = "</TimeTick>";
    LONGLONG base = BaseTick();
    size_t at = 0;
    while ((at = text.find(open, at)) != std::string::npos) {
        size_t value = at + open.size();
        size_t end = text.find(close, value);
        if (end == std::string::npos)
            break;
        // The tick is written as the low 32 bits of the time.
        long long tick = std::stoll(text.substr(value, end - value));
        long long offset = static_cast<int>(static_cast<unsigned>(tick - static_cast<long long>(base)));
        std::string replacement = (offset >= 0 ? "+" : "") + std::to_string(offset);
        text.replace(value, end - value, replacement);
        at = value + replacement.size();
    }
    return text;
}

void ExpectResultsMatch(const std::filesystem::path& resultsFolder, const std::string& golden, bool endTimesNow)
{
    std::string produced = ReadFileBytes(resultsFolder / "Results.xml");
    ASSERT_FALSE(produced.empty()) << "no Results.xml in " << resultsFolder;
    std::string error;
    EXPECT_TRUE(XmlIsWellFormed(produced, &error)) << golden << ": " << error;

    std::string normalized = NormalizeResults(produced);
    if (endTimesNow)
        ReplaceAttributeValues(normalized, "eTime", "NOW");
    std::filesystem::path goldenPath = DataPath("integration/" + golden);
    if (UpdateGolden()) {
        WriteFileBytes(goldenPath, normalized);
        return;
    }
    std::string expected = ReadFileBytes(goldenPath);
    ASSERT_FALSE(expected.empty()) << "no golden file " << goldenPath;
    EXPECT_TRUE(expected == normalized) << golden << " differs at " << FirstDifference(expected, normalized);
}

std::string Utf16FileBytes(const std::string& utf8)
{
    std::string bytes = "\xFF\xFE";
    for (WCHAR unit : Utf8ToUtf16(utf8)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
    }
    return bytes;
}

} // namespace test
