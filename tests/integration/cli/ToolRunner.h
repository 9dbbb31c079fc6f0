// Running the built `annalist` in the tests: the tool's own program (natively,
// or the Windows one under Wine), with its output and exit status.
#pragma once

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace test {

struct ToolResult {
    int status = -1;
    std::string out; // stdout
    std::string err; // stderr
};

// Runs `annalist` with the arguments (the program's name is added); stdout
// and stderr go through files in `scratch`, stdin is read from inputFile
// (empty: nothing).
ToolResult RunTool(const std::vector<std::string>& arguments, const TempFolder& scratch,
                   const std::string& inputFile = std::string());

// Writes the lines, each ended by LF, as an event log in the folder; its path.
std::string WriteEventLog(const TempFolder& folder, const std::string& name, const std::vector<std::string>& lines);

// The path of a bundled example (examples/<name>).
std::string ExamplePath(const std::string& name);

} // namespace test
