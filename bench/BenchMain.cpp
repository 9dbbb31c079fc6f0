// annalist_bench: the driver of `make bench` and `make bench-instructions`.
//
//   annalist_bench run --steps N --results DIR [--starve-writer]
//                      [--no-baselines] [--dictionary-loop M]
//     logs the benchmark's run (RunShape.h) into DIR through the library,
//     checks Results.xml (every step there), times the baselines over its
//     bytes and the caller's description work alone, and prints the figures
//     as "name=value" lines.
//   annalist_bench events --steps N -o FILE
//     writes the same run as an event log for `annalist replay`.
//
// Exit status 0 when the run was made and checked, 1 otherwise.
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "Baselines.h"
#include "CallerDescription.h"
#include "EventLogWriter.h"
#include "LoggedRun.h"
#include "RunShape.h"

namespace {

using Clock = std::chrono::steady_clock;

void Print(const char* name, double value, int decimals)
{
    std::printf("%s=%.*f\n", name, decimals, value);
}

void Print(const char* name, long long value) { std::printf("%s=%lld\n", name, value); }

long CountOf(const std::string& text, const char* what)
{
    long count = 0;
    std::string needle(what);
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

// Every step of the run is in the file, the checkpoints as HTML steps, and
// the document ends with its root element.
bool CheckResults(const std::string& file, long steps, std::string& error)
{
    std::string xml;
    if (!ReadWholeFile(file, xml)) {
        error = "cannot read " + file;
        return false;
    }
    RunExpectation expected = ExpectedFor(steps);
    long plain = CountOf(xml, "<Step rID=\"");
    long html = CountOf(xml, "<HtmlStep rID=\"");
    if (plain + html != expected.steps || html != expected.checkpoints) {
        error = file + " holds " + std::to_string(plain) + " steps and " + std::to_string(html) +
                " HTML steps; expected " + std::to_string(expected.steps - expected.checkpoints) + " and " +
                std::to_string(expected.checkpoints);
        return false;
    }
    const std::string root = "</Report>";
    size_t end = xml.find_last_not_of("\r\n");
    if (end == std::string::npos || end + 1 < root.size() || xml.compare(end + 1 - root.size(), root.size(), root) != 0) {
        error = file + " does not end with </Report>";
        return false;
    }
    return true;
}

// Builds and frees the descriptions of `count` steps; seconds per step.
double TimeCallerDescriptions(long count)
{
    BenchEvent step;
    Clock::time_point start = Clock::now();
    for (long index = 0; index < count; ++index) {
        StepEvent(index, step);
        IDictionary* description = nullptr;
        if (FAILED(BuildCallerDescription(step, &description)))
            return -1;
        FreeCallerDescription(description);
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / static_cast<double>(count);
}

int Run(long steps, const std::string& resultsFolder, bool starveWriter, bool baselines, long dictionaryLoop)
{
    RunSettings settings;
    settings.steps = steps;
    settings.resultsFolder = resultsFolder;
    settings.starveWriter = starveWriter;
    CLoggedRun run(settings);
    RunFigures figures;
    std::string error;
    if (!run.Run(figures, error)) {
        std::fprintf(stderr, "annalist_bench: %s\n", error.c_str());
        return 1;
    }
    if (figures.failedCalls > 0) {
        std::fprintf(stderr, "annalist_bench: %ld LogEvent calls failed\n", figures.failedCalls);
        return 1;
    }
    const std::string file = run.ResultsFile();
    if (!CheckResults(file, steps, error)) {
        std::fprintf(stderr, "annalist_bench: %s\n", error.c_str());
        return 1;
    }
    std::error_code failure;
    const long long bytes = static_cast<long long>(std::filesystem::file_size(file, failure));

    Print("steps", steps);
    Print("writer_starved", starveWriter ? 1 : 0);
    Print("seconds", figures.seconds, 4);
    Print("steps_per_s", steps / figures.seconds, 0);
    Print("results_bytes", bytes);
    Print("bytes_per_step", steps > 0 ? static_cast<double>(bytes) / steps : 0, 1);
    Print("latency_p50_us", figures.latency.p50, 2);
    Print("latency_p99_us", figures.latency.p99, 2);
    Print("latency_p999_us", figures.latency.p999, 2);
    Print("latency_max_us", figures.latency.max, 2);
    Print("rss_before_kb", figures.residentBeforeKb);
    for (const auto& at : figures.residentKb)
        std::printf("rss_at_%ld_kb=%ld\n", at.first, at.second);
    Print("peak_rss_kb", figures.peakResidentKb);
    const long arrayKb = static_cast<long>((figures.latencyArrayBytes + 1023) / 1024);
    Print("latency_array_kb", arrayKb);
    Print("peak_rss_less_array_kb", figures.peakResidentKb - arrayKb);
    if (figures.logEventAllocations >= 0 && steps > 0) {
        Print("logevent_allocations_per_step", static_cast<double>(figures.logEventAllocations) / steps, 2);
        Print("logevent_frees_per_step", static_cast<double>(figures.logEventFrees) / steps, 2);
        Print("writer_allocations_per_step", static_cast<double>(figures.otherThreadAllocations) / steps, 2);
        Print("writer_frees_per_step", static_cast<double>(figures.otherThreadFrees) / steps, 2);
    }

    if (baselines) {
        BaselineFigures baseline;
        std::string scratch = std::filesystem::path(resultsFolder).parent_path().string();
        if (!RunBaselines(file, scratch.empty() ? "." : scratch, baseline, error)) {
            std::fprintf(stderr, "annalist_bench: %s\n", error.c_str());
            return 1;
        }
        Print("elements", baseline.elements);
        Print("elements_per_step", steps > 0 ? static_cast<double>(baseline.elements) / steps : 0, 1);
        Print("fwrite_seconds", baseline.fwriteSeconds, 4);
        Print("fwrite_steps_per_s", steps / baseline.fwriteSeconds, 0);
        Print("fwrite_ratio", figures.seconds / baseline.fwriteSeconds, 1);
        Print("snprintf_seconds", baseline.snprintfSeconds, 4);
        Print("snprintf_steps_per_s", steps / baseline.snprintfSeconds, 0);
        Print("snprintf_ratio", figures.seconds / baseline.snprintfSeconds, 1);
    }
    if (dictionaryLoop > 0) {
        double perStep = TimeCallerDescriptions(dictionaryLoop);
        if (perStep < 0) {
            std::fprintf(stderr, "annalist_bench: building a description failed\n");
            return 1;
        }
        Print("dictionary_steps", dictionaryLoop);
        Print("dictionary_ns_per_step", perStep * 1e9, 0);
        double library = figures.seconds - perStep * static_cast<double>(steps);
        Print("library_seconds", library, 4);
        Print("library_steps_per_s", library > 0 ? steps / library : 0, 0);
    }
    return 0;
}

int Events(long steps, const std::string& path)
{
    long lines = 0;
    std::string error;
    if (!WriteEventLog(path, steps, lines, error)) {
        std::fprintf(stderr, "annalist_bench: %s\n", error.c_str());
        return 1;
    }
    Print("lines", lines);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"annalist_bench: the logger's benchmark driver"};
    app.require_subcommand(1);

    long steps = 0;
    std::string resultsFolder;
    bool starveWriter = false;
    bool noBaselines = false;
    long dictionaryLoop = -1;
    CLI::App* run = app.add_subcommand("run", "log the benchmark's run through the library and print its figures");
    run->add_option("--steps", steps, "steps to log")->required()->check(CLI::NonNegativeNumber);
    run->add_option("--results", resultsFolder, "results folder (new or empty)")->required();
    run->add_flag("--starve-writer", starveWriter, "run the writer thread at idle priority on the logging thread's CPU");
    run->add_flag("--no-baselines", noBaselines, "skip the fwrite and snprintf baselines");
    run->add_option("--dictionary-loop", dictionaryLoop,
                    "descriptions built and freed alone after the run (default: the steps, at most 100000; 0: none)")
        ->check(CLI::NonNegativeNumber);

    std::string eventsFile;
    CLI::App* events = app.add_subcommand("events", "write the benchmark's run as an event log");
    events->add_option("--steps", steps, "steps")->required()->check(CLI::NonNegativeNumber);
    events->add_option("-o", eventsFile, "event log to write")->required();

    CLI11_PARSE(app, argc, argv);
    if (run->parsed()) {
        if (dictionaryLoop < 0)
            dictionaryLoop = std::min(steps, 100000L);
        return Run(steps, resultsFolder, starveWriter, !noBaselines, dictionaryLoop);
    }
    return Events(steps, eventsFile);
}
