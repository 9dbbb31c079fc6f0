#include "Baselines.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

const size_t kChunk = 64 * 1024;
const int kMaxArguments = 8;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The file cut into elements, each one a format and its arguments, prepared
// before the timed loop.
struct FormattedElements {
    std::vector<std::string> formats;     // distinct formats
    std::vector<uint32_t> elementFormat;  // per element: index into formats
    std::vector<uint32_t> firstArgument;  // per element: index into arguments
    std::vector<uint8_t> argumentCount;   // per element
    std::vector<const char*> arguments;   // into argumentText
    std::string argumentText;             // every argument, each followed by a zero
};

bool StartsWith(const std::string& text, size_t at, const char* prefix)
{
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// The end of the element that begins at `start`: the next "<" that opens a
// start tag, a comment or a processing instruction outside CDATA (end tags
// and CDATA sections belong to the element before them).
size_t ElementEnd(const std::string& xml, size_t start)
{
    size_t at = start + 1;
    while (at < xml.size()) {
        size_t next = xml.find('<', at);
        if (next == std::string::npos)
            return xml.size();
        if (StartsWith(xml, next, "<![CDATA[")) {
            size_t close = xml.find("]]>", next);
            at = close == std::string::npos ? xml.size() : close + 3;
            continue;
        }
        if (next + 1 < xml.size() && xml[next + 1] != '/' && xml[next + 1] != '!')
            return next;
        at = next + 1;
    }
    return xml.size();
}

void AppendLiteral(std::string& format, const std::string& xml, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i) {
        if (xml[i] == '%')
            format += '%';
        format += xml[i];
    }
}

// Turns one element into a format: the values between quotes after "=", the
// contents of CDATA sections and the text between ">" and "<" become "%s"
// (the first kMaxArguments of them; the rest stays literal).
void AddElement(const std::string& xml, size_t start, size_t end, FormattedElements& out,
                std::unordered_map<std::string, uint32_t>& formatIndex, std::vector<size_t>& argumentOffsets)
{
    std::string format;
    int count = 0;
    size_t literalFrom = start;
    auto argument = [&](size_t from, size_t to) {
        if (count == kMaxArguments || to <= from)
            return;
        AppendLiteral(format, xml, literalFrom, from);
        format += "%s";
        argumentOffsets.push_back(out.argumentText.size());
        out.argumentText.append(xml, from, to - from);
        out.argumentText += '\0';
        literalFrom = to;
        ++count;
    };
    size_t at = start;
    while (at < end) {
        if (StartsWith(xml, at, "<![CDATA[")) {
            size_t from = at + 9;
            size_t close = xml.find("]]>", from);
            if (close == std::string::npos || close > end)
                close = end;
            argument(from, close);
            at = close + 3;
        } else if (xml[at] == '=' && at + 1 < end && xml[at + 1] == '"') {
            size_t from = at + 2;
            size_t close = xml.find('"', from);
            if (close == std::string::npos || close > end)
                close = end;
            argument(from, close);
            at = close + 1;
        } else if (xml[at] == '>' && at + 1 < end && xml[at + 1] != '<' && xml[at + 1] != '\n') {
            size_t from = at + 1;
            size_t close = xml.find('<', from);
            if (close == std::string::npos || close > end)
                close = end;
            argument(from, close);
            at = close;
        } else {
            ++at;
        }
    }
    AppendLiteral(format, xml, literalFrom, end);

    auto found = formatIndex.find(format);
    uint32_t index;
    if (found == formatIndex.end()) {
        index = static_cast<uint32_t>(out.formats.size());
        formatIndex.emplace(format, index);
        out.formats.push_back(format);
    } else {
        index = found->second;
    }
    out.elementFormat.push_back(index);
    out.firstArgument.push_back(static_cast<uint32_t>(argumentOffsets.size() - static_cast<size_t>(count)));
    out.argumentCount.push_back(static_cast<uint8_t>(count));
}

