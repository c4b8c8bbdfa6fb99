#include <gtest/gtest.h>

#include <tuple>

#include "codec/BitmapHelpers.h"

namespace {
TBitmap Filled(int w, int h, TPixelFormat f, uint8_t v)
{
    TBitmap b(w, h, f);
    for (int y = 0; y < h; ++y)
        for (size_t i = 0; i < b.Stride(); ++i)
            b.ScanLine(y)[i] = v;
    return b;
}
} // namespace

TEST(BitmapHelpers, CloneBitmapFormat)
{
    TBitmap src(7, 5, TPixelFormat::pf8bit);
    src.SetPalette({TRGBQuad{1, 2, 3, 0}, TRGBQuad{4, 5, 6, 0}});
    src.ScanLine(0)[0] = 9;
    const TBitmap c = CloneBitmapFormat(src);
    EXPECT_EQ(std::tuple(c.Width(), c.Height(), c.PixelFormat()), std::tuple(7, 5, TPixelFormat::pf8bit));
    EXPECT_EQ(c.Palette(), src.Palette());
    EXPECT_EQ(c.ScanLine(0)[0], 0);
}

// Bitmaps of different sizes share their common area; different formats copy nothing.
TEST(BitmapHelpers, CopyBitmapBitsCommonArea)
{
    const TBitmap src = Filled(5, 4, TPixelFormat::pf24bit, 77);
    TBitmap big = Filled(9, 6, TPixelFormat::pf24bit, 1);
    EXPECT_TRUE(CopyBitmapBits(src, big));
    EXPECT_EQ(big.ScanLine(3)[14], 77);
    EXPECT_EQ(big.ScanLine(3)[15], 1);
    EXPECT_EQ(big.ScanLine(4)[0], 1);
    TBitmap small = Filled(2, 2, TPixelFormat::pf24bit, 1);
    EXPECT_TRUE(CopyBitmapBits(src, small));
    EXPECT_EQ(small.ScanLine(1)[5], 77);
    TBitmap other = Filled(5, 4, TPixelFormat::pf32bit, 1);
    EXPECT_FALSE(CopyBitmapBits(src, other));
    EXPECT_EQ(other.ScanLine(0)[0], 1);

    // Packed formats: the pixels of the last, shared byte beyond the common width stay as they were.
    struct PackedCase { TPixelFormat format; int srcWidth; uint8_t want; }; // want: byte 0 of a 0xFF row after a 0x00 copy
    for (PackedCase c : {PackedCase{TPixelFormat::pf1bit, 3, 0x1F}, PackedCase{TPixelFormat::pf4bit, 1, 0x0F},
                         PackedCase{TPixelFormat::pf1bit, 8, 0x00}}) {
        const TBitmap zero = Filled(c.srcWidth, 2, c.format, 0x00);
        TBitmap ones = Filled(16, 2, c.format, 0xFF);
        EXPECT_TRUE(CopyBitmapBits(zero, ones));
        EXPECT_EQ(ones.ScanLine(1)[0], c.want) << c.srcWidth;
        EXPECT_EQ(ones.ScanLine(1)[1], 0xFF);
        TBitmap blended = Filled(16, 2, c.format, 0xFF);
        EXPECT_TRUE(BlendBitmaps(blended, &zero, &zero, 100));
        EXPECT_EQ(blended.ScanLine(1)[0], c.want) << c.srcWidth;
    }
}

TEST(BitmapHelpers, BlendBitmaps)
{
    struct Case { uint8_t a, b; int percent; uint8_t want; };
    // Halves round to even; the percent's sign is ignored and it is capped at 100.
    const Case cases[] = {{1, 0, 50, 0},   {3, 0, 50, 2},      {200, 100, 25, 125},   {10, 20, -150, 10},
                          {10, 20, 0, 20}, {255, 0, 100, 255}, {0, 255, INT32_MIN, 0}};
    for (Case c : cases) {
        const TBitmap a = Filled(3, 2, TPixelFormat::pf24bit, c.a);
        const TBitmap b = Filled(3, 2, TPixelFormat::pf24bit, c.b);
        TBitmap d(3, 2, TPixelFormat::pf24bit);
        EXPECT_TRUE(BlendBitmaps(d, &a, &b, c.percent));
        EXPECT_EQ(d.ScanLine(1)[8], c.want) << int(c.a) << " " << int(c.b) << " " << c.percent;
    }
    // Missing A, or formats that differ: nothing happens. Sizes that differ: the common area.
    const TBitmap a = Filled(3, 2, TPixelFormat::pf24bit, 100);
    const TBitmap b = Filled(6, 1, TPixelFormat::pf24bit, 0);
    TBitmap d = Filled(4, 4, TPixelFormat::pf24bit, 9);
    EXPECT_FALSE(BlendBitmaps(d, nullptr, &b, 50));
    const TBitmap grey = Filled(3, 2, TPixelFormat::pf8bit, 0);
    EXPECT_FALSE(BlendBitmaps(d, &a, &grey, 50));
    EXPECT_EQ(d.ScanLine(0)[0], 9);
    EXPECT_TRUE(BlendBitmaps(d, &a, &b, 50));
    EXPECT_EQ(d.ScanLine(0)[8], 50);
    EXPECT_EQ(d.ScanLine(0)[9], 9);
    EXPECT_EQ(d.ScanLine(1)[0], 9);
}
