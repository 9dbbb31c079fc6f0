#include "annalist/Application.h"

#include <cstdio>

#include "annalist/CommandLine.h"
#include "annalist/Console.h"
#include "annalist/ReplayDriver.h"
#include "annalist/ResultsCommands.h"
#include "pal/tool_support.h"

int RunAnnalist(const std::vector<std::string>& arguments)
{
    ToolOptions options;
    CommandLineResult parsed = ParseCommandLine(arguments, options);
    if (!parsed.run) {
        std::fputs(parsed.output.c_str(), stdout);
        std::fputs(parsed.errors.c_str(), stderr);
        std::fflush(stdout);
        return parsed.exitStatus;
    }
    CConsole console(stdout, stderr, PAL_IsTerminal(stdout));
    switch (options.command) {
    case ToolCommand::Report:
        return RunReportCommand(options.report, console);
    case ToolCommand::Export:
        return RunExportCommand(options.exportOptions, console);
    default: {
        CReplayDriver replay(options.replay, console);
        return replay.Run();
    }
    }
}
