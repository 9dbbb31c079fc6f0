// annalist: the command-line tool.
#include "annalist/Application.h"
#include "pal/tool_support.h"

int main(int argc, char** argv)
{
    PAL_UseUtf8Console();
    PAL_IgnoreBrokenPipe();
    return RunAnnalist(PAL_Utf8Arguments(argc, argv));
}
