#pragma once
// Target size of a resampling: from the options (purpose, size, units, resolution) and the
// picture's current size.
#include <cstdint>

#include "resample/ResamplingOptions.h"

// Computes the target width and height for a picture of width x height. A picture with a side of
// 0 keeps its size. Results are rounded half to even and saturate at the ends of the 32-bit range.
void CalcResampleSize(int32_t& NewWidth, int32_t& NewHeight, const TResamplingOptions& Options, int32_t Width,
                      int32_t Height);
