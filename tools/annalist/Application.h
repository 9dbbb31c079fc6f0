// The tool's entry: the command line parsed and the command run.
#pragma once

#include <string>
#include <vector>

// The arguments as UTF-8, the program's name first; the exit status.
int RunAnnalist(const std::vector<std::string>& arguments);
