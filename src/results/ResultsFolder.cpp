#include "results/ResultsFolder.h"

#include <filesystem>
#include <system_error>

namespace results {

bool FindResultsFile(const std::string& folder, std::string& resultsXml, std::string& error)
{
    const std::filesystem::path path = std::filesystem::u8path(folder);
    std::error_code code;
    if (folder.empty() || !std::filesystem::exists(path, code)) {
        error = "there is no folder \"" + folder + "\"";
        return false;
    }
    if (!std::filesystem::is_directory(path, code)) {
        error = "\"" + folder + "\" is a file, not a results folder";
        return false;
    }
    const std::filesystem::path file = path / "Results.xml";
    if (!std::filesystem::is_regular_file(file, code)) {
        error = "\"" + folder + "\" is not a results folder: it holds no Results.xml";
        // A results folder one level down (the logger's "Directory" setting).
        for (std::filesystem::directory_iterator it(path, code), end; !code && it != end; it.increment(code))
            if (it->is_directory(code) && std::filesystem::is_regular_file(it->path() / "Results.xml", code)) {
                error += " (but " + it->path().u8string() + " does)";
                break;
            }
        return false;
    }
    resultsXml = file.u8string();
    return true;
}

} // namespace results
