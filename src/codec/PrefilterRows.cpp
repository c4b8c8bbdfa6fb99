#include "codec/PrefilterRows.h"

#include <algorithm>
#include <cstring>

#include "codec/PrefilterParams.h"

namespace prefilter_detail {

void TWorkspace::Reset(const TBitmap& source, int radius, TDerived derived, int capacity)
{
    FSource = &source;
    FGeneration = source.Generation();
    FWidth = source.Width();
    FHeight = source.Height();
    FRadius = radius;
    FDerived = derived;
    FCapacity = capacity;
    FSlots = std::max(1, std::min(capacity, FHeight));
    FLastBottom = INT32_MIN;
    const size_t padded = size_t(FWidth) + 2 * size_t(radius);
    FPixelStride = 3 * padded;
    FSumStride = derived == TDerived::Sums ? 3 * (padded + 1) : 0;
    FLumaStride = derived == TDerived::Luma ? padded : 0;
    FPixels.assign(FPixelStride * size_t(FSlots) + 1, 0); // a spare byte: pixels may be read as 4-byte words
    FSums.assign(FSumStride * size_t(FSlots), 0);
    FLuma.assign(FLumaStride * size_t(FSlots), 0);
    FTag.assign(size_t(FSlots), -1);
    FColumn.resize(padded);
    for (size_t j = 0; j < padded; ++j)
        FColumn[j] = Reflect(int64_t(j) - radius, FWidth);
}

bool TWorkspace::Continues(const TBitmap& source, int radius, TDerived derived, int capacity,
                           int nextTop) const
{
    return FSource == &source && FGeneration == source.Generation() && FWidth == source.Width() &&
           FHeight == source.Height() && FRadius == radius && FDerived == derived && FCapacity == capacity &&
           FLastBottom == nextTop;
}

void TWorkspace::Load(int vy)
{
    const int sy = Reflect(vy, FHeight);
    const size_t slot = size_t(sy % FSlots);
    if (FTag[slot] == sy) return;
    FTag[slot] = sy;
    const uint8_t* src = FSource->ScanLine(sy);
    uint8_t* row = FPixels.data() + slot * FPixelStride;
    const size_t r = size_t(FRadius);
    std::memcpy(row + 3 * r, src, 3 * size_t(FWidth));
    const size_t padded = FColumn.size();
    for (size_t j = 0; j < padded; ++j) {
        if (j == r) j = r + size_t(FWidth); // the picture's own columns are already in place
        if (j >= padded) break;
        std::memcpy(row + 3 * j, src + 3 * size_t(FColumn[j]), 3);
    }
    if (FDerived == TDerived::Sums) {
        uint32_t* sums = FSums.data() + slot * FSumStride;
        uint32_t s0 = 0, s1 = 0, s2 = 0;
        sums[0] = sums[1] = sums[2] = 0;
        for (size_t j = 0; j < padded; ++j) {
            s0 += row[3 * j];
            s1 += row[3 * j + 1];
            s2 += row[3 * j + 2];
            sums[3 * j + 3] = s0;
            sums[3 * j + 4] = s1;
            sums[3 * j + 5] = s2;
        }
    } else if (FDerived == TDerived::Luma) {
        const TLumaTables& t = LumaTables();
        uint8_t* luma = FLuma.data() + slot * FLumaStride;
        for (size_t j = 0; j < padded; ++j)
            luma[j] = uint8_t(LumaOf(t, row + 3 * j));
    }
}

} // namespace prefilter_detail
