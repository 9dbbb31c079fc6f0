// Process and thread identifiers.
#include <unistd.h>
#include <sys/syscall.h>

#include "pal/pal.h"

extern "C" DWORD GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }

extern "C" DWORD GetCurrentThreadId(void) { return static_cast<DWORD>(syscall(SYS_gettid)); }
