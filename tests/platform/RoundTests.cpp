#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/Round.h"

namespace {

struct RoundCase
{
    double x;
    int64_t expected;
};

TEST(Round, TiesGoToEvenAndOtherValuesToNearest)
{
    const RoundCase cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {0.49999999999999994, 0},
        {2.5000000000000004, 3}, {-2.4999999999999996, -2}, {1e15 + 0.5, 1000000000000000},
        {4503599627370497.0, 4503599627370497}, // 2^52 + 1: already an integer
    };
    for (const auto& c : cases) EXPECT_EQ(Round(c.x), c.expected) << c.x;
}

TEST(Round, HugeValuesConvertExactlyOrSaturateAndRoundIntSaturatesAtTheInt32Range)
{
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max(), kMin = std::numeric_limits<int64_t>::min();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const RoundCase cases[] = {
        {9.21e18, 9210000000000000000}, // representable: not saturated
        {-9.21e18, -9210000000000000000},
        {9223372036854774784.0, 9223372036854774784}, // largest double below 2^63
        {9223372036854775808.0, kMax},                // 2^63
        {-9223372036854775808.0, kMin},               // -2^63 is representable
        {1e300, kMax}, {-1e300, kMin}, {kInf, kMax},  {-kInf, kMin}, {std::nan(""), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Round(c.x), c.expected) << c.x;

    EXPECT_EQ(RoundInt(2147483646.5), 2147483646);
    EXPECT_EQ(RoundInt(2147483647.5), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundInt(-2147483648.5), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RoundInt(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RoundInt(-3.5), -4);
}

} // namespace
