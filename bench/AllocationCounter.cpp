#include "AllocationCounter.h"

#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)

namespace bench {
bool Counting() { return false; }
AllocatorCalls ThreadAllocatorCalls() { return AllocatorCalls(); }
AllocatorCalls ProcessAllocatorCalls() { return AllocatorCalls(); }
} // namespace bench

#else

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

thread_local long long t_allocations = 0;
thread_local long long t_frees = 0;
std::atomic<long long> g_allocations{0};
std::atomic<long long> g_frees{0};

void CountAllocation()
{
    ++t_allocations;
    g_allocations.fetch_add(1, std::memory_order_relaxed);
}

void CountFree()
{
    ++t_frees;
    g_frees.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

extern "C" {

void* malloc(size_t size)
{
    CountAllocation();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size)
{
    CountAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size)
{
    CountAllocation();
    return __libc_realloc(block, size);
}

void free(void* block)
{
    if (block)
        CountFree();
    __libc_free(block);
}

void* memalign(size_t alignment, size_t size)
{
    CountAllocation();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size)
{
    CountAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** block, size_t alignment, size_t size)
{
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return 22; // EINVAL
    CountAllocation();
    *block = __libc_memalign(alignment, size);
    return *block ? 0 : 12; // ENOMEM
}

} // extern "C"

namespace bench {

bool Counting() { return true; }

AllocatorCalls ThreadAllocatorCalls() { return AllocatorCalls{t_allocations, t_frees}; }

AllocatorCalls ProcessAllocatorCalls()
{
    return AllocatorCalls{g_allocations.load(std::memory_order_relaxed), g_frees.load(std::memory_order_relaxed)};
}

} // namespace bench

#endif
