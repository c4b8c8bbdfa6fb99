#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "ResampleTestUtil.h"
#include "resample/FilterPasses.h"
#include "resample/ResampleContributors.h"

namespace {

enum { BSpline, Bell, Mitchell, Box, Triangle, Hermite, Lanczos3 };

// The filter is separable: the picture equals its rows filtered one by one by the plain row kernel,
// then the columns of that as one-column pictures (one pixel to one is the identity, blend included).
TBitmap RowsThenColumns(const TBitmap& src, int dw, int dh, int method, int fidelity)
{
    TContributorTable t;
    BuildContributors(t, src.Width(), dw, ResampleFilters[method]);
    TBitmap work(dw, src.Height()), dst(dw, dh), column(1, src.Height());
    for (int y = 0; y < src.Height(); ++y)
        FilterRowHorizontalPlain(src.ScanLine(y), src.Width(), work.ScanLine(y), t, fidelity);
    for (int x = 0; x < dw; ++x) {
        for (int y = 0; y < src.Height(); ++y) std::copy_n(work.ScanLine(y) + 3 * x, 3, column.ScanLine(y));
        const TBitmap out = Resized(column, 1, dh, method, fidelity);
        for (int y = 0; y < dh; ++y) std::copy_n(out.ScanLine(y), 3, dst.ScanLine(y) + 3 * x);
    }
    return dst;
}

// Worked out by hand: a single source pixel scales by the target size; end pixels line up (2 -> 3
// puts the middle halfway); indices past an edge are mirrored (-1 reads pixel 1, 5 reads pixel 4);
// fidelity 0 takes each list's last entry along a row, the right neighbour, mirrored onto itself
// at the edge, and fidelities outside 0..256 are clamped.
TEST(FilterResample, TinyRowsAndColumnsGiveKnownValues)
{
    // source, target size, method, fidelity, target
    const std::tuple<std::vector<int>, int, int, int, std::vector<int>> cases[] = {
        {{77}, 5, Mitchell, 256, std::vector<int>(5, 77)},
        {{0, 200}, 3, Triangle, 256, {0, 100, 200}},
        {{0, 0, 180, 0, 0}, 5, Mitchell, 256, {0, 10, 160, 10, 0}},
        {{100, 0, 0, 0, 200}, 5, Mitchell, 9999, {89, 6, 0, 11, 189}},
        {{10, 50, 90, 130, 170}, 5, Mitchell, 0, {50, 90, 130, 170, 170}},
        {{10, 50, 90, 130, 170}, 5, Mitchell, -40, {50, 90, 130, 170, 170}},
    };
    for (const auto& [source, size, method, fidelity, expected] : cases)
        for (bool vertical : {false, true}) {
            if (vertical && fidelity < 256) continue; // the blend belongs to the horizontal pass
            const int w = vertical ? 1 : size, h = vertical ? size : 1;
            const TBitmap dst = Resized(RowPicture(source, vertical), w, h, method, fidelity);
            EXPECT_EQ(RowValues(dst), expected) << source.size() << "->" << size << " vertical " << vertical;
        }
}

// Indices past an edge are mirrored, then clamped into the source (one mirror is not enough when the
// kernel reaches further than the source is wide); an empty list takes the nearest pixel at weight
// 1; a single target samples the source centre.
TEST(FilterContributors, IndicesStayInsideTinySourcesEmptyListsTakeTheNearestPixel)
{
    TContributorTable t;
    for (int method = 0; method < 7; ++method)
        for (int src : {1, 2, 3})
            for (int dst : {1, 2, 3, 7, 40}) {
                BuildContributors(t, src, dst, ResampleFilters[method]);
                for (size_t k = 0; k < t.Pixel.size(); ++k) {
                    ASSERT_TRUE(t.Pixel[k] >= 0 && t.Pixel[k] < src) << method << " " << src << "->" << dst;
                    ASSERT_NE(t.Weight[k], 0.0f);
                }
                for (int i = 0; i < dst; ++i) ASSERT_GT(t.First[i + 1], t.First[i]);
            }
    BuildContributors(t, 9, 3, {"Zero", [](float) { return 0.0f; }, 1.0f});
    EXPECT_EQ(t.Pixel, (std::vector<int32_t>{0, 4, 8}));
    EXPECT_EQ(t.Weight, (std::vector<float>{1.0f, 1.0f, 1.0f}));
    BuildContributors(t, 101, 1, ResampleFilters[Triangle]);
    const auto best = std::max_element(t.Weight.begin() + t.First[0], t.Weight.begin() + t.First[1]);
    EXPECT_EQ(t.Pixel[size_t(best - t.Weight.begin())], 50);
}

// A step enlarged by kernels with negative lobes overshoots on both sides: clamped, not wrapped.
TEST(FilterResample, OvershootIsClampedNotWrapped)
{
    for (int method : {Mitchell, Lanczos3}) {
        const std::vector<int> out =
            RowValues(Resized(RowPicture({0, 0, 0, 0, 255, 255, 255, 255}), 29, 1, method));
        for (int i = 0; i < 29; ++i) // a wrapped -3 would be 253 on the dark side
            EXPECT_TRUE(i == 14 || (out[size_t(i)] < 128) == (i < 14))
                << method << " at " << i << ": " << out[size_t(i)];
    }
}

// Each kernel, with and without the fidelity blend: one thread works in long bands of target rows
// with the vector row kernel, more threads in bands of a few rows; all give the rows-then-columns
// result, down to sources and targets of a pixel or two (under the sanitizers nothing reads outside
// the bitmaps).
TEST(FilterResample, EveryThreadCountMatchesRowsThenColumnsExactly)
{
    const int sizes[][4] = {{53, 37, 106, 74}, {53, 37, 26, 18},     {53, 37, 17, 61}, {53, 37, 1, 1},
                            {53, 37, 2, 2},    {53, 37, 80, 9},      {1, 1, 9, 4},     {1, 7, 30, 3},
                            {3, 3, 1, 1},      {2, 2, 1, 5},         {100, 1, 2, 1},   {301, 203, 640, 430},
                            {97, 2, 5, 1},     {97, 2, 31, 1},       {97, 2, 250, 1}};
    for (int method = 0; method < 7; ++method)
        for (auto s : sizes) {
            const TBitmap src = TestPicture(s[0], s[1], uint32_t(s[2]));
            for (int fidelity : {256, 77}) {
                const TBitmap want = RowsThenColumns(src, s[2], s[3], method, fidelity);
                for (int threads : {1, 3, 8})
                    EXPECT_TRUE(SamePixels(Resized(src, s[2], s[3], method, fidelity, threads), want))
                        << method << " " << s[0] << "x" << s[1] << "->" << s[2] << "x" << s[3] << " fidelity "
                        << fidelity << " on " << threads;
            }
        }
}

// Flat pictures stay flat (within the kernels' deviation from a partition of unity), whatever the
// sizes; in the sanitizer build this also shows that nothing reads outside the bitmaps.
TEST(FilterResample, DegenerateSizesWithEveryKernel)
{
    const int sizes[][4] = {{100, 1, 2, 1}, {100, 1, 1, 1}, {1, 1, 1, 1},  {1, 1, 9, 4},
                            {1, 100, 1, 2}, {1, 100, 1, 1}, {1, 7, 30, 3}, {7, 1, 3, 30},
                            {3, 3, 1, 1},   {2, 2, 1, 5},   {5, 1, 1, 1},  {1, 5, 1, 1}};
    const auto flat = [](int x) { return 60 + x % 3 * 60; };
    for (int method = 0; method < ResampleFilterCount; ++method)
        for (auto s : sizes) {
            TBitmap src(s[0], s[1]);
            for (int y = 0; y < s[1]; ++y)
                for (int x = 0; x < 3 * s[0]; ++x)
                    src.ScanLine(y)[x] = uint8_t(flat(x));
            const TBitmap dst = Resized(src, s[2], s[3], method);
            for (int y = 0; y < s[3]; ++y)
                for (int x = 0; x < 3 * s[2]; ++x)
                    ASSERT_NEAR(dst.ScanLine(y)[x], flat(x), 3) << ResampleFilters[method].Name << " " << s[0]
                                                                << "x" << s[1] << "->" << s[2] << "x" << s[3];
        }
}

} // namespace
