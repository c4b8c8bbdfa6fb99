#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ResampleTestUtil.h"
#include "resample/AreaResample.h"

namespace {

TBitmap Reduced(const TBitmap& src, int w, int h, int fidelity = 256, int threads = 1)
{
    TBitmap dst(w, h);
    AreaResample(src, dst, fidelity, {}, threads);
    return dst;
}

// Exact area average: target pixel d covers the source interval [d s, (d + 1) s).
double Overlap(int d, int j, double s)
{
    double lo = std::max(d * s, double(j)), hi = std::min((d + 1) * s, double(j + 1));
    return hi > lo ? (hi - lo) / s : 0.0;
}

TBitmap BruteForce(const TBitmap& src, int dw, int dh)
{
    const double sx = double(src.Width()) / dw, sy = double(src.Height()) / dh;
    TBitmap dst(dw, dh);
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int j = int(std::floor(y * sy));
                     j < std::min(src.Height(), int(std::ceil((y + 1) * sy))); ++j)
                    for (int i = int(std::floor(x * sx));
                         i < std::min(src.Width(), int(std::ceil((x + 1) * sx))); ++i)
                        sum += src.ScanLine(j)[3 * i + c] * Overlap(x, i, sx) * Overlap(y, j, sy);
                dst.ScanLine(y)[3 * x + c] = uint8_t(std::lround(sum));
            }
    return dst;
}

int MaxDifference(const TBitmap& a, const TBitmap& b)
{
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < 3 * a.Width(); ++x)
            worst = std::max(worst, std::abs(int(a.ScanLine(y)[x]) - int(b.ScanLine(y)[x])));
    return worst;
}

TEST(AreaAxis, SmallRatiosSplitSharedPixels)
{
    // Halving reads the pixel two targets share again at weight zero until the zeros are skipped.
    TAreaAxis a;
    BuildAreaAxis(a, 4, 2);
    EXPECT_EQ(a.Weight, (std::vector<float>{0.5f, 0.5f, 0.0f, 0.5f, 0.5f}));
    SkipZeroWeights(a);
    EXPECT_EQ(a.Start, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(a.Count, (std::vector<int32_t>{2, 2}));
    EXPECT_EQ(a.WeightIndex, (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(RowValues(Reduced(RowPicture({10, 30, 100, 200}), 2, 1)), (std::vector<int>{20, 150}));
    // Three to two: the middle pixel goes a third to each side.
    EXPECT_EQ(RowValues(Reduced(RowPicture({30, 60, 90}, true), 1, 2)), (std::vector<int>{40, 80}));
}

TEST(AreaAxis, EveryTargetReadsInsideTheSourceAndWeighsOne)
{
    // Including ratios within the walk's tolerance of 1, where rounding piles up, and a count of
    // 70000 (more than 15 bits hold).
    const int pairs[][2] = {{5, 3},          {7, 2},     {1000, 999},   {20001, 20000}, {100003, 100000},
                            {100000, 99999}, {65537, 3}, {12345, 6789}, {2, 1},         {999, 1},
                            {70000, 1}};
    for (auto p : pairs) {
        TAreaAxis a;
        BuildAreaAxis(a, p[0], p[1]);
        for (int d = 0; d < p[1]; ++d) {
            ASSERT_GE(a.Count[d], 1);
            ASSERT_GE(a.Start[d], 0);
            ASSERT_LE(a.Start[d] + a.Count[d], p[0]) << p[0] << "->" << p[1] << " at " << d;
            ASSERT_LE(size_t(a.WeightIndex[d] + a.Count[d]), a.Weight.size());
            double sum = 0;
            for (int k = 0; k < a.Count[d]; ++k)
                sum += a.Weight[size_t(a.WeightIndex[d] + k)];
            ASSERT_NEAR(sum, 1.0, 2e-3) << p[0] << "->" << p[1] << " at " << d;
        }
        EXPECT_EQ(a.Start[0], 0);
        EXPECT_EQ(a.Start[p[1] - 1] + a.Count[p[1] - 1], p[0]) << p[0] << "->" << p[1];
    }
}

TEST(AreaResample, MatchesABruteForceAverage)
{
    const int cases[][4] = {{37, 23, 10, 7},  {100, 50, 33, 17}, {64, 64, 1, 1}, {7, 7, 7, 7},
                            {90, 60, 45, 30}, {91, 13, 90, 12},  {300, 1, 7, 1}, {1, 300, 1, 299},
                            {70000, 1, 1, 1}};
    uint32_t seed = 1;
    for (auto c : cases) {
        TBitmap src = TestPicture(c[0], c[1], seed++);
        EXPECT_LE(MaxDifference(Reduced(src, c[2], c[3]), BruteForce(src, c[2], c[3])), 1)
            << c[0] << "x" << c[1] << "->" << c[2] << "x" << c[3];
    }
}

TEST(AreaResample, FidelityZeroGivesTheReferenceSamples)
{
    TBitmap src = TestPicture(20, 12, 9);
    TBitmap dst = Reduced(src, 10, 6, 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(dst.ScanLine(y)[3 * x + c], src.ScanLine(2 * y + 1)[3 * (2 * x + 1) + c]);
    // Clamped: below 0 behaves as 0, above 256 as 256.
    EXPECT_TRUE(SamePixels(Reduced(src, 10, 6, -3), dst));
    EXPECT_TRUE(SamePixels(Reduced(src, 10, 6, 300), Reduced(src, 10, 6, 256)));
}

TEST(AreaResample, ThreadCountDoesNotChangeTheResult)
{
    TBitmap src = TestPicture(513, 387, 21);
    for (int fidelity : {256, 90})
        for (auto s : {std::pair{256, 193}, std::pair{100, 387}, std::pair{1, 300}}) {
            TBitmap one = Reduced(src, s.first, s.second, fidelity, 1);
            for (int threads : {2, 5})
                EXPECT_TRUE(SamePixels(one, Reduced(src, s.first, s.second, fidelity, threads)));
        }
}

} // namespace
