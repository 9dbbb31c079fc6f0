// Comparing a results folder's files with the expected ones.
#pragma once

#include <filesystem>
#include <string>

namespace test {

// Results.xml with its platform-dependent values made neutral: the tmZone
// attribute reads "ZONE", the host attribute "HOST", and each time tick is
// written as its offset in seconds from 2024-03-05 14:05:05 local time
// ("+12"), the time the test runs start from.
std::string NormalizeResults(const std::string& xml);

// Compares the Results.xml of the folder, normalised, with the golden file
// tests/data/integration/<golden> and checks that it is well-formed. With the
// environment variable ANNALIST_UPDATE_GOLDEN set to 1 the golden file is
// written instead (for review before it is committed). With endTimesNow the
// eTime values (times of the moment the test ran) read "NOW".
void ExpectResultsMatch(const std::filesystem::path& resultsFolder, const std::string& golden,
                        bool endTimesNow = false);

// A text as UTF-16LE bytes behind the byte-order mark FF FE (the bytes of a
// Unicode profile file).
std::string Utf16FileBytes(const std::string& utf8);

} // namespace test
