#pragma once
// Rows of the picture prepared for the prefilter kernels: each row padded by the radius on both
// sides with the picture mirrored at its edges, with the derived rows a kind needs (running sums
// for the mean kinds, luma for kind 7). Rows are kept in a ring indexed by the picture row; rows
// above and below the picture (virtual rows) are read from the picture rows they mirror. The
// picture rows that a run of consecutive virtual rows mirrors form a range no longer than the run
// and the picture, so a ring of that capacity holds them all at once.
#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"

namespace prefilter_detail {

// Mirrors index i into 0..n-1: the edge value repeated (-1 -> 0, n -> n-1), reflected again as
// often as needed, so any n >= 1 works.
inline int Reflect(int64_t i, int n)
{
    const int64_t period = 2 * int64_t(n);
    int64_t m = i % period;
    if (m < 0) m += period;
    return int(m < n ? m : period - 1 - m);
}

enum class TDerived
{
    None,
    Sums,
    Luma
};

class TWorkspace
{
  public:
    // Prepares an empty ring for rows of Source, padded by radius, holding `capacity` rows (at
    // most the picture's height are kept).
    void Reset(const TBitmap& source, int radius, TDerived derived, int capacity);

    // True when the ring was set up for this picture and these settings and `nextTop` continues
    // where the last call ended (so the rows it holds are still the picture's).
    bool Continues(const TBitmap& source, int radius, TDerived derived, int capacity, int nextTop) const;
    void SetLastBottom(int bottom) { FLastBottom = bottom; }
    int Capacity() const { return FCapacity; }

    uint64_t LastUse = 0; // for the owner's choice of which workspace to reuse

    // Makes virtual row vy (any integer; mirrored into the picture) present. Not thread-safe.
    // At most `capacity` consecutive virtual rows are present at once.
    void Load(int vy);

    // Padded row of vy (must be loaded); element 3 * (x + radius) is pixel x.
    const uint8_t* Pixels(int vy) const { return FPixels.data() + Slot(vy) * FPixelStride; }
    // Running sums of vy: element 3 * j + ch is the sum of channel ch over padded columns 0..j-1
    // (modulo 2^32; differences of up to 2^32 - 1 are exact).
    const uint32_t* Sums(int vy) const { return FSums.data() + Slot(vy) * FSumStride; }
    // Luma of vy; element x + radius is pixel x.
    const uint8_t* Luma(int vy) const { return FLuma.data() + Slot(vy) * FLumaStride; }

  private:
    size_t Slot(int vy) const { return size_t(Reflect(vy, FHeight) % FSlots); }

    const TBitmap* FSource = nullptr;
    uint64_t FGeneration = 0;
    int FWidth = 0, FHeight = 0;
    int FRadius = 0;
    TDerived FDerived = TDerived::None;
    int FCapacity = 0;
    int FSlots = 1;
    int FLastBottom = INT32_MIN;
    size_t FPixelStride = 0, FSumStride = 0, FLumaStride = 0;
    std::vector<uint8_t> FPixels;
    std::vector<uint32_t> FSums;
    std::vector<uint8_t> FLuma;
    std::vector<int> FTag;    // picture row held by each slot
    std::vector<int> FColumn; // source column of every padded column
};

} // namespace prefilter_detail
