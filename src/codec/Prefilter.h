#pragma once
// Compression prefilters: each replaces a pixel of a 24-bit picture by a function of its circular
// neighbourhood, restricted by the selection mask to the main area or to the selection.
//
// Neighbourhood of radius r (clamped to 1..32): every offset (dx, dy) other than (0, 0) with
// dx*dx + dy*dy <= R, R = r*r for r >= 2 and R = 2 for r = 1. Neighbours outside the picture are
// read from the picture mirrored at its edges (the edge pixel repeated, reflected again as often as
// a narrow picture needs), so the result of a pixel never depends on how the rows are split into
// calls or threads.
#include <cstdint>
#include <memory>

#include "platform/Bitmap.h"
#include "platform/Geometry.h"

// Filter kinds of the engine.
enum : int
{
    pfkWeightedMean = 4,  // blend toward the neighbourhood mean (smoothing)
    pfkMedianReplace = 5, // replace by the neighbourhood median where close enough (noise removal)
    pfkLumaEqualize = 7,  // scale toward a luma percentile of the neighbourhood
    pfkMeanBlend = 8,     // blend toward the neighbourhood mean (unsharp masking)
    pfkMedianBlend = 9    // blend toward the neighbourhood median (range equalising)
};

constexpr int PrefilterMinRadius = 1;
constexpr int PrefilterMaxRadius = 32;

// The engine kind of a user filter number 0..5 (0 = none -> 0; unknown numbers -> 0).
int PrefilterKindOf(int activeFilter);

namespace prefilter_detail {
class TWorkspace;
}

// Scratch state kept by the caller between calls of ApplyEffect. Consecutive bands of the same
// picture and filter reuse the rows already prepared for the previous band. Not thread-safe: one
// buffer per calling thread.
class TPrefilterBuffer
{
  public:
    TPrefilterBuffer();
    ~TPrefilterBuffer();
    TPrefilterBuffer(const TPrefilterBuffer&) = delete;
    TPrefilterBuffer& operator=(const TPrefilterBuffer&) = delete;

    // Worker threads a call may use: 0 = one per core (at most 8), 1 = the calling thread only.
    // The result is the same whatever the count.
    int Threads = 0;

    // Drops the prepared rows (the next call starts afresh).
    void Clear();

  private:
    friend struct TPrefilterBufferAccess;
    std::unique_ptr<prefilter_detail::TWorkspace> FSlots[2];
    uint64_t FUse = 0;
};

// Filters the rows of Rect (clipped to the picture) of the 24-bit Source into Dest.
// - Dest receives pixel (x, y) of Rect at (x, y - Rect.Top): a band of rows lands at the top of a
//   work bitmap. An empty Dest is made 24-bit, Source's width and Rect's height; otherwise it must
//   be 24-bit and large enough (EInvalidGraphicOperation if not). Dest may be Source itself.
// - Strength 0..100; Param5 sets the percentile of kind 7 (the encoder passes 50); Param6 is unused.
// - Mask: a 1-bit bitmap (0 bits inside the selection) or nullptr. A pixel is filtered when its mask
//   bit, after an exclusive-or with MaskValue, is 1; pixels beyond the mask's size read as 1 bits.
//   Without a mask every pixel is filtered.
// - OnlyFilter: pixels this pass does not filter are copied unchanged from Source into Dest; when
//   false they are left as they are in Dest.
// - Kind 4, 5, 7, 8 or 9; any other kind leaves Dest untouched.
void ApplyEffect(const TBitmap& Source, TRect Rect, int Radius, int Strength, int Param5, int Param6,
                 uint8_t MaskValue, bool OnlyFilter, int Kind, const TBitmap* Mask, TPrefilterBuffer& Buffer,
                 TBitmap& Dest);
