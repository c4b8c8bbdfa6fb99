#include <gtest/gtest.h>

#include "platform/TickCount.h"

namespace {

TEST(TickDistance, SignedDifferenceStaysSmallAcrossTheWrap)
{
    // A, B, distance: plain, wrapped between the readings, the farthest apart (no overflow), equal
    const int64_t cases[][3] = {{1000, 400, 600},     {400, 1000, 600}, {5, 0xFFFFFFF0u, 21},
                                {0xFFFFFFF0u, 5, 21}, {1LL << 31, 0, 1LL << 31}, {7, 7, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TickDistance(uint32_t(c[0]), uint32_t(c[1])), c[2]) << c[0] << " " << c[1];
}

} // namespace
