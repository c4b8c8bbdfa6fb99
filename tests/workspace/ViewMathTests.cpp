// Zoom maths, layouts and pan rules of the image window's views.
#include <gtest/gtest.h>

#include "workspace/SelectionMath.h"
#include "workspace/ViewMath.h"

namespace {

TEST(ViewMath, ZoomScalesRoundViewSizesHalfToEven)
{
    struct TCase
    {
        int zoom, w, h, viewW, viewH;
    } cases[] = {
        {100, 640, 480, 640, 480},
        {50, 25, 27, 12, 14},   // 12.5 -> 12, 13.5 -> 14
        {10, 6000, 4000, 600, 400},
        {300, 5, 3, 15, 9},
        {33, 100, 50, 33, 16},  // 16.5 -> 16
    };
    for (const TCase& c : cases) {
        TZoomScales s = CalcZoomScales(c.zoom, c.w, c.h);
        EXPECT_EQ(s.ViewWidth, c.viewW) << c.zoom << " " << c.w;
        EXPECT_EQ(s.ViewHeight, c.viewH) << c.zoom << " " << c.h;
        EXPECT_FLOAT_EQ(s.ScreenToPicture * s.PictureToScreen, 1.0f);
        EXPECT_FLOAT_EQ(s.PixelToMillionthX, 1000000.0f / float(c.w));
    }
}

TEST(ViewMath, InitialAndFittingZoom)
{
    // Larger than the box both ways: just above the larger fitting scale, so the picture covers the box.
    EXPECT_EQ(InitialZoom(400, 300, 1000, 1000), 41);
    EXPECT_EQ(InitialZoom(400, 300, 800, 2000), 51);
    // Fits in one direction: full size.
    EXPECT_EQ(InitialZoom(400, 300, 300, 1000), 100);
    EXPECT_EQ(InitialZoom(400, 300, 100, 100), 100);

    EXPECT_EQ(FittingZoom(400, 300, 800, 300), 50);
    EXPECT_EQ(FittingZoom(400, 300, 100, 100), 300);
    EXPECT_EQ(FittingZoom(400, 300, 0, 100), 0);
}

TEST(ViewMath, ContinuousZoomStopsAtTheLimits)
{
    struct TCase
    {
        int start, step, end;
    } cases[] = {{100, 2, 300}, {100, -2, 10}, {81, 2, 301}, {81, -2, 9}, {300, 2, 300}, {10, -2, 10}};
    for (const TCase& c : cases) {
        int z = c.start;
        for (int i = 0; i < 500; ++i) z = ContinuousZoomStep(z, c.step);
        EXPECT_EQ(z, c.end) << c.start << " " << c.step;
    }
    EXPECT_TRUE(CanZoomIn(299));
    EXPECT_FALSE(CanZoomIn(300));
    EXPECT_TRUE(CanZoomOut(11));
    EXPECT_FALSE(CanZoomOut(10));
}

TEST(ViewMath, CentreAndScrollPositionsRoundTrip)
{
    // A 2000-pixel view in a 500-pixel client scrolled to 750 has its centre at 1000.
    EXPECT_DOUBLE_EQ(ViewCentre(2000, 500, 750), 0.5);
    EXPECT_EQ(ScrollPosFor(2000, 0.5, 500), 750);
    // A view smaller than the client: centre of the view itself.
    EXPECT_DOUBLE_EQ(ViewCentre(300, 500, 0), 0.5);
    EXPECT_EQ(ScrollPosFor(300, 0.5, 500), 0);
    EXPECT_DOUBLE_EQ(ViewCentre(0, 500, 0), 0.5);
    // Continuous zoom drifts 12 % toward the zoom point.
    EXPECT_DOUBLE_EQ(ZoomDrift(0.5, 1.0), 0.56);
}

TEST(ViewMath, PanSkipsEveryFourthMoveAndSlowsTheTravel)
{
    int applied = 0;
    for (int count = 1; count <= 12; ++count) applied += PanMoveApplies(count);
    EXPECT_EQ(applied, 9);
    EXPECT_EQ(PanDelta(3), 2);
    EXPECT_EQ(PanDelta(-3), -2);
    EXPECT_EQ(PanDelta(9), 6);
    EXPECT_EQ(PanDelta(1), 1);  // 0.667
    EXPECT_EQ(PanDelta(-4), -3); // -2.667
}

TEST(ViewMath, Layouts)
{
    // Side by side: two equal views, the spacer takes the odd pixel.
    TViewLayoutRects r = CalcViewLayout(0, 801, 600, 20);
    EXPECT_EQ(r.Source, Rect(0, 0, 395, 580));
    EXPECT_EQ(r.Spacer, Rect(395, 0, 406, 580));
    EXPECT_EQ(r.Result, Rect(406, 0, 801, 580));
    EXPECT_TRUE(r.SourceVisible);
    r = CalcViewLayout(0, 800, 600, 20);
    EXPECT_EQ(r.Spacer.Width(), 10);
    // One above the other.
    r = CalcViewLayout(1, 800, 601, 20);
    EXPECT_EQ(r.Source, Rect(0, 0, 800, 285));
    EXPECT_EQ(r.Spacer, Rect(0, 285, 800, 296));
    EXPECT_EQ(r.Result, Rect(0, 296, 800, 581));
    // Result only.
    r = CalcViewLayout(2, 800, 600, 20);
    EXPECT_FALSE(r.SourceVisible);
    EXPECT_EQ(r.Result, Rect(0, 0, 800, 580));
}

TEST(ViewMath, FitWindowStaysInsideTheArea)
{
    TRect area = Rect(0, 0, 1000, 800);
    // Side by side needs twice the width difference.
    TRect r = FitWindowRect(0, Rect(100, 50, 600, 450), 400, 300, 240, 360, area);
    EXPECT_EQ(r, Rect(100, 50, 920, 390));
    // Too large: limited to the area and moved left/up, never to a negative position.
    r = FitWindowRect(1, Rect(700, 600, 900, 700), 3000, 3000, 100, 100, area);
    EXPECT_EQ(r, Rect(0, 0, 1000, 800));
}

TEST(SelectionMath, TheSamePicturePointStoresTheSameMillionthsAtAnyZoom)
{
    TZoomScales s100 = CalcZoomScales(100, 640, 480);
    TZoomScales s200 = CalcZoomScales(200, 640, 480);
    for (int px : {0, 1, 17, 320, 639}) {
        TSelPoint a = ViewToMillionths(px, px * 3 / 4, s100);
        TSelPoint b = ViewToMillionths(px * 2, px * 3 / 4 * 2, s200);
        EXPECT_EQ(a.X, b.X);
        EXPECT_EQ(a.Y, b.Y);
        TPoint back = MillionthsToView(b.X, b.Y, s200);
        EXPECT_EQ(back.X, px * 2);
    }
    EXPECT_EQ(ViewToMillionths(320, 240, s100).X, 500000);
}

TEST(SelectionMath, AreasNarrowerThanThreePixelsAreTooSmall)
{
    TZoomScales s = CalcZoomScales(100, 1000, 1000);
    auto at = [&](int x, int y) { return ViewToMillionths(x, y, s); };
    EXPECT_TRUE(SelectionTooSmall(at(10, 10), at(10, 10), s));
    EXPECT_TRUE(SelectionTooSmall(at(10, 10), at(12, 40), s));
    EXPECT_TRUE(SelectionTooSmall(at(10, 10), at(40, 8), s));
    EXPECT_FALSE(SelectionTooSmall(at(10, 10), at(13, 13), s));
    EXPECT_FALSE(SelectionTooSmall(at(40, 40), at(10, 10), s));
}

} // namespace
