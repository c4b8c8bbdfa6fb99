#pragma once
// Whether a resize would change a picture at all, and the empty target bitmap of a resize.
#include <cstdint>
#include <memory>

#include "platform/Bitmap.h"
#include "resample/ResamplingOptions.h"

// True when resampling a picture of Width x Height by Options would leave it as it is.
bool ResizeIsNoOp(const TResamplingOptions& Options, int32_t Width, int32_t Height);

// A new, zeroed 24-bit bitmap of the target size for a picture of Width x Height. A target side
// below 1 raises EInvalidGraphicOperation, a target over the bitmap limits EOutOfResources.
std::unique_ptr<TBitmap> CreateResizedBitmap(const TResamplingOptions& Options, int32_t Width,
                                             int32_t Height);
