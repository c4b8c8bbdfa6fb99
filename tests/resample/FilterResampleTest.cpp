#include <gtest/gtest.h>

#include <cmath>

#include "ResampleTestUtil.h"
#include "platform/Exceptions.h"
#include "resample/FilterPasses.h"
#include "resample/FilterResample.h"
#include "resample/ResampleContributors.h"
#include "resample/ResamplePixel.h"

namespace {

enum
{
    BSpline,
    Bell,
    Mitchell,
    Box,
    Triangle,
    Hermite,
    Lanczos3
};

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

TEST(FilterContributors, SinglePixelSourceScalesByTheTargetSize)
{
    EXPECT_EQ(ContributorScale(1, 5), 5.0);
    TContributorTable t;
    BuildContributors(t, 1, 5, ResampleFilters[Mitchell]);
    ASSERT_EQ(t.Targets(), 5);
    for (int i = 0; i < 5; ++i) {
        float sum = 0.0f;
        for (int k = t.First[i]; k < t.First[i + 1]; ++k) {
            EXPECT_EQ(t.Pixel[k], 0);
            sum += t.Weight[k];
        }
        // Centre i / 5: the kernel's weights at that offset add up to 1.
        EXPECT_NEAR(sum, 1.0f, 1e-5f) << i;
    }
    EXPECT_EQ(RowValues(Filtered(RowPicture({77}), 5, 1, Mitchell)), std::vector<int>(5, 77));
}

TEST(FilterContributors, EndPixelsLineUp)
{
    EXPECT_EQ(ContributorScale(2, 3), 2.0); // not 1.5
    EXPECT_EQ(ContributorScale(5, 3), 0.5);
    // A triangle has no overshoot: the middle target lies halfway between the two source pixels.
    EXPECT_EQ(RowValues(Filtered(RowPicture({0, 200}), 3, 1, Triangle)), (std::vector<int>{0, 100, 200}));
    EXPECT_EQ(RowValues(Filtered(RowPicture({0, 200}, true), 1, 3, Triangle)),
              (std::vector<int>{0, 100, 200}));
}

TEST(FilterContributors, EqualSizeMitchellMirrorsAtTheEdges)
{
    TContributorTable t;
    BuildContributors(t, 5, 5, ResampleFilters[Mitchell]);
    const std::vector<std::vector<std::pair<int, float>>> want = {
        {{1, 1 / 18.f}, {0, 8 / 9.f}, {1, 1 / 18.f}}, {{0, 1 / 18.f}, {1, 8 / 9.f}, {2, 1 / 18.f}},
        {{1, 1 / 18.f}, {2, 8 / 9.f}, {3, 1 / 18.f}}, {{2, 1 / 18.f}, {3, 8 / 9.f}, {4, 1 / 18.f}},
        {{3, 1 / 18.f}, {4, 8 / 9.f}, {4, 1 / 18.f}},
    };
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(t.First[i + 1] - t.First[i], 3) << i;
        for (int e = 0; e < 3; ++e) {
            EXPECT_EQ(t.Pixel[t.First[i] + e], want[i][e].first) << i;
            EXPECT_NEAR(t.Weight[t.First[i] + e], want[i][e].second, 1e-6f) << i;
        }
    }
    EXPECT_EQ(RowValues(Filtered(RowPicture({0, 0, 180, 0, 0}), 5, 1, Mitchell)),
              (std::vector<int>{0, 10, 160, 10, 0}));
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

float ZeroKernel(float)
{
    return 0.0f;
}

TEST(FilterContributors, AListThatComesOutEmptyTakesTheNearestPixel)
{
    TContributorTable t;
    BuildContributors(t, 9, 3, {"Zero", ZeroKernel, 1.0f});
    ASSERT_EQ(t.Pixel.size(), 3u);
    EXPECT_EQ(t.Pixel, (std::vector<int32_t>{0, 4, 8}));
    EXPECT_EQ(t.Weight, (std::vector<float>{1.0f, 1.0f, 1.0f}));
}

TEST(FilterContributors, OneTargetPixelTakesTheSourceCentre)
{
    EXPECT_TRUE(std::isfinite(ContributorScale(100, 1)));
    TContributorTable t;
    BuildContributors(t, 101, 1, ResampleFilters[Triangle]);
    // The largest weight sits on the middle pixel.
    int best = t.First[0];
    for (int k = t.First[0]; k < t.First[1]; ++k)
        if (t.Weight[k] > t.Weight[best]) best = k;
    EXPECT_EQ(t.Pixel[best], 50);
    std::vector<int> ramp;
    for (int i = 0; i < 101; ++i)
        ramp.push_back(i * 2);
    int v = RowValues(Filtered(RowPicture(ramp), 1, 1, Triangle))[0];
    EXPECT_NEAR(v, 100, 15);
}

TEST(FilterResample, OvershootIsClampedNotWrapped)
{
    std::vector<int> step = {0, 0, 0, 0, 255, 255, 255, 255};
    for (int method : {Mitchell, Lanczos3}) {
        TContributorTable t;
        BuildContributors(t, 8, 29, ResampleFilters[method]);
        std::vector<int> out = RowValues(Filtered(RowPicture(step), 29, 1, method));
        bool below = false, above = false;
        for (int i = 0; i < 29; ++i) {
            double sum = 0;
            for (int k = t.First[i]; k < t.First[i + 1]; ++k)
                sum += step[t.Pixel[k]] * double(t.Weight[k]);
            if (sum < -0.6) {
                below = true;
                EXPECT_EQ(out[i], 0) << i;
            }
            if (sum > 255.6) {
                above = true;
                EXPECT_EQ(out[i], 255) << i;
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

TEST(FilterResample, MatchesThePlainComputationExactly)
{
    const TBitmap src = TestPicture(53, 37, 7);
    const int sizes[][2] = {{53, 37}, {106, 74}, {26, 18}, {17, 61}, {80, 9}, {1, 1}, {2, 2}, {53, 1}};
    for (int method = 0; method < ResampleFilterCount; ++method)
        for (auto s : sizes)
            for (int fidelity : {256, 100}) {
                TBitmap plain = PlainFilter(src, s[0], s[1], method, fidelity);
                // One thread works in long bands of target rows, five in bands of a row or two.
                for (int threads : {1, 5}) {
                    TBitmap fast = Filtered(src, s[0], s[1], method, fidelity, threads);
                    EXPECT_TRUE(SamePixels(fast, plain)) << ResampleFilters[method].Name << " " << s[0] << "x"
                                                         << s[1] << " fidelity " << fidelity << " threads "
                                                         << threads;
                }
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

TEST(FilterResample, ThreadCountDoesNotChangeTheResult)
{
    const TBitmap src = TestPicture(301, 203, 11);
    for (int method : {BSpline, Mitchell, Lanczos3})
        for (auto s : {std::pair{640, 430}, std::pair{150, 101}, std::pair{1, 500}, std::pair{700, 1}}) {
            TBitmap one = Filtered(src, s.first, s.second, method, 200, 1);
            for (int threads : {2, 3, 8})
                EXPECT_TRUE(SamePixels(one, Filtered(src, s.first, s.second, method, 200, threads)))
                    << ResampleFilters[method].Name << " " << threads << " threads";
        }
}

TEST(FilterResample, DegenerateSizesWithEveryKernel)
{
    // Flat pictures stay flat (within the kernels' deviation from a partition of unity), whatever
    // the sizes; under the sanitizers this also proves that nothing reads outside the bitmaps.
    const int sizes[][4] = {{100, 1, 2, 1}, {100, 1, 1, 1}, {1, 1, 1, 1},  {1, 1, 9, 4},
                            {1, 100, 1, 2}, {1, 100, 1, 1}, {1, 7, 30, 3}, {7, 1, 3, 30},
                            {3, 3, 1, 1},   {2, 2, 1, 5},   {5, 1, 1, 1},  {1, 5, 1, 1}};
    for (int method = 0; method < ResampleFilterCount; ++method)
        for (auto s : sizes) {
            TBitmap src(s[0], s[1]);
            for (int y = 0; y < s[1]; ++y)
                for (int x = 0; x < 3 * s[0]; ++x)
                    src.ScanLine(y)[x] = uint8_t(60 + x % 3 * 60);
            TBitmap dst = Filtered(src, s[2], s[3], method);
            for (int y = 0; y < s[3]; ++y)
                for (int x = 0; x < 3 * s[2]; ++x)
                    ASSERT_NEAR(dst.ScanLine(y)[x], 60 + x % 3 * 60, 3)
                        << ResampleFilters[method].Name << " " << s[0] << "x" << s[1] << "->" << s[2] << "x"
                        << s[3];
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
