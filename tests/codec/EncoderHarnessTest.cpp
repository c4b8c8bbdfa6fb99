// With library rounding the engine's file must equal the library's own scanline encoder's, byte for
// byte: over sampling layouts, sizes, pictures, smoothing, coding modes, tables, entropy strips,
// thread counts and both kernel sets, both from the bitmap and from kept DCT planes coded into a
// reused store. Then what the engine adds around that: errors, progress and cancelling, and the
// image's stage cache against cold encodes.
#include <gtest/gtest.h>

#include <functional>

#include "EncoderTestUtil.h"
#include "JpegFixtures.h"
#include "SelectionTestUtil.h"
#include "codec/EntropyStrips.h"
#include "codec/FrameLayout.h"
#include "codec/HuffmanOptimizer.h"
#include "codec/JPEGImage.h"
#include "codec/JpegEncode.h"
#include "codec/StageCache.h"

namespace {

struct TLayout { const char* Name; bool Gray; std::array<TSamplingFactor, 3> Sampling; };
const TLayout Layouts[] = {
    {"gray", true, {}},
    {"2x2/1x1", false, {}},
    {"1x1", false, {{{1, 1}, {1, 1}, {1, 1}}}},
    {"1x1 luma, 2x2 chroma", false, {{{1, 1}, {2, 2}, {2, 2}}}},
    {"2x1", false, {{{2, 1}, {1, 1}, {1, 1}}}},
    {"1x2", false, {{{1, 2}, {1, 1}, {1, 1}}}},
    {"3x1 generic", false, {{{3, 1}, {1, 1}, {1, 1}}}},
    {"4x1/2x1 generic", false, {{{4, 1}, {2, 1}, {1, 1}}}},
    {"2x2/1x2/2x1", false, {{{2, 2}, {1, 2}, {2, 1}}}},
};

// Strips: 0 by size, 1000 one MCU row a strip. Restarts and progression keep the single pass.
struct TMode { const char* Name; bool Optimize, Progressive; int Restart, Strips, Threads, Smoothing; };
const TMode Modes[] = {
    {"baseline", false, false, 0, 0, 1, 0},
    {"optimised", true, false, 0, 0, 3, 10},
    {"optimised, restart 1", true, false, 1, 0, 4, 0},
    {"restart 3, strips asked", false, false, 3, 4, 2, 50},
    {"progressive", false, true, 0, 0, 1, 100},
    {"optimised progressive, restart 5", true, true, 5, 0, 3, 0},
    {"2 strips", true, false, 0, 2, 3, 0},
    {"3 strips on one thread", false, false, 0, 3, 1, 30},
    {"one row a strip", true, false, 0, 1000, 3, 0},
};

const std::pair<int, int> Sizes[] = {{1, 1}, {16, 1}, {1, 40}, {7, 9}, {17, 70}, {129, 71}, {130, 47}, {75, 260}};

// Every 8 x 8 cell one random grey: blocks of DC only, whose coded DC differs with its prediction;
// seed 0: all grey 128, whose strips can be shorter than a byte.
TBitmap CellPicture(int width, int height, uint32_t seed)
{
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    std::mt19937 rng(seed);
    std::vector<uint8_t> levels(size_t((width + 7) / 8) * size_t((height + 7) / 8));
    for (uint8_t& level : levels) level = seed ? uint8_t(rng()) : 128;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            bmp.ScanLine(y)[x] = levels[size_t(y / 8) * size_t((width + 7) / 8) + size_t(x / 3 / 8)];
    return bmp;
}

// Qualities, or every entry 1, or every entry 255.
qmjpeg::TQuantSlots Tables(int kind)
{
    if (kind < 3) return IdentityParams(kind == 0 ? 90 : kind == 1 ? 50 : 98, 40).Coding.Tables;
    std::array<uint8_t, 64> t;
    t.fill(kind == 3 ? 1 : 255);
    qmjpeg::TQuantSlots slots;
    qmjpeg::jpeg_add_quant_table(slots, 0, t.data(), true, 100);
    qmjpeg::jpeg_add_quant_table(slots, 1, t.data(), true, 100);
    return slots;
}

} // namespace

