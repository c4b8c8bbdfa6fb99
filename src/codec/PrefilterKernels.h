#pragma once
// Row kernels of the prefilter: one output row (a range of its columns) per call, reading the
// prepared rows of a workspace. Kernels only read the workspace, so several threads may run them
// on different columns or rows at once.
#include <cstdint>
#include <vector>

#include "codec/PrefilterParams.h"
#include "codec/PrefilterRows.h"

namespace prefilter_detail {

struct TRowJob
{
    const TKindParams* P = nullptr;
    const TWorkspace* Rows = nullptr; // holds rows Y - radius .. Y + radius
    int Y = 0;
    int X0 = 0, X1 = 0;              // columns to compute
    const uint8_t* Filter = nullptr; // per column x: 1 = filter this pixel; nullptr = every pixel
    bool OnlyFilter = false;         // copy the pixels not filtered
    uint8_t* Dst = nullptr;          // output row; pixel x at Dst + 3 * x
};

struct TScratch
{
    std::vector<uint32_t> Acc;
};

void FilterRowMean(const TRowJob& job, TScratch& scratch); // kinds 4 and 8
void FilterRowRank(const TRowJob& job, TScratch& scratch); // kinds 5 and 9
void FilterRowLuma(const TRowJob& job, TScratch& scratch); // kind 7

} // namespace prefilter_detail
