// A results tree as compact text, one line per node, for comparing whole
// trees with golden files.
#pragma once

#include <string>

#include "results/ByteSource.h"
#include "results/ResultsReader.h"

namespace test {

// Every event of the reader as text. Times are shown relative to the first
// step time of the file ("+3"), so that dumps do not depend on the zone.
std::string DumpResultsTree(results::CByteSource& source);
std::string DumpResultsTree(const std::string& bytes);

// Compares the dump with tests/data/results/<golden>; ANNALIST_UPDATE_GOLDEN=1
// writes the golden file instead.
void ExpectTreeMatches(const std::string& dump, const std::string& golden);

} // namespace test
