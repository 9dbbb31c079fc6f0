// The allocator calls of the process, counted by the driver itself: it puts
// its own malloc, calloc, realloc and free (and the aligned forms) in front of
// the C library's, so every allocation of the library linked into it is seen,
// per thread. Not counted (Counting() is false) in a build with a sanitizer,
// which keeps the allocator to itself.
#pragma once

namespace bench {

struct AllocatorCalls {
    long long allocations = 0; // malloc, calloc, realloc, the aligned forms
    long long frees = 0;       // free of a non-null block
};

bool Counting();
// The calls made on this thread so far.
AllocatorCalls ThreadAllocatorCalls();
// The calls made on every thread so far.
AllocatorCalls ProcessAllocatorCalls();

} // namespace bench
