#include "codec/StageCache.h"

#include <algorithm>

#include "codec/JPEGProfile.h"
#include "codec/JpegEncode.h"

TFrontEndKey FrontEndKeyOf(const TEncodeRun& run, const TJPEGProfile& settings)
{
    TFrontEndKey k;
    if (run.Input) {
        k.Input = run.Input;
        k.Generation = run.InputGeneration;
        k.Width = run.Input->Width();
        k.Height = run.Input->Height();
        k.Format = run.Input->PixelFormat();
    }
    k.Grayscale = settings.Grayscale;
    for (size_t c = 0; c < 3; ++c) {
        k.Sampling[2 * c] = run.SamplingFactors[c].H;
        k.Sampling[2 * c + 1] = run.SamplingFactors[c].V;
    }
    k.Smoothing = run.Smoothing;
    const bool mainFilter = settings.ActiveFilter >= 1 && settings.FilterValue > 0;
    if (mainFilter) {
        k.ActiveFilter = settings.ActiveFilter;
        k.FilterValue = settings.FilterValue;
        k.FilterRadius = settings.FilterRadius;
    }
    // The selection reaches the front end only through the prefilters, which read the painted
    // mask: with no filter on, the areas and the threshold feed the quantiser alone.
    const TJPEGProfile& r = run.Request;
    const bool selFilter = r.SelectiveCompression && r.SelActiveFilter >= 1 && r.SelFilterValue > 0;
    if (r.SelectiveCompression && (mainFilter || selFilter)) {
        k.SelectiveCompression = true;
        if (selFilter) {
            k.SelActiveFilter = r.SelActiveFilter;
            k.SelFilterValue = r.SelFilterValue;
            k.SelFilterRadius = r.SelFilterRadius;
        }
        // Data[0] is the index of the last entry written (0 when there are no areas).
        const int64_t last = std::clamp<int64_t>(r.Data[0], 0, int64_t(r.Data.size()) - 1);
        if (last >= 1) k.Areas.assign(r.Data.begin(), r.Data.begin() + last + 1);
    }
    return k;
}

std::shared_ptr<const TDctPlanes> TStageCache::Find(const TFrontEndKey& key) const
{
    std::lock_guard<std::mutex> lock(FLock);
    if (FPlanes && FKey == key) return FPlanes;
    return nullptr;
}

void TStageCache::Store(const TFrontEndKey& key, std::shared_ptr<const TDctPlanes> planes)
{
    std::lock_guard<std::mutex> lock(FLock);
    FKey = key;
    FPlanes = std::move(planes);
    ++FStores;
}

void TStageCache::Clear()
{
    std::lock_guard<std::mutex> lock(FLock);
    FKey = TFrontEndKey{};
    FPlanes.reset();
    FCoefficients.reset();
}

std::unique_ptr<TCoefficientStore> TStageCache::TakeCoefficients()
{
    std::lock_guard<std::mutex> lock(FLock);
    return std::move(FCoefficients);
}

void TStageCache::KeepCoefficients(std::unique_ptr<TCoefficientStore> store)
{
    std::lock_guard<std::mutex> lock(FLock);
    if (FPlanes) FCoefficients = std::move(store);
}

void TStageCache::ReleaseCoefficients()
{
    std::unique_ptr<TCoefficientStore> store; // freed after the lock is let go
    {
        std::lock_guard<std::mutex> lock(FLock);
        store = std::move(FCoefficients);
    }
}

bool TStageCache::Empty() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return !FPlanes;
}

uint64_t TStageCache::Stores() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FStores;
}
