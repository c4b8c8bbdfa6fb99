// Compression runs that reuse the image's kept encoder stages, against a full encode of the same
// 12-megapixel bench photo in the same process, both sides on one thread (a ratio over all cores
// swung with the machine's load, by half of its value between runs on one commit); the all-cores
// values follow as information:
//   ratio_search_over_encode   a 10-trial target-ratio search / one full encode with the same
//                              settings (goal <= 2.5)
//   quality_change_over_encode a run after a quality-only change, default settings of a new image
//                              / a full encode (goal <= 0.65)
// Each round measures both sides back to back; a figure is the median of the rounds' ratios, the
// times printed are the best of the rounds.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "BenchPhoto.h"
#include "codec/JPEGImage.h"
#include "codec/StageCache.h"
#include "platform/Parallel.h"

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

struct TTimes
{
    double Encode = 1e9, Search = 1e9;              // ratio search and its full encode (best of the rounds)
    double Full = 1e9, Change = 1e9;                // quality change and its full encode (best of the rounds)
    std::vector<double> SearchRatios, ChangeRatios; // of each round's pair
    int Trials = 0;
};

// The median of the ratios each round measured back to back: a slow phase of the machine slows both
// sides of a round alike, where the ratio of the best times could take its sides from different phases.
double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The best times of `rounds` rounds with the engines on `cores` threads (0: one per core).
TTimes Measure(const TBitmap& photo, int cores, int rounds)
{
    SetCoreCount(cores);
    TTimes t;
    TJPEGImage search, change;
    // Target-ratio search, prefilter settings on.
    search.SetSourceBitmap(&photo);
    search.ActiveFilter = 1;
    search.SetFilterValue(1, 50);
    search.ComprRatioMaxNumAppr = 10;
    search.ComprRatioMaxDiff = 0; // never close enough: all ten trials run
    // A quality-only change with the defaults of a new image.
    change.SetSourceBitmap(&photo);
    for (int round = 0; round < rounds; ++round) {
        search.SetCompressionRatio(0);
        const double encode = ColdEncode(search);
        search.SetCompressionRatio(25);
        search.LastRequest = TJPEGProfile{}; // a cold start of the search each round
        const double searched = ColdEncode(search);
        t.Trials = search.TrialCount;
        t.Encode = std::min(t.Encode, encode);
        t.Search = std::min(t.Search, searched);
        t.SearchRatios.push_back(searched / encode);

        change.LumQuality = 50;
        const double full = ColdEncode(change);
        change.LumQuality = 60;
        const double changed = Seconds([&] { change.CompressImage(); });
        t.Full = std::min(t.Full, full);
        t.Change = std::min(t.Change, changed);
        t.ChangeRatios.push_back(changed / full);
    }
    SetCoreCount(0);
    return t;
}

} // namespace

int main()
{
    const TBitmap photo = BenchPhoto();
    PrintPhotoInfo(photo);
    const TTimes one = Measure(photo, 1, 9), all = Measure(photo, 0, 9);
    std::printf("info: figures on one thread; on all %d cores as information\n", CoreCount());

    std::printf(
        "info ratio_search_over_encode: one thread: search of %d trials %.1f ms, full encode %.1f ms\n",
        one.Trials, one.Search * 1000, one.Encode * 1000);
    std::printf("info ratio_search_over_encode: all cores: %.3f (search %.1f ms, full encode %.1f ms)\n",
                Median(all.SearchRatios), all.Search * 1000, all.Encode * 1000);
    std::printf("ratio_search_over_encode: %.3f\n", Median(one.SearchRatios));

    std::printf("info quality_change_over_encode: one thread: ours %.1f ms, full encode %.1f ms\n",
                one.Change * 1000, one.Full * 1000);
    std::printf("info quality_change_over_encode: all cores: %.3f (ours %.1f ms, full encode %.1f ms)\n",
                Median(all.ChangeRatios), all.Change * 1000, all.Full * 1000);
    std::printf("quality_change_over_encode: %.3f\n", Median(one.ChangeRatios));
    return 0;
}
