#include "controls/MenuColors.h"

#include <algorithm>

#include "platform/Round.h"

namespace {

int Clamp255(int v) { return std::clamp(v, 0, 255); }

int BlendChannel(int c, int value) { return int(RoundRatio(int64_t(c) * 100 + int64_t(255 - c) * value, 100)); }

} // namespace

TColorRef NewColor(TColorRef colour, int value)
{
    value = std::clamp(value, 0, 100);
    return RGBRef(BlendChannel(RedOf(colour), value), BlendChannel(GreenOf(colour), value),
                  BlendChannel(BlueOf(colour), value));
}

TColorRef GetShadeColor(TColorRef colour, int value)
{
    return RGBRef(Clamp255(RedOf(colour) - value), Clamp255(GreenOf(colour) - value + 2),
                  Clamp255(BlueOf(colour) - value));
}

TColorRef GetSelectedTextColor(TColorRef colour, TColorRef fontColour)
{
    if ((RedOf(colour) + BlueOf(colour)) / 2 < 151 && GreenOf(colour) < 201) return NewColor(colour, 90);
    return fontColour;
}

void GrayBitmap(TBitmap& bitmap, int value)
{
    if (bitmap.PixelFormat() != TPixelFormat::pf24bit) return;
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
            const int grey = std::min((p[0] + p[1] + p[2]) / 3 + value, 240);
            p[0] = p[1] = p[2] = uint8_t(std::max(grey, 0));
        }
    }
}

void DimBitmap(TBitmap& bitmap, int value)
{
    if (bitmap.PixelFormat() != TPixelFormat::pf24bit) return;
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* p = bitmap.ScanLine(y);
        for (int i = 0; i < bitmap.Width() * 3; ++i) p[i] = uint8_t(Clamp255((p[i] * (100 - value) + value * 255) / 100));
    }
}

void DrawBitmapShadow(const TBitmap& bitmap, TBitmap& canvas, int x, int y, TColorRef colour)
{
    if (bitmap.PixelFormat() != TPixelFormat::pf24bit || canvas.PixelFormat() != TPixelFormat::pf24bit ||
        bitmap.Empty())
        return;
    const uint8_t* key = bitmap.ScanLine(bitmap.Height() - 1);
    for (int row = 0; row < bitmap.Height(); ++row) {
        const int cy = y + row;
        if (cy < 0 || cy >= canvas.Height()) continue;
        const uint8_t* s = bitmap.ScanLine(row);
        uint8_t* d = canvas.ScanLine(cy);
        for (int col = 0; col < bitmap.Width(); ++col) {
            const int cx = x + col;
            if (cx < 0 || cx >= canvas.Width()) continue;
            const uint8_t* sp = s + col * 3;
            if (sp[0] == key[0] && sp[1] == key[1] && sp[2] == key[2]) continue;
            uint8_t* dp = d + cx * 3;
            dp[0] = uint8_t(BlueOf(colour));
            dp[1] = uint8_t(GreenOf(colour));
            dp[2] = uint8_t(RedOf(colour));
        }
    }
}

TMenuColors SetGlobalColor(const TMenuColorSettings& s, const TMenuSystemColors& sys, int displayDepth)
{
    TMenuColors c;
    c.HighColor = displayDepth >= 16;
    c.ItemBack = s.Color;
    c.IconBack = s.IconBackColor;
    c.SelectBorder = s.SelectBorderColor;
    c.SelectedText = s.SelectFontColor;
    c.Bar = s.MenuBarColor;
    c.Disabled = s.DisabledColor;
    c.Checked = s.CheckedColor;
    c.Separator = s.SeparatorColor;
    if (c.HighColor) {
        if (s.UseDimColor) {
            c.SelectFill = NewColor(s.SelectColor, 68);
            c.CheckFill1 = NewColor(s.SelectColor, 80);
            c.CheckFill2 = NewColor(s.SelectColor, 50);
        } else {
            c.SelectFill = c.CheckFill1 = c.CheckFill2 = s.SelectColor;
        }
        c.Frame = GetShadeColor(sys.ButtonFace, 90);
        c.Shadow = GetShadeColor(sys.ButtonFace, 76);
    } else {
        c.SelectFill = s.SelectColor;
        c.CheckFill1 = RGBRef(255, 255, 255);
        c.CheckFill2 = RGBRef(192, 192, 192);
        c.Frame = c.Shadow = sys.ButtonShadow;
    }
    if (!s.UseSystemColors) return c;

    c.SelectedText = sys.FontColor;
    if (c.HighColor) {
        c.ItemBack = NewColor(sys.ButtonFace, 86);
        c.IconBack = NewColor(sys.ButtonFace, 16);
        if (c.IconBack == 0xCACACA) c.IconBack = 0xDADADA;
        c.SelectFill = NewColor(sys.Highlight, 68);
        if (c.SelectFill == 0xD6ADAD) c.SelectFill = 0xEFD3C6;
        c.SelectBorder = sys.Highlight;
        c.Bar = sys.ButtonFace;
        c.Disabled = NewColor(sys.ButtonShadow, 10);
        c.Separator = NewColor(sys.ButtonShadow, 25);
        c.Checked = sys.Highlight;
        c.CheckFill1 = NewColor(sys.Highlight, 80);
        c.CheckFill2 = NewColor(sys.Highlight, 50);
    } else {
        c.ItemBack = RGBRef(255, 255, 255);
        c.IconBack = sys.ButtonFace;
        c.SelectFill = RGBRef(255, 255, 255);
        c.SelectBorder = sys.Highlight;
        c.Bar = c.IconBack;
        c.Disabled = c.Separator = sys.ButtonShadow;
        c.Checked = sys.Highlight;
        c.CheckFill1 = c.CheckFill2 = RGBRef(255, 255, 255);
    }
    return c;
}
