// The target-ratio search: its rules with a scripted host, then the compression run of an image
// with the real codec as the host.
#include "codec/RatioSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <tuple>
#include <vector>

#include "EncoderTestUtil.h"
#include "ProgressTestClock.h"
#include "SelectionTestUtil.h"
#include "codec/JpegEncode.h"
#include "platform/Exceptions.h"

namespace {
using progress_test::FastProgressClock;
using TBytes = std::optional<std::vector<uint8_t>>;

// A 100 x 100 picture (30,000 uncompressed bytes) whose encoded size comes from a script.
class TScriptedHost : public IRatioSearchHost
{
public:
    // Sizes by encode number; the last one repeats.
    explicit TScriptedHost(std::vector<int64_t> sizes) : Sizes(std::move(sizes)) {}

    int32_t PictureWidth() override { return 100; }
    int32_t PictureHeight() override { return 100; }
    int64_t EncodeTrial(const TRatioSettings& settings) override
    {
        Encoded.push_back(settings);
        if (Search) Progress.push_back(Search->OverallProgress(50));
        if (int(Encoded.size()) == FailAt) {
            Data = FailureLeaves;
            Fail();
        }
        const int64_t size = Sizes[std::min(Encoded.size(), Sizes.size()) - 1];
        Data = size > 0 ? TBytes(std::vector<uint8_t>(size_t(size), uint8_t(Encoded.size()))) : std::nullopt;
        return size;
    }
    struct TBackup : TEncodedBackup
    {
        explicit TBackup(TBytes data) : Data(std::move(data)) {}
        TBytes Data;
    };
    std::unique_ptr<TEncodedBackup> BackupEncodedData() override { return std::make_unique<TBackup>(Data); }
    void RestoreEncodedData(const TEncodedBackup& backup) override { Data = static_cast<const TBackup&>(backup).Data; }

    std::vector<int64_t> Sizes;
    TBytes Data;
    std::vector<TRatioSettings> Encoded;
    TRatioSearch* Search = nullptr; // asks for the overall progress during each encode
    std::vector<int> Progress;
    int FailAt = 0;       // encode number that raises
    TBytes FailureLeaves; // what the failing encode leaves in the picture
    std::function<void()> Fail = [] { throw EAbort(); };
};

TRatioSettings Request(float target, int lum = 50, int chrom = 50, bool fullControl = false, int band = 0)
{
    TRatioSettings s;
    std::tie(s.ComprRatio, s.LumQuality, s.ChromQuality, s.EqualizerFullControl) =
        std::tuple(target, uint8_t(lum), uint8_t(chrom), fullControl);
    for (auto& v : s.QualityEqualizerBand) v = int8_t(band);
    return s;
}

TRatioSearchResult RunSearch(TScriptedHost& host, const TRatioSettings& request, int maxTrials = 10,
                             const TRatioSettings& lastRequest = {}, const TRatioSettings& lastWork = {})
{
    return TRatioSearch().Run(host, request, lastRequest, lastWork, TRatioLimits{maxTrials, 5});
}

std::vector<int> Bands(const TRatioSettings& s) { return {s.QualityEqualizerBand, s.QualityEqualizerBand + 5}; }
} // namespace

