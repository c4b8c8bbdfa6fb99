#pragma once
// The colour arithmetic of the painted menus, free of Qt: colours are 0x00BBGGRR values (red in the
// low byte), bitmaps 24-bit platform bitmaps (blue, green, red).
#include <cstdint>

#include "platform/Bitmap.h"

using TColorRef = uint32_t;

constexpr TColorRef RGBRef(int r, int g, int b)
{
    return TColorRef(r & 0xFF) | (TColorRef(g & 0xFF) << 8) | (TColorRef(b & 0xFF) << 16);
}
constexpr int RedOf(TColorRef c) { return int(c & 0xFF); }
constexpr int GreenOf(TColorRef c) { return int((c >> 8) & 0xFF); }
constexpr int BlueOf(TColorRef c) { return int((c >> 16) & 0xFF); }

// A blend towards white: each channel c becomes c + (255 - c) x value / 100, rounded; value is
// capped at 100.
TColorRef NewColor(TColorRef colour, int value);
// Red and blue darkened by value, green by value - 2, each clamped to 0..255.
TColorRef GetShadeColor(TColorRef colour, int value);
// The text colour on a selection of the given colour: a light tint of it on dark selections, the
// font colour on light ones.
TColorRef GetSelectedTextColor(TColorRef colour, TColorRef fontColour);

// Every pixel of a 24-bit bitmap becomes grey: (R + G + B) div 3 + value, at most 240.
void GrayBitmap(TBitmap& bitmap, int value);
// Every channel lightened: (c x (100 - value) + value x 255) div 100.
void DimBitmap(TBitmap& bitmap, int value);
// Every pixel of the bitmap that differs from its bottom-left pixel sets the canvas pixel at
// (x + column, y + row) to the colour; pixels outside the canvas are skipped.
void DrawBitmapShadow(const TBitmap& bitmap, TBitmap& canvas, int x, int y, TColorRef colour);

// The system colours the working colours are made of.
struct TMenuSystemColors {
    TColorRef ButtonFace = RGBRef(192, 192, 192);
    TColorRef ButtonShadow = RGBRef(128, 128, 128);
    TColorRef Highlight = RGBRef(0, 0, 128);
    TColorRef FontColor = RGBRef(0, 0, 0); // the menu font's own colour
};

// The painter's colour properties and switches that the working colours depend on.
struct TMenuColorSettings {
    TColorRef Color = 0, IconBackColor = 0, MenuBarColor = 0, CheckedColor = 0, SeparatorColor = 0;
    TColorRef SelectBorderColor = 0, SelectColor = 0, DisabledColor = 0, SelectFontColor = 0;
    bool UseSystemColors = true;
    bool UseDimColor = false;
};

// The colours the items are painted with.
struct TMenuColors {
    bool HighColor = true; // the display has 16 or more bits per pixel
    TColorRef ItemBack = 0, IconBack = 0, SelectFill = 0, SelectBorder = 0, SelectedText = 0;
    TColorRef CheckFill1 = 0, CheckFill2 = 0; // check-mark box: not selected, selected
    TColorRef Bar = 0, Disabled = 0, Checked = 0, Separator = 0, Frame = 0, Shadow = 0;
};

TMenuColors SetGlobalColor(const TMenuColorSettings& settings, const TMenuSystemColors& system, int displayDepth);
