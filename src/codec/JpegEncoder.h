#pragma once
// The encoder engine. The program does the front end (colour conversion, downsampling, edge
// expansion, forward DCT, its own quantisation) and hands the quantised coefficients to the JPEG
// library, which writes the markers and does the Huffman or progressive coding.
//
//   TDctPlanes planes = ComputeDctPlanes(bmp24, frontEnd); // independent of the quality settings
//   std::vector<uint8_t> file = QuantizeAndCode(planes, coding);
//
// With TQuantRounding::Library and no masks the file equals the library's own scanline encoder's
// for the same tables, sampling, smoothing, progression and restart settings.
//
// Library errors raise EJPEG; a progress callback may throw (EAbort cancels). Work is spread over
// threads in bands of MCU rows; the result does not depend on the thread count.
#include <cstdint>
#include <vector>

#include "codec/CoefficientStore.h"
#include "codec/EncoderKernels.h"
#include "codec/EncoderParams.h"
#include "platform/Bitmap.h"

// bmp must be a 24-bit bitmap (blue, green, red) with a non-zero size (else EInvalidGraphicOperation).
TDctPlanes ComputeDctPlanes(const TBitmap& bmp, const TFrontEndParams& params);
TDctPlanes ComputeDctPlanes(const TBitmap& bmp, const TFrontEndParams& params, const TEncoderKernels& kernels);

std::vector<uint8_t> QuantizeAndCode(const TDctPlanes& planes, const TCodingParams& params);
// store (optional): memory for the quantised blocks, reused and grown as needed.
std::vector<uint8_t> QuantizeAndCode(const TDctPlanes& planes, const TCodingParams& params,
                                     const TEncoderKernels& kernels, TCoefficientStore* store = nullptr);

// Both steps.
std::vector<uint8_t> EncodeBitmapToJpeg(const TBitmap& bmp24, const TEncodeParams& params);

// The number of threads a Threads setting stands for (0 or less: one per core; at most 64).
int EncoderThreadCount(int requested);