TEST(EncoderHarness, FilesEqualTheLibrarysOverLayoutsModesStripsThreadsAndKeptPlanes)
{
    TCoefficientStore store; // reused from run to run, as an image's stage cache does
    const int16_t* memory = nullptr;
    size_t capacity = 0;
    int n = 0;
    for (const TLayout& layout : Layouts)
        for (auto [w, h] : Sizes)
            for (const TMode& mode : Modes) {
                ++n;
                const int kind = n % 4;
                const TBitmap bmp = kind == 0   ? CellPicture(w, h, 0)
                                    : kind == 1 ? RandomPicture(w, h, uint32_t(n))
                                    : kind == 2 ? PhotoLikePicture(w, h, 3)
                                                : CellPicture(w, h, uint32_t(n));
                TEncodeParams p = IdentityParams();
                p.Coding.Tables = Tables(n % 5);
                std::tie(p.FrontEnd.Grayscale, p.FrontEnd.SamplingFactors, p.FrontEnd.Smoothing) =
                    std::tuple(layout.Gray, layout.Sampling, mode.Smoothing);
                std::tie(p.Coding.OptimizeCoding, p.Coding.Progressive, p.Coding.RestartInterval) =
                    std::tuple(mode.Optimize, mode.Progressive, mode.Restart);
                std::tie(p.Coding.DensityUnit, p.Coding.XDensity, p.Coding.YDensity) = std::tuple(2, 300, 150);
                p.Coding.Comments = {"first", "", "second line"};
                p.Coding.AppTexts = {"", "app text"};
                const std::vector<uint8_t> lib = LibraryEncode(bmp, p);
                p.Coding.EntropyStrips = mode.Strips;
                p.FrontEnd.Threads = p.Coding.Threads = mode.Threads;
                const bool plain = n / 4 % 2; // each picture meets both kernel sets
                SCOPED_TRACE(std::string(layout.Name) + " " + std::to_string(w) + "x" + std::to_string(h) + ", " +
                             mode.Name + ", picture " + std::to_string(kind) + ", tables " + std::to_string(n % 5) +
                             (plain ? ", plain kernels" : ""));
                const TKernelChoice kernels(plain);
                ASSERT_TRUE(EncodeBitmapToJpeg(bmp, p) == lib);
                ASSERT_TRUE(QuantizeAndCode(ComputeDctPlanes(bmp, p.FrontEnd), p.Coding, FastKernels(), &store) == lib);
                // A picture that needs no more coefficient memory codes in the memory it had.
                if (store.Capacity[0] <= capacity) { EXPECT_EQ(store.Coefficients[0].get(), memory); }
                memory = store.Coefficients[0].get();
                capacity = store.Capacity[0];
            }
}

TEST(EncoderHarness, RefusedInputsAndSettings)
{
    TEncodeParams p = IdentityParams();
    EXPECT_THROW(EncodeBitmapToJpeg(TBitmap(8, 8, TPixelFormat::pf8bit), p), EInvalidGraphicOperation);
    EXPECT_THROW(EncodeBitmapToJpeg(TBitmap(), p), EInvalidGraphicOperation);
    const TBitmap bmp = RandomPicture(16, 16, 3);
    // Masked quantisation of the 2 x 2 luma blocks, all selected, with the selective tables.
    const TBlockMask mask{2, 2, std::vector<uint8_t>(4, 1)};
    qmjpeg::TQuantSettings qs;
    qs.SelectiveCompression = true;
    struct TCase { void (*Change)(TEncodeParams&); std::string Text; };
    const TCase cases[] = {
        {[](TEncodeParams& q) { q.FrontEnd.SamplingFactors = {{{5, 1}, {1, 1}, {1, 1}}}; }, "Bogus sampling factors"},
        {[](TEncodeParams& q) { q.FrontEnd.SamplingFactors = {{{3, 1}, {2, 1}, {1, 1}}}; }, "Fractional sampling not implemented yet"},
        {[](TEncodeParams& q) { q.FrontEnd.SamplingFactors = {{{4, 4}, {1, 1}, {1, 1}}}; }, "Sampling factors too large for interleaved scan"},
        {[](TEncodeParams& q) { q.Coding.DctMethod = JDCT_FLOAT; }, "Requested feature was omitted at compile time"},
        {[](TEncodeParams& q) { q.Coding.Tables[4].reset(); }, "Quantization table 0x04 was not defined"},
        {[](TEncodeParams& q) { q.Coding.Tables[1].reset(); }, "Quantization table 0x01 was not defined"},
    };
    for (const TCase& c : cases) {
        TEncodeParams q;
        q.Coding.Tables = qmjpeg::BuildQuantTables(qs);
        q.Coding.MaskedQuantization = true;
        q.Coding.BlockMasks = {&mask, nullptr, nullptr};
        c.Change(q);
        EXPECT_EQ(fixtures::MessageOf<EJPEG>([&] { EncodeBitmapToJpeg(bmp, q); }), c.Text);
    }
    p.FrontEnd.SamplingFactors = {{{0, 3}, {1, 0}, {-1, 1}}}; // a zero in a pair keeps the default
    EXPECT_NO_THROW(EncodeBitmapToJpeg(bmp, p));
    p.FrontEnd.SamplingFactors = {{{4, 4}, {4, 4}, {4, 4}}};
    p.FrontEnd.Grayscale = true; // grey ignores the factors
    EXPECT_NO_THROW(EncodeBitmapToJpeg(bmp, p));
    // Smoothing outside 0..100 counts as the nearest end.
    for (auto [outside, end] : {std::pair{150, 100}, std::pair{-5, 0}}) {
        TEncodeParams a = IdentityParams(), b = a;
        a.FrontEnd.Smoothing = outside;
        b.FrontEnd.Smoothing = end;
        EXPECT_EQ(EncodeBitmapToJpeg(bmp, a), EncodeBitmapToJpeg(bmp, b)) << outside;
    }
}

