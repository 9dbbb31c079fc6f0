#include "annalist/Application.h"

#include <cstdio>

#include "annalist/CommandLine.h"
#include "annalist/Console.h"
#include "annalist/RepairCommand.h"
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
    int status = 0;
    switch (options.command) {
    case ToolCommand::Report:
        status = RunReportCommand(options.report, console);
        break;
    case ToolCommand::Export:
        status = RunExportCommand(options.exportOptions, console);
        break;
    case ToolCommand::Repair:
        status = RunRepairCommand(options.repair, console);
        break;
    default: {
        CReplayDriver replay(options.replay, console);
        status = replay.Run();
        break;
    }
    }
    // What the program had to say was lost: not a success.
    if (console.OutputFailed() && status == 0) {
        if (console.StdoutFailed())
            console.Message("annalist: cannot write to stdout; the output is incomplete");
        status = 1;
    }
    return status;
}
