#include "annalist/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <sstream>

#include "annalist/NameSuggestion.h"
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
    "Verification, Transaction, Context, Table. Settings or ReportPath lines that would make the\n"
    "logger write outside the results folder (\"..\\..\\x\") are refused unless --allow-outside.\n"
    "\n"
    "Warnings (on stderr, with the line number; the replay goes on and the exit status stays as\n"
    "it is): an event type the logger does not know, a description key that no handler of the\n"
    "event's type reads, an event without \"time\" (stamped with this machine's clock), a\n"
    "\"parent\" that no earlier event started, a results folder that already holds results\n"
    "(unless the run appends to them with \"ReportAppendMode\").\n"
    "\n"
    "--clean empties the results folder (the -o folder, or the folder the \"Directory\" setting\n"
    "names inside it) before the replay, but only when it already holds results: Results.xml\n"
    "or GeneralInfo.ini directly inside it. It never empties a folder that holds anything else\n"
    "but no results, nor the root of a file system, your home folder, or a folder that holds\n"
    "the event log or the settings file: those are refused (status 2) and nothing is removed.\n"
    "A missing or empty folder is simply used.\n"
    "\n"
    "Exit status: 0 every line read and every call succeeded; 1 some line or call failed,\n"
    "or (with --fail-on) the recorded run failed; 2 the event log, the settings or the\n"
    "results folder cannot be used.\n";

const char kReportFooter[] =
    "The report is one HTML file that loads nothing from the network: the run's header, the\n"
    "tree with every node's status (failed branches open), filters, a search over step names\n"
    "and details, each step's details, pictures, parameters and durations. Pictures are linked\n"
    "relative to the file (or embedded with --embed-pictures).\n"
    "\n"
    "Exit status: 0 the report was written; 1 (with --fail-on) the recorded run failed;\n"
    "2 the results folder is missing, not a results folder, or cut short (a report of what\n"
    "was read is still written when anything could be read).\n";

const char kExportFooter[] =
    "--junit writes JUnit XML: a testsuite per action (or business component), a testcase per\n"
    "action iteration (or the action itself), a failure naming the first failed step.\n"
    "--summary-json writes the run, tests, actions and iterations with status, counts and\n"
    "duration, and every failed step with its path (see the README). FILE \"-\" is stdout.\n"
    "\n"
    "Exit status: 0 written; 1 (with --fail-on) the recorded run failed; 2 the results folder\n"
    "is missing, not a results folder, or cut short (the files are still written when\n"
    "anything could be read).\n";

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

CLI::Validator FailOnValidator()
{
    return CLI::Validator(
        [](std::string& text) {
            return text == "failed" || text == "warning" ? std::string() : "must be failed or warning";
        },
        "", "FAIL_ON");
}

FailOn FailOnOf(const std::string& text)
{
    if (text == "failed")
        return FailOn::Failed;
    if (text == "warning")
        return FailOn::Warning;
    return FailOn::Nothing;
}

const char kFailOnHelp[] =
    "Exit with status 1 when the recorded run failed (failed), or failed or has warnings (warning)";

const char kRepairFooter[] =
    "A torn Results.xml (the run was killed while it wrote) is cut back to its last complete\n"
    "record, and its open elements are closed as the end of a run closes them; a test or action\n"
    "closed so is marked as not completed (stopped=\"True\"). A missing GeneralInfo.ini is rebuilt\n"
    "from the report (Total is the highest node number, so that an appended run goes on from\n"
    "there). Files are replaced whole, never written in place; symbolic links are not followed.\n"
    "\n"
    "Exit status: 0 nothing was needed, or the folder was repaired; 1 a file could not be\n"
    "written; 2 the results folder is missing, not a results folder, or holds nothing to keep.\n";

