// Where a toolbar button's glyph, caption and arrow go, worked out by hand for each layout.
#include <gtest/gtest.h>

#include "controls/ButtonGlyphLayout.h"

namespace {

struct TGlyphCase
{
    const char* Name;
    TGlyphLayoutInput In;
    TPoint Glyph;
    TRect Text;
    TPoint Arrow;
};

TGlyphLayoutInput Room(int w, int h, TPoint glyph, TPoint caption, TButtonLayout layout = TButtonLayout::blGlyphLeft,
                       int margin = -1, int spacing = 4, TPoint arrow = {})
{
    TGlyphLayoutInput in;
    in.RoomWidth = w;
    in.RoomHeight = h;
    in.Glyph = glyph;
    in.Caption = caption;
    in.Layout = layout;
    in.Margin = margin;
    in.Spacing = spacing;
    in.Arrow = arrow;
    return in;
}

TEST(ButtonGlyphLayout, Table)
{
    using enum TButtonLayout;
    const TGlyphCase cases[] = {
        // (21 - 16 + 1) / 2 = 3 along, (20 - 16 + 1) / 2 = 2 across; no caption: spacing counts 0.
        {"glyph alone, centred", Room(21, 20, {16, 16}, {}), {3, 2}, Rect(19, 10, 19, 10), {20, 10}},
        // margin (60 - (16 + 4 + 30) + 1) / 2 = 5; caption at 5 + 16 + 4; caption across (20 - 13 + 1) / 2.
        {"glyph left of caption", Room(60, 20, {16, 16}, {30, 13}), {5, 2}, Rect(25, 4, 55, 17), {56, 10}},
        {"glyph right of caption", Room(60, 20, {16, 16}, {30, 13}, blGlyphRight), {39, 2}, Rect(5, 4, 35, 17),
         {56, 10}},
        // across: glyph (40 - 16 + 1) / 2 = 12, caption (40 - 30 + 1) / 2 = 5; along margin (40 - 33 + 1) / 2 = 4.
        {"glyph above caption", Room(40, 40, {16, 16}, {30, 13}, blGlyphTop), {12, 4}, Rect(5, 24, 35, 37), {29, 12}},
        {"glyph below caption", Room(40, 40, {16, 16}, {30, 13}, blGlyphBottom), {12, 20}, Rect(5, 3, 35, 16),
         {29, 28}},
        // a vertical layout without a glyph lays out as glyph-left: margin (40 - 30 + 1) / 2 = 5.
        {"vertical layout without a glyph", Room(40, 40, {}, {30, 13}, blGlyphTop), {5, 20}, Rect(5, 14, 35, 27),
         {36, 20}},
        // margin and spacing both -1: (60 - 16 - 30) / 3 = 4 each.
        {"margin and spacing spread", Room(60, 20, {16, 16}, {30, 13}, blGlyphLeft, -1, -1), {4, 2},
         Rect(24, 4, 54, 17), {55, 10}},
        {"fixed margin", Room(60, 20, {16, 16}, {30, 13}, blGlyphLeft, 2, 3), {2, 2}, Rect(21, 4, 51, 17), {52, 10}},
        // spacing -1 with margin 2: (60 - (2 + 16 + 30)) / 2 = 6.
        {"spacing splits what is left", Room(60, 20, {16, 16}, {30, 13}, blGlyphLeft, 2, -1), {2, 2},
         Rect(24, 4, 54, 17), {55, 10}},
        // arrow of 9: room along 30 - 9 = 21, margin 3; arrow after the glyph, one further right,
        // centred on the glyph: 2 + (16 - 3) / 2 = 8.
        {"drop-down arrow after the glyph", Room(30, 20, {16, 16}, {}, blGlyphLeft, -1, 4, {9, 3}), {3, 2},
         Rect(19, 10, 19, 10), {20, 8}},
        // no glyph: the arrow centres on the caption: 4 + (13 - 3) / 2 = 9.
        {"arrow after a caption", Room(50, 20, {}, {30, 13}, blGlyphLeft, -1, 4, {9, 3}), {6, 10},
         Rect(6, 4, 36, 17), {37, 9}},
    };
    for (const TGlyphCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TGlyphLayoutResult r = LayOutGlyph(c.In);
        EXPECT_EQ(r.GlyphPos, c.Glyph);
        EXPECT_EQ(r.TextBounds, c.Text);
        EXPECT_EQ(r.ArrowPos, c.Arrow);
    }
}

TEST(ButtonGlyphLayout, CaptionRoom)
{
    TGlyphLayoutInput in = Room(60, 20, {16, 16}, {}, TButtonLayout::blGlyphLeft, -1, 4, {9, 3});
    EXPECT_EQ(CaptionRoomWidth(in), 51);
    in.WordWrap = true;
    EXPECT_EQ(CaptionRoomWidth(in), 51 - 20 - 8);
    in.Margin = 2;
    in.Spacing = -1;
    EXPECT_EQ(CaptionRoomWidth(in), 51 - 18 - 4);
    in.Glyph = {};
    in.Margin = -1;
    EXPECT_EQ(CaptionRoomWidth(in), 51 - 8);
    in.RoomWidth = 5;
    EXPECT_EQ(CaptionRoomWidth(in), 0);
}

TEST(ButtonGlyphLayout, CellCountsAndClamps)
{
    struct
    {
        int W, H, Cells;
    } strips[] = {{0, 0, 1}, {16, 0, 1}, {0, 16, 1}, {16, 16, 1}, {64, 16, 4}, {80, 16, 5}, {96, 16, 1}, {50, 16, 1},
                  {32, 16, 2}};
    for (const auto& s : strips) EXPECT_EQ(NumGlyphsOf(s.W, s.H), s.Cells) << s.W << "x" << s.H;
    EXPECT_EQ(ClampNumGlyphs(0), 1);
    EXPECT_EQ(ClampNumGlyphs(7), 5);
    EXPECT_EQ(ClampNumGlyphs(3), 3);
    EXPECT_EQ(ClampArrowWidth(3), 7);
    EXPECT_EQ(ClampArrowWidth(12), 12);
}

} // namespace
