// The COM task allocator.
#include <cstdlib>

#include "pal/pal.h"

// A zero-byte request still gives a distinct block, as the COM allocator does.
extern "C" LPVOID CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb ? cb : 1); }

extern "C" void CoTaskMemFree(LPVOID pv) { std::free(pv); }
