// The toolbar arithmetic on plain sizes: lines, wraps, separators, margins, and the sizes a
// floating toolbar snaps to while resized. Every expected number is worked out by hand from 23 × 22
// buttons, 6-pixel separators and the floating margins (4 along each end, 2 above, 1 below).
#include <gtest/gtest.h>

#include "controls/ToolbarLayout.h"

namespace {

TToolbarItem B(int w = 23, int h = 22) { return TToolbarItem{w, h}; }
TToolbarItem S(bool blank = false)
{
    TToolbarItem it;
    it.Separator = true;
    it.Blank = blank;
    it.SizeVert = 4;
    return it;
}
TToolbarItem Hidden() { TToolbarItem it = B(); it.Counts = false; return it; }

struct TLayoutCase
{
    const char* Name;
    std::vector<TToolbarItem> Items;
    bool Floating, Vertical;
    int Wrap;
    int ClientWidth, ClientHeight;
    std::vector<TRect> Bounds; // only the counting items, in order
    std::vector<TSeparatorLine> Lines;
};

TEST(ToolbarLayout, Table)
{
    const TLayoutCase cases[] = {
        {"docked line, never wraps", {B(), B(), B(), S(), B(), B()}, false, false, 50, 121, 22,
         {Rect(0, 0, 23, 22), Rect(23, 0, 46, 22), Rect(46, 0, 69, 22), Rect(69, 0, 75, 22), Rect(75, 0, 98, 22),
          Rect(98, 0, 121, 22)}, {}},
        {"floating, unwrapped", {B(), B(), S(), B()}, true, false, 0, 83, 25,
         {Rect(4, 2, 27, 24), Rect(27, 2, 50, 24), Rect(50, 2, 56, 24), Rect(56, 2, 79, 24)}, {}},
        {"wrap at a separator: line 6 below, separator zeroed", {B(), B(), B(), S(), B(), B()}, true, false, 80,
         83, 53,
         {Rect(4, 2, 27, 24), Rect(27, 2, 50, 24), Rect(50, 2, 73, 24), Rect(73, 2, 73, 24), Rect(4, 30, 27, 52),
          Rect(27, 30, 50, 52)}, {{30, false}}},
        {"a blank separator's line is marked blank", {B(), S(true), B(), B()}, true, false, 40, 37, 75,
         {Rect(4, 2, 27, 24), Rect(27, 2, 27, 24), Rect(4, 30, 27, 52), Rect(4, 52, 27, 74)}, {{30, true}}},
        {"wrap inside a group: no line", {B(), B(), B(), B()}, true, false, 60, 54, 47,
         {Rect(4, 2, 27, 24), Rect(27, 2, 50, 24), Rect(4, 24, 27, 46), Rect(27, 24, 50, 46)}, {}},
        {"narrower than the widest control shows it whole", {B(), B(100, 22)}, true, false, 20, 108, 47,
         {Rect(4, 2, 27, 24), Rect(4, 24, 104, 46)}, {}},
        {"empty docked", {}, false, false, 0, 8, 8, {}, {}},
        {"empty floating", {}, true, false, 0, 16, 11, {}, {}},
        {"only hidden", {Hidden()}, true, false, 0, 16, 11, {}, {}},
        {"hidden buttons take no room", {Hidden(), B(), Hidden(), B()}, false, false, 0, 46, 22,
         {Rect(0, 0, 23, 22), Rect(23, 0, 46, 22)}, {}},
        {"thinner controls centred across", {B(23, 15), B(), B(23, 16)}, false, false, 0, 69, 22,
         {Rect(0, 3, 23, 18), Rect(23, 0, 46, 22), Rect(46, 3, 69, 19)}, {}},
        {"vertical dock: top to bottom, separators take SizeVert", {B(), B(), S(), B(20, 22)}, false, true, 0, 23,
         70, {Rect(0, 0, 23, 22), Rect(0, 22, 23, 44), Rect(0, 44, 23, 48), Rect(1, 48, 21, 70)}, {}},
    };
    for (const TLayoutCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TToolbarLayoutInput in;
        in.Items = c.Items;
        in.Floating = c.Floating;
        in.Vertical = c.Vertical;
        in.WrapWidth = c.Wrap;
        TToolbarLayoutOutput out;
        LayOutToolbar(in, out);
        EXPECT_EQ(out.ClientWidth, c.ClientWidth);
        EXPECT_EQ(out.ClientHeight, c.ClientHeight);
        std::vector<TRect> counted;
        for (size_t i = 0; i < c.Items.size(); ++i)
            if (c.Items[i].Counts) counted.push_back(out.Bounds[i]);
        EXPECT_EQ(counted, c.Bounds);
        EXPECT_EQ(out.Lines, c.Lines);
    }
}

TEST(ToolbarLayout, BarSizeIgnoresSeparatorsAndHiddenControls)
{
    TToolbarItem tallSep = S();
    tallSep.Height = 40;
    TToolbarItem tallHidden = B(30, 40);
    tallHidden.Counts = false;
    const std::vector<TToolbarItem> none;
    const std::vector<TToolbarItem> some = {B(23, 22), tallSep, tallHidden, B(25, 18)};
    EXPECT_EQ(ToolbarBarSize(none, false), 8);
    EXPECT_EQ(ToolbarBarSize(some, false), 22);
    EXPECT_EQ(ToolbarBarSize(some, true), 25);
    const std::vector<TToolbarItem> tiny = {B(3, 4)};
    EXPECT_EQ(ToolbarBarSize(tiny, false), 8);
}

TEST(ToolbarLayout, OutputBuffersAreReusedWithoutGrowing)
{
    const std::vector<TToolbarItem> items = {B(), S(), B(), S(), B()};
    TToolbarLayoutInput in;
    in.Items = items;
    in.Floating = true;
    in.WrapWidth = 30;
    TToolbarLayoutOutput out;
    LayOutToolbar(in, out);
    const TRect* bounds = out.Bounds.data();
    const TSeparatorLine* lines = out.Lines.data();
    EXPECT_EQ(out.Lines.size(), 2u);
    LayOutToolbar(in, out);
    EXPECT_EQ(out.Bounds.data(), bounds);
    EXPECT_EQ(out.Lines.data(), lines);
}

// ---- Snapping ----

// Four buttons floating, worked out by hand with a frame of 8 × 24:
//   unwrapped 100 × 25 -> 108 × 49; wrap 99 gives 3 + 1 (77 × 47), replaced at the same height by
//   wrap 76's 2 + 2 (54 × 47 -> 62 × 71); wrap 53 and below one per line (31 × 91 -> 39 × 115).
TSnapLayout FourButtons(int wrap)
{
    const std::vector<TToolbarItem> items = {B(), B(), B(), B()};
    TToolbarLayoutInput in;
    in.Items = items;
    in.Floating = true;
    in.WrapWidth = wrap;
    TToolbarLayoutOutput out;
    LayOutToolbar(in, out);
    return {out.ClientWidth, out.ClientHeight, false};
}

TEST(ToolbarSnap, SizesOfFourButtons)
{
    TToolbarSnap snap;
    snap.Begin(TSnapEdge::Right, 8, 24, {108, 49}, FourButtons);
    const std::vector<TSnapSize> want = {{108, 49, 0}, {62, 71, 54}, {39, 115, 31}};
    EXPECT_EQ(snap.Sizes(), want);
    EXPECT_EQ(snap.Tolerance(), 12);

    TToolbarSnap byHeight;
    byHeight.Begin(TSnapEdge::Bottom, 8, 24, {108, 49}, FourButtons);
    const std::vector<TSnapSize> tallestFirst = {{39, 115, 31}, {62, 71, 54}, {108, 49, 0}};
    EXPECT_EQ(byHeight.Sizes(), tallestFirst);
}

TEST(ToolbarSnap, EqualHeightsKeepTheNarrowerAndNothingTwice)
{
    // Every wrap width gives the same two shapes, and 70 × 30 twice at different heights apart.
    int calls = 0;
    TToolbarSnap snap;
    snap.Begin(TSnapEdge::Right, 0, 0, {100, 20}, [&](int wrap) {
        ++calls;
        if (wrap == 0) return TSnapLayout{100, 20};
        if (wrap >= 90) return TSnapLayout{90, 20}; // same height as the unwrapped: replaces it
        if (wrap >= 70) return TSnapLayout{70, 30};
        if (wrap >= 60) return TSnapLayout{60, 40};
        return TSnapLayout{70, 30}; // seen before: not added again
    });
    const std::vector<TSnapSize> want = {{90, 20, 90}, {70, 30, 70}, {60, 40, 60}};
    EXPECT_EQ(snap.Sizes(), want);
    // 99 (90 -> next 89), 89..70 step by what they give: 89 gives 70, 69 gives 60, 59..8 give 70.
    EXPECT_EQ(calls, 1 + 1 + 1 + 1 + (59 - 8 + 1));
}

TEST(ToolbarSnap, ShapesNotOfferedAreLeftOut)
{
    TToolbarSnap snap;
    snap.Begin(TSnapEdge::Right, 0, 0, {100, 20}, [](int wrap) {
        if (wrap == 0) return TSnapLayout{100, 20};
        if (wrap >= 80) return TSnapLayout{80, 30, true, false};
        return TSnapLayout{30, 90, true};
    });
    const std::vector<TSnapSize> want = {{100, 20, 0}, {30, 90, 90}}; // a vertical shape's wrap is its height
    EXPECT_EQ(snap.Sizes(), want);
}

struct TTrackStep
{
    int Asked;     // the width (right edge) or height (bottom edge) the cursor asks for
    int Got;       // the width or height chosen
    int Wrap;
};

TEST(ToolbarSnap, TrackTable)
{
    const auto make = [](TSnapEdge edge, TPoint current) {
        TToolbarSnap snap;
        snap.Begin(edge, 0, 0, current, [](int wrap) {
            if (wrap == 0) return TSnapLayout{100, 25};
            if (wrap >= 95) return TSnapLayout{95, 47};
            return TSnapLayout{60, 69};
        });
        return snap;
    };
    {
        SCOPED_TRACE("tolerance shrinks to one less than the nearest neighbour");
        EXPECT_EQ(make(TSnapEdge::Right, {100, 25}).Tolerance(), 4);
        EXPECT_EQ(make(TSnapEdge::Right, {95, 47}).Tolerance(), 4);
        EXPECT_EQ(make(TSnapEdge::Right, {60, 69}).Tolerance(), 12);
        EXPECT_EQ(make(TSnapEdge::Bottom, {100, 25}).Tolerance(), 12);
    }
    struct TRun
    {
        const char* Name;
        TSnapEdge Edge;
        TPoint Current;
        std::vector<TTrackStep> Steps;
    };
    const TRun runs[] = {
        {"shrinking within the tolerance stays, then steps down", TSnapEdge::Right, {100, 25},
         {{97, 100, 0}, {96, 95, 95}, {80, 60, 60}, {10, 60, 60}}},
        {"growing from the smallest picks the next larger", TSnapEdge::Right, {60, 69},
         {{80, 95, 95}, {96, 100, 0}, {300, 100, 0}}},
        {"a turn back within the tolerance keeps the size", TSnapEdge::Right, {60, 69},
         {{90, 95, 95}, {85, 95, 95}, {80, 60, 60}}},
        {"bottom edge: heights", TSnapEdge::Bottom, {100, 25}, {{30, 25, 0}, {40, 47, 95}, {60, 69, 60}}},
    };
    for (const TRun& run : runs) {
        SCOPED_TRACE(run.Name);
        TToolbarSnap snap = make(run.Edge, run.Current);
        for (const TTrackStep& step : run.Steps) {
            SCOPED_TRACE(step.Asked);
            const bool byWidth = run.Edge == TSnapEdge::Right;
            const TRect asked = byWidth ? Rect(10, 20, 10 + step.Asked, 20 + run.Current.Y)
                                        : Rect(10, 20, 10 + run.Current.X, 20 + step.Asked);
            const TRect got = snap.Track(asked);
            EXPECT_EQ(got.Left, 10);
            EXPECT_EQ(got.Top, 20);
            EXPECT_EQ(byWidth ? got.Width() : got.Height(), step.Got);
            EXPECT_EQ(snap.ChosenWrap(), step.Wrap);
        }
    }
}

TEST(ToolbarSnap, LeftAndTopEdgesKeepTheOppositeEdge)
{
    TToolbarSnap snap;
    snap.Begin(TSnapEdge::Left, 8, 24, {108, 49}, FourButtons);
    EXPECT_EQ(snap.Track(Rect(150, 20, 200, 69)), Rect(161, 20, 200, 135)); // 50 wide asked: 62 is too wide
    TToolbarSnap top;
    top.Begin(TSnapEdge::Top, 8, 24, {108, 49}, FourButtons);
    EXPECT_EQ(top.Track(Rect(0, 100, 108, 200)), Rect(0, 85, 39, 200)); // 100 high asked: grows to 115
}

} // namespace
