#include "annalist/CommandLine.h"

#include <CLI/CLI.hpp>

#include <sstream>

#include "component/Version.h"

namespace {

const char kReplayFooter[] =
    "The event log is UTF-8 text with one JSON object per line, each one call on the logger:\n"
    "  {\"type\": \"StartTest\", \"id\": 2, \"parent\": 1, \"time\": \"2024-03-05T14:05:05\",\n"
    "   \"desc\": {\"TestName\": \"Login\"}}                                  (LogEvent)\n"
    "  {\"call\": \"SetStatus\", \"id\": 7, \"status\": 1}    {\"call\": \"Filter\", \"value\": 2}\n"
    "  {\"call\": \"SetRegistryRoot\", \"root\": \"...\"}     {\"call\": \"ReportPath\", \"path\": \"...\"}\n"
    "Description values: text, true/false, numbers, null, {\"$date\": \"...\"}, {\"$i2\": n},\n"
    "{\"$empty\": true}, {\"$report\": \"html\"}, {\"$params\": [{\"name\": ..., \"direction\": \"in\"|\"out\",\n"
    "\"value\": ...}]}.\n"
    "\n"
    "The replay uses a private registry (never your own settings). Without --settings it holds,\n"
    "under the root: Directory \".\", IterDir \"Row\", Eve1..Eve7 = Replay, User, Error,\n"
    "Verification, Transaction, Context, Table.\n"
    "\n"
    "Exit status: 0 every line read and every call succeeded; 1 some line or call failed;\n"
    "2 the event log, the settings or the results folder cannot be used.\n";

// "all", "errors-and-warnings", "errors", "none" or 0 to 3.
bool FilterValue(const std::string& text, long& value)
{
    static const char* const names[] = {"all", "errors-and-warnings", "errors", "none"};
    for (long i = 0; i < 4; ++i) {
        if (text == names[i] || text == std::to_string(i)) {
            value = i;
            return true;
        }
    }
    return false;
}

} // namespace

CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments, ReplayOptions& options)
{
    CommandLineResult result;
    CLI::App app{"Annalist, the results logger of automated test runs: replays a recorded run into a results "
                 "folder.",
                 "annalist"};
    app.set_version_flag("--version", std::string("annalist ") + AnnalistVersionText(), "Show the version and exit");
    app.require_subcommand(0, 1);
    app.footer("Run `annalist replay --help` for the event log format.");
    app.failure_message([](const CLI::App*, const CLI::Error& error) {
        return std::string("annalist: ") + error.what() + "\nRun `annalist --help` for more information.\n";
    });

    CLI::App* replay = app.add_subcommand("replay", "Replay a recorded run (an event log) into a results folder");
    std::string filterText;
    std::string level = "current";
    replay->add_option("EVENTS", options.eventsFile, "The event log (.jsonl)")->required()->type_name("FILE");
    replay->add_option("-o,--output", options.resultsFolder, "The results folder (created when missing)")
        ->required()
        ->type_name("RESULTS_DIR");
    replay->add_option("--settings", options.settingsFile,
                       "A .reg file (UTF-16LE or UTF-8) to import instead of the default settings")
        ->type_name("FILE.reg");
    replay->add_option("--root", options.root,
                       "The registry root of the logger's settings, below HKEY_LOCAL_MACHINE (default: "
                       "SOFTWARE\\Annalist)")
        ->type_name("KEY");
    replay->add_option("--filter", filterText,
                       "Report filter set before the first line: 0 all (default), 1 errors-and-warnings, 2 errors, "
                       "3 none")
        ->type_name("N")
        ->check(CLI::Validator(
            [](std::string& text) {
                long value = 0;
                return FilterValue(text, value) ? std::string()
                                                : "must be 0 (all), 1 (errors-and-warnings), 2 (errors) or 3 (none)";
            },
            "", "FILTER"));
    replay->add_option("--level", level, "The logger's product level (default: current)")
        ->type_name("current|earlier")
        ->check(CLI::Validator(
            [](std::string& text) {
                return text == "current" || text == "earlier" ? std::string() : "must be current or earlier";
            },
            "", "LEVEL"));
    replay->footer(kReplayFooter);

    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    std::ostringstream out, err;
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& error) {
        int status = app.exit(error, out, err);
        result.output = out.str();
        result.errors = err.str();
        result.exitStatus = status == 0 ? 0 : 2;
        return result;
    }
    if (!replay->parsed()) {
        result.errors = app.help();
        result.exitStatus = 2;
        return result;
    }
    if (!filterText.empty()) {
        options.hasFilter = true;
        FilterValue(filterText, options.filter);
    }
    options.earlierLevel = level == "earlier";
    result.run = true;
    return result;
}
