// The thread's last-error value.
#include "pal/pal.h"

static thread_local DWORD t_lastError = 0;

extern "C" DWORD GetLastError(void) { return t_lastError; }

extern "C" void SetLastError(DWORD error) { t_lastError = error; }
