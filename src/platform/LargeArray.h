#pragma once
// Arrays of tens of megabytes that are written before they are read (work memory of one run). They
// are asked for in whole huge pages where the system offers them, so that mapping them again for
// the next run costs a handful of page faults instead of thousands.
#include <cstddef>
#include <cstdlib>
#include <memory>

struct TFreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};

template <class T> using TLargeArray = std::unique_ptr<T[], TFreeDeleter>;

// bytes of uninitialised memory (throws std::bad_alloc); free with std::free.
void* AllocateLarge(size_t bytes);

template <class T> TLargeArray<T> MakeLargeArray(size_t count)
{
    return TLargeArray<T>(static_cast<T*>(AllocateLarge(count * sizeof(T))));
}
