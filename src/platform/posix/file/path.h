// File names at the boundary between the library and the POSIX file system.
// The library speaks Windows paths in UTF-16; the file system takes UTF-8 with
// slashes.
#pragma once

#include <string>

#include "pal/pal.h"

// The POSIX spelling of a library path: every backslash becomes a slash and the
// text becomes UTF-8; nothing else changes (no drive letters are interpreted).
std::string PalPosixPath(LPCWSTR path);

// The folder part of a POSIX path ("." for a bare name, "/" for a name in the
// root folder).
std::string PalParentPath(const std::string& path);

// The Windows error for a path that does not exist: ERROR_FILE_NOT_FOUND when
// its folder exists (only the last part is missing), else ERROR_PATH_NOT_FOUND.
DWORD PalMissingPathError(const std::string& path);

// The POSIX spelling of a path argument; false, with the last error set to
// whenEmpty, for a null or empty path.
bool PalPathArgument(LPCWSTR path, DWORD whenEmpty, std::string& posixPath);

// Sets the last error for a call on path that failed with errno value error:
// a missing file or folder as PalMissingPathError tells, anything else as the
// errno value maps.
void PalSetLastErrorForPath(int error, const std::string& path);
