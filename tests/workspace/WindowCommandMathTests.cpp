#include <gtest/gtest.h>

#include "workspace/WindowCommandMath.h"

namespace {

TEST(WindowCommandMath, ZoomStepsFollowTheFractionsBelowAndTheHundredsAbove)
{
    struct
    {
        int from, in, out;
    } rows[] = {
        {25, 33, 20},  // 100/4 -> 100/3 and 100/5
        {33, 50, 25},  // 100/3 -> 100/2 and 100/4
        {50, 100, 33}, // 100/2 -> 100/1 and 100/3
        {100, 200, 50},  {200, 300, 100},
        {10, 11, 9},     // 100/10 -> 100/9 and 100/11 (the window clamps to 10 itself)
        {150, 300, 100}, // 1.5 hundreds round to 2
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ZoomInStep(r.from), r.in) << r.from;
        EXPECT_EQ(ZoomOutStep(r.from), r.out) << r.from;
    }
}

TEST(WindowCommandMath, TilersCoverTheAreaInRowsOrColumns)
{
    // 3 rows over 100 x 31: heights 11, 10, 10.
    std::vector<TRect> rows = TileRows(3, 100, 31);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], Rect(0, 0, 100, 11));
    EXPECT_EQ(rows[1], Rect(0, 11, 100, 21));
    EXPECT_EQ(rows[2], Rect(0, 21, 100, 31));
    // 4 columns over 102 x 50: widths 26, 26, 25, 25.
    std::vector<TRect> cols = TileColumns(4, 102, 50);
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_EQ(cols[0], Rect(0, 0, 26, 50));
    EXPECT_EQ(cols[1], Rect(26, 0, 52, 50));
    EXPECT_EQ(cols[2], Rect(52, 0, 77, 50));
    EXPECT_EQ(cols[3], Rect(77, 0, 102, 50));
    EXPECT_EQ(TileRows(1, 80, 60), std::vector<TRect>{Rect(0, 0, 80, 60)});
    EXPECT_TRUE(TileColumns(0, 80, 60).empty());
}

TEST(WindowCommandMath, MinimisedWindowsLineUpAlongTheBottom)
{
    // Two fit in a row of 250: the third starts a row above.
    std::vector<TRect> r = ArrangeIconRects(3, 100, 30, 250, 200);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], Rect(0, 170, 100, 200));
    EXPECT_EQ(r[1], Rect(100, 170, 200, 200));
    EXPECT_EQ(r[2], Rect(0, 140, 100, 170));
    // A row narrower than one icon still holds one.
    EXPECT_EQ(ArrangeIconRects(2, 100, 30, 50, 100)[1], Rect(0, 40, 100, 70));
}

TEST(WindowCommandMath, SizeUnitItemsSetAndClearTheirBits)
{
    struct
    {
        int options;
        TSizeUnitItem item;
        int expected;
    } rows[] = {
        {0, TSizeUnitItem::KBytes, 4},      {4 | 16, TSizeUnitItem::KBytes, 20},
        {4 | 8, TSizeUnitItem::Bytes, 8},   {16, TSizeUnitItem::Time28k, 8}, // sets 8, clears 16
        {4 | 8, TSizeUnitItem::Time28k, 4}, // the checked item clears its bit
        {8, TSizeUnitItem::Time56k, 16},    {4 | 16, TSizeUnitItem::Time56k, 4},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ToggleSizeUnit(r.options, r.item), r.expected) << r.options;
}

} // namespace
