// Counting replacements of glibc's allocation functions, forwarding to glibc's own ones.
#include "benchmarks/allocation_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<long> g_allocations{0};

void* Counted(void* pointer)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return pointer;
}

}  // namespace

extern "C" {

void* malloc(std::size_t size)
{
    return Counted(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size)
{
    return Counted(__libc_calloc(count, size));
}
void* realloc(void* pointer, std::size_t size)
{
    return Counted(__libc_realloc(pointer, size));
}
void* memalign(std::size_t alignment, std::size_t size)
{
    return Counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    return Counted(__libc_memalign(alignment, size));
}
int posix_memalign(void** result, std::size_t alignment, std::size_t size)
{
    *result = Counted(__libc_memalign(alignment, size));
    return *result ? 0 : 12;  // ENOMEM
}
void free(void* pointer)
{
    __libc_free(pointer);
}

}  // extern "C"

long AllocationCount()
{
    return g_allocations.load(std::memory_order_relaxed);
}

bool AllocationCounterWorks()
{
    const long before = AllocationCount();
    // Called through volatile pointers, so that no allocation can be left out as unused.
    void* (*volatile newBlock)(std::size_t) = ::operator new;
    void* (*volatile mallocBlock)(std::size_t) = std::malloc;
    ::operator delete(newBlock(16));
    std::free(mallocBlock(16));
    return AllocationCount() - before == 2;
}
