// The distance between two tick counts across the 32-bit wrap.
#include <cstdint>

#include <gtest/gtest.h>

#include "platform/TickCount.h"

namespace {

TEST(TickDistance, SignedDifferenceStaysSmallAcrossTheWrap)
{
    struct TCase
    {
        uint32_t A, B;
        int64_t Expected;
    };
    const TCase cases[] = {
        {1000, 400, 600},
        {400, 1000, 600},
        {5, 0xFFFFFFF0u, 21}, // the counter wrapped between the two readings
        {0xFFFFFFF0u, 5, 21},
        {0x80000000u, 0, 0x80000000LL}, // the farthest apart: no overflow
        {7, 7, 0},
    };
    for (const TCase& c : cases) EXPECT_EQ(TickDistance(c.A, c.B), c.Expected) << c.A << " " << c.B;
}

} // namespace
