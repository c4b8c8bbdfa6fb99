#include <gtest/gtest.h>

#include <climits>

#include "common/CommLib.h"

namespace {

struct SizeCase
{
    int64_t bytes;
    const char* text;
};

TEST(FormatSizeKB, DecimalsByMagnitude)
{
    const SizeCase cases[] = {
        {0, "0.00"},
        {10239, "10.00"},      // two decimals below 10240 bytes
        {10240, "10.0"},       // one from 10240
        {1023999, "1000.0"},
        {1024000, "1000"},     // none from 1024000
        {64, "0.06"},          // 0.0625: the tie goes to even
        {5 * 1024 * 1024 * 1024LL, "5242880"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatSizeKB(c.bytes), c.text) << c.bytes;
}

TEST(FormatModemTime, SecondsAtBothRates)
{
    struct Case
    {
        int64_t bytes;
        bool slow;
        const char* text;
    } cases[] = {
        {3600, true, "1.0"},   // exactly one second at 28800 bit/s
        {3599, true, "1.00"},  // just below: two decimals, rounded up
        {7000, false, "1.0"},  // exactly one second at 56000 bit/s
        {0, false, "0.00"},
        {360000, true, "100"}, // 100 seconds: no decimals
        {359999, true, "100.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatModemTime(c.bytes, c.slow), c.text) << c.bytes;
}

TEST(KeepNumericChars, KeepsDigitsAndTheFirstSeparator)
{
    struct Case
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
    struct Case
    {
        int value, low, high, out;
    } cases[] = {
        {5, 1, 10, 5}, {0, 1, 10, 1}, {11, 1, 10, 10}, {5, 10, 1, 10}, {0, 10, 1, 10}, {20, 10, 1, 1}, // low > high: low wins only below it
        {INT_MIN, -5, 5, -5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClampValue(c.value, c.low, c.high), c.out) << c.value << " " << c.low << " " << c.high;
        int v = c.value;
        ClampVar(v, c.low, c.high);
        EXPECT_EQ(v, c.out);
    }
}

TEST(MulDiv, RoundsToNearestWithTiesToEvenInBothSigns)
{
    struct Case
    {
        int32_t a, b, c, out;
    } cases[] = {
        {1, 3, 2, 2},   {1, 5, 2, 2},    {7, 1, 2, 4},  {-1, 5, 2, -2}, {-1, 3, 2, -2}, {1, -3, -2, 2},
        {10, 10, 3, 33}, {20, 10, 3, 67}, {5, 7, 0, -1}, {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
        {INT32_MAX, 2, 1, -1}, // overflow
    };
    for (const auto& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.out) << c.a << "*" << c.b << "/" << c.c;
}

TEST(FitRectCentered, KeepsOrScalesByThePicturesOrientation)
{
    struct Case
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
        EXPECT_EQ(FitRectCentered(c.w, c.h, c.W, c.H), c.r) << c.w << "x" << c.h << " in " << c.W << "x" << c.H;
}

} // namespace
