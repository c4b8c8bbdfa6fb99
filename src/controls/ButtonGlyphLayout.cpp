#include "controls/ButtonGlyphLayout.h"

#include <algorithm>

namespace {
bool HasGlyph(const TGlyphLayoutInput& in) { return in.Glyph.X > 0 && in.Glyph.Y > 0; }
bool HasCaption(const TGlyphLayoutInput& in) { return in.Caption.X > 0 && in.Caption.Y > 0; }
bool IsVertical(const TGlyphLayoutInput& in)
{
    return HasGlyph(in) && (in.Layout == TButtonLayout::blGlyphTop || in.Layout == TButtonLayout::blGlyphBottom);
}
} // namespace

int CaptionRoomWidth(const TGlyphLayoutInput& in)
{
    int room = in.RoomWidth;
    if (!IsVertical(in)) room -= in.Arrow.X;
    if (in.WordWrap) {
        if (HasGlyph(in)) room -= in.Glyph.X + (in.Margin == -1 ? 4 : in.Margin);
        const int gap = in.Spacing != -1 ? in.Spacing : in.Margin != -1 ? in.Margin : 4;
        room -= 2 * gap;
    }
    return std::max(room, 0);
}

TGlyphLayoutResult LayOutGlyph(const TGlyphLayoutInput& in)
{
    const bool glyph = HasGlyph(in), caption = HasCaption(in);
    const TPoint g = glyph ? in.Glyph : TPoint{};
    const TPoint t = caption ? in.Caption : TPoint{};
    const TPoint a = in.Arrow;
    TButtonLayout layout = in.Layout;
    const bool vertical = IsVertical(in);
    if (!vertical && layout != TButtonLayout::blGlyphRight) layout = TButtonLayout::blGlyphLeft;

    TGlyphLayoutResult r;
    TPoint tp;
    // Across the layout direction each part is centred on its own.
    if (vertical) {
        r.GlyphPos.X = (in.RoomWidth - g.X - a.X + 1) / 2;
        tp.X = (in.RoomWidth - t.X + 1) / 2;
    } else {
        r.GlyphPos.Y = (in.RoomHeight - g.Y + 1) / 2;
        tp.Y = (in.RoomHeight - t.Y + 1) / 2;
    }
    // Along it, margin and spacing share out the room.
    const int room = vertical ? in.RoomHeight : in.RoomWidth - a.X;
    const int glyphLen = vertical ? g.Y : g.X;
    const int textLen = vertical ? t.Y : t.X;
    int margin = in.Margin, spacing = in.Spacing;
    if (!glyph || !caption) spacing = 0;
    if (margin == -1 && spacing == -1) {
        spacing = margin = (room - glyphLen - textLen) / 3;
    } else if (margin == -1) {
        margin = (room - (glyphLen + spacing + textLen) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (room - (margin + glyphLen + textLen)) / 2;
    }
    switch (layout) {
    case TButtonLayout::blGlyphLeft:
        r.GlyphPos.X = margin;
        tp.X = margin + g.X + spacing;
        r.ArrowPos.X = tp.X + t.X;
        break;
    case TButtonLayout::blGlyphRight:
        r.ArrowPos.X = in.RoomWidth - margin - a.X;
        r.GlyphPos.X = r.ArrowPos.X - g.X;
        tp.X = r.GlyphPos.X - spacing - t.X;
        break;
    case TButtonLayout::blGlyphTop:
        r.GlyphPos.Y = margin;
        tp.Y = margin + g.Y + spacing;
        r.ArrowPos.X = r.GlyphPos.X + g.X;
        break;
    case TButtonLayout::blGlyphBottom:
        r.GlyphPos.Y = in.RoomHeight - margin - g.Y;
        tp.Y = r.GlyphPos.Y - spacing - t.Y;
        r.ArrowPos.X = r.GlyphPos.X + g.X;
        break;
    }
    r.ArrowPos.X += 1;
    r.ArrowPos.Y = glyph ? r.GlyphPos.Y + (g.Y - a.Y) / 2 : tp.Y + (t.Y - a.Y) / 2;
    r.TextBounds = Rect(tp.X, tp.Y, tp.X + t.X, tp.Y + t.Y);
    return r;
}

int NumGlyphsOf(int width, int height)
{
    if (width <= 0 || height <= 0 || width % height != 0) return 1;
    const int n = width / height;
    return n >= 1 && n <= 5 ? n : 1;
}

int ClampNumGlyphs(int value) { return std::clamp(value, 1, 5); }
int ClampArrowWidth(int value) { return std::max(value, 7); }
