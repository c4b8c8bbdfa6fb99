#pragma once
// Area-average reduction: each target pixel becomes the exact area-weighted average of the source
// pixels it covers, fractional edge pixels included, blended by the fidelity with one sharp source
// sample.
#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"
#include "resample/ResampleProgress.h"

// How one axis of the target covers the source.
struct TAreaAxis
{
    std::vector<int32_t> Start;       // first source pixel of each target pixel
    std::vector<int32_t> Count;       // number of source pixels it takes (no upper limit)
    std::vector<int32_t> WeightIndex; // its first entry in Weight
    std::vector<float> Weight;        // per (target, source) pair in walking order
};

// Walks one axis of srcSize pixels reduced to dstSize (1 <= dstSize <= srcSize). A source pixel
// shared by two target pixels is taken by both; every index stays inside the source.
void BuildAreaAxis(TAreaAxis& Axis, int srcSize, int dstSize);

// Drops entries of weight 0 at either end of each target pixel's run (a shared pixel used up by the
// one before): they add exactly nothing, so the average stays the same to the last bit.
void SkipZeroWeights(TAreaAxis& Axis);

// Reduces Src to the size of Dst (both 24 bits per pixel, Dst no larger on either axis). Fidelity
// (clamped to 0..256): 256 the pure average, 0 the reference sample. Threads: 0 = all cores; the
// result does not depend on it. Raises EInvalidGraphicOperation for unusable bitmaps.
void AreaResample(const TBitmap& Src, TBitmap& Dst, int Fidelity, const TResampleProgress& OnProgress,
                  int Threads = 0);
