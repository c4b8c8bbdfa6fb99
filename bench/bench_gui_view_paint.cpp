// view_paint_over_blit: painting the visible part of a 24-megapixel picture into a view of about
// 1920x1080 at several zooms (the mean of the slowest zoom) over drawing an already scaled view-sized
// picture of the target's own pixel format with QPainter::drawImage, the least any paint can cost
// (goal <= 2.5).
// The milliseconds are printed as information. The same paint for a 1-megapixel picture gives
// view_paint_size_ratio (24 MP / 1 MP at the zooms where both pictures fill the view; goal about 1:
// the time does not depend on the picture's size). A synthetic picture: the figures need exact sizes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "controls/EnhScrollBox.h"
#include "platform/Bitmap.h"

namespace {

TBitmap Picture(int w, int h)
{
    TBitmap bmp(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            row[x * 3] = uint8_t(x * 7 + y);
            row[x * 3 + 1] = uint8_t(y * 3);
            row[x * 3 + 2] = uint8_t(x ^ y);
        }
    }
    return bmp;
}

constexpr int Runs = 20;

// Mean milliseconds of one run of paint(), after a warm-up run.
template <class F> double MeanMs(F&& paint)
{
    paint();
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < Runs; ++i) paint();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / Runs;
}

// Mean milliseconds of one paint of the view at each zoom; returns the largest.
double SlowestZoomMs(const TBitmap& bmp, double* sum, QSize* viewSize = nullptr)
{
    TEnhScrollBox box;
    box.resize(1920 + 40, 1080 + 40);
    box.show();
    box.Image()->SetViewBitmap(&bmp);
    QImage target(box.viewport()->size(), QImage::Format_RGB32);
    if (viewSize) *viewSize = target.size();
    double worst = 0;
    *sum = 0;
    for (int zoom : {10, 33, 50, 100, 150, 200, 300}) {
        int w = int(int64_t(bmp.Width()) * zoom / 100), h = int(int64_t(bmp.Height()) * zoom / 100);
        box.SetImageSize(w, h);
        box.SetPositions(w / 3, h / 3);
        const double ms = MeanMs([&] { box.viewport()->render(&target); });
        std::printf("zoom %d%%: %.2f ms\n", zoom, ms);
        worst = std::max(worst, ms);
        if (zoom >= 200) *sum += ms; // both pictures fill the view from here on
    }
    return worst;
}

// The reference: a view-sized picture, already scaled and in the target's format, drawn into it.
double BlitMs(const QSize& view)
{
    QImage scaled(view, QImage::Format_RGB32);
    for (int y = 0; y < scaled.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(scaled.scanLine(y));
        for (int x = 0; x < scaled.width(); ++x) row[x] = qRgb(x * 7 + y, y * 3, x ^ y);
    }
    QImage target(view, QImage::Format_RGB32);
    return MeanMs([&] {
        QPainter p(&target);
        p.drawImage(0, 0, scaled);
    });
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    double sumLarge = 0, sumSmall = 0;
    std::printf("24 MP (6000 x 4000):\n");
    QSize view;
    double large = SlowestZoomMs(Picture(6000, 4000), &sumLarge, &view);
    std::printf("1 MP (1224 x 816):\n");
    SlowestZoomMs(Picture(1224, 816), &sumSmall);
    const double blit = BlitMs(view);
    std::printf("info view_paint_over_blit: view %dx%d: paint %.2f ms at the slowest zoom, blit %.2f ms\n",
                view.width(), view.height(), large, blit);
    std::printf("view_paint_over_blit: %.2f\n", large / blit);
    std::printf("view_paint_size_ratio: %.2f\n", sumLarge / sumSmall);
    return 0;
}