// "[--name VALUE]" for each option of a command, positionals first, for the
// overview of `annalist --help`.
std::string CommandSynopsis(const CLI::App& command)
{
    std::string synopsis = "annalist " + command.get_name();
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_name() == "--help")
            continue;
        std::string name = option->get_positional() ? option->get_name() : option->get_name(false, true);
        size_t comma = name.find(',');
        if (comma != std::string::npos && !option->get_positional())
            name = name.substr(0, comma);
        std::string type = option->get_type_name();
        if (!option->get_positional() && option->get_expected_min() > 0 && !type.empty())
            name += " " + type;
        synopsis += " " + (option->get_required() ? name : "[" + name + "]");
    }
    return synopsis;
}

// The synopses of the commands, wrapped at 100 columns; continued lines are
// indented and never begin with "-" (the completion reads option lines).
std::string CommandsOverview(const CLI::App& app)
{
    std::string text = "Commands and their options:\n";
    for (const CLI::App* command : app.get_subcommands({})) {
        std::string line = "  ";
        std::string synopsis = CommandSynopsis(*command);
        size_t start = 0;
        while (start < synopsis.size()) {
            size_t end = synopsis.find(" [", start + 1);
            size_t next = synopsis.find(' ', start + 1);
            // Words go together up to the next optional part.
            size_t piece = end == std::string::npos ? synopsis.size() : end;
            if (start == 0)
                piece = next == std::string::npos ? synopsis.size() : std::min(piece, synopsis.size());
            std::string word = synopsis.substr(start, piece - start);
            if (line.size() + word.size() > 100 && line.size() > 6) {
                text += line + "\n";
                line = "      ";
                if (!word.empty() && word[0] == ' ')
                    word.erase(0, 1);
            }
            line += word;
            start = piece;
        }
        text += line + "\n";
    }
    return text;
}

// The long options of a command (and the ones every command has).
std::vector<std::string> LongOptions(const CLI::App& command)
{
    std::vector<std::string> names;
    for (const CLI::Option* option : command.get_options())
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
    return names;
}

// "did you mean --settings?" for the first argument that looks like a long
// option but is none of the command's; "" when there is none or nothing is
// close.
std::string OptionSuggestion(const std::vector<std::string>& arguments, CLI::App& app)
{
    CLI::App* command = &app;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--")
            break;
        if (command == &app && argument.compare(0, 1, "-") != 0) {
            CLI::App* sub = nullptr;
            try {
                sub = app.get_subcommand(argument);
            } catch (const CLI::OptionNotFound&) {
            }
            if (sub)
                command = sub;
            continue;
        }
        if (argument.compare(0, 2, "--") != 0 || argument.size() == 2)
            continue;
        std::string name = argument.substr(0, argument.find('='));
        std::vector<std::string> known = LongOptions(*command);
        if (command != &app)
            for (const std::string& general : LongOptions(app))
                known.push_back(general);
        if (std::find(known.begin(), known.end(), name) != known.end())
            continue;
        std::string closest = ClosestName(name, known);
        if (!closest.empty())
            return "annalist: unknown option " + name + "; did you mean " + closest + "?\n";
    }
    return std::string();
}

} // namespace

CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments, ToolOptions& tool)
{
    CommandLineResult result;
    ReplayOptions& options = tool.replay;
    CLI::App app{"Annalist, the results logger of automated test runs: replays a recorded run into a results "
                 "folder, turns a results folder into a report or files for CI, and mends one a crash left.",
                 "annalist"};
    app.set_version_flag("--version", std::string("annalist ") + AnnalistVersionText(), "Show the version and exit");
    app.require_subcommand(0, 1);
    std::string generalFooter = "Run `annalist <command> --help` for what a command's options do (`annalist replay "
                                "--help` for the event log format).";
    app.failure_message([](const CLI::App*, const CLI::Error& error) {
        return std::string("annalist: ") + error.what() + "\nRun `annalist --help` for more information.\n";
    });

    CLI::App* replay = app.add_subcommand("replay", "Replay a recorded run (an event log) into a results folder");
    std::string filterText;
    std::string level = "current";
    replay->add_option("EVENTS", options.eventsFile, "The event log (.jsonl); - reads it from standard input")
        ->required()
        ->type_name("FILE");
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
    std::string replayFailOn;
    replay->add_option("--fail-on", replayFailOn, kFailOnHelp)->type_name("failed|warning")->check(FailOnValidator());
    replay->add_flag("--allow-outside", options.allowOutside,
                     "Let the settings (\"Directory\", \"IterDir\") and ReportPath lines make the logger write "
                     "outside the results folder");
    replay->add_flag("--clean", options.clean,
                     "Empty the results folder first, when it already holds results (see below)");
    replay->add_flag("--quiet", options.quiet, "Print only errors: no warnings, no summary");
    replay->footer(kReplayFooter);

    CLI::App* report = app.add_subcommand("report", "Write a results folder as one HTML file to read in a browser");
    std::string reportFailOn;
    report->add_option("RESULTS_DIR", tool.report.resultsFolder, "The results folder")->required();
    report->add_option("-o,--output", tool.report.outputFile,
                       "The HTML file to write (default: report.html in the results folder)")
        ->type_name("FILE.html");
    report->add_flag("--embed-pictures", tool.report.embedPictures,
                     "Put the pictures into the file instead of linking them");
    report->add_option("--fail-on", reportFailOn, kFailOnHelp)->type_name("failed|warning")->check(FailOnValidator());
    report->footer(kReportFooter);

    CLI::App* exporter = app.add_subcommand("export", "Write a results folder as JUnit XML and/or a summary in JSON");
    std::string exportFailOn;
    exporter->add_option("RESULTS_DIR", tool.exportOptions.resultsFolder, "The results folder")->required();
    exporter->add_option("--junit", tool.exportOptions.junitFile, "Write JUnit XML to FILE")->type_name("FILE");
    exporter->add_option("--summary-json", tool.exportOptions.summaryJsonFile, "Write the summary in JSON to FILE")
        ->type_name("FILE");
    exporter->add_option("--fail-on", exportFailOn, kFailOnHelp)->type_name("failed|warning")->check(FailOnValidator());
    exporter->footer(kExportFooter);

    CLI::App* repair = app.add_subcommand("repair", "Mend a results folder that a crash left torn");
    repair->add_option("RESULTS_DIR", tool.repair.resultsFolder, "The results folder")->required();
    repair->footer(kRepairFooter);

    app.footer(CommandsOverview(app) + "\n" + generalFooter);

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
        if (status != 0) {
            std::string suggestion = OptionSuggestion(arguments, app);
            // The suggestion takes the place of "The following argument was
            // not expected".
            if (!suggestion.empty() && dynamic_cast<const CLI::ExtrasError*>(&error))
                result.errors = suggestion + "Run `annalist --help` for more information.\n";
            else if (!suggestion.empty())
                result.errors = suggestion + result.errors;
        }
        result.exitStatus = status == 0 ? 0 : 2;
        return result;
    }
    if (report->parsed()) {
        tool.command = ToolCommand::Report;
        tool.report.failOn = FailOnOf(reportFailOn);
        result.run = true;
        return result;
    }
    if (repair->parsed()) {
        tool.command = ToolCommand::Repair;
        result.run = true;
        return result;
    }
    if (exporter->parsed()) {
        if (tool.exportOptions.junitFile.empty() && tool.exportOptions.summaryJsonFile.empty()) {
            result.errors = "annalist: export needs --junit FILE or --summary-json FILE (or both)\n"
                            "Run `annalist export --help` for more information.\n";
            result.exitStatus = 2;
            return result;
        }
        tool.command = ToolCommand::Export;
        tool.exportOptions.failOn = FailOnOf(exportFailOn);
        result.run = true;
        return result;
    }
    if (!replay->parsed()) {
        result.errors = app.help();
        result.exitStatus = 2;
        return result;
    }
    tool.command = ToolCommand::Replay;
    options.failOn = FailOnOf(replayFailOn);
    if (!filterText.empty()) {
        options.hasFilter = true;
        FilterValue(filterText, options.filter);
    }
    options.earlierLevel = level == "earlier";
    result.run = true;
    return result;
}
