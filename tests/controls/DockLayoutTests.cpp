// The dock's row arithmetic on plain numbers: expected bounds are worked out by hand.
#include <gtest/gtest.h>

#include "controls/DockLayout.h"

namespace {

TDockLayoutItem Item(int row, int pos, int length, int bar = 22, bool fullSize = false, bool counts = true)
{
    TDockLayoutItem i;
    i.DockRow = row;
    i.DockPos = pos;
    i.Length = length;
    i.BarSize = bar;
    i.FullSize = fullSize;
    i.Counts = counts;
    return i;
}

struct TLayoutCase
{
    const char* Name;
    std::vector<TDockLayoutItem> Items;
    bool Vertical, LimitToOneRow, Clip;
    int Room;
    std::vector<TRect> Bounds;     // per item
    std::vector<int> Rows, Positions; // per item, after the arrangement
    std::vector<int> RowSizes;
    int Thickness;
};

TEST(DockLayout, RowsFollowTheEdgeRules)
{
    const TRect none{};
    const TLayoutCase cases[] = {
        {"two in a row at 0 and 10: the second follows the first", {Item(0, 0, 50), Item(0, 10, 40)}, false, false, false, 500,
         {Rect(0, 0, 50, 26), Rect(50, 0, 90, 26)}, {0, 0}, {0, 50}, {22}, 26},
        {"beyond the end: shown pulled back, the wish kept", {Item(0, 480, 50)}, false, false, false, 500,
         {Rect(450, 0, 500, 26)}, {0}, {480}, {22}, 26},
        {"beyond the end with clipping: the wish follows", {Item(0, 480, 50)}, false, false, true, 500,
         {Rect(450, 0, 500, 26)}, {0}, {450}, {22}, 26},
        {"a row longer than the dock sticks out at the far end", {Item(0, 0, 300), Item(0, 400, 300)}, false, false, true, 500,
         {Rect(0, 0, 300, 26), Rect(300, 0, 600, 26)}, {0, 0}, {0, 300}, {22}, 26},
        {"a full-size window gets a row of its own, the rest move out",
         {Item(0, 0, 50, 22, true), Item(0, 100, 40), Item(1, 0, 30, 16)}, false, false, false, 500,
         {Rect(0, 0, 500, 26), Rect(100, 26, 140, 52), Rect(0, 52, 30, 72)}, {0, 1, 2}, {0, 100, 0}, {22, 22, 16}, 72},
        {"a row of only hidden windows keeps its index and takes no room",
         {Item(0, 0, 50), Item(1, 0, 50, 30, false, false), Item(2, 0, 50, 10)}, false, false, false, 500,
         {Rect(0, 0, 50, 26), none, Rect(0, 26, 50, 40)}, {0, 1, 2}, {0, 0, 0}, {22, 0, 10}, 40},
        {"unused rows close up", {Item(3, 0, 50), Item(7, 0, 50)}, false, false, false, 500,
         {Rect(0, 0, 50, 26), Rect(0, 26, 50, 52)}, {0, 1}, {0, 0}, {22, 22}, 52},
        {"limited to one row", {Item(2, 0, 50), Item(5, 0, 60)}, false, true, false, 500,
         {Rect(0, 0, 50, 26), Rect(50, 0, 110, 26)}, {0, 0}, {0, 50}, {22}, 26},
        {"a thin bar still makes a row of 8", {Item(0, 5, 50, 3)}, false, false, false, 500,
         {Rect(5, 0, 55, 12)}, {0}, {5}, {8}, 12},
        {"vertical: rows run down, thickness across", {Item(0, 0, 60, 24), Item(1, 300, 60, 20)}, true, false, false, 200,
         {Rect(0, 0, 28, 60), Rect(28, 140, 52, 200)}, {0, 1}, {0, 300}, {24, 20}, 52},
        {"hostile rows and positions are kept in range",
         {Item(-5, -2147483647, 50), Item(2147483647, 99999999, 50)}, false, false, true, 500,
         {Rect(0, 0, 50, 26), Rect(450, 26, 500, 52)}, {0, 1}, {0, 450}, {22, 22}, 52},
        {"equal places keep their order", {Item(0, 0, 50), Item(0, 0, 40)}, false, false, false, 500,
         {Rect(0, 0, 50, 26), Rect(50, 0, 90, 26)}, {0, 0}, {0, 50}, {22}, 26},
        {"nothing visible: no thickness", {Item(0, 0, 50, 22, false, false)}, false, false, false, 500,
         {none}, {0}, {0}, {0}, 0},
    };
    for (const TLayoutCase& c : cases) {
        TDockLayoutInput in;
        in.Items = c.Items;
        in.Vertical = c.Vertical;
        in.LimitToOneRow = c.LimitToOneRow;
        in.ClipPositions = c.Clip;
        in.Room = c.Room;
        const TDockLayoutResult out = ArrangeDockRows(in);
        EXPECT_EQ(out.Bounds, c.Bounds) << c.Name;
        EXPECT_EQ(out.DockRow, c.Rows) << c.Name;
        EXPECT_EQ(out.DockPos, c.Positions) << c.Name;
        EXPECT_EQ(out.RowSizes, c.RowSizes) << c.Name;
        EXPECT_EQ(out.Thickness, c.Thickness) << c.Name;
    }
}

TEST(DockLayout, ListOrderIsByRowThenPositionAndStable)
{
    TDockLayoutInput in;
    in.Room = 1000;
    in.Items = {Item(1, 0, 10), Item(0, 50, 10), Item(0, 50, 10), Item(0, 0, 10)};
    EXPECT_EQ(ArrangeDockRows(in).Order, (std::vector<size_t>{3, 1, 2, 0}));
}

TEST(DockLayout, RowHelpers)
{
    std::vector<int> rows{4, 9, 4, 2};
    RemoveBlankRows(rows);
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 1, 0}));
    InsertRowBefore(rows, 1);
    EXPECT_EQ(rows, (std::vector<int>{2, 3, 2, 0}));
    EXPECT_EQ(GetHighestRow(rows), 3);
    EXPECT_EQ(GetHighestRow({}), -1);
}

TEST(DockLayout, RowOfAPointOpensANewRowWithinFivePixelsOfABoundary)
{
    // Rows 20 and 10 thick take 24 and 14 pixels: boundaries at 0, 24 and 38.
    const std::vector<int> sizes{20, 10};
    struct { int Pos; TRowHit Want; } const cases[] = {
        {-3, {0, true}}, {4, {0, true}}, {5, {0, false}}, {18, {0, false}}, {19, {1, true}}, {24, {1, true}},
        {28, {1, true}}, {29, {1, false}}, {32, {1, false}}, {33, {2, true}}, {42, {2, true}}, {43, {2, false}},
        {5000, {2, false}},
    };
    for (const auto& c : cases) EXPECT_EQ(GetRowOf(sizes, 1, c.Pos), c.Want) << c.Pos;
    // An empty row in the middle takes no room and is never answered.
    EXPECT_EQ(GetRowOf({20, 0, 10}, 2, 30), (TRowHit{2, false}));
    EXPECT_EQ(GetRowOf({}, -1, 100), (TRowHit{0, false}));
    EXPECT_EQ(GetRowAt(sizes, 1, 23), 0);
    EXPECT_EQ(GetRowAt(sizes, 1, 24), 1);
    EXPECT_EQ(GetRowAt(sizes, 1, 38), 2);
}

} // namespace
