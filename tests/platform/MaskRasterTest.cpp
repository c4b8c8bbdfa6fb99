#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/MaskRaster.h"

namespace {

bool Bit(const TBitmap& m, int x, int y) { return (m.ScanLine(y)[x / 8] >> (7 - x % 8)) & 1; }

// A 1-bit mask of the given size with the drawing done in colour 1.
TBitmap Drawn(int w, int h, const std::function<void(TMaskRaster&)>& draw)
{
    TBitmap m(w, h, TPixelFormat::pf1bit);
    TMaskRaster raster(m);
    raster.SetColor(1);
    draw(raster);
    return m;
}

// Rows of the mask as text: '#' for a set bit.
std::vector<std::string> MaskRows(const TBitmap& m)
{
    std::vector<std::string> rows(size_t(m.Height()));
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x) rows[size_t(y)] += Bit(m, x, y) ? '#' : '.';
    return rows;
}

int SetBits(const TBitmap& m)
{
    int n = 0;
    for (const std::string& row : MaskRows(m)) n += int(std::count(row.begin(), row.end(), '#'));
    return n;
}

TEST(MaskRaster, RectangleExcludesRightAndBottomEdge)
{
    struct Case
    {
        int64_t l, t, r, b;
        int count;
    };
    // Corners in any order, empty and clipped rectangles, coordinates far outside.
    const Case cases[] = {{2, 1, 5, 4, 9},   {5, 4, 2, 1, 9}, {5, 1, 2, 4, 9},      {3, 3, 3, 9, 0},
                          {-4, -4, 2, 2, 4}, {7, 7, 8, 8, 1}, {0, 0, 100, 100, 64},
                          {-(1LL << 50), 3, 1LL << 50, 4, 8}};
    for (const Case& c : cases) {
        TBitmap m = Drawn(8, 8, [&](TMaskRaster& r) { r.FillRect(c.l, c.t, c.r, c.b); });
        EXPECT_EQ(SetBits(m), c.count) << c.l << "," << c.t << "," << c.r << "," << c.b;
    }
    TBitmap m = Drawn(8, 8, [](TMaskRaster& r) { r.FillRect(2, 1, 5, 4); });
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(Bit(m, x, y), x >= 2 && x < 5 && y >= 1 && y < 4) << x << y;

    // Clearing a span that starts and ends inside bytes leaves the bits around it.
    TBitmap wide = Drawn(40, 2, [](TMaskRaster& r) {
        r.FillAll();
        r.SetColor(0);
        r.FillRect(3, 0, 37, 1);
    });
    EXPECT_EQ(MaskRows(wide)[0], "###" + std::string(34, '.') + "###");
    EXPECT_EQ(MaskRows(wide)[1], std::string(40, '#'));
}

// The ellipse covers the pixels whose centres lie inside the ellipse inscribed in the box.
TEST(MaskRaster, EllipseMatchesPixelCentreRule)
{
    const int boxes[][4] = {{0, 0, 8, 8},    {1, 2, 12, 7}, {12, 7, 1, 2}, {3, 3, 4, 4},
                            {-5, -3, 9, 20}, {2, 0, 3, 16}, {0, 0, 16, 5}};
    for (const auto& box : boxes) {
        TBitmap m = Drawn(16, 16, [&](TMaskRaster& r) { r.FillEllipse(box[0], box[1], box[2], box[3]); });
        const double l = std::min(box[0], box[2]), r = std::max(box[0], box[2]);
        const double t = std::min(box[1], box[3]), b = std::max(box[1], box[3]);
        const double a = (r - l) / 2, bb = (b - t) / 2, cx = (l + r) / 2, cy = (t + b) / 2;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                const bool inside = dx * dx * bb * bb + dy * dy * a * a <= a * a * bb * bb;
                ASSERT_EQ(Bit(m, x, y), inside) << x << "," << y << " box " << box[0] << "," << box[1];
            }
    }
}

TEST(MaskRaster, PolygonEvenOddWithOutline)
{
    // A square through (2,2) and (6,6): interior 2..5 plus the outline on 6 -> 5 x 5 pixels.
    const TRasterPoint sq[] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
    TBitmap square = Drawn(10, 10, [&](TMaskRaster& r) { r.FillPolygon(sq); });
    EXPECT_EQ(SetBits(square), 25);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(Bit(square, x, y), x >= 2 && x <= 6 && y >= 2 && y <= 6);

    // A pentagram: even-odd leaves the inner pentagon empty, the arms are filled.
    const TRasterPoint pentagram[] = {{32, 2}, {50, 60}, {3, 24}, {61, 24}, {14, 60}};
    TBitmap star = Drawn(64, 64, [&](TMaskRaster& r) { r.FillPolygon(pentagram); });
    EXPECT_FALSE(Bit(star, 32, 36));
    EXPECT_TRUE(Bit(star, 32, 8));  // top arm
    EXPECT_TRUE(Bit(star, 10, 26)); // left arm
    EXPECT_TRUE(Bit(star, 32, 2));  // a vertex, on the outline

    // A polygon without area still draws its outline; a single point sets one pixel.
    const TRasterPoint line[] = {{1, 1}, {9, 1}, {4, 1}}, dot[] = {{12, 3}};
    TBitmap flat = Drawn(16, 4, [&](TMaskRaster& r) { r.FillPolygon(line); });
    EXPECT_EQ(MaskRows(flat)[1], ".#########......");
    EXPECT_EQ(SetBits(flat), 9);
    TBitmap point = Drawn(16, 4, [&](TMaskRaster& r) { r.FillPolygon(dot); });
    EXPECT_TRUE(Bit(point, 12, 3));
    EXPECT_EQ(SetBits(point), 1);
}

TEST(MaskRaster, HugeCoordinatesAreClippedQuickly)
{
    const int64_t big = int64_t(1) << 55;
    const TRasterPoint tri[] = {{-big, -big}, {big, 0}, {-big, big}};
    EXPECT_EQ(SetBits(Drawn(32, 32, [&](TMaskRaster& r) { r.FillPolygon(tri); })), 32 * 32);
    TBitmap e = Drawn(32, 32, [&](TMaskRaster& r) {
        r.FillEllipse(-big, -big, big, big);
        r.SetColor(0);
        r.Line({-big, 5}, {big, 5});
    });
    EXPECT_EQ(SetBits(e), 32 * 31);
}

TEST(MaskRaster, TargetFormats)
{
    TBitmap bytes(5, 3, TPixelFormat::pf8bit);
    TMaskRaster raster(bytes);
    raster.SetColor(200);
    raster.FillRect(1, 1, 4, 2);
    EXPECT_EQ(std::vector<uint8_t>(bytes.ScanLine(1), bytes.ScanLine(1) + 5),
              (std::vector<uint8_t>{0, 200, 200, 200, 0}));
    TBitmap rgb(4, 4, TPixelFormat::pf24bit);
    EXPECT_THROW(TMaskRaster{rgb}, EInvalidGraphicOperation);
}

} // namespace
