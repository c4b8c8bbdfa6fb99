#pragma once
// Memory for the quantised coefficients of one encode, kept with the image's stage cache between
// runs: a warm run then writes into blocks that are already mapped instead of allocating and
// faulting in tens of megabytes again. One run at a time uses a store.
#include <cstddef>
#include <cstdint>
#include <memory>

struct TCoefficientStore
{
    std::unique_ptr<int16_t[]> Coefficients; // Capacity blocks of 64 values, not cleared
    size_t Capacity = 0;
};
