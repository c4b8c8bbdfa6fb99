// The colour arithmetic of the painted menus, with every expected value worked out by hand.
#include <gtest/gtest.h>

#include "controls/MenuColors.h"

namespace {

TEST(MenuColors, NewColorBlendsTowardsWhiteWithTiesToEven)
{
    struct TCase { TColorRef in; int value; TColorRef out; } cases[] = {
        {RGBRef(10, 100, 200), 100, RGBRef(255, 255, 255)},
        {RGBRef(10, 100, 200), 150, RGBRef(255, 255, 255)}, // capped at 100
        {RGBRef(10, 100, 200), 0, RGBRef(10, 100, 200)},
        {RGBRef(0, 0, 0), 30, RGBRef(76, 76, 76)},         // 76.5 goes down to the even 76
        {RGBRef(0, 0, 0), 10, RGBRef(26, 26, 26)},         // 25.5 goes up to the even 26
        {RGBRef(0, 0, 128), 50, RGBRef(128, 128, 192)},    // 127.5 -> 128, 191.5 -> 192
        {RGBRef(0, 0, 128), 68, RGBRef(173, 173, 214)},    // 173.4, 214.36
    };
    for (const TCase& c : cases) EXPECT_EQ(NewColor(c.in, c.value), c.out) << c.value;
}

TEST(MenuColors, ShadeAndSelectedTextColours)
{
    EXPECT_EQ(GetShadeColor(0x808080, 90), RGBRef(38, 40, 38));
    EXPECT_EQ(GetShadeColor(RGBRef(10, 255, 30), 20), RGBRef(0, 237, 10));   // clamped at 0
    EXPECT_EQ(GetShadeColor(RGBRef(250, 254, 10), -10), RGBRef(255, 255, 20)); // clamped at 255
    // A dark selection gets a light tint of itself: 229.5 -> 230, 128 + 114.3 -> 242.
    EXPECT_EQ(GetSelectedTextColor(RGBRef(0, 0, 128), RGBRef(1, 2, 3)), RGBRef(230, 230, 242));
    EXPECT_EQ(GetSelectedTextColor(RGBRef(200, 100, 200), RGBRef(1, 2, 3)), RGBRef(1, 2, 3)); // red+blue average 200
    EXPECT_EQ(GetSelectedTextColor(RGBRef(0, 210, 0), RGBRef(1, 2, 3)), RGBRef(1, 2, 3));     // green 210
    // The literals hold blue in the high byte.
    EXPECT_EQ(TColorRef(0xD6ADAD), RGBRef(173, 173, 214));
}

TMenuSystemColors Classic()
{
    TMenuSystemColors s;
    s.ButtonFace = RGBRef(192, 192, 192);
    s.ButtonShadow = RGBRef(128, 128, 128);
    s.Highlight = RGBRef(0, 0, 128);
    s.FontColor = RGBRef(0, 0, 0);
    return s;
}

TMenuColorSettings Props()
{
    TMenuColorSettings p;
    p.Color = RGBRef(1, 1, 1);
    p.IconBackColor = RGBRef(2, 2, 2);
    p.MenuBarColor = RGBRef(3, 3, 3);
    p.CheckedColor = RGBRef(4, 4, 4);
    p.SeparatorColor = RGBRef(5, 5, 5);
    p.SelectBorderColor = RGBRef(6, 6, 6);
    p.SelectColor = RGBRef(0, 0, 100);
    p.DisabledColor = RGBRef(8, 8, 8);
    p.SelectFontColor = RGBRef(9, 9, 9);
    return p;
}

TEST(MenuColors, WorkingColoursFromTheClassicSystemColours)
{
    const TMenuColors c = SetGlobalColor(Props(), Classic(), 24);
    EXPECT_TRUE(c.HighColor);
    EXPECT_EQ(c.ItemBack, RGBRef(246, 246, 246));   // 192 + 54.18
    EXPECT_EQ(c.IconBack, TColorRef(0xDADADA));      // 202 comes out as 0xCACACA and is replaced
    EXPECT_EQ(c.SelectFill, RGBRef(198, 211, 239));  // 173, 173, 214 is replaced
    EXPECT_EQ(c.SelectBorder, RGBRef(0, 0, 128));
    EXPECT_EQ(c.SelectedText, RGBRef(0, 0, 0));
    EXPECT_EQ(c.Bar, RGBRef(192, 192, 192));
    EXPECT_EQ(c.Disabled, RGBRef(141, 141, 141));    // 128 + 12.7
    EXPECT_EQ(c.Separator, RGBRef(160, 160, 160));   // 128 + 31.75
    EXPECT_EQ(c.Checked, RGBRef(0, 0, 128));
    EXPECT_EQ(c.CheckFill1, RGBRef(204, 204, 230));  // 229.6
    EXPECT_EQ(c.CheckFill2, RGBRef(128, 128, 192));
    EXPECT_EQ(c.Frame, RGBRef(102, 104, 102));
    EXPECT_EQ(c.Shadow, RGBRef(116, 118, 116));
}

TEST(MenuColors, WorkingColoursBelowSixteenBitsAndFromTheProperties)
{
    TMenuColors c = SetGlobalColor(Props(), Classic(), 8);
    EXPECT_FALSE(c.HighColor);
    EXPECT_EQ(c.ItemBack, RGBRef(255, 255, 255));
    EXPECT_EQ(c.IconBack, RGBRef(192, 192, 192));
    EXPECT_EQ(c.SelectFill, RGBRef(255, 255, 255));
    EXPECT_EQ(c.Bar, RGBRef(192, 192, 192));
    EXPECT_EQ(c.Disabled, RGBRef(128, 128, 128));
    EXPECT_EQ(c.Separator, RGBRef(128, 128, 128));
    EXPECT_EQ(c.CheckFill1, RGBRef(255, 255, 255));
    EXPECT_EQ(c.CheckFill2, RGBRef(255, 255, 255));
    EXPECT_EQ(c.Frame, RGBRef(128, 128, 128));
    EXPECT_EQ(c.Shadow, RGBRef(128, 128, 128));

    TMenuColorSettings own = Props();
    own.UseSystemColors = false;
    c = SetGlobalColor(own, Classic(), 15);
    EXPECT_EQ(c.ItemBack, RGBRef(1, 1, 1));
    EXPECT_EQ(c.SelectFill, RGBRef(0, 0, 100));
    EXPECT_EQ(c.CheckFill1, RGBRef(255, 255, 255));
    EXPECT_EQ(c.CheckFill2, RGBRef(192, 192, 192));
    EXPECT_EQ(c.SelectedText, RGBRef(9, 9, 9));

    own.UseDimColor = true;
    c = SetGlobalColor(own, Classic(), 16);
    EXPECT_EQ(c.SelectFill, RGBRef(173, 173, 205));  // 173.4; 100 + 105.4
    EXPECT_EQ(c.CheckFill1, RGBRef(204, 204, 224));  // 204; 100 + 124
    EXPECT_EQ(c.CheckFill2, RGBRef(128, 128, 178));  // 127.5 -> 128; 177.5 -> 178
    EXPECT_EQ(c.IconBack, RGBRef(2, 2, 2));
    EXPECT_EQ(c.Separator, RGBRef(5, 5, 5));
}

TBitmap Tiny(std::initializer_list<std::array<uint8_t, 3>> rgbRows, int width)
{
    const int height = int(rgbRows.size()) / width;
    TBitmap b(width, height, TPixelFormat::pf24bit);
    int i = 0;
    for (const auto& px : rgbRows) {
        uint8_t* p = b.ScanLine(i / width) + (i % width) * 3;
        p[0] = px[2];
        p[1] = px[1];
        p[2] = px[0];
        ++i;
    }
    return b;
}

std::array<int, 3> Rgb(const TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + x * 3;
    return {p[2], p[1], p[0]};
}

TEST(MenuColors, GreyDimAndShadowOfATinyBitmap)
{
    TBitmap grey = Tiny({{10, 20, 30}, {250, 250, 250}}, 2);
    GrayBitmap(grey, 10);
    EXPECT_EQ(Rgb(grey, 0, 0), (std::array<int, 3>{30, 30, 30}));    // 60 / 3 + 10
    EXPECT_EQ(Rgb(grey, 1, 0), (std::array<int, 3>{240, 240, 240})); // 260 capped

    TBitmap dim = Tiny({{0, 100, 255}}, 1);
    DimBitmap(dim, 30);
    EXPECT_EQ(Rgb(dim, 0, 0), (std::array<int, 3>{76, 146, 255})); // 76.5 and 146.5 cut down

    // Key: the bottom-left pixel (white); the two red pixels land 2 right and 1 down, one outside.
    TBitmap icon = Tiny({{255, 0, 0}, {255, 255, 255}, {255, 255, 255},
                         {255, 255, 255}, {255, 255, 255}, {255, 0, 0}}, 3);
    TBitmap canvas(4, 3, TPixelFormat::pf24bit);
    DrawBitmapShadow(icon, canvas, 2, 1, RGBRef(1, 2, 3));
    int set = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            if (Rgb(canvas, x, y) == std::array<int, 3>{1, 2, 3}) ++set;
    EXPECT_EQ(set, 1);
    EXPECT_EQ(Rgb(canvas, 2, 1), (std::array<int, 3>{1, 2, 3}));
}

} // namespace
