#include <gtest/gtest.h>

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

// Row y of the mask as text: '#' for a set bit.
std::string Row(const TBitmap& m, int y)
{
    std::string row;
    for (int x = 0; x < m.Width(); ++x) row += Bit(m, x, y) ? '#' : '.';
    return row;
}

int SetBits(const TBitmap& m)
{
    int n = 0;
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x) n += Bit(m, x, y);
    return n;
}

// Rectangles exclude their right and bottom edge: corners in any order, empty, clipped and far
// outside. Clearing a span that starts and ends inside bytes leaves the bits around it.
TEST(MaskRaster, RectangleExcludesRightAndBottomEdge)
{
    const int64_t cases[][5] = {{2, 1, 5, 4, 9},   {5, 4, 2, 1, 9}, {5, 1, 2, 4, 9},      {3, 3, 3, 9, 0},
                                {-4, -4, 2, 2, 4}, {7, 7, 8, 8, 1}, {0, 0, 100, 100, 64},
                                {-(1LL << 50), 3, 1LL << 50, 4, 8}};
    for (const auto& c : cases)
        EXPECT_EQ(SetBits(Drawn(8, 8, [&](TMaskRaster& r) { r.FillRect(c[0], c[1], c[2], c[3]); })), c[4])
            << c[0];
    const TBitmap m = Drawn(8, 8, [](TMaskRaster& r) { r.FillRect(2, 1, 5, 4); });
    EXPECT_EQ(Row(m, 0) + Row(m, 1) + Row(m, 3) + Row(m, 4), "........" "..###..." "..###..." "........");
    const TBitmap wide = Drawn(40, 2, [](TMaskRaster& r) {
        r.FillAll();
        r.SetColor(0);
        r.FillRect(3, 0, 37, 1);
    });
    EXPECT_EQ(Row(wide, 0), "###" + std::string(34, '.') + "###");
    EXPECT_EQ(Row(wide, 1), std::string(40, '#'));
}

// The ellipse covers the pixels whose centres lie inside the ellipse inscribed in the box.
TEST(MaskRaster, EllipseMatchesPixelCentreRule)
{
    const int boxes[][4] = {{0, 0, 8, 8}, {1, 2, 12, 7}, {12, 7, 1, 2}, {3, 3, 4, 4}, {-5, -3, 9, 20},
                            {2, 0, 3, 16}};
    for (const auto& box : boxes) {
        const TBitmap m =
            Drawn(16, 16, [&](TMaskRaster& r) { r.FillEllipse(box[0], box[1], box[2], box[3]); });
        const double l = std::min(box[0], box[2]), r = std::max(box[0], box[2]);
        const double t = std::min(box[1], box[3]), b = std::max(box[1], box[3]);
        const double a = (r - l) / 2, bb = (b - t) / 2, cx = (l + r) / 2, cy = (t + b) / 2;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                ASSERT_EQ(Bit(m, x, y), dx * dx * bb * bb + dy * dy * a * a <= a * a * bb * bb)
                    << x << "," << y << " box " << box[0] << "," << box[1];
            }
    }
}

// Polygons fill even-odd with their outline: a square through (2,2) and (6,6) covers 5 x 5 pixels,
// a pentagram leaves its inner pentagon empty, a flat polygon draws its outline, a point one pixel.
// Huge coordinates are clipped quickly.
TEST(MaskRaster, PolygonEvenOddWithOutline)
{
    const TRasterPoint sq[] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
    const TRasterPoint line[] = {{1, 1}, {9, 1}, {4, 1}}, dot[] = {{12, 3}};
    const TBitmap square = Drawn(10, 10, [&](TMaskRaster& r) { r.FillPolygon(sq); });
    EXPECT_EQ(SetBits(square), 25);
    EXPECT_EQ(Row(square, 2), "..#####...");
    const TRasterPoint pentagram[] = {{32, 2}, {50, 60}, {3, 24}, {61, 24}, {14, 60}};
    const TBitmap star = Drawn(64, 64, [&](TMaskRaster& r) { r.FillPolygon(pentagram); });
    EXPECT_EQ((std::vector<bool>{Bit(star, 32, 36), Bit(star, 32, 8), Bit(star, 10, 26), Bit(star, 32, 2)}),
              (std::vector<bool>{false, true, true, true}));
    const TBitmap flat = Drawn(16, 4, [&](TMaskRaster& r) {
        r.FillPolygon(line);
        r.FillPolygon(dot);
    });
    EXPECT_EQ(Row(flat, 1) + Row(flat, 3), ".#########......" "............#...");
    EXPECT_EQ(SetBits(flat), 10);

    const int64_t big = int64_t(1) << 55;
    const TRasterPoint tri[] = {{-big, -big}, {big, 0}, {-big, big}};
    EXPECT_EQ(SetBits(Drawn(32, 32, [&](TMaskRaster& r) { r.FillPolygon(tri); })), 32 * 32);
    const TBitmap e = Drawn(32, 32, [&](TMaskRaster& r) {
        r.FillEllipse(-big, -big, big, big);
        r.SetColor(0);
        r.Line({-big, 5}, {big, 5});
    });
    EXPECT_EQ(SetBits(e), 32 * 31);
}

TEST(MaskRaster, TargetFormats)
{
    TBitmap bytes(5, 3, TPixelFormat::pf8bit), rgb(4, 4, TPixelFormat::pf24bit);
    TMaskRaster raster(bytes);
    raster.SetColor(200);
    raster.FillRect(1, 1, 4, 2);
    EXPECT_EQ(std::vector<uint8_t>(bytes.ScanLine(1), bytes.ScanLine(1) + 5),
              (std::vector<uint8_t>{0, 200, 200, 200, 0}));
    EXPECT_THROW(TMaskRaster{rgb}, EInvalidGraphicOperation);
}

} // namespace
