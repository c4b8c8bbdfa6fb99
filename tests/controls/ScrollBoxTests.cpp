// The scroll box of the image views and the image-list picture: position reports, the visible image
// rectangle, the painting order, and the empty index.
#include <QScrollBar>
#include <gtest/gtest.h>

#include "support/GuiTestApp.h"
#include "controls/BitmapImage.h"
#include "controls/EnhScrollBox.h"
#include "controls/ImageFromList.h"

// A position change is reported once, with the box as sender, whether set or scrolled; the image
// rectangle is clipped to the client area.
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
    EXPECT_EQ(std::tuple(calls, box.Image()->pos()), std::tuple(2, QPoint(-10, -5)));
    const QRect r = box.GetImageRect();
    EXPECT_EQ(std::tuple(r.topLeft(), r.size()), std::tuple(QPoint(0, 0), box.viewport()->size()));
    box.SetImageSize(50, 40);
    EXPECT_EQ(box.GetImageRect(), QRect(0, 0, 50, 40));
}

// The view bitmap is stretched to the image size, then the overlay is painted over it. Pixel (101, 41)
// of the doubled view shows source pixel (50, 20): blue 50, green 20.
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
    const QImage shot = box.Image()->grab().toImage();
    EXPECT_TRUE(overlay);
    EXPECT_EQ(std::tuple(shot.pixelColor(101, 41).blue(), shot.pixelColor(101, 41).green()),
              std::tuple(50, 20));
}

// Index 0 shows nothing; index 1 the list's second picture.
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