TEST(EncoderHarness, StripsUnaskedForLargeFramesProgressRisesAndACancelLeavesNothingBehind)
{
    const TBitmap bmp = PhotoLikePicture(64, 400, 9);
    TEncodeParams p = IdentityParams();
    p.Coding.OptimizeCoding = true;
    const TDctPlanes planes = ComputeDctPlanes(bmp, p.FrontEnd);
    const std::vector<uint8_t> single = QuantizeAndCode(planes, p.Coding);
    p.Coding.EntropyStrips = 8;
    p.FrontEnd.Threads = p.Coding.Threads = 3;
    std::vector<int> front, coding;
    p.FrontEnd.Progress = [&](int percent) { front.push_back(percent); };
    p.Coding.Progress = [&](int percent) { coding.push_back(percent); };
    EXPECT_TRUE(EncodeBitmapToJpeg(bmp, p) == single);
    for (const std::vector<int>* seen : {&front, &coding})
        EXPECT_TRUE(!seen->empty() && std::is_sorted(seen->begin(), seen->end()) && seen->back() == 100);
    // Cancelling from either callback ends the run with EAbort (the sanitizer build checks that
    // nothing leaks on the way out); the next run is whole.
    p.FrontEnd.Progress = [&](int) { throw EAbort(); };
    EXPECT_THROW(EncodeBitmapToJpeg(bmp, p), EAbort);
    p.FrontEnd.Progress = nullptr;
    p.Coding.Progress = [&](int percent) { if (percent >= 25) throw EAbort("cancelled"); };
    EXPECT_THROW(QuantizeAndCode(planes, p.Coding), EAbort);
    p.Coding.Progress = {};
    EXPECT_TRUE(QuantizeAndCode(planes, p.Coding) == single);
    // Large frames are coded in strips unasked: about two a thread, at least 8 MCU rows each.
    const TFrameLayout large = MakeFrameLayout(4000, 3000, false, {});
    const TStripLayout s = PlanEntropyStrips(large, TCodingParams{}, 8);
    EXPECT_TRUE(s.On() && s.Count <= 16 && s.RowsPerStrip >= 8 && s.Last(s.Count - 1) == large.TotalImcuRows);
    // The single pass stays on one thread, for a small frame, with restarts or progression, and at a
    // trace level above 0 (the library's trace messages come from its own pass).
    const std::tuple<const char*, int, int, int, bool, int> onePass[] = {
        // width, threads, restarts, progr., trace
        {"one thread", 4000, 1, 0, false, 0},
        {"small frame", 200, 8, 0, false, 0},
        {"restarts", 4000, 8, 3, false, 0},
        {"progressive", 4000, 8, 0, true, 0},
        {"trace level 1", 4000, 8, 0, false, 1}};
    for (const auto& [name, width, threads, restarts, progressive, trace] : onePass) {
        TCodingParams co;
        std::tie(co.RestartInterval, co.Progressive, co.TraceLevel) =
            std::tuple(restarts, progressive, trace);
        const TFrameLayout f = MakeFrameLayout(width, width * 3 / 4, false, {});
        EXPECT_FALSE(PlanEntropyStrips(f, co, threads).On()) << name;
    }
}

