#pragma once
// The image's cache of the encoder stages that the quality settings do not change: the prefiltered
// picture's colour conversion, downsampling and unquantised DCT blocks. One entry, keyed by every
// input of those stages; a run whose key matches skips straight to quantisation and entropy coding.
// The planes are shared: a run keeps using the ones it took even when the image drops the entry.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "codec/CoefficientStore.h"
#include "codec/EncoderParams.h"
#include "platform/Bitmap.h"

struct TEncodeRun;
struct TJPEGProfile;

struct TFrontEndKey
{
    // The picture: its object, its generation (new on every change of pixels, size or palette),
    // size and format.
    const TBitmap* Input = nullptr;
    uint64_t Generation = 0;
    int Width = 0, Height = 0;
    TPixelFormat Format = TPixelFormat::pf24bit;
    bool Grayscale = false;
    std::array<int, 6> Sampling{}; // (h, v) of the three components
    int Smoothing = 0;
    // Main-area prefilter (all zero when off).
    int32_t ActiveFilter = 0, FilterValue = 0, FilterRadius = 0;
    // Selection, only while a prefilter reads its mask: the flag, the selection's prefilter and the
    // stored areas.
    bool SelectiveCompression = false;
    int32_t SelActiveFilter = 0, SelFilterValue = 0, SelFilterRadius = 0;
    std::vector<int32_t> Areas;

    bool operator==(const TFrontEndKey&) const = default;
};

// The key of an encode with these main-area settings.
TFrontEndKey FrontEndKeyOf(const TEncodeRun& run, const TJPEGProfile& settings);

class TStageCache
{
public:
    // The planes stored under key, or nullptr.
    std::shared_ptr<const TDctPlanes> Find(const TFrontEndKey& key) const;
    // Replaces the entry.
    void Store(const TFrontEndKey& key, std::shared_ptr<const TDctPlanes> planes);
    // Releases the memory (runs still holding the planes keep them until they end).
    void Clear();
    // The memory of the last encode's quantised coefficients, for the next encode to reuse (nullptr
    // when none is kept or another encode holds it); an encode gives it back when it ends. It is kept
    // only while the cache holds planes, and only for the encodes of one run (the trials of a
    // search): ReleaseCoefficients frees it when the run ends, so that it is not held beside the
    // decoded result and between runs.
    std::unique_ptr<TCoefficientStore> TakeCoefficients();
    void KeepCoefficients(std::unique_ptr<TCoefficientStore> store);
    void ReleaseCoefficients();
    bool Empty() const;
    // How many times the stages were computed and stored (for tests and measurements).
    uint64_t Stores() const;

private:
    mutable std::mutex FLock;
    TFrontEndKey FKey;
    std::shared_ptr<const TDctPlanes> FPlanes;
    std::unique_ptr<TCoefficientStore> FCoefficients;
    uint64_t FStores = 0;
};