FormattedElements CutIntoElements(const std::string& xml)
{
    FormattedElements out;
    std::unordered_map<std::string, uint32_t> formatIndex;
    std::vector<size_t> argumentOffsets;
    out.argumentText.reserve(xml.size());
    size_t start = 0;
    while (start < xml.size()) {
        size_t end = ElementEnd(xml, start);
        AddElement(xml, start, end, out, formatIndex, argumentOffsets);
        start = end;
    }
    out.arguments.reserve(argumentOffsets.size());
    for (size_t offset : argumentOffsets)
        out.arguments.push_back(out.argumentText.data() + offset);
    return out;
}

bool TimeFwrite(const std::string& xml, const std::string& path, double& seconds)
{
    Clock::time_point start = Clock::now();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = true;
    for (size_t at = 0; at < xml.size() && written; at += kChunk) {
        size_t length = std::min(kChunk, xml.size() - at);
        written = std::fwrite(xml.data() + at, 1, length, file) == length;
    }
    written = std::fclose(file) == 0 && written;
    seconds = SecondsSince(start);
    return written;
}

bool TimeSnprintf(const FormattedElements& elements, const std::string& path, double& seconds)
{
    static char buffer[kChunk];
    const char* none = "";
    Clock::time_point start = Clock::now();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = true;
    size_t used = 0;
    const size_t count = elements.elementFormat.size();
    for (size_t i = 0; i < count && written; ++i) {
        const char* a[kMaxArguments];
        const char* const* given = elements.arguments.data() + elements.firstArgument[i];
        int n = elements.argumentCount[i];
        for (int k = 0; k < kMaxArguments; ++k)
            a[k] = k < n ? given[k] : none;
        const char* format = elements.formats[elements.elementFormat[i]].c_str();
        for (;;) {
            int length = std::snprintf(buffer + used, sizeof buffer - used, format, a[0], a[1], a[2], a[3], a[4], a[5],
                                       a[6], a[7]);
            if (length < 0) {
                written = false;
                break;
            }
            if (static_cast<size_t>(length) < sizeof buffer - used) {
                used += static_cast<size_t>(length);
                break;
            }
            if (used == 0) { // longer than the buffer: written on its own
                std::vector<char> large(static_cast<size_t>(length) + 1);
                std::snprintf(large.data(), large.size(), format, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
                written = std::fwrite(large.data(), 1, static_cast<size_t>(length), file) ==
                          static_cast<size_t>(length);
                break;
            }
            written = std::fwrite(buffer, 1, used, file) == used;
            used = 0;
            if (!written)
                break;
        }
    }
    if (written && used > 0)
        written = std::fwrite(buffer, 1, used, file) == used;
    written = std::fclose(file) == 0 && written;
    seconds = SecondsSince(start);
    return written;
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& contents)
{
    contents.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char chunk[kChunk];
    size_t length;
    while ((length = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        contents.append(chunk, length);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

bool RunBaselines(const std::string& resultsFile, const std::string& scratchFolder, BaselineFigures& figures,
                  std::string& error)
{
    std::string xml;
    if (!ReadWholeFile(resultsFile, xml)) {
        error = "cannot read " + resultsFile;
        return false;
    }
    figures.bytes = static_cast<long long>(xml.size());
    FormattedElements elements = CutIntoElements(xml);
    figures.elements = static_cast<long>(elements.elementFormat.size());
    figures.arguments = static_cast<long>(elements.arguments.size());

    const std::string fwritePath = scratchFolder + "/baseline-fwrite.xml";
    const std::string snprintfPath = scratchFolder + "/baseline-snprintf.xml";
    if (!TimeFwrite(xml, fwritePath, figures.fwriteSeconds)) {
        error = "cannot write " + fwritePath;
        return false;
    }
    std::remove(fwritePath.c_str());
    if (!TimeSnprintf(elements, snprintfPath, figures.snprintfSeconds)) {
        error = "cannot write " + snprintfPath;
        return false;
    }
    std::string formatted;
    bool same = ReadWholeFile(snprintfPath, formatted) && formatted == xml;
    std::remove(snprintfPath.c_str());
    if (!same) {
        error = "the snprintf baseline did not reproduce the bytes of " + resultsFile;
        return false;
    }
    return true;
}
