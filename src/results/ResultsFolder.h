// A results folder on disk: where its Results.xml is, and what is wrong
// with a folder that is no results folder.
#pragma once

#include <string>

namespace results {

// The path of the folder's Results.xml (UTF-8 paths); false with a
// one-line reason when the folder is missing, is a file, or holds no
// Results.xml.
bool FindResultsFile(const std::string& folder, std::string& resultsXml, std::string& error);

} // namespace results
