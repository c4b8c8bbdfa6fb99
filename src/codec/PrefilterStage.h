#pragma once
// The encoder's prefilter stage: the main-area filter and the selection filter applied to the whole
// picture before colour conversion, band by band.
#include <functional>

#include "platform/Bitmap.h"

// Rows filtered per call of the filter engine: tall enough for the engine to spread a band over
// all cores, short enough for the work rows to stay small and for progress (and cancel) between
// bands. The result does not depend on it.
constexpr int PrefilterBandRows = 384;

struct TPrefilterPass
{
    int ActiveFilter = 0; // the user's filter number 0..5 (0 = none)
    int Strength = 0;     // 0..100; 0 = off
    int Radius = 1;
    bool On() const;
};

struct TPrefilterStage
{
    TPrefilterPass Main;           // pixels outside the selection (all pixels without a mask)
    TPrefilterPass Selection;      // pixels inside the selection; needs the mask
    const TBitmap* Mask = nullptr; // the selection mask, or nullptr
    int Threads = 0;               // 0: one per core
    int BandRows = PrefilterBandRows;
    bool On() const { return Main.On() || (Mask && Selection.On()); }
};

// The filtered 24-bit copy of src24, filtered band by band. progress(done, total) is called after
// each band (it may throw to cancel).
TBitmap ApplyPrefilters(const TBitmap& src24, const TPrefilterStage& stage,
                        const std::function<void(int done, int total)>& progress);
