// The module that holds the library's resources is the one this code is
// linked into: the DLL, or the test executable that links the library.
#include "pal/pal.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

extern "C" HMODULE PAL_GetLibraryModule(void) { return reinterpret_cast<HMODULE>(&__ImageBase); }