// A picture whose ratio is 30 whatever the settings: the search ends on the tolerance rules and the
// trial limit alone.
TEST(RatioSearch, ToleranceEndsTheSearchAndFullControlFirstGuess)
{
    struct Case { float target; int maxTrials; int trials; };
    const Case cases[] = {
        {29, 10, 1}, {29, 1, 1},                         // above the target: done at once
        {31, 10, 7}, {31, 6, 3}, {31, 5, 2}, {31, 4, 1}, // below: on until trial > maximum - 4
        {100, 1, 1}, {100, 0, 1}, {100, -5, 1},          // far off, but a limit below 1 means one encode
        {30, 10, 7},                                     // exactly met counts as not above
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.target << " " << c.maxTrials);
        TScriptedHost host(std::vector<int64_t>{1000});
        const auto result = RunSearch(host, Request(c.target), c.maxTrials);
        EXPECT_EQ(result.Trials, c.trials);
        if (c.trials > 1) { // the qualities rise while the ratio is at or above the target
            EXPECT_EQ(host.Encoded[1].LumQuality, c.target <= 30 ? 54 : 46);
        }
        EXPECT_EQ(std::tuple(result.TrialCount, result.LastRequest, result.WorkProfile),
                  std::tuple(int(host.Encoded.size()), Request(c.target), host.Encoded.back()));
    }
    // Full control: ratio 10, then 37.5 for a target of 40; the step factor 2.5 / 27.5 rounds both steps
    // to 0, so no further trial encodes and the loop runs out its ten trials.
    TScriptedHost host(std::vector<int64_t>{3000, 800});
    const auto result = RunSearch(host, Request(40, 50, 50, true));
    EXPECT_EQ(std::tuple(result.TrialCount, result.Trials), std::tuple(2, 10));
    // First guess: a level of the first three bands that rounds to 0 scales everything by 0 / 1.
    struct TGuessCase { int chroma; std::vector<int> bands; int firstChroma; std::vector<int> firstBands; };
    const TGuessCase guesses[] = {
        {80, {-50, -50, -50, 20, 20}, 1, {-50, -50, -50, -50, -50}},
        {80, {-49, -50, -50, 20, 20}, 1, {-50, -50, -50, -50, -50}},
        {80, {-48, -50, -50, 20, 20}, 80, {-48, -50, -50, 20, 20}}, // level 2 / 3 rounds to 1: unchanged
    };
    for (const TGuessCase& c : guesses) {
        TRatioSettings request = Request(40, 50, c.chroma, true);
        for (size_t i = 0; i < 5; ++i) request.QualityEqualizerBand[i] = int8_t(c.bands[i]);
        TScriptedHost first(std::vector<int64_t>{3000});
        RunSearch(first, request);
        EXPECT_EQ(std::tuple(int(first.Encoded[0].ChromQuality), Bands(first.Encoded[0])), std::tuple(c.firstChroma, c.firstBands));
    }
}

// The settings of each trial: the secant step, the bracket closed where the target was crossed, and
// large steps near the ends of the range cut to 65 %. In full control the bands move, the luma stays;
// in normal mode they move once the luma's step is 0.
TEST(RatioSearch, StepsBracketDampingAndWarmStart)
{
    struct Case { float target; bool full; int chroma, band; std::vector<int64_t> sizes; std::vector<int> q, bands; size_t encodes = 0; };
    const Case cases[] = {
        // Ratios 20, 20.13, 40 (crossed: lower end 27), 20 (crossed: upper end 35), 20.07; the next step of
        // -25 would reach 6 but stops at the lower end. Then the mirror image, stopping at the upper end 73.
        {30, false, 50, 0, {1500, 1490, 750, 1500, 1495, 1000}, {50, 46, 26, 36, 31, 27}, {}},
        {30, false, 50, 0, {750, 752, 1500, 750, 751, 1000}, {50, 54, 74, 64, 69, 73}, {}},
        {100, false, 20, 0, {600, 500}, {20, 16, 6}, {}},  // -16 clamped to -15 at 1, damped to -10
        {100, false, 15, 0, {600, 500}, {15, 11, 5}, {}},  // clamped to -10, damped to -6 (half to even)
        {5, false, 80, 0, {3000, 3010}, {80, 84, 94}, {}}, // +20 clamped to +16 at 100, damped to +10
        {5, false, 91, 0, {3000}, {91, 95}, {}},           // a small step near the end is left alone
        // Bands at 48 step +4 to the end 50, which leaves a step of 2; the next is 2 x 4/9 -> 1, downwards.
        {5, true, 50, 48, {3000, 30000, 30000}, {50, 54, 52}, {48, 50, 49}},
        // The bands' step of -16 lands at -50 and is damped to -10; chroma as in normal mode.
        {100, true, 20, -30, {600, 500}, {20, 16, 6}, {-30, -34, -44}},
        // Normal mode, the luma's step 0: the bands go down below the target, up above it, and the
        // search stops when they are at their end.
        {40, false, 50, 0, {3000, 800, 800, 800}, {50, 46, 46, 46}, {0, 0, -3, -18}, 6},
        {5, false, 50, 0, {1000, 5000, 5000, 5000}, {50, 54, 54, 54}, {0, 0, 3, 18}, 6},
        {40, false, 50, -50, {3000, 800, 800, 800}, {50, 46, 46}, {-50, -50, -50}, 3},
    };
    for (const Case& c : cases) {
        TScriptedHost host(c.sizes);
        RunSearch(host, Request(c.target, c.full ? 50 : c.chroma, c.chroma, c.full, c.band));
        ASSERT_GE(host.Encoded.size(), c.q.size());
        if (c.encodes) { EXPECT_EQ(host.Encoded.size(), c.encodes) << c.target; }
        for (size_t i = 0; i < c.q.size(); ++i)
            EXPECT_EQ(std::tuple(host.Encoded[i].LumQuality, host.Encoded[i].ChromQuality, Bands(host.Encoded[i])),
                      std::tuple(c.full ? 50 : c.q[i], c.q[i], std::vector<int>(5, c.bands.empty() ? 0 : c.bands[i])))
                << c.target << " " << c.chroma << " " << i;
    }
    // A warm start when the request is close to the last one.
    struct TWarmCase { const char* name; std::function<void(TRatioSettings&)> change; bool warm; };
    const TWarmCase warmCases[] = {
        {"same", [](TRatioSettings&) {}, true},
        {"no previous ratio", [](TRatioSettings& s) { s.ComprRatio = 0; }, false},
        {"ratio 20 % lower", [](TRatioSettings& s) { s.ComprRatio = 16; }, true},
        {"ratio further", [](TRatioSettings& s) { s.ComprRatio = 15.9f; }, false},
        {"luma 20 apart", [](TRatioSettings& s) { s.LumQuality = 80; }, true},
        {"luma 21 apart", [](TRatioSettings& s) { s.LumQuality = 81; }, false},
        {"chroma 21 apart", [](TRatioSettings& s) { s.ChromQuality = 39; }, false},
        {"grey", [](TRatioSettings& s) { s.Grayscale = true; }, false},
        {"full control", [](TRatioSettings& s) { s.EqualizerFullControl = true; }, false},
    };
    for (const TWarmCase& c : warmCases) {
        SCOPED_TRACE(c.name);
        TRatioSettings last = Request(18, 55, 50);
        c.change(last);
        TScriptedHost host(std::vector<int64_t>{1000});
        RunSearch(host, Request(20, 60, 60), 10, last, Request(20, 30, 40));
        // Warm: 30/40 rebalanced by 33/32 (30 + Round(2.5) = 32); cold: 60/60 stays.
        EXPECT_EQ(std::tuple(host.Encoded[0].LumQuality, host.Encoded[0].ChromQuality),
                  c.warm ? std::tuple(31, 41) : std::tuple(60, 60));
    }
}

