#pragma once
// Contributor lists of the filter resampler: for each target column (or row), the source pixels
// that feed it and their weights, built once per axis.
#include <cstdint>
#include <functional>
#include <vector>

#include "resample/ResampleKernels.h"

struct TContributorTable
{
    // The entries of target i are First[i] .. First[i + 1] - 1 of Pixel and Weight.
    std::vector<int32_t> First;
    std::vector<int32_t> Pixel; // source index, always inside the source
    std::vector<float> Weight;  // never 0
    // 1 where target i's pixels are consecutive (Pixel[First[i]] + 0, 1, 2, ...): most of an axis.
    std::vector<uint8_t> Consecutive;
    int Targets() const { return int(First.size()) - 1; }
};

// Distance between neighbouring target pixels in source pixels, inverted: the scale of an axis.
// End pixels of source and target line up; a single source pixel scales by the target size, and a
// single target pixel covers the whole source.
double ContributorScale(int srcSize, int dstSize);

// Builds the lists of one axis. ListDone (when given) runs after each list and may throw to cancel.
// Indices beyond an edge are mirrored there and then clamped into the source. A list that would
// come out empty takes the source pixel nearest to its centre at weight 1. Raises EOutOfResources
// when the lists would not fit in memory.
void BuildContributors(TContributorTable& Table, int srcSize, int dstSize, const TResampleFilter& Filter,
                       const std::function<void()>& ListDone = {});
