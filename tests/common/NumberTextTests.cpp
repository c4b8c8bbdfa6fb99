#include <gtest/gtest.h>

#include <climits>

#include "common/CommLib.h"

namespace {

// Two decimals, then one, then none as the value grows (steps at 10 and 1000 KB, at 1 and 100 seconds);
// ties go to even.
TEST(NumberText, SizesAndModemTimesChooseTheirDecimalsByMagnitude)
{
    const std::pair<int64_t, const char*> sizes[] = {
        {0, "0.00"}, {10239, "10.00"}, {10240, "10.0"}, {1023999, "1000.0"}, {1024000, "1000"},
        {64, "0.06"}, // 0.0625
        {5 * 1024 * 1024 * 1024LL, "5242880"},
    };
    for (const auto& [bytes, text] : sizes) EXPECT_EQ(FormatSizeKB(bytes), text) << bytes;
    // seconds at 28800 bit/s (slow) or 56000 bit/s
    const struct
    {
        int64_t bytes;
        bool slow;
        const char* text;
    } times[] = {{3600, true, "1.0"}, {3599, true, "1.00"},   {7000, false, "1.0"},
                 {0, false, "0.00"},  {360000, true, "100"}, {359999, true, "100.0"}};
    for (const auto& c : times) EXPECT_EQ(FormatModemTime(c.bytes, c.slow), c.text) << c.bytes;
}

TEST(KeepNumericChars, KeepsDigitsAndTheFirstSeparator)
{
    const struct
    {
        const char* in;
        char sep;
        const char* out;
    } cases[] = {
        {"ab1.2.3", '.', "1.23"}, {"1,5 cm", ',', "1,5"}, {"1,5.2", '.', "15.2"},
        {"..5", '.', ".5"},       {"abc", '.', ""},        {"-12e3", '.', "123"},
    };
    for (const auto& c : cases) EXPECT_EQ(KeepNumericChars(c.in, c.sep), c.out) << c.in;
    EXPECT_EQ(KeepNumericChars("x7.5.0"), "7.50");
}

TEST(Clamp, LowIsTestedFirst)
{
    // value, low, high, result; low > high: low wins only below it
    const int cases[][4] = {{5, 1, 10, 5},   {0, 1, 10, 1},  {11, 1, 10, 10},      {5, 10, 1, 10},
                            {0, 10, 1, 10},  {20, 10, 1, 1}, {INT_MIN, -5, 5, -5}};
    for (const auto& c : cases) {
        EXPECT_EQ(ClampValue(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
        int v = c[0];
        ClampVar(v, c[1], c[2]);
        EXPECT_EQ(v, c[3]);
    }
}

TEST(MulDiv, RoundsToNearestWithTiesToEvenInBothSigns)
{
    // a, b, c, a * b / c; -1 for a division by zero or an overflow
    const int32_t kMax = INT32_MAX, cases[][4] = {
        {1, 3, 2, 2},    {1, 5, 2, 2},    {7, 1, 2, 4},  {-1, 5, 2, -2},   {-1, 3, 2, -2},
        {1, -3, -2, 2},  {10, 10, 3, 33}, {20, 10, 3, 67}, {5, 7, 0, -1},  {kMax, 2, 1, -1},
        {kMax, kMax, kMax, kMax}};
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
}

TEST(FitRectCentered, KeepsOrScalesByThePicturesOrientation)
{
    const struct
    {
        int32_t w, h, W, H;
        TRect r;
    } cases[] = {
        {100, 50, 200, 200, {50, 75, 150, 125}},
        {400, 200, 200, 200, {0, 50, 200, 150}},
        {200, 200, 200, 200, {0, 0, 200, 200}},
        {101, 51, 200, 200, {49, 74, 150, 125}},   // odd remainder: offsets round toward zero
        {100, 400, 300, 200, {125, 0, 175, 200}},  // portrait in a wide box fits exactly
        {300, 400, 100, 200, {-25, 0, 125, 200}},  // portrait in a narrow box overflows sideways
        {0, 0, 100, 100, {0, 0, 0, 0}},
        {-10, 10, 100, 100, {0, 0, 0, 0}},
        {0, 300, 100, 100, {50, 0, 50, 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitRectCentered(c.w, c.h, c.W, c.H), c.r) << c.w << " " << c.h << " " << c.W << " " << c.H;
}

} // namespace
