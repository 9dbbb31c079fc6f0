// GeneralInfo.ini read back: the run's product, title, location, host,
// node total... It is UTF-16LE with a byte-order mark as the logger writes
// it (CR LF line ends), or UTF-8, with or without its mark, as other tools
// may leave it. The password the host passed is read into no field: what
// reads a results folder never shows it.
#pragma once

#include <string>

namespace results {

struct GeneralInfo {
    bool found = false;   // the file was there and read
    std::string product, version, title, testLocation, testHost, userName, vaultServer, vaultProject;
    long total = -1;          // Total: the last node number
    long osVersion = -1;
    long globalIteration = -1;
};

// The file's text without the spaces and tabs around it.
std::string TrimmedIniText(const std::string& text);
// Section and key names of the file compare without regard to ASCII case.
bool SameIniName(const std::string& a, const char* b);

// The [General] section of the file's bytes.
GeneralInfo ParseGeneralInfo(const std::string& bytes);

// GeneralInfo.ini of a results folder (UTF-8 path); found is false when the
// file is missing or unreadable.
GeneralInfo ReadGeneralInfo(const std::string& resultsFolder);

} // namespace results
