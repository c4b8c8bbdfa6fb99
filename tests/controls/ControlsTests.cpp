// The view controls: stretching the visible part, bitmaps seen through QImage, the scroll box's
// position events, and the small controls.
#include <QApplication>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "app/GuiTestApp.h"
#include "controls/BitmapImage.h"
#include "controls/BitmapStretch.h"
#include "controls/EnhScrollBox.h"
#include "controls/ImageFromList.h"

namespace {

TEST(BitmapStretch, EveryPixelShowsTheNearestSourcePixelBelowIt)
{
    TBitmap bmp = TestPattern(200, 100);
    struct TCase { int imageW, imageH; QRect area; } cases[] = {
        {400, 200, QRect(300, 0, 50, 10)},  // twice the size, scrolled 300 to the left
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
                QColor got = part.pixelColor(x, y);
                ASSERT_EQ(got.blue(), sx % 256) << c.imageW << " " << x << "," << y;
                ASSERT_EQ(got.green(), sy);
                ASSERT_EQ(got.red(), (sx + sy) % 256);
            }
    }
    // Column 0 of a view scrolled to 300 at twice the bitmap's width shows bitmap column 150.
    EXPECT_EQ(StretchVisiblePart(bmp, 400, 200, QRect(300, 0, 1, 1)).pixelColor(0, 0).blue(), 150);
    EXPECT_TRUE(StretchVisiblePart(bmp, 400, 200, QRect(500, 0, 10, 10)).isNull());
}

TEST(BitmapStretch, IndexedAndOtherDepthsGoThroughThePalette)
{
    TBitmap grey(4, 2, TPixelFormat::pf8bit);
    std::vector<TRGBQuad> pal(256);
    for (int i = 0; i < 256; ++i) pal[size_t(i)] = {uint8_t(i), uint8_t(i), uint8_t(255 - i), 0};
    grey.SetPalette(pal);
    grey.ScanLine(1)[3] = 40;
    QImage part = StretchVisiblePart(grey, 8, 4, QRect(0, 0, 8, 4));
    EXPECT_EQ(part.pixelColor(7, 3), QColor(215, 40, 40));
    EXPECT_EQ(part.pixelColor(0, 0), QColor(255, 0, 0));

    // Every depth shows the colours of its 24-bit conversion, indices past a short palette black.
    std::vector<TRGBQuad> shortPal = {{0, 0, 255, 0}, {0, 255, 0, 0}};
    for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
                           TPixelFormat::pf16bit}) {
        for (bool withPalette : {false, true}) {
            TBitmap bmp(13, 5, f);
            for (int y = 0; y < 5; ++y)
                for (size_t i = 0; i < size_t(TBitmap::RowBytes(13, TBitmap::BitsPerPixel(f))); ++i)
                    bmp.ScanLine(y)[i] = uint8_t(i * 37 + y * 11);
            if (withPalette && TBitmap::BitsPerPixel(f) <= 8) bmp.SetPalette(shortPal);
            TBitmap ref = bmp.To24();
            QImage got = StretchVisiblePart(bmp, 26, 10, QRect(3, 1, 20, 8));
            QImage want = StretchVisiblePart(ref, 26, 10, QRect(3, 1, 20, 8));
            EXPECT_EQ(got, want) << TBitmap::BitsPerPixel(f) << " " << withPalette;
            if (TBitmap::BitsPerPixel(f) <= 8) {
                QImage wrapped = BitmapAsQImage(bmp).convertToFormat(QImage::Format_RGB32);
                EXPECT_EQ(wrapped, BitmapAsQImage(ref).convertToFormat(QImage::Format_RGB32));
            }
        }
    }
}

TEST(BitmapImage, CommonDepthsAreWrappedWithoutCopying)
{
    for (TPixelFormat f : {TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pf8bit}) {
        TBitmap bmp(7, 5, f);
        QImage img = BitmapAsQImage(bmp);
        EXPECT_EQ(img.constBits(), bmp.Bits());
        EXPECT_EQ(img.size(), QSize(7, 5));
    }
    TBitmap ramp = TestPattern(9, 4);
    TBitmap back = BitmapFromQImage(BitmapAsQImage(ramp));
    ASSERT_EQ(back.Width(), 9);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(std::memcmp(back.ScanLine(y), ramp.ScanLine(y), 27), 0);
}

TEST(EnhScrollBox, PositionChangesAreReportedOncePerScroll)
{
    EnsureGuiTestApp();
    TEnhScrollBox box;
    box.resize(200, 150);
    box.show();
    box.SetImageSize(1000, 800);
    int calls = 0;
    box.OnPosChange = [&](TEnhScrollBox* sender) { calls += sender == &box ? 1 : 100; };
    box.SetPositions(10, 0);
    EXPECT_EQ(calls, 1);
    box.SetPositions(10, 0);
    box.Image()->repaint();
    EXPECT_EQ(calls, 1);
    box.verticalScrollBar()->setValue(5);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(box.Image()->pos(), QPoint(-10, -5));
    // The image rectangle is clipped to the client area.
    QRect r = box.GetImageRect();
    EXPECT_EQ(r.topLeft(), QPoint(0, 0));
    EXPECT_EQ(r.size(), box.viewport()->size());
    box.SetImageSize(50, 40);
    EXPECT_EQ(box.GetImageRect(), QRect(0, 0, 50, 40));
}

TEST(EnhScrollBox, ImagePaintsItsViewBitmapAndThenItsOverlay)
{
    EnsureGuiTestApp();
    TEnhScrollBox box;
    box.resize(300, 200);
    box.show();
    TBitmap bmp = TestPattern(100, 50);
    box.Image()->SetViewBitmap(&bmp);
    box.SetImageSize(200, 100);
    bool overlay = false;
    box.Image()->OnPaint = [&](TEnhImage*, QPainter&) { overlay = true; };
    QImage shot = box.Image()->grab().toImage();
    EXPECT_TRUE(overlay);
    EXPECT_EQ(shot.pixelColor(101, 41).blue(), 50);
    EXPECT_EQ(shot.pixelColor(101, 41).green(), 20);
}

TEST(ImageFromList, IndexZeroShowsNothing)
{
    EnsureGuiTestApp();
    QList<QPixmap> list{QPixmap(8, 8), QPixmap(8, 8)};
    list[0].fill(Qt::red);
    list[1].fill(Qt::green);
    TImageFromList w;
    w.resize(8, 8);
    w.SetImages(&list);
    QImage canvas(8, 8, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    w.render(&canvas);
    EXPECT_EQ(canvas.pixelColor(4, 4), QColor(Qt::white));
    w.SetImageIndex(1);
    w.render(&canvas);
    EXPECT_EQ(canvas.pixelColor(4, 4), QColor(Qt::green));
}

} // namespace
