// Compression runs that reuse the image's kept encoder stages, against a full encode of the same
// 12-megapixel bench photo in the same process:
//   ratio_search_over_encode   a 10-trial target-ratio search / one full encode with the same
//                              settings (goal <= 2.5)
//   quality_change_over_encode a run after a quality-only change, default settings of a new image
//                              / a full encode (goal <= 0.65)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "BenchPhoto.h"
#include "codec/JPEGImage.h"
#include "codec/StageCache.h"

namespace {

template <class F> double Seconds(F&& f)
{
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A full encode: nothing kept from an earlier run.
double ColdEncode(TJPEGImage& image)
{
    image.ReleaseStageCache();
    return Seconds([&] { image.CompressImage(); });
}

} // namespace

int main()
{
    const TBitmap photo = BenchPhoto();
    PrintPhotoInfo(photo);
    constexpr int Rounds = 5;

    // Target-ratio search, prefilter settings on.
    double encode = 1e9, search = 1e9;
    int trials = 0;
    {
        TJPEGImage image;
        image.SetSourceBitmap(&photo);
        image.ActiveFilter = 1;
        image.SetFilterValue(1, 50);
        image.ComprRatioMaxNumAppr = 10;
        image.ComprRatioMaxDiff = 0; // never close enough: all ten trials run
        for (int round = 0; round < Rounds; ++round) {
            image.SetCompressionRatio(0);
            encode = std::min(encode, ColdEncode(image));
            image.SetCompressionRatio(25);
            image.LastRequest = TJPEGProfile{}; // a cold start of the search each round
            search = std::min(search, ColdEncode(image));
            trials = image.TrialCount;
        }
    }
    std::printf("info ratio_search_over_encode: search of %d trials %.1f ms, full encode %.1f ms\n", trials,
                search * 1000, encode * 1000);
    std::printf("ratio_search_over_encode: %.3f\n", search / encode);

    // A quality-only change with the defaults of a new image.
    double full = 1e9, change = 1e9;
    {
        TJPEGImage image;
        image.SetSourceBitmap(&photo);
        for (int round = 0; round < Rounds; ++round) {
            image.LumQuality = 50;
            full = std::min(full, ColdEncode(image));
            image.LumQuality = 60;
            change = std::min(change, Seconds([&] { image.CompressImage(); }));
        }
    }
    std::printf("info quality_change_over_encode: ours %.1f ms, full encode %.1f ms\n", change * 1000,
                full * 1000);
    std::printf("quality_change_over_encode: %.3f\n", change / full);
    return 0;
}
