#pragma once
// Where a toolbar button puts its glyph, caption and drop-down arrow inside its content rectangle,
// as plain numbers: sizes in, positions relative to the content rectangle's top-left out. The
// caption is measured by the caller in the width CaptionRoomWidth gives.
#include "platform/Geometry.h"

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TGlyphLayoutInput
{
    int RoomWidth = 0, RoomHeight = 0; // the content rectangle
    TPoint Glyph;                      // glyph size; a zero width or height means no glyph
    TPoint Caption;                    // measured caption size; zero when there is none
    TPoint Arrow;                      // (arrow width, 3) when an arrow follows the content, else (0, 0)
    TButtonLayout Layout = TButtonLayout::blGlyphLeft;
    int Margin = -1;  // -1 centres
    int Spacing = 4;  // -1 spreads
    bool WordWrap = false;
};

struct TGlyphLayoutResult
{
    TPoint GlyphPos;
    TRect TextBounds;
    TPoint ArrowPos; // top-left of the arrow area (arrow width × 3)
    bool operator==(const TGlyphLayoutResult&) const = default;
};

// The width the caption may take: the room less the arrow; with word wrap also less the glyph and
// its margin, and twice the spacing.
int CaptionRoomWidth(const TGlyphLayoutInput& in);
TGlyphLayoutResult LayOutGlyph(const TGlyphLayoutInput& in);

// The cell count of a glyph strip: width / height when that divides evenly and is at most 5,
// else 1 (an empty strip too).
int NumGlyphsOf(int width, int height);
// A requested cell count kept to 1..5.
int ClampNumGlyphs(int value);
// A drop-down arrow area is at least 7 pixels wide.
int ClampArrowWidth(int value);