// A run of the image that reuses its kept stages writes what a cold encode writes; a change that
// feeds the front end computes it again, any other reuses it (a ratio search at most once).
TEST(EncoderHarness, KeptStagesOfAnImageEqualColdEncodes)
{
    TBitmap src = PhotoLikePicture(203, 151, 21);
    TBitmap other = PhotoLikePicture(203, 151, 22);
    using TChange = std::function<void(TJPEGImage&)>;
    // With an area, both filters on: the selection filter reads the mask.
    const TChange filtered = [](TJPEGImage& im) {
        AddSelectionArea(im, skRectangle, 100000, 200000, 600000, 700000);
        std::tie(im.SelectiveCompression, im.ActiveFilter, im.SelActiveFilter) = std::tuple(true, 5, 3);
        im.SetFilterValue(5, 60);
        im.SetSelFilterValue(3, 80);
    };
    const TChange area = [](TJPEGImage& im) { AddSelectionArea(im, skRectangle, 0, 0, 500000, 500000); };
    // A mask painter of the image's own is not in the key: with a filter reading the mask, a changed
    // painting is filtered again.
    int paintedRows = 8;
    const TChange painted = [&](TJPEGImage& im) {
        std::tie(im.SelectiveCompression, im.SelActiveFilter) = std::tuple(true, 3);
        im.SetSelFilterValue(3, 90);
        im.OnPaintMask = [&](TJPEGImage&, TBitmap& mask) {
            for (int y = 0; y < paintedRows; ++y) mask.ScanLine(y)[0] = 0; // the first 8 columns selected
        };
    };
    struct TCase { const char* Name; TChange Change; bool FeedsFrontEnd; TChange Setup = {}; };
    const TCase cases[] = {
        {"quality", [](TJPEGImage& im) { im.LumQuality = 85; im.ChromQuality = 12; }, false},
        {"full control", [](TJPEGImage& im) { im.EqualizerFullControl = true; im.QualityEqualizerBands = {9, 9, 9, 0, 0}; }, false},
        {"ratio", [](TJPEGImage& im) { im.SetCompressionRatio(18); }, false},
        {"progressive, restarts", [](TJPEGImage& im) { im.ProgressiveEncoding = true; im.RestartInterval = 3; }, false},
        {"plain coding", [](TJPEGImage& im) { im.OptimizeCoding = false; }, false},
        {"comments, density", [](TJPEGImage& im) { im.Comments.SetText("one\r\ntwo"); im.XDensity = 300; }, false},
        {"areas, selection off", area, false},
        {"selection on, no filter", [&](TJPEGImage& im) { im.SelectiveCompression = true; area(im); im.SelThreshold = 0; }, false},
        {"filter on", [](TJPEGImage& im) { im.ActiveFilter = 2; im.SetFilterValue(2, 40); }, true},
        {"grey", [](TJPEGImage& im) { im.Grayscale = true; }, true},
        {"sampling", [](TJPEGImage& im) { im.SetSubsampling(1); }, true},
        {"smoothing", [](TJPEGImage& im) { im.Smoothing = 30; }, true},
        {"selection, main filter", [&](TJPEGImage& im) { im.ActiveFilter = 5; im.SetFilterValue(5, 60); im.SelectiveCompression = true; area(im); }, true},
        {"source pixels", [&](TJPEGImage&) { src.ScanLine(7)[9] = 3; src.Modified(); }, true},
        {"other source", [&](TJPEGImage& im) { im.SetSourceBitmap(&other); }, true},
        {"selection qualities, filtered", [](TJPEGImage& im) { im.SelLumQuality = 10; im.SelChromQuality = 1; }, false, filtered},
        {"ratio, filtered", [](TJPEGImage& im) { im.SetCompressionRatio(15); }, false, filtered},
        {"an area, filtered", area, true, filtered},
        {"own painter, filtered", [&](TJPEGImage&) { paintedRows = 24; }, true, painted},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TJPEGImage warm, cold;
        for (TJPEGImage* im : {&warm, &cold}) {
            im->SetSourceBitmap(&src);
            if (c.Setup) c.Setup(*im);
            im->CompressImage();
        }
        ASSERT_EQ(warm.StageCache().Stores(), 1u);
        c.Change(warm);
        warm.CompressImage();
        EXPECT_EQ(warm.StageCache().Stores(), c.FeedsFrontEnd ? 2u : 1u);
        c.Change(cold);
        cold.ReleaseStageCache();
        cold.CompressImage();
        ASSERT_GT(warm.GetJpegDataSize(), 0);
        EXPECT_EQ(cold.TrialCount, warm.TrialCount);
        EXPECT_EQ(CompressedBytes(warm), CompressedBytes(cold));
    }
}

