#pragma once
// Memory for the quantised coefficients of one encode, kept with the image's stage cache between
// runs: a warm run then writes into blocks that are already mapped instead of allocating and
// faulting in tens of megabytes again. One run at a time uses a store.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

// One allocation per component, as the library makes them: the allocator then keeps memory of
// these sizes in its heap between cold runs instead of mapping fresh pages for every run.
struct TCoefficientStore
{
    std::array<std::unique_ptr<int16_t[]>, 3> Coefficients; // Capacity[c] blocks of 64 values, not cleared
    std::array<size_t, 3> Capacity{};
};
