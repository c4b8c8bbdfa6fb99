#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ResampleTestUtil.h"

namespace {

// Exact area average: target pixel d covers the source interval [d s, (d + 1) s).
double Overlap(int d, int j, double s)
{
    double lo = std::max(d * s, double(j)), hi = std::min((d + 1) * s, double(j + 1));
    return hi > lo ? (hi - lo) / s : 0.0;
}

int MaxDifferenceFromBruteForce(const TBitmap& src, const TBitmap& dst)
{
    const double sx = double(src.Width()) / dst.Width(), sy = double(src.Height()) / dst.Height();
    int worst = 0;
    for (int y = 0; y < dst.Height(); ++y)
        for (int x = 0; x < dst.Width(); ++x)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int j = int(std::floor(y * sy));
                     j < std::min(src.Height(), int(std::ceil((y + 1) * sy))); ++j)
                    for (int i = int(std::floor(x * sx));
                         i < std::min(src.Width(), int(std::ceil((x + 1) * sx))); ++i)
                        sum += src.ScanLine(j)[3 * i + c] * Overlap(x, i, sx) * Overlap(y, j, sy);
                worst = std::max(worst, std::abs(int(std::lround(sum)) - dst.ScanLine(y)[3 * x + c]));
            }
    return worst;
}

// Against the exact average, on one thread and on several (bands must not change a pixel); ratios
// just above 1 where rounding piles up, and counts beyond 15 bits. Fidelity 0 gives the reference
// samples; fidelities outside 0..256 are clamped.
TEST(AreaResample, MatchesABruteForceAverageOnAnyThreadCount)
{
    const int cases[][4] = {{37, 23, 10, 7},        {100, 50, 33, 17},     {64, 64, 1, 1},
                            {7, 7, 7, 7},           {90, 60, 45, 30},      {91, 13, 90, 12},
                            {300, 1, 7, 1},         {1, 300, 1, 299},      {70000, 1, 1, 1},
                            {1000, 2, 999, 1},      {513, 387, 256, 193},  {20001, 1, 20000, 1},
                            {100003, 1, 100000, 1}, {1, 100000, 1, 99999}, {65537, 1, 3, 1}};
    uint32_t seed = 1;
    for (auto c : cases) {
        const TBitmap src = TestPicture(c[0], c[1], seed++);
        const TBitmap one = Resized(src, c[2], c[3], AreaMethod);
        EXPECT_LE(MaxDifferenceFromBruteForce(src, one), 1)
            << c[0] << "x" << c[1] << "->" << c[2] << "x" << c[3];
        for (int fidelity : {256, 90})
            EXPECT_TRUE(SamePixels(Resized(src, c[2], c[3], AreaMethod, fidelity, 1),
                                   Resized(src, c[2], c[3], AreaMethod, fidelity, 5)))
                << c[0] << "x" << c[1] << " fidelity " << fidelity;
    }
    const TBitmap src = TestPicture(20, 12, 9), dst = Resized(src, 10, 6, AreaMethod, 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(dst.ScanLine(y)[x], src.ScanLine(2 * y + 1)[6 * (x / 3) + 3 + x % 3]);
    EXPECT_TRUE(SamePixels(Resized(src, 10, 6, AreaMethod, -3), dst));
    EXPECT_TRUE(SamePixels(Resized(src, 10, 6, AreaMethod, 300), Resized(src, 10, 6, AreaMethod, 256)));
}

} // namespace
