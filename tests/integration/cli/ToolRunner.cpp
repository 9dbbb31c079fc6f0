#include "integration/cli/ToolRunner.h"

#include <gtest/gtest.h>

#include "pal/tool_support.h"

namespace test {

ToolResult RunTool(const std::vector<std::string>& arguments, const TempFolder& scratch, const std::string& inputFile)
{
    std::vector<std::string> command{ANNALIST_TOOL_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::string out = (scratch.Path() / "tool-stdout.txt").u8string();
    std::string err = (scratch.Path() / "tool-stderr.txt").u8string();
    ToolResult result;
    EXPECT_TRUE(PAL_RunProgram(command, out, err, result.status, inputFile)) << "cannot start " << ANNALIST_TOOL_PATH;
    result.out = ReadFileBytes(scratch.Path() / "tool-stdout.txt");
    result.err = ReadFileBytes(scratch.Path() / "tool-stderr.txt");
    // The Windows C runtime writes text-mode line ends.
    for (std::string* text : {&result.out, &result.err}) {
        std::string::size_type at = 0;
        while ((at = text->find("\r\n", at)) != std::string::npos)
            text->erase(at, 1);
    }
    return result;
}

std::string WriteEventLog(const TempFolder& folder, const std::string& name, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    WriteFileBytes(folder.Path() / std::filesystem::u8path(name), text);
    return (folder.Path() / std::filesystem::u8path(name)).u8string();
}

std::string ExamplePath(const std::string& name)
{
    return (DataPath("..") / ".." / "examples" / name).lexically_normal().u8string();
}

} // namespace test
