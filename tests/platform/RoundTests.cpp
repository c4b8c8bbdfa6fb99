#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/Round.h"

namespace {

// Ties go to even, other values to nearest; huge values convert exactly or saturate.
TEST(Round, TiesGoToEvenAndHugeValuesSaturate)
{
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max(), kMin = std::numeric_limits<int64_t>::min();
    const std::pair<double, int64_t> cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {-2.5, -2}, {0.49999999999999994, 0},
        {2.5000000000000004, 3},
        {4503599627370497.0, 4503599627370497},                                            // 2^52 + 1
        {9223372036854774784.0, 9223372036854774784}, {9223372036854775808.0, kMax},       // below 2^63, 2^63
        {-9223372036854775808.0, kMin}, {-1e300, kMin}, {HUGE_VAL, kMax}, {std::nan(""), 0},
        {3.5, 4}, {-0.5, 0}, {-2.4999999999999996, -2}, {1e15 + 0.5, 1000000000000000}, // a tie far out
        {9.21e18, 9210000000000000000}, {-9.21e18, -9210000000000000000}}; // representable: not saturated
    for (const auto& [x, expected] : cases) EXPECT_EQ(Round(x), expected) << x;
    const std::pair<double, int32_t> ints[] = {
        {2147483646.5, 2147483646}, {2147483647.5, INT32_MAX}, {-2147483648.5, INT32_MIN}, {-1e12, INT32_MIN},
        {-3.5, -4}};
    for (const auto& [x, expected] : ints) EXPECT_EQ(RoundInt(x), expected) << x;
}

} // namespace
