// Selection areas at their size limit: an area must span three view pixels both ways, drawn in
// either direction.
#include <gtest/gtest.h>

#include "workspace/SelectionMath.h"
#include "workspace/ViewMath.h"

namespace {

TEST(SelectionMath, AreasNarrowerThanThreePixelsAreTooSmall)
{
    const TZoomScales s = CalcZoomScales(100, 1000, 1000);
    struct { int x0, y0, x1, y1; bool tooSmall; } const cases[] = {
        {10, 10, 10, 10, true}, {10, 10, 12, 40, true}, {10, 10, 40, 8, true}, {10, 10, 13, 13, false},
        {40, 40, 10, 10, false}};
    auto at = [&](int x, int y) { return ViewToMillionths(x, y, s); };
    for (const auto& c : cases)
        EXPECT_EQ(SelectionTooSmall(at(c.x0, c.y0), at(c.x1, c.y1), s), c.tooSmall) << c.x1 << "," << c.y1;
}

} // namespace
