#pragma once
// Separable convolution resampling of a 24-bit bitmap: along the rows into a work bitmap as wide as
// the target and as high as the source, then along the columns into the target.
#include "platform/Bitmap.h"
#include "resample/ResampleProgress.h"

// Resizes Src to the size of Dst (both 24 bits per pixel, at least 1 x 1) with the kernel of
// ResampleFilters[Method]. Fidelity (clamped to 0..256) blends the row pass with the reference
// pixel; 256 keeps the filtered values. Threads: 0 = all cores; the result does not depend on it.
// Raises EInvalidGraphicOperation for unusable bitmaps or an unknown method.
void FilterResample(const TBitmap& Src, TBitmap& Dst, int Method, int Fidelity,
                    const TResampleProgress& OnProgress, int Threads = 0);
