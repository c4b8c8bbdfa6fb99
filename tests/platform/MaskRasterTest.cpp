#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/MaskRaster.h"

namespace {

bool Bit(const TBitmap& m, int x, int y)
{
    return (m.ScanLine(y)[x / 8] >> (7 - x % 8)) & 1;
}

// Rows of the mask as text: '#' for a set bit.
std::vector<std::string> Picture(const TBitmap& m)
{
    std::vector<std::string> rows;
    for (int y = 0; y < m.Height(); ++y) {
        std::string row;
        for (int x = 0; x < m.Width(); ++x)
            row += Bit(m, x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

int Count(const TBitmap& m)
{
    int n = 0;
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x)
            n += Bit(m, x, y);
    return n;
}

TBitmap Blank(int w, int h)
{
    return TBitmap(w, h, TPixelFormat::pf1bit);
}

} // namespace

TEST(MaskRaster, RectangleExcludesRightAndBottomEdge)
{
    struct Case
    {
        int64_t l, t, r, b;
        int count;
    };
    // Corners in any order, empty and clipped rectangles, coordinates far outside.
    const Case cases[] = {{2, 1, 5, 4, 9},
                          {5, 4, 2, 1, 9},
                          {5, 1, 2, 4, 9},
                          {3, 3, 3, 9, 0},
                          {-4, -4, 2, 2, 4},
                          {0, 0, 100, 100, 64},
                          {-(1LL << 50), 3, 1LL << 50, 4, 8},
                          {7, 7, 8, 8, 1}};
    for (const Case& c : cases) {
        TBitmap m = Blank(8, 8);
        TMaskRaster raster(m);
        raster.SetColor(1);
        raster.FillRect(c.l, c.t, c.r, c.b);
        EXPECT_EQ(Count(m), c.count) << c.l << "," << c.t << "," << c.r << "," << c.b;
    }
    TBitmap m = Blank(8, 8);
    TMaskRaster raster(m);
    raster.SetColor(1);
    raster.FillRect(2, 1, 5, 4);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(Bit(m, x, y), x >= 2 && x < 5 && y >= 1 && y < 4) << x << "," << y;
}

TEST(MaskRaster, RectangleClearsAndSetsWholeBytes)
{
    TBitmap m = Blank(40, 2);
    TMaskRaster raster(m);
    raster.SetColor(1);
    raster.FillAll();
    raster.SetColor(0);
    raster.FillRect(3, 0, 37, 1);
    EXPECT_EQ(Picture(m)[0], std::string("###") + std::string(34, '.') + "###");
    EXPECT_EQ(Picture(m)[1], std::string(40, '#'));
}

// The ellipse covers the pixels whose centres lie inside the ellipse inscribed in the box.
TEST(MaskRaster, EllipseMatchesPixelCentreRule)
{
    struct Box
    {
        int l, t, r, b;
    };
    const Box boxes[] = {{0, 0, 8, 8},    {1, 2, 12, 7}, {12, 7, 1, 2}, {3, 3, 4, 4},
                         {-5, -3, 9, 20}, {2, 0, 3, 16}, {0, 0, 16, 5}};
    for (Box box : boxes) {
        TBitmap m = Blank(16, 16);
        TMaskRaster raster(m);
        raster.SetColor(1);
        raster.FillEllipse(box.l, box.t, box.r, box.b);
        const double l = std::min(box.l, box.r), r = std::max(box.l, box.r);
        const double t = std::min(box.t, box.b), b = std::max(box.t, box.b);
        const double a = (r - l) / 2, bb = (b - t) / 2, cx = (l + r) / 2, cy = (t + b) / 2;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                const bool inside = dx * dx * bb * bb + dy * dy * a * a <= a * a * bb * bb;
                ASSERT_EQ(Bit(m, x, y), inside) << x << "," << y << " box " << box.l << "," << box.t;
            }
    }
    // An 8x8 circle spans the full box on its middle rows and columns and leaves the corners.
    TBitmap m = Blank(8, 8);
    TMaskRaster raster(m);
    raster.SetColor(1);
    raster.FillEllipse(0, 0, 8, 8);
    EXPECT_EQ(Picture(m)[3], "########");
    EXPECT_FALSE(Bit(m, 0, 0));
    EXPECT_FALSE(Bit(m, 7, 7));
    EXPECT_TRUE(Bit(m, 3, 0));
    EXPECT_TRUE(Bit(m, 4, 7));
}

TEST(MaskRaster, PolygonEvenOddWithOutline)
{
    // A square through (2,2) and (6,6): interior 2..5 plus the outline on 6 -> 5 x 5 pixels.
    TBitmap square = Blank(10, 10);
    TMaskRaster raster(square);
    raster.SetColor(1);
    const TRasterPoint sq[] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
    raster.FillPolygon(sq);
    EXPECT_EQ(Count(square), 25);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(Bit(square, x, y), x >= 2 && x <= 6 && y >= 2 && y <= 6);

    // A pentagram: even-odd leaves the inner pentagon empty, the arms are filled.
    TBitmap star = Blank(64, 64);
    TMaskRaster starRaster(star);
    starRaster.SetColor(1);
    const TRasterPoint pentagram[] = {{32, 2}, {50, 60}, {3, 24}, {61, 24}, {14, 60}};
    starRaster.FillPolygon(pentagram);
    EXPECT_FALSE(Bit(star, 32, 36));
    EXPECT_TRUE(Bit(star, 32, 8));  // top arm
    EXPECT_TRUE(Bit(star, 10, 26)); // left arm
    EXPECT_TRUE(Bit(star, 32, 2));  // a vertex, on the outline

    // A polygon without area still draws its outline; a single point sets one pixel.
    TBitmap flat = Blank(16, 4);
    TMaskRaster flatRaster(flat);
    flatRaster.SetColor(1);
    const TRasterPoint line[] = {{1, 1}, {9, 1}, {4, 1}};
    flatRaster.FillPolygon(line);
    EXPECT_EQ(Picture(flat)[1], ".#########......");
    EXPECT_EQ(Count(flat), 9);
    const TRasterPoint dot[] = {{12, 3}};
    flatRaster.FillPolygon(dot);
    EXPECT_TRUE(Bit(flat, 12, 3));
    EXPECT_EQ(Count(flat), 10);
}

TEST(MaskRaster, HugeCoordinatesAreClippedQuickly)
{
    TBitmap m = Blank(32, 32);
    TMaskRaster raster(m);
    raster.SetColor(1);
    const int64_t big = int64_t(1) << 55;
    const TRasterPoint tri[] = {{-big, -big}, {big, 0}, {-big, big}};
    raster.FillPolygon(tri);
    EXPECT_EQ(Count(m), 32 * 32);
    TBitmap e = Blank(32, 32);
    TMaskRaster er(e);
    er.SetColor(1);
    er.FillEllipse(-big, -big, big, big);
    EXPECT_EQ(Count(e), 32 * 32);
    er.SetColor(0);
    er.Line({-big, 5}, {big, 5});
    EXPECT_EQ(Count(e), 32 * 31);
}

TEST(MaskRaster, TargetFormats)
{
    TBitmap bytes(5, 3, TPixelFormat::pf8bit);
    TMaskRaster raster(bytes);
    raster.SetColor(200);
    raster.FillRect(1, 1, 4, 2);
    EXPECT_EQ(bytes.ScanLine(1)[0], 0);
    EXPECT_EQ(bytes.ScanLine(1)[1], 200);
    EXPECT_EQ(bytes.ScanLine(1)[3], 200);
    EXPECT_EQ(bytes.ScanLine(1)[4], 0);
    TBitmap rgb(4, 4, TPixelFormat::pf24bit);
    EXPECT_THROW(TMaskRaster{rgb}, EInvalidGraphicOperation);
}