TEST(EncoderHarness, KeptMemoryGoesWithTheSourceAndServesTheEncodesOfOneRun)
{
    TBitmap src = PhotoLikePicture(64, 64, 24);
    TJPEGImage im;
    im.SetSourceBitmap(&src);
    // An encode (a trial of a search) keeps the coefficient memory for the next one.
    EncodeJpeg(im);
    TStageCache& cache = im.StageCache();
    std::unique_ptr<TCoefficientStore> lent = cache.TakeCoefficients();
    ASSERT_TRUE(lent);
    EXPECT_GE(lent->Capacity[0], size_t(64 / 8 * 64 / 8));
    EXPECT_FALSE(cache.TakeCoefficients()); // one encode at a time
    im.WorkProfile.LumQuality = 20; // an encode meanwhile codes in memory of its own, and keeps that
    EncodeJpeg(im);
    EXPECT_TRUE(cache.TakeCoefficients());
    cache.KeepCoefficients(std::move(lent));
    // A whole run, a search too, frees it when it ends; the planes stay.
    for (float ratio : {0.0f, 15.0f}) {
        im.SetCompressionRatio(ratio);
        im.CompressImage();
        EXPECT_FALSE(cache.Empty()) << ratio;
        EXPECT_FALSE(cache.TakeCoefficients()) << ratio;
    }
    im.SetSourceBitmap(&src); // the same picture keeps the planes
    EXPECT_FALSE(cache.Empty());
    EncodeJpeg(im);
    im.SetSourceBitmap(nullptr);
    EXPECT_TRUE(cache.Empty());
    EXPECT_FALSE(cache.TakeCoefficients());
    cache.KeepCoefficients(std::make_unique<TCoefficientStore>()); // no planes: nothing is kept
    EXPECT_FALSE(cache.TakeCoefficients());
}

// The optimal-table builder on statistics no picture of the harness reaches.
TEST(HuffmanOptimizer, CodeLengthsAreLimitedTo16Bits)
{
    // Fibonacci frequencies make a maximally deep tree (over 30 levels) before the limit.
    std::array<long, 257> freq{};
    for (size_t s = 0, a = 1, b = 1; s < 40; ++s, b = a + b, a = b - a) freq[s] = long(a);
    JHUFF_TBL table{};
    BuildOptimalHuffmanTable(table, freq);
    int symbols = 0;
    double kraft = 0;
    for (int len = 1; len <= 16; ++len) {
        symbols += table.bits[len];
        kraft += table.bits[len] / double(1 << len);
    }
    EXPECT_EQ(table.bits[0], 0);
    EXPECT_EQ(symbols, 40);
    EXPECT_LT(kraft, 1.0); // one code point stays free: no code of all ones
    // The most frequent symbols get the shortest codes and come first.
    EXPECT_GE(table.huffval[0], 38);
    EXPECT_GE(table.huffval[1], 37);
}

// The encoder's message list says what the library's encoder says: smoothing asked for where a
// component's downsampling has no smoothing variant (2:1 across, other ratios) gives the library's
// line, which a trace level above 0 keeps among the traced passes.
TEST(EncoderHarness, MessagesMatchTheLibrarysEncoder)
{
    TBitmap bmp = PhotoLikePicture(40, 24, 6);
    struct Case
    {
        const char* Name;
        std::array<TSamplingFactor, 3> Sampling;
        int Smoothing;
        int TraceLevel;
        int Lines;
    };
    const Case cases[] = {{"2x2 smoothed", {}, 20, 0, 0},
                          {"2x1 smoothed", {{{2, 1}, {1, 1}, {1, 1}}}, 20, 0, 1},
                          {"2x1 not smoothed", {{{2, 1}, {1, 1}, {1, 1}}}, 0, 0, 0},
                          {"3x1 smoothed, traced", {{{3, 1}, {1, 1}, {1, 1}}}, 5, 1, -1}};
    for (const Case& c : cases) {
        TEncodeParams p = IdentityParams();
        std::tie(p.FrontEnd.SamplingFactors, p.FrontEnd.Smoothing, p.Coding.TraceLevel) =
            std::tuple(c.Sampling, c.Smoothing, c.TraceLevel);
        TStringList ours, library;
        p.Coding.Messages = &ours;
        EncodeBitmapToJpeg(bmp, p);
        LibraryEncode(bmp, p, &library);
        if (c.TraceLevel == 0) {
            EXPECT_EQ(std::tuple(ours.Lines(), ours.Count()), std::tuple(library.Lines(), c.Lines)) << c.Name;
        } else { // the tracing of the passes differs by design
            EXPECT_GE(ours.IndexOf("Smoothing not supported with nonstandard sampling ratios"), 0) << c.Name;
        }
    }
}
