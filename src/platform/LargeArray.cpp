#include "platform/LargeArray.h"

#include <new>
#include <sys/mman.h>

void* AllocateLarge(size_t bytes)
{
    constexpr size_t HugePage = size_t(2) << 20;
    if (bytes < HugePage) {
        if (void* p = std::malloc(bytes ? bytes : 1)) return p;
        throw std::bad_alloc();
    }
    if (bytes > SIZE_MAX - HugePage) throw std::bad_alloc();
    const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    void* p = std::aligned_alloc(HugePage, rounded);
    if (!p) throw std::bad_alloc();
    ::madvise(p, rounded, MADV_HUGEPAGE); // a hint: without huge pages the memory works as well
    return p;
}
