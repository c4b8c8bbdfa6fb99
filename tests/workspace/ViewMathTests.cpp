// Zoom maths, layouts and pan rules of the image window's views.
#include <gtest/gtest.h>

#include <tuple>

#include "workspace/ViewMath.h"

namespace {

TEST(ViewMath, ZoomScalesRoundViewSizesHalfToEven)
{
    struct TCase { int zoom, w, h, viewW, viewH; } cases[] = {
        {100, 640, 480, 640, 480},
        {50, 25, 27, 12, 14},   // 12.5 -> 12, 13.5 -> 14
        {10, 6000, 4000, 600, 400},
        {300, 5, 3, 15, 9},
        {33, 100, 50, 33, 16},  // 16.5 -> 16
    };
    for (const TCase& c : cases) {
        TZoomScales s = CalcZoomScales(c.zoom, c.w, c.h);
        EXPECT_EQ(std::tuple(s.ViewWidth, s.ViewHeight), std::tuple(c.viewW, c.viewH)) << c.zoom << " " << c.w;
        EXPECT_FLOAT_EQ(s.ScreenToPicture * s.PictureToScreen, 1.0f);
        EXPECT_FLOAT_EQ(s.PixelToMillionthX, 1000000.0f / float(c.w));
    }
}

TEST(ViewMath, InitialAndFittingZoom)
{
    // Larger than the box both ways: just above the larger fitting scale, so the picture covers the box.
    // Fits in one direction: full size.
    struct { int picW, picH, initial, fitting; } const cases[] = {
        {1000, 1000, 41, 30}, {800, 2000, 51, 15}, {300, 1000, 100, 30}, {100, 100, 100, 300},
        {800, 300, 100, 50}};
    for (const auto& c : cases) {
        EXPECT_EQ(std::tuple(InitialZoom(400, 300, c.picW, c.picH), FittingZoom(400, 300, c.picW, c.picH)),
                  std::tuple(c.initial, c.fitting)) << c.picW << "x" << c.picH;
    }
    EXPECT_EQ(FittingZoom(400, 300, 0, 100), 0);
}

TEST(ViewMath, ContinuousZoomStopsAtTheLimits)
{
    struct TCase { int start, step, end; } cases[] = {
        {100, 2, 300}, {100, -2, 10}, {81, 2, 301}, {81, -2, 9}, {300, 2, 300}, {10, -2, 10}};
    for (const TCase& c : cases) {
        int z = c.start;
        for (int i = 0; i < 500; ++i) z = ContinuousZoomStep(z, c.step);
        EXPECT_EQ(z, c.end) << c.start << " " << c.step;
    }
}

TEST(ViewMath, CentreAndScrollPositionsRoundTripAndPanTravelIsSlowed)
{
    // A 2000-pixel view in a 500-pixel client scrolled to 750 has its centre at 1000.
    EXPECT_DOUBLE_EQ(ViewCentre(2000, 500, 750), 0.5);
    EXPECT_EQ(ScrollPosFor(2000, 0.5, 500), 750);
    // A view smaller than the client: centre of the view itself.
    EXPECT_DOUBLE_EQ(ViewCentre(300, 500, 0), 0.5);
    EXPECT_EQ(ScrollPosFor(300, 0.5, 500), 0);
    EXPECT_DOUBLE_EQ(ViewCentre(0, 500, 0), 0.5);
    // Two thirds of the travel, rounded half to even away from the fractions.
    for (auto [travel, delta] : {std::pair{3, 2}, {-3, -2}, {9, 6}, {1, 1}, {-4, -3}})
        EXPECT_EQ(PanDelta(travel), delta) << travel;
}

TEST(ViewMath, Layouts)
{
    // Side by side: two equal views, the spacer takes the odd pixel.
    TViewLayoutRects r = CalcViewLayout(0, 801, 600, 20);
    EXPECT_EQ(std::tuple(r.Source, r.Spacer, r.Result, r.SourceVisible),
              std::tuple(Rect(0, 0, 395, 580), Rect(395, 0, 406, 580), Rect(406, 0, 801, 580), true));
    EXPECT_EQ(CalcViewLayout(0, 800, 600, 20).Spacer.Width(), 10);
    // One above the other.
    r = CalcViewLayout(1, 800, 601, 20);
    EXPECT_EQ(std::tuple(r.Source, r.Spacer, r.Result),
              std::tuple(Rect(0, 0, 800, 285), Rect(0, 285, 800, 296), Rect(0, 296, 800, 581)));
    // Result only.
    r = CalcViewLayout(2, 800, 600, 20);
    EXPECT_EQ(std::tuple(r.Result, r.SourceVisible), std::tuple(Rect(0, 0, 800, 580), false));
}

TEST(ViewMath, FitWindowStaysInsideTheArea)
{
    TRect area = Rect(0, 0, 1000, 800);
    // Side by side needs twice the width difference.
    EXPECT_EQ(FitWindowRect(0, Rect(100, 50, 600, 450), 400, 300, 240, 360, area), Rect(100, 50, 920, 390));
    // Too large: limited to the area and moved left/up, never to a negative position.
    EXPECT_EQ(FitWindowRect(1, Rect(700, 600, 900, 700), 3000, 3000, 100, 100, area), Rect(0, 0, 1000, 800));
}

TEST(ViewMath, NewAndCascadedWindowsStayInsideTheAreaAtAUsableSize)
{
    // Three quarters of a 1000 x 700 area is 750 x 525: 250 / 30 = 8 and 175 / 30 = 5 more steps
    // fit, so step 6 starts again at the top left.
    struct { int index, areaW, areaH, step; TRect expected; } const cases[] = {
        {0, 1000, 700, 30, Rect(0, 0, 750, 525)},
        {5, 1000, 700, 30, Rect(150, 150, 900, 675)},
        {6, 1000, 700, 30, Rect(0, 0, 750, 525)},
        {13, 1000, 700, 30, Rect(30, 30, 780, 555)},
        {4, 400, 300, 20, Rect(0, 0, 320, 240)},  // at least 320 x 240; four steps fit
        {1, 300, 200, 20, Rect(0, 0, 300, 200)},  // a small area: the whole of it
        {2, 0, 0, 20, Rect(0, 0, 0, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CascadeRect(c.index, c.areaW, c.areaH, c.step), c.expected) << c.index << " " << c.areaW;
}

} // namespace
