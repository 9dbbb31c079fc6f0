// The shared library's own source. Its entry points are those of
// ModuleExports.cpp (linked into the test programs too) and, on Windows, the
// DllMain of win32/DllMain.cpp.
#include "pal/pal.h"