TEST(RatioSearch, FailedTrialReinstatesThePreviousData)
{
    const TBytes before = std::vector<uint8_t>(100, 0xAB);
    struct Case { const char* name; TBytes previous; int failAt; TBytes leaves; std::function<void()> fail; };
    const Case cases[] = {
        {"cancel, picture left empty", before, 3, std::nullopt, [] { throw EAbort(); }},
        {"cancel, longer stream left", before, 3, std::vector<uint8_t>(5000, 1), [] { throw EAbort(); }},
        {"cancel in the first trial", before, 1, std::vector<uint8_t>(20, 1), [] { throw EAbort(); }},
        {"encoder error", before, 2, std::nullopt, [] { throw EInvalidGraphic("bad"); }},
        {"out of memory", before, 2, std::vector<uint8_t>(7, 1), [] { throw std::bad_alloc(); }},
        {"no data before", std::nullopt, 2, std::vector<uint8_t>(7, 1), [] { throw EAbort(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedHost host(std::vector<int64_t>{3000, 2000, 1500, 1200});
        std::tie(host.Data, host.FailAt, host.FailureLeaves, host.Fail) = std::tie(c.previous, c.failAt, c.leaves, c.fail);
        TRatioSearchResult result;
        EXPECT_NO_THROW(result = RunSearch(host, Request(40), 10, Request(7, 40, 40)));
        // The search did not complete: the last request stays.
        EXPECT_EQ(std::tuple(host.Data, result.Restored, result.TrialCount, result.LastRequest),
                  std::tuple(c.previous, true, c.failAt, Request(7, 40, 40)));
    }
    // Without a failure the picture keeps the last trial; a trial without data ends the search.
    TScriptedHost host(std::vector<int64_t>{3000, 0});
    host.Data = before;
    const auto result = RunSearch(host, Request(40));
    EXPECT_EQ(host.Encoded.size(), 2u);
    EXPECT_FALSE(host.Data.has_value() || result.Restored);
}

TEST(RatioSearch, OverallProgress)
{
    // k = Round(0.67 n); trial t of the first k: Round(9 (100 (t - 1) + p) / 10k); later trials:
    // 90 + Round((100 (t - k - 1) + p) / 10 (n - k)). Ties go to the even neighbour.
    struct Case { bool active; int n, t, p, expected; };
    const Case cases[] = {
        {false, 10, 3, 37, 37}, // no search: the encode's own percent
        {true, 10, 1, 0, 0},   {true, 10, 1, 50, 6},  {true, 10, 7, 100, 90}, // first 67 % of trials: 0..90
        {true, 10, 8, 0, 90},  {true, 10, 8, 50, 92}, {true, 10, 10, 100, 100}, // the rest: 90..100
        {true, 2, 2, 50, 95},  {true, 1, 1, 50, 45},  {true, 0, 1, 50, 45}, {true, -3, 1, 50, 45},
        {true, 10, 0, 0, 0}, // asked before the first trial
        {true, 4, 1, 35, 10}, {true, 4, 2, 5, 32}, {true, 3, 2, 70, 76}, // 315 / 30 = 10.5, 945 / 30 = 31.5, 1530 / 20 = 76.5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.active << " " << c.n << " " << c.t << " " << c.p);
        TRatioSearch search;
        std::tie(search.RatioSearchActive, search.ComprRatioMaxNumAppr, search.TrialCount) = std::tuple(c.active, c.n, c.t);
        const int percent = search.OverallProgress(uint8_t(c.p)); // sets TrialPercent
        EXPECT_EQ(std::pair(percent, int(search.TrialPercent)), std::pair(c.expected, c.p));
    }
    // During a search the figures follow the encodes.
    TScriptedHost host(std::vector<int64_t>{1000});
    TRatioSearch search;
    host.Search = &search;
    search.Run(host, Request(31), {}, {}, TRatioLimits{10, 5});
    EXPECT_EQ(host.Progress, (std::vector<int>{6, 19, 32, 45, 58, 71}));
}

TEST(CompressImage, SearchEndsWithinToleranceAndATrialLimitBelowOneMeansOneEncode)
{
    FastProgressClock clock;
    TBitmap src = PhotoLikePicture(160, 120, 3);
    struct Case { float Target; int Limit; } cases[] = {{8, 10}, {15, 10}, {25, 10}, {40, 1}, {40, 0}, {40, -3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Target << " limit " << c.Limit);
        TJPEGImage image;
        image.SetSourceBitmap(&src);
        image.ComprRatioMaxNumAppr = c.Limit;
        image.SetCompressionRatio(c.Target);
        std::vector<int> percents; // of the running encodes: they rise over the whole search
        image.OnProgress = [&](TGraphic*, TProgressStage st, int pc, bool, const TRect&, const std::string&) {
            if (st == TProgressStage::psRunning) percents.push_back(pc);
        };
        image.CompressImage();
        ASSERT_GT(image.GetJpegDataSize(), 0);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()) && percents.back() <= 100);
        EXPECT_EQ(std::tuple(image.RatioSearchActive, image.LastRequest.ComprRatio, image.DisplayRatio),
                  std::tuple(false, c.Target, std::lround(c.Target)));
        if (c.Limit <= 1) {
            EXPECT_EQ(image.TrialCount, 1);
            continue;
        }
        const double ratio = 160.0 * 120 * 3 / double(image.GetJpegDataSize());
        EXPECT_TRUE(std::fabs(ratio - c.Target) <= c.Target * 0.05 && image.TrialCount <= 10) << ratio;
        // WorkProfile holds the settings of the last trial: encoding them again gives the same stream.
        TJPEGImage again;
        again.SetSourceBitmap(&src);
        again.WorkProfile = image.WorkProfile;
        EncodeJpeg(again);
        EXPECT_EQ(CompressedBytes(again), CompressedBytes(image));
    }
}

// A search of a real image cancelled in its first or a later trial gives the image back its data (the
// same object, or none), its last request and the count of the trials it ran.
TEST(CompressImage, CancelledSearchReinstatesThePreviousData)
{
    FastProgressClock clock;
    TBitmap src = PhotoLikePicture(300, 200, 5);
    struct TCase
    {
        bool HadData;
        int CancelInEncode;
    };
    for (TCase c : {TCase{true, 1}, TCase{true, 3}, TCase{false, 2}}) {
        TJPEGImage image;
        image.SetSourceBitmap(&src);
        if (c.HadData) image.CompressImage();
        auto before = image.Data;
        const int64_t size = image.GetJpegDataSize();
        image.SetCompressionRatio(60);
        image.ComprRatioMaxDiff = 0; // never close enough: every allowed trial runs
        int starts = 0;
        image.OnProgress = [&](TGraphic*, TProgressStage st, int, bool, const TRect&, const std::string&) {
            if (st == TProgressStage::psStarting) ++starts;
            if (st == TProgressStage::psRunning && starts == c.CancelInEncode) throw EAbort();
        };
        const TJPEGProfile lastRequest = image.LastRequest;
        EXPECT_NO_THROW(image.CompressImage());
        EXPECT_EQ(std::tuple(image.Data, image.GetJpegDataSize(), image.LastRequest.ComprRatio,
                             image.TrialCount, image.RatioSearchActive),
                  std::tuple(before, size, lastRequest.ComprRatio, c.CancelInEncode, false))
            << c.CancelInEncode;
    }
}
