#include <gtest/gtest.h>

#include <algorithm>

#include "ResampleTestUtil.h"
#include "platform/Exceptions.h"
#include "resample/FilterPasses.h"
#include "resample/FilterResample.h"
#include "resample/ResampleContributors.h"
#include "resample/ResamplePixel.h"

namespace {

enum { BSpline, Bell, Mitchell, Box, Triangle, Hermite, Lanczos3 };

TBitmap Filtered(const TBitmap& src, int w, int h, int method, int fidelity = 256, int threads = 1)
{
    TBitmap dst(w, h);
    FilterResample(src, dst, method, fidelity, {}, threads);
    return dst;
}

// The filter resampler the plain way: every channel on its own, the second pass column by column.
TBitmap PlainFilter(const TBitmap& src, int dw, int dh, int method, int fidelity)
{
    const TResampleFilter& f = ResampleFilters[method];
    TContributorTable cols, rows;
    BuildContributors(cols, src.Width(), dw, f);
    BuildContributors(rows, src.Height(), dh, f);
    TBitmap work(dw, src.Height()), dst(dw, dh);
    for (int y = 0; y < src.Height(); ++y)
        for (int i = 0; i < dw; ++i)
            for (int c = 0; c < 3; ++c) {
                float sum = 0.0f;
                for (int k = cols.First[i]; k < cols.First[i + 1]; ++k)
                    sum += float(src.ScanLine(y)[3 * cols.Pixel[k] + c]) * cols.Weight[k];
                int ref = src.ScanLine(y)[3 * cols.Pixel[cols.First[i + 1] - 1] + c];
                work.ScanLine(y)[3 * i + c] = BlendFidelity(ref, ClampRoundByte(sum), fidelity);
            }
    for (int x = 0; x < dw; ++x)
        for (int i = 0; i < dh; ++i)
            for (int c = 0; c < 3; ++c) {
                float sum = 0.0f;
                for (int k = rows.First[i]; k < rows.First[i + 1]; ++k)
                    sum += float(work.ScanLine(rows.Pixel[k])[3 * x + c]) * rows.Weight[k];
                dst.ScanLine(i)[3 * x + c] = ClampRoundByte(sum);
            }
    return dst;
}

// Rows and columns small enough to work out by hand. A single source pixel scales by the target
// size; end pixels line up (2 -> 3 puts the middle halfway); indices past an edge are mirrored
// (-1 reads pixel 1, 5 reads pixel 4 of five).
TEST(FilterResample, TinyRowsAndColumnsGiveKnownValues)
{
    const struct
    {
        std::vector<int> source;
        int size, method;
        std::vector<int> expected;
    } cases[] = {
        {{77}, 5, Mitchell, std::vector<int>(5, 77)},
        {{0, 200}, 3, Triangle, {0, 100, 200}},
        {{0, 0, 180, 0, 0}, 5, Mitchell, {0, 10, 160, 10, 0}},
        {{100, 0, 0, 0, 200}, 5, Mitchell, {89, 6, 0, 11, 189}},
    };
    for (const auto& c : cases)
        for (bool vertical : {false, true}) {
            const TBitmap dst = Filtered(RowPicture(c.source, vertical), vertical ? 1 : c.size, vertical ? c.size : 1,
                                         c.method);
            EXPECT_EQ(RowValues(dst), c.expected) << c.source.size() << "->" << c.size << " vertical " << vertical;
        }
}

TEST(FilterContributors, IndicesStayInsideTinySources)
{
    // One mirror is not enough when the kernel reaches further than the source is wide.
    for (int method = 0; method < ResampleFilterCount; ++method)
        for (int src : {1, 2, 3})
            for (int dst : {1, 2, 3, 7, 40}) {
                TContributorTable t;
                BuildContributors(t, src, dst, ResampleFilters[method]);
                for (int k = 0; k < int(t.Pixel.size()); ++k) {
                    ASSERT_GE(t.Pixel[k], 0);
                    ASSERT_LT(t.Pixel[k], src) << ResampleFilters[method].Name << " " << src << "->" << dst;
                    ASSERT_NE(t.Weight[k], 0.0f);
                }
                for (int i = 0; i < dst; ++i)
                    ASSERT_GT(t.First[i + 1], t.First[i]);
            }
}

TEST(FilterContributors, AListThatComesOutEmptyTakesTheNearestPixel)
{
    TContributorTable t;
    BuildContributors(t, 9, 3, {"Zero", [](float) { return 0.0f; }, 1.0f});
    EXPECT_EQ(t.Pixel, (std::vector<int32_t>{0, 4, 8}));
    EXPECT_EQ(t.Weight, (std::vector<float>{1.0f, 1.0f, 1.0f}));
}

TEST(FilterContributors, OneTargetPixelTakesTheSourceCentre)
{
    TContributorTable t;
    BuildContributors(t, 101, 1, ResampleFilters[Triangle]);
    const auto best = std::max_element(t.Weight.begin() + t.First[0], t.Weight.begin() + t.First[1]);
    EXPECT_EQ(t.Pixel[size_t(best - t.Weight.begin())], 50);
    std::vector<int> ramp(101);
    for (int i = 0; i < 101; ++i) ramp[size_t(i)] = i * 2;
    EXPECT_NEAR(RowValues(Filtered(RowPicture(ramp), 1, 1, Triangle))[0], 100, 15);
}

// Where the exact sum of a kernel with negative lobes leaves 0..255, the pixel is clamped.
TEST(FilterResample, OvershootIsClampedNotWrapped)
{
    const std::vector<int> step = {0, 0, 0, 0, 255, 255, 255, 255};
    for (int method : {Mitchell, Lanczos3}) {
        TContributorTable t;
        BuildContributors(t, 8, 29, ResampleFilters[method]);
        const std::vector<int> out = RowValues(Filtered(RowPicture(step), 29, 1, method));
        bool below = false, above = false;
        for (int i = 0; i < 29; ++i) {
            double sum = 0;
            for (int k = t.First[i]; k < t.First[i + 1]; ++k) sum += step[t.Pixel[k]] * double(t.Weight[k]);
            below |= sum < -0.6;
            above |= sum > 255.6;
            if (sum < -0.6 || sum > 255.6) {
                EXPECT_EQ(out[i], sum < 0 ? 0 : 255) << i;
            }
        }
        EXPECT_TRUE(below && above) << ResampleFilters[method].Name << " should overshoot this step";
    }
}

TEST(FilterResample, FidelityZeroGivesTheLastContributor)
{
    // One row: the vertical pass keeps it. Each target takes the source pixel of its list's last
    // entry: the right neighbour, mirrored onto itself at the right edge.
    TBitmap src = RowPicture({10, 50, 90, 130, 170});
    EXPECT_EQ(RowValues(Filtered(src, 5, 1, Mitchell, 0)), (std::vector<int>{50, 90, 130, 170, 170}));
    // Out-of-range fidelities are clamped before use.
    EXPECT_TRUE(SamePixels(Filtered(src, 5, 1, Mitchell, -40), Filtered(src, 5, 1, Mitchell, 0)));
    EXPECT_TRUE(SamePixels(Filtered(src, 5, 1, Mitchell, 9999), Filtered(src, 5, 1, Mitchell, 256)));
}

// Small and large pictures, each kernel, with and without the fidelity blend: one thread works in
// long bands of target rows, more threads in bands of a few rows; all give the plain result.
TEST(FilterResample, EveryThreadCountMatchesThePlainComputationExactly)
{
    const TBitmap small = TestPicture(53, 37, 7), large = TestPicture(301, 203, 11);
    const struct
    {
        const TBitmap& src;
        int w, h;
    } cases[] = {{small, 53, 37}, {small, 106, 74}, {small, 26, 18}, {small, 17, 61}, {small, 80, 9},
                 {small, 1, 1},   {small, 2, 2},    {small, 53, 1},  {large, 640, 430}, {large, 150, 101},
                 {large, 1, 500}, {large, 700, 1}};
    for (int method = 0; method < ResampleFilterCount; ++method)
        for (const auto& c : cases)
            for (int fidelity : {256, 100}) {
                const TBitmap plain = PlainFilter(c.src, c.w, c.h, method, fidelity);
                for (int threads : {1, 3, 8})
                    EXPECT_TRUE(SamePixels(Filtered(c.src, c.w, c.h, method, fidelity, threads), plain))
                        << ResampleFilters[method].Name << " " << c.src.Width() << "->" << c.w << "x" << c.h
                        << " fidelity " << fidelity << " threads " << threads;
            }
}

TEST(FilterPasses, VectorRowEqualsPlainRow)
{
    const TBitmap src = TestPicture(97, 1, 13);
    for (int method = 0; method < ResampleFilterCount; ++method)
        for (int dw : {1, 2, 3, 5, 31, 97, 250})
            for (int fidelity : {256, 0, 77}) {
                TContributorTable t;
                BuildContributors(t, 97, dw, ResampleFilters[method]);
                std::vector<uint8_t> plain(size_t(3 * dw)), vec(size_t(3 * dw), 1);
                std::vector<float> scratch(size_t(HorizontalScratchFloats(97)));
                FilterRowHorizontalPlain(src.ScanLine(0), 97, plain.data(), t, fidelity);
                FilterRowHorizontalVector(src.ScanLine(0), 97, vec.data(), t, fidelity, scratch.data());
                EXPECT_EQ(plain, vec)
                    << ResampleFilters[method].Name << " to " << dw << " fidelity " << fidelity;
            }
}

TEST(FilterResample, DegenerateSizesWithEveryKernel)
{
    // Flat pictures stay flat (within the kernels' deviation from a partition of unity), whatever
    // the sizes; under the sanitizers this also proves that nothing reads outside the bitmaps.
    const int sizes[][4] = {{100, 1, 2, 1}, {100, 1, 1, 1}, {1, 1, 1, 1},  {1, 1, 9, 4},
                            {1, 100, 1, 2}, {1, 100, 1, 1}, {1, 7, 30, 3}, {7, 1, 3, 30},
                            {3, 3, 1, 1},   {2, 2, 1, 5},   {5, 1, 1, 1},  {1, 5, 1, 1}};
    const auto flat = [](int x) { return 60 + x % 3 * 60; };
    for (int method = 0; method < ResampleFilterCount; ++method)
        for (auto s : sizes) {
            TBitmap src(s[0], s[1]);
            for (int y = 0; y < s[1]; ++y)
                for (int x = 0; x < 3 * s[0]; ++x) src.ScanLine(y)[x] = uint8_t(flat(x));
            const TBitmap dst = Filtered(src, s[2], s[3], method);
            for (int y = 0; y < s[3]; ++y)
                for (int x = 0; x < 3 * s[2]; ++x)
                    ASSERT_NEAR(dst.ScanLine(y)[x], flat(x), 3) << ResampleFilters[method].Name << " " << s[0]
                                                                << "x" << s[1] << "->" << s[2] << "x" << s[3];
        }
}

TEST(FilterResample, RefusesWhatItCannotIndex)
{
    TBitmap src = TestPicture(4, 4, 1), dst(2, 2), empty;
    EXPECT_THROW(FilterResample(src, dst, -1, 256, {}), EInvalidGraphicOperation);
    EXPECT_THROW(FilterResample(src, dst, ResampleFilterCount, 256, {}), EInvalidGraphicOperation);
    EXPECT_THROW(FilterResample(src, empty, 2, 256, {}), EInvalidGraphicOperation);
    EXPECT_THROW(FilterResample(src, src, 2, 256, {}), EInvalidGraphicOperation);
    TBitmap grey(4, 4, TPixelFormat::pf8bit);
    EXPECT_THROW(FilterResample(grey, dst, 2, 256, {}), EInvalidGraphicOperation);
}

} // namespace
