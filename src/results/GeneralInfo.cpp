#include "results/GeneralInfo.h"

#include <cstdlib>
#include <filesystem>

#include "results/ByteSource.h"
#include "results/Utf8Text.h"

namespace results {

namespace {

long Number(const std::string& text, long fallback)
{
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str() ? value : fallback;
}

// The keys of [General] that are read, and where each one goes.
const struct {
    const char* key;
    std::string GeneralInfo::*field;
} kTextKeys[] = {{"Product", &GeneralInfo::product},         {"Version", &GeneralInfo::version},
                 {"Title", &GeneralInfo::title},             {"TestLocation", &GeneralInfo::testLocation},
                 {"TestOnHost", &GeneralInfo::testHost},     {"UserName", &GeneralInfo::userName},
                 {"VaultServer", &GeneralInfo::vaultServer}, {"VaultProject", &GeneralInfo::vaultProject}};
const struct {
    const char* key;
    long GeneralInfo::*field;
} kNumberKeys[] = {{"Total", &GeneralInfo::total},
                   {"OSVersion", &GeneralInfo::osVersion},
                   {"GlobalIteration", &GeneralInfo::globalIteration}};

} // namespace

std::string TrimmedIniText(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

bool SameIniName(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

GeneralInfo ParseGeneralInfo(const std::string& bytes)
{
    std::string text;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        text = Utf16LeToUtf8(bytes.data() + 2, bytes.size() - 2);
    } else {
        text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
        MakeValidUtf8(text);
    }
    GeneralInfo info;
    info.found = true;
    bool inGeneral = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = TrimmedIniText(text.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            inGeneral = close != std::string::npos && SameIniName(TrimmedIniText(line.substr(1, close - 1)), "General");
            continue;
        }
        size_t equals = line.find('=');
        if (!inGeneral || equals == std::string::npos)
            continue;
        std::string key = TrimmedIniText(line.substr(0, equals));
        std::string value = TrimmedIniText(line.substr(equals + 1));
        for (const auto& entry : kTextKeys)
            if (SameIniName(key, entry.key))
                info.*entry.field = value;
        for (const auto& entry : kNumberKeys)
            if (SameIniName(key, entry.key))
                info.*entry.field = Number(value, -1);
    }
    return info;
}

GeneralInfo ReadGeneralInfo(const std::string& resultsFolder)
{
    std::string path = (std::filesystem::u8path(resultsFolder) / "GeneralInfo.ini").u8string();
    std::string bytes, error;
    if (!ReadSmallFile(path, 1 << 20, bytes, error))
        return GeneralInfo();
    return ParseGeneralInfo(bytes);
}

} // namespace results
