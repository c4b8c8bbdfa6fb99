#pragma once
// Downsampling of one row group (MaxV colour-converted rows) of a component to its V rows, with the
// library's methods: full size, 2:1 horizontal, 2:1 both ways, the generic integer method, and the
// smoothing variants of full size and 2:1 both ways. The input rows are expanded to at least
// outCols x HExpand columns; the smoothing variants also read in[-1] and in[MaxV].
#include <cstdint>

#include "codec/EncoderParams.h"

enum class TDownsampleMethod { Fullsize, H2V1, H2V2, Generic, FullsizeSmooth, H2V2Smooth };

// The library's choice for a component; smoothing (0..100) picks the smoothing variants where the
// library has them.
TDownsampleMethod ChooseDownsampleMethod(const TFrameLayout& frame, int comp, int smoothing);
inline bool NeedsContextRows(TDownsampleMethod m)
{
    return m == TDownsampleMethod::FullsizeSmooth || m == TDownsampleMethod::H2V2Smooth;
}

// True when smoothing is asked for but some component's method has no smoothing variant (the
// library then reports its trace message "Smoothing not supported with nonstandard sampling ratios").
bool SmoothingNotSupported(const TFrameLayout& frame, int smoothing);

struct TDownsampleArgs
{
    TDownsampleMethod Method;
    const uint8_t* const* In; // MaxV rows (plus one above and one below for the smoothing variants)
    uint8_t* const* Out;      // V rows of outCols samples
    int OutCols;              // WidthInBlocks x 8
    int MaxV, V, HExpand, VExpand;
    int Smoothing;
};

void DownsamplePlain(const TDownsampleArgs& a);
