#pragma once
// The encoder driver: turns the image's source picture into a complete JPEG/JFIF stream with the
// settings of the run and the image's own encoder fields.
//
// A run reads its settings from a TEncodeRun, an immutable copy taken from the image on the main
// thread when the run starts, so the main thread may go on changing the image's settings while a
// worker encodes. The quality-independent stages (prefilter, colour conversion, downsampling, DCT)
// are kept in the image's stage cache and reused when their inputs have not changed.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/EncoderParams.h"
#include "codec/JPEGProfile.h"

class TBitmap;
class TJPEGImage;

struct TEncodeRun
{
    // The picture to encode: the image's source bitmap, else its display bitmap. Not owned: its
    // owner leaves it unchanged while the run lasts.
    const TBitmap* Input = nullptr;
    uint64_t InputGeneration = 0;
    TJPEGProfile Request; // the image's settings record (GetSettingsRecord)
    std::array<TSamplingFactor, 3> SamplingFactors{};
    int Smoothing = 0;
    bool OptimizeCoding = true;
    int DensityUnit = 1;
    int32_t XDensity = 96;
    int32_t YDensity = 96;
    std::vector<std::string> Comments;
    std::vector<std::string> AppTexts;
    int32_t TraceLevel = 0;
    // Target-ratio search.
    int32_t ComprRatioMaxNumAppr = 10;
    int32_t ComprRatioMaxDiff = 5;
    TJPEGProfile LastRequest; // the previous run's request and final settings (warm start)
    TJPEGProfile LastWork;
};

// Copies everything a run reads from the image. Main thread.
TEncodeRun TakeEncodeRun(const TJPEGImage& image);

// Encodes run.Input with the main-area settings of `settings` (qualities, bands, filter, flags,
// restart interval; the image's WorkProfile during a run) and the rest of the run. On success the
// image holds a fresh TJPEGData with the new stream. A missing or empty input changes nothing.
// EAbort (a cancelled run) passes on; any other failure leaves the image empty.
void EncodeJpeg(TJPEGImage& image, const TEncodeRun& run, const TJPEGProfile& settings);

// One encode of the image as it stands, with the settings in its WorkProfile.
void EncodeJpeg(TJPEGImage& image);
