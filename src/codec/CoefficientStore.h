#pragma once
// Memory for the quantised coefficients of one encode, kept with the image's stage cache for the
// encodes of one run (the trials of a search write into blocks that are already mapped) and freed
// when the run ends. It is taken in huge pages, so mapping it again for the next run is cheap. One
// encode at a time uses a store.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/LargeArray.h"

// One allocation per component, as the library makes them.
struct TCoefficientStore
{
    std::array<TLargeArray<int16_t>, 3> Coefficients; // Capacity[c] blocks of 64 values, not cleared
    std::array<size_t, 3> Capacity{};
};
