#include "EventLogWriter.h"

#include <cstdio>
#include <ctime>

#include "RunShape.h"

namespace {

const long kStepsPerSecond = 8;

void AppendJsonText(std::string& out, const char* text)
{
    out += '"';
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += *p;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += *p;
        }
    }
    out += '"';
}

// "2024-03-05T14:05:00" plus the given seconds (no time zone involved).
std::string EventTime(long seconds)
{
    std::tm start{};
    start.tm_year = 2024 - 1900;
    start.tm_mon = 2;
    start.tm_mday = 5;
    start.tm_hour = 14;
    start.tm_min = 5;
    std::time_t at = timegm(&start) + seconds;
    std::tm fields{};
    gmtime_r(&at, &fields);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &fields);
    return text;
}

std::string JsonLine(const BenchEvent& event, long seconds)
{
    std::string line = "{\"type\": ";
    AppendJsonText(line, event.type.utf8);
    if (event.id != 0)
        line += ", \"id\": " + std::to_string(event.id);
    if (event.parent != 0)
        line += ", \"parent\": " + std::to_string(event.parent);
    line += ", \"time\": \"" + EventTime(seconds) + "\", \"desc\": {";
    for (int i = 0; i < event.count; ++i) {
        const BenchValue& value = event.values[i];
        if (i > 0)
            line += ", ";
        AppendJsonText(line, value.key.utf8);
        line += ": ";
        switch (value.kind) {
        case BenchValueKind::Text:
            AppendJsonText(line, value.text.utf8);
            break;
        case BenchValueKind::Integer:
            line += std::to_string(value.number);
            break;
        case BenchValueKind::Flag:
            line += value.number ? "true" : "false";
            break;
        case BenchValueKind::Report:
            line += "{\"$report\": ";
            AppendJsonText(line, value.text.utf8);
            line += "}";
            break;
        }
    }
    line += "}}\n";
    return line;
}

} // namespace

bool WriteEventLog(const std::string& path, long steps, long& lines, std::string& error)
{
    lines = 0;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create " + path;
        return false;
    }
    bool written = true;
    long seconds = 0;
    auto put = [&](const BenchEvent& event) {
        std::string line = JsonLine(event, seconds);
        written = written && std::fwrite(line.data(), 1, line.size(), file) == line.size();
        ++lines;
    };
    for (const BenchEvent& event : OpeningEvents()) {
        put(event);
        ++seconds;
    }
    BenchEvent step;
    for (long index = 0; index < steps; ++index) {
        StepEvent(index, step);
        put(step);
        if (index % kStepsPerSecond == kStepsPerSecond - 1)
            ++seconds;
    }
    for (const BenchEvent& event : ClosingEvents()) {
        ++seconds;
        put(event);
    }
    written = std::fclose(file) == 0 && written;
    if (!written)
        error = "cannot write " + path;
    return written;
}
