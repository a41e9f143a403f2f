#include "heap_peak.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace {
// The benchmarks run on one thread; the counters need not be atomic.
std::size_t allocated = 0;
std::size_t peak = 0;
std::size_t base = 0;

void* Allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    allocated += malloc_usable_size(p);
    if (allocated > peak)
        peak = allocated;
    return p;
}

void Release(void* p) {
    if (p == nullptr)
        return;
    allocated -= malloc_usable_size(p);
    std::free(p);
}
} // namespace

void ResetHeapPeak() {
    base = allocated;
    peak = allocated;
}

std::size_t HeapPeakGrowth() {
    return peak - base;
}

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
