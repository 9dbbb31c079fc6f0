#include "annalist/Application.h"

#include <cstdio>

#include "annalist/CommandLine.h"
#include "annalist/Console.h"
#include "annalist/ReplayDriver.h"
#include "pal/tool_support.h"

int RunAnnalist(const std::vector<std::string>& arguments)
{
    ReplayOptions options;
    CommandLineResult parsed = ParseCommandLine(arguments, options);
    if (!parsed.run) {
        std::fputs(parsed.output.c_str(), stdout);
        std::fputs(parsed.errors.c_str(), stderr);
        std::fflush(stdout);
        return parsed.exitStatus;
    }
    CConsole console(stdout, stderr, PAL_IsTerminal(stdout));
    CReplayDriver replay(options, console);
    return replay.Run();
}
