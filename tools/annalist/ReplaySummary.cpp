#include "annalist/ReplaySummary.h"

#include <algorithm>
#include <cstdio>

#include "annalist/TextConversion.h"

namespace {

std::string Plural(long count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

const char* KindName(ReportEntry::Kind kind)
{
    switch (kind) {
    case ReportEntry::BusinessProcess:
        return "Business process";
    case ReportEntry::BusinessComponent:
        return "Component";
    case ReportEntry::Action:
        return "Action";
    case ReportEntry::Test:
        break;
    }
    return "Test";
}

std::string Size(unsigned long long bytes)
{
    char text[32];
    if (bytes < 1024)
        std::snprintf(text, sizeof(text), "%llu bytes", bytes);
    else if (bytes < 1024ull * 1024)
        std::snprintf(text, sizeof(text), "%.1f KB", bytes / 1024.0);
    else
        std::snprintf(text, sizeof(text), "%.1f MB", bytes / (1024.0 * 1024.0));
    return text;
}

std::string Padded(const std::string& text, size_t width)
{
    size_t shown = Utf8Width(text);
    return shown >= width ? text : text + std::string(width - shown, ' ');
}

} // namespace

std::string FormatReplaySummary(const ReplaySummaryInput& input)
{
    const ReplayStatistics& s = input.statistics;
    std::string text;
    char seconds[32];
    std::snprintf(seconds, sizeof(seconds), "%.2f s", s.seconds);
    text += "Replayed " + Plural(s.lines, "line", "lines") + " of " + input.eventsFile + " in " + seconds + ": ";
    if (s.failedCalls == 0 && s.skippedLines == 0)
        text += s.calls == 1 ? "1 call, succeeded" : Plural(s.calls, "call", "calls") + ", all succeeded";
    else
        text += Plural(s.calls, "call", "calls") + ", " + std::to_string(s.failedCalls) + " failed, " +
                Plural(s.skippedLines, "line", "lines") + " skipped";
    if (s.warnings)
        text += ", " + Plural(s.warnings, "warning", "warnings");
    text += ".\n";
    if (s.interrupted)
        text += "The replay was interrupted before the end of the event log.\n";
    if (s.closedOpenRun)
        text += std::string(s.interrupted ? "The replay stopped" : "The event log ended") +
                " inside a run; the run was ended as \"EndRepLog\" would end it.\n";

    text += "\nResults folder: " + input.resultsFolder + "\n";
    if (!input.reportRead) {
        text += input.runStarted ? "  No Results.xml was written.\n"
                                 : "  No Results.xml was written (the event log starts no run with \"StartRepLog\").\n";
    } else {
        const ReportContents& report = input.report;
        std::vector<std::string> labels;
        size_t width = 0;
        for (const ReportEntry& entry : report.entries) {
            std::string label = std::string(static_cast<size_t>(entry.depth) * 2, ' ') + KindName(entry.kind) +
                                " \"" + entry.name + "\"";
            width = std::max(width, Utf8Width(label));
            labels.push_back(label);
        }
        width = std::min<size_t>(width, 48);
        size_t passedWidth = 1, failedWidth = 1;
        for (const ReportEntry& entry : report.entries) {
            passedWidth = std::max(passedWidth, std::to_string(entry.passed).size());
            failedWidth = std::max(failedWidth, std::to_string(entry.failed).size());
        }
        for (size_t i = 0; i < report.entries.size(); ++i) {
            const ReportEntry& entry = report.entries[i];
            // A business process's node arguments are written at its start,
            // before any outcome: it has no status of its own to show.
            std::string status;
            if (!entry.closed && entry.status.empty())
                status = "(not closed)";
            else if (entry.kind != ReportEntry::BusinessProcess)
                status = entry.status.empty() ? "Done" : entry.status;
            std::string line = "  " + Padded(labels[i], width) + "  " + Padded(status, 12);
            if (entry.hasCounts)
                line += "passed " + Padded(std::to_string(entry.passed), passedWidth) + "  failed " +
                        Padded(std::to_string(entry.failed), failedWidth) + "  warnings " +
                        std::to_string(entry.warnings);
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            text += line + "\n";
        }
        if (report.entries.empty())
            text += "  The report holds no test.\n";
        text += "\nRecords written: " + Plural(report.nodes, "report node", "report nodes") + " in Results.xml (" +
                Size(report.bytes) + ")" +
                (report.closed ? "" : "; the report is left open for a later run to append to") + ".\n";
    }
    if (!input.files.empty()) {
        text += "Files: ";
        for (size_t i = 0; i < input.files.size(); ++i) {
            if (i == 10) {
                text += ", ...";
                break;
            }
            text += (i ? ", " : "") + input.files[i];
        }
        text += "\n";
    }
    return text;
}
