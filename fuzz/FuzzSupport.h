// What the fuzz targets share: a scratch folder of the process for the
// targets whose code reads files, and a stop that makes a broken rule a
// finding (libFuzzer keeps the input that made it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "pal/pal.h"

namespace fuzz {

// A file in the process's scratch folder holding the bytes; its path, as the
// library takes paths.
WideString WriteScratchFile(const char* name, const uint8_t* data, size_t size);
std::string ScratchPath(const char* name);
WideString Wide(const std::string& utf8);

// Ends the run as a crash (a finding) when a rule the code promises is broken.
void Check(bool holds, const char* rule);

} // namespace fuzz
