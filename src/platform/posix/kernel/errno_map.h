// errno values of the C library as Windows error codes.
#pragma once

#include "pal/pal.h"

// The Windows error code for a failed POSIX file-system call. ENOENT gives
// ERROR_FILE_NOT_FOUND; callers that can tell a missing folder from a missing
// file use PalMissingPathError instead.
DWORD PalErrnoToWin32(int error);

// Sets the thread's last error from errno (or from the given value).
void PalSetLastErrorFromErrno(int error);
