// Entropy coding in strips on several threads: the joined file must be the library's own single
// pass, for strips of one MCU row, MCUs that are all at the right edge, strips that code fewer bits
// than a byte, pictures full of 0xFF bytes, and with the headers (comments, density) of the frame.
#include <gtest/gtest.h>

#include "EncoderTestUtil.h"
#include "codec/EntropyStrips.h"
#include "codec/FrameLayout.h"

namespace
{

TBitmap FlatPicture(int width, int height)
{
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) std::fill_n(bmp.ScanLine(y), width * 3, uint8_t(128));
    return bmp;
}

TEncodeParams StripParams(int quality)
{
    TEncodeParams p = IdentityParams(quality, quality - 10);
    p.Coding.Comments = {"first", "", "second"};
    p.Coding.AppTexts = {"app text"};
    p.Coding.DensityUnit = 2;
    p.Coding.XDensity = 300;
    p.Coding.YDensity = 150;
    return p;
}

// Every 8 x 8 cell one random grey: blocks of DC only, whose coded DC differs with its prediction.
TBitmap CellPicture(int width, int height, uint32_t seed)
{
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    std::mt19937 rng(seed);
    std::vector<uint8_t> levels(size_t((width + 7) / 8) * size_t((height + 7) / 8));
    for (uint8_t& level : levels) level = uint8_t(rng());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            bmp.ScanLine(y)[x] = levels[size_t(y / 8) * size_t((width + 7) / 8) + size_t(x / 3 / 8)];
    return bmp;
}

} // namespace

TEST(EntropyStrips, FilesEqualTheLibrarysOverLayoutsPicturesAndStripCounts)
{
    const std::array<TSamplingFactor, 3> layouts[] = {
        {}, {{{1, 1}, {1, 1}, {1, 1}}}, {{{1, 2}, {1, 1}, {1, 1}}}, {{{4, 1}, {2, 1}, {1, 1}}},
        {{{2, 2}, {1, 2}, {2, 1}}}};
    const std::pair<int, int> sizes[] = {{8, 40}, {17, 70}, {130, 47}, {75, 260}};
    TCoefficientStore store; // reused from run to run, as an image's stage cache does
    for (int gray = 0; gray < 2; ++gray)
        for (const auto& layout : layouts)
        {
            if (gray && &layout != &layouts[0]) continue;
            for (auto [w, h] : sizes)
                for (int picture = 0; picture < 4; ++picture)
                {
                    const TBitmap bmp = picture == 0   ? FlatPicture(w, h)
                                        : picture == 1 ? RandomPicture(w, h, uint32_t(w * h))
                                        : picture == 2 ? PhotoLikePicture(w, h, 3)
                                                       : CellPicture(w, h, uint32_t(w + h));
                    for (int optimize = 0; optimize < 2; ++optimize)
                    {
                        TEncodeParams p = StripParams(picture == 1 ? 98 : 70);
                        p.FrontEnd.Grayscale = gray;
                        p.FrontEnd.SamplingFactors = layout;
                        p.Coding.OptimizeCoding = optimize;
                        const std::vector<uint8_t> lib = LibraryEncode(bmp, p);
                        const TDctPlanes planes = ComputeDctPlanes(bmp, p.FrontEnd);
                        for (int strips : {2, 3, 1000}) // 1000: one MCU row a strip
                        {
                            p.Coding.EntropyStrips = strips;
                            p.FrontEnd.Threads = p.Coding.Threads = strips == 3 ? 1 : 3;
                            const std::string where = "gray " + std::to_string(gray) + " layout " +
                                                      std::to_string(&layout - layouts) + " " + std::to_string(w) +
                                                      "x" + std::to_string(h) + " picture " +
                                                      std::to_string(picture) + " optimize " +
                                                      std::to_string(optimize) + " strips " + std::to_string(strips);
                            EXPECT_TRUE(EncodeBitmapToJpeg(bmp, p) == lib) << where;
                            EXPECT_TRUE(QuantizeAndCode(planes, p.Coding, FastKernels(), &store) == lib)
                                << "kept planes, " << where;
                        }
                    }
                }
        }
}

TEST(EntropyStrips, RestartsAndProgressionKeepTheSinglePass)
{
    const TBitmap bmp = PhotoLikePicture(90, 200, 5);
    for (int mode = 0; mode < 2; ++mode)
    {
        TEncodeParams p = StripParams(80);
        p.Coding.OptimizeCoding = true;
        if (mode == 0)
            p.Coding.RestartInterval = 3;
        else
            p.Coding.Progressive = true;
        const std::vector<uint8_t> lib = LibraryEncode(bmp, p);
        p.Coding.EntropyStrips = 4;
        p.Coding.Threads = 3;
        EXPECT_TRUE(EncodeBitmapToJpeg(bmp, p) == lib) << "mode " << mode;
        const TFrameLayout f = MakeFrameLayout(4000, 3000, false, {});
        EXPECT_FALSE(PlanEntropyStrips(f, p.Coding, 8).On()) << "mode " << mode;
    }
}

TEST(EntropyStrips, OnlyLargePicturesAreSplitByDefault)
{
    TCodingParams co;
    const TFrameLayout large = MakeFrameLayout(4000, 3000, false, {});
    const TStripLayout split = PlanEntropyStrips(large, co, 8);
    EXPECT_TRUE(split.On());
    EXPECT_LE(split.Count, 16);
    EXPECT_GE(split.RowsPerStrip, 8);
    EXPECT_EQ(split.Last(split.Count - 1), large.TotalImcuRows);
    EXPECT_FALSE(PlanEntropyStrips(large, co, 1).On());
    EXPECT_FALSE(PlanEntropyStrips(MakeFrameLayout(200, 150, false, {}), co, 8).On());
    co.TraceLevel = 1; // the library's trace messages come from its own single pass
    EXPECT_FALSE(PlanEntropyStrips(large, co, 8).On());
}

TEST(EntropyStrips, ProgressRisesToTheEndAndACancelStopsTheStrips)
{
    const TBitmap bmp = PhotoLikePicture(64, 400, 9);
    TEncodeParams p = StripParams(75);
    p.Coding.OptimizeCoding = true;
    const TDctPlanes planes = ComputeDctPlanes(bmp, p.FrontEnd);
    const std::vector<uint8_t> single = QuantizeAndCode(planes, p.Coding);

    p.Coding.EntropyStrips = 8;
    p.Coding.Threads = 3;
    std::vector<int> seen;
    p.Coding.Progress = [&](int percent) { seen.push_back(percent); };
    EXPECT_TRUE(QuantizeAndCode(planes, p.Coding) == single);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);

    int calls = 0;
    p.Coding.Progress = [&](int percent) {
        ++calls;
        if (percent >= 25) throw EAbort("cancelled");
    };
    EXPECT_THROW(QuantizeAndCode(planes, p.Coding), EAbort);
    EXPECT_GE(calls, 1);
    p.Coding.Progress = {};
    EXPECT_TRUE(QuantizeAndCode(planes, p.Coding) == single); // nothing left behind
}
