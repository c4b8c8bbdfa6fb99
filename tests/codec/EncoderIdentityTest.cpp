// With library rounding and no masks, the engine's file must equal the library's own scanline
// encoder's, byte for byte, over sizes, sampling layouts, smoothing, coding modes and tables; with
// optimised coding also for the kept planes (quantised and counted in one pass, in chunks).
#include <gtest/gtest.h>

#include "EncoderTestUtil.h"

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

const std::pair<int, int> Sizes[] = {{1, 1}, {16, 1}, {1, 40}, {7, 9}, {17, 33}, {31, 15}, {64, 48}, {200, 100}, {129, 71}};

void ExpectSameFile(const TBitmap& bmp, const TEncodeParams& p, const std::string& what)
{
    const std::vector<uint8_t> ours = EncodeBitmapToJpeg(bmp, p), lib = LibraryEncode(bmp, p);
    ASSERT_EQ(ours.size(), lib.size()) << what;
    size_t diff = 0;
    while (diff < ours.size() && ours[diff] == lib[diff]) ++diff;
    EXPECT_EQ(diff, ours.size()) << what << ": first difference at byte " << diff;
}

} // namespace

TEST(EncoderIdentity, SizesLayoutsAndSmoothing)
{
    int n = 0;
    for (const TLayout& layout : Layouts)
        for (auto [w, h] : Sizes)
            for (int smoothing : {0, 10, 50, 100}) {
                // Not every combination: smoothing 10/50 on every other size keeps this quick.
                if ((smoothing == 10 || smoothing == 50) && (n++ % 2)) continue;
                TEncodeParams p = IdentityParams();
                p.FrontEnd.Grayscale = layout.Gray;
                p.FrontEnd.SamplingFactors = layout.Sampling;
                p.FrontEnd.Smoothing = smoothing;
                TBitmap bmp = (w * h) % 2 ? RandomPicture(w, h, uint32_t(w * 7 + h)) : PhotoLikePicture(w, h, 3);
                const std::string what = std::string(layout.Name) + " " + std::to_string(w) + "x" +
                                         std::to_string(h) + " smoothing " + std::to_string(smoothing);
                ExpectSameFile(bmp, p, what);
                // Optimised tables count the padding blocks of partial MCUs and restart the DC prediction.
                p.Coding.OptimizeCoding = true;
                p.Coding.RestartInterval = 1 + n % 3;
                p.Coding.Threads = 1 + n % 4;
                ExpectSameFile(bmp, p, what + " optimised, restart " + std::to_string(p.Coding.RestartInterval));
            }
}

TEST(EncoderIdentity, CodingModesTablesAndMarkers)
{
    struct TMode { const char* Name; bool Optimize, Progressive; int Restart; };
    const TMode modes[] = {{"baseline", false, false, 0},
                           {"optimised", true, false, 0},
                           {"optimised restart 5", true, false, 5},
                           {"progressive", false, true, 0},
                           {"restart 3", false, false, 3},
                           {"optimised progressive restart 1", true, true, 1}};
    std::array<uint8_t, 64> ones, maxed;
    ones.fill(1);
    maxed.fill(255);
    for (const TMode& m : modes)
        for (int tables = 0; tables < 3; ++tables)
            for (const TLayout* layout : {&Layouts[0], &Layouts[1], &Layouts[3]}) {
                TEncodeParams p = IdentityParams(tables == 0 ? 90 : 50, 40);
                if (tables > 0) {
                    qmjpeg::TQuantSlots slots;
                    const uint8_t* t = tables == 1 ? ones.data() : maxed.data();
                    qmjpeg::jpeg_add_quant_table(slots, 0, t, true, 100);
                    qmjpeg::jpeg_add_quant_table(slots, 1, t, true, 100);
                    p.Coding.Tables = slots;
                }
                p.FrontEnd.Grayscale = layout->Gray;
                p.FrontEnd.SamplingFactors = layout->Sampling;
                p.Coding.OptimizeCoding = m.Optimize;
                p.Coding.Progressive = m.Progressive;
                p.Coding.RestartInterval = m.Restart;
                p.Coding.DensityUnit = 1;
                p.Coding.XDensity = 300;
                p.Coding.YDensity = 72;
                p.Coding.Comments = {"first", "", "second line"};
                p.Coding.AppTexts = {"", "app text"};
                for (int picture = 0; picture < 2; ++picture) {
                    TBitmap bmp = picture ? RandomPicture(83, 57, 11) : PhotoLikePicture(120, 90, 5);
                    ExpectSameFile(bmp, p,
                                   std::string(m.Name) + " tables " + std::to_string(tables) + " " + layout->Name +
                                       " picture " + std::to_string(picture));
                }
            }
}

TEST(EncoderIdentity, OptimisedCodingOverLayoutsRestartsThreadsAndKeptPlanes)
{
    for (const TLayout& layout : Layouts) {
        if (std::string(layout.Name) == "3x1 generic") continue;
        for (auto [w, h] : {std::pair{1, 1}, {9, 17}, {33, 31}, {130, 47}, {75, 260}})
            for (int restart : {0, 1, 5}) {
                TEncodeParams p = IdentityParams(restart == 5 ? 97 : 60, 30);
                p.FrontEnd.Grayscale = layout.Gray;
                p.FrontEnd.SamplingFactors = layout.Sampling;
                p.Coding.OptimizeCoding = true;
                p.Coding.RestartInterval = restart;
                const TBitmap bmp = restart == 1 ? RandomPicture(w, h, uint32_t(w + h)) : PhotoLikePicture(w, h, 8);
                const std::vector<uint8_t> lib = LibraryEncode(bmp, p);
                for (int threads : {1, 3}) {
                    SCOPED_TRACE(std::string(layout.Name) + " " + std::to_string(w) + "x" + std::to_string(h) +
                                 " restart " + std::to_string(restart) + " threads " + std::to_string(threads));
                    p.FrontEnd.Threads = p.Coding.Threads = threads;
                    EXPECT_TRUE(EncodeBitmapToJpeg(bmp, p) == lib);
                    EXPECT_TRUE(QuantizeAndCode(ComputeDctPlanes(bmp, p.FrontEnd), p.Coding) == lib);
                }
            }
    }
}
