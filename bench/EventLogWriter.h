// The benchmark's run (RunShape) as an event log for `annalist replay`: one
// JSON object per LogEvent call, with times one second apart every eight
// steps from 2024-03-05 14:05:00.
#pragma once

#include <string>

// False with the reason when the file cannot be written. `lines` receives
// the number of lines written.
bool WriteEventLog(const std::string& path, long steps, long& lines, std::string& error);
