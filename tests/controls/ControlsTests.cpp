// The view controls: stretching the visible part and bitmaps seen through QImage.
#include <gtest/gtest.h>

#include "support/GuiTestApp.h"
#include "controls/BitmapImage.h"
#include "controls/BitmapStretch.h"

namespace {

TEST(BitmapStretch, EveryPixelShowsTheNearestSourcePixelBelowIt)
{
    TBitmap bmp = TestPattern(200, 100);
    struct TCase { int imageW, imageH; QRect area; } cases[] = {
        {400, 200, QRect(300, 0, 50, 10)},  // twice the size, scrolled 300 to the left
        {400, 200, QRect(0, 1, 400, 199)},  // twice the size, repeated rows across bands of rows
        {200, 100, QRect(0, 0, 200, 100)},  // full size
        {60, 30, QRect(5, 7, 40, 20)},      // reduced
        {600, 300, QRect(590, 290, 30, 30)} // clipped at the image's edge
    };
    for (const TCase& c : cases) {
        QImage part = StretchVisiblePart(bmp, c.imageW, c.imageH, c.area);
        QRect clipped = c.area.intersected(QRect(0, 0, c.imageW, c.imageH));
        ASSERT_EQ(part.size(), clipped.size());
        for (int y = 0; y < part.height(); y += 3)
            for (int x = 0; x < part.width(); x += 3) {
                int sx = (clipped.left() + x) * 200 / c.imageW, sy = (clipped.top() + y) * 100 / c.imageH;
                ASSERT_EQ(part.pixelColor(x, y), QColor((sx + sy) % 256, sy, sx % 256))
                    << c.imageW << " " << x << "," << y;
            }
    }
    EXPECT_TRUE(StretchVisiblePart(bmp, 400, 200, QRect(500, 0, 10, 10)).isNull());
}

// The 1-, 8-, 24- and 32-bit depths are wrapped without copying.
TEST(BitmapStretch, EveryDepthShowsTheColoursOfItsConversionAndPastAShortPaletteBlack)
{
    const std::vector<TRGBQuad> shortPal = {{0, 0, 255, 0}, {0, 255, 0, 0}};
    for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
                           TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        const int bits = TBitmap::BitsPerPixel(f);
        TBitmap bmp(13, 5, f);
        for (int y = 0; y < 5; ++y)
            for (size_t i = 0; i < size_t(TBitmap::RowBytes(13, bits)); ++i)
                bmp.ScanLine(y)[i] = uint8_t(i * 37 + y * 11);
        if (bits <= 8) bmp.SetPalette(shortPal);
        const TBitmap ref = bmp.To24();
        const QRect area(3, 1, 20, 8);
        EXPECT_EQ(StretchVisiblePart(bmp, 26, 10, area), StretchVisiblePart(ref, 26, 10, area)) << int(f);
        EXPECT_EQ(BitmapAsQImage(bmp).convertToFormat(QImage::Format_RGB32),
                  BitmapAsQImage(ref).convertToFormat(QImage::Format_RGB32)) << int(f);
        const bool wrapped = bits == 1 || bits == 8 || bits >= 24;
        EXPECT_TRUE(!wrapped || BitmapAsQImage(bmp).constBits() == bmp.Bits()) << int(f);
    }
}

} // namespace
