#include <gtest/gtest.h>

#include <tuple>

#include "codec/BitmapHelpers.h"

namespace {
TBitmap Filled(int w, int h, TPixelFormat f, uint8_t v)
{
    TBitmap b(w, h, f);
    for (int y = 0; y < h; ++y) std::fill_n(b.ScanLine(y), b.Stride(), v);
    return b;
}
} // namespace

TEST(BitmapHelpers, CloneCopyAndBlendWorkOnTheCommonArea)
{
    TBitmap pal(7, 5, TPixelFormat::pf8bit);
    pal.SetPalette({TRGBQuad{1, 2, 3, 0}, TRGBQuad{4, 5, 6, 0}});
    pal.ScanLine(0)[0] = 9;
    const TBitmap c = CloneBitmapFormat(pal);
    EXPECT_EQ(std::tuple(c.Width(), c.Height(), c.PixelFormat(), c.ScanLine(0)[0]), std::tuple(7, 5, TPixelFormat::pf8bit, 0));
    EXPECT_EQ(c.Palette(), pal.Palette());

    const TBitmap src = Filled(5, 4, TPixelFormat::pf24bit, 77);
    TBitmap big = Filled(9, 6, TPixelFormat::pf24bit, 1), small = Filled(2, 2, TPixelFormat::pf24bit, 1);
    TBitmap other = Filled(5, 4, TPixelFormat::pf32bit, 1);
    EXPECT_TRUE(CopyBitmapBits(src, big));
    EXPECT_EQ(std::tuple(big.ScanLine(3)[14], big.ScanLine(3)[15], big.ScanLine(4)[0]), std::tuple(77, 1, 1));
    EXPECT_TRUE(CopyBitmapBits(src, small));
    EXPECT_EQ(small.ScanLine(1)[5], 77);
    EXPECT_FALSE(CopyBitmapBits(src, other)); // formats differ: nothing is copied
    EXPECT_EQ(other.ScanLine(0)[0], 1);

    // Packed formats: the pixels of the last, shared byte beyond the common width stay as they were.
    struct TCase { TPixelFormat Format; int SrcWidth; uint8_t Want; }; // byte 0 of a 0xFF row after a 0x00 copy
    for (TCase c : {TCase{TPixelFormat::pf1bit, 3, 0x1F}, TCase{TPixelFormat::pf4bit, 1, 0x0F}, TCase{TPixelFormat::pf1bit, 8, 0x00}}) {
        const TBitmap zero = Filled(c.SrcWidth, 2, c.Format, 0x00);
        TBitmap copied = Filled(16, 2, c.Format, 0xFF), blended = Filled(16, 2, c.Format, 0xFF);
        EXPECT_TRUE(CopyBitmapBits(zero, copied));
        EXPECT_TRUE(BlendBitmaps(blended, &zero, &zero, 100));
        EXPECT_EQ(std::tuple(copied.ScanLine(1)[0], copied.ScanLine(1)[1], blended.ScanLine(1)[0]), std::tuple(c.Want, 0xFF, c.Want))
            << c.SrcWidth;
    }
    // Halves round to even; the percent's sign is ignored and it is capped at 100.
    for (auto [A, B, percent, want] : {std::tuple(1, 0, 50, 0), {3, 0, 50, 2}, {200, 100, 25, 125}, {10, 20, -150, 10},
                                       {10, 20, 0, 20}, {255, 0, 100, 255}, {0, 255, INT32_MIN, 0}}) {
        const TBitmap a = Filled(3, 2, TPixelFormat::pf24bit, uint8_t(A)), b = Filled(3, 2, TPixelFormat::pf24bit, uint8_t(B));
        TBitmap d(3, 2, TPixelFormat::pf24bit);
        EXPECT_TRUE(BlendBitmaps(d, &a, &b, percent));
        EXPECT_EQ(d.ScanLine(1)[8], want) << A << " " << B << " " << percent;
    }
    // Missing A, or formats that differ: nothing happens. Sizes that differ: the common area.
    const TBitmap a = Filled(3, 2, TPixelFormat::pf24bit, 100), b6 = Filled(6, 1, TPixelFormat::pf24bit, 0);
    const TBitmap grey = Filled(3, 2, TPixelFormat::pf8bit, 0);
    TBitmap d = Filled(4, 4, TPixelFormat::pf24bit, 9);
    EXPECT_FALSE(BlendBitmaps(d, nullptr, &b6, 50));
    EXPECT_FALSE(BlendBitmaps(d, &a, &grey, 50));
    EXPECT_EQ(d.ScanLine(0)[0], 9);
    EXPECT_TRUE(BlendBitmaps(d, &a, &b6, 50));
    EXPECT_EQ(std::tuple(d.ScanLine(0)[8], d.ScanLine(0)[9], d.ScanLine(1)[0]), std::tuple(50, 9, 9));
}
