#pragma once
// The single entry into the resampling engine.
#include "platform/Bitmap.h"
#include "resample/ResampleProgress.h"

// Resizes Src to the size of Dst. Method: 0 B-Spline, 1 Bell, 2 Mitchell (the filter resampler;
// the other rows of the filter table, 4..6, are accepted too), 3 the area reducer when the target is
// no larger than the source on either axis, else the filter resampler with Mitchell. Fidelity is
// clamped to 0..256. Src is converted to 24 bits per pixel in place, Dst is made 24-bit.
// Raises EInvalidGraphicOperation: "Source bitmap is not created" / "Result bitmap is not created"
// for an empty bitmap, or for an unknown method, before any pixel is touched.
void Resample(TBitmap& Src, TBitmap& Dst, int Method, int Fidelity, const TResampleProgress& OnProgress,
              int Threads = 0);
