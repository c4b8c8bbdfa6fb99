#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
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

// Set bits and one row of drawings on a 16 x 16 mask. Rectangles exclude their right and bottom
// edge (corners in any order, empty, clipped, far outside); polygons fill even-odd with their
// outline (a square through (2,2) and (6,6) covers 5 x 5 pixels, a flat one draws its line, a point
// one pixel); huge coordinates are clipped quickly.
TEST(MaskRaster, RectanglesAndPolygons)
{
    using P = std::vector<TRasterPoint>;
    constexpr int64_t big = int64_t(1) << 55;
    const std::string empty(16, '.'), full(16, '#');
    // drawing, set bits, y, row y
    const std::tuple<std::function<void(TMaskRaster&)>, int, int, std::string> cases[] = {
        {[](auto& r) { r.FillRect(2, 1, 5, 4); }, 9, 1, "..###..........."},
        {[](auto& r) { r.FillRect(5, 4, 2, 1); }, 9, 3, "..###..........."},
        {[](auto& r) { r.FillRect(5, 1, 2, 4); }, 9, 4, empty},
        {[](auto& r) { r.FillRect(3, 3, 3, 9); }, 0, 3, empty},
        {[](auto& r) { r.FillRect(-4, -4, 2, 2); }, 4, 1, "##.............."},
        {[](auto& r) { r.FillRect(15, 15, 16, 16); }, 1, 15, "...............#"},
        {[](auto& r) { r.FillRect(0, 0, 100, 100); }, 256, 15, full},
        {[](auto& r) { r.FillRect(-(1LL << 50), 3, 1LL << 50, 4); }, 16, 3, full},
        {[](auto& r) { r.FillPolygon(P{{2, 2}, {6, 2}, {6, 6}, {2, 6}}); }, 25, 2, "..#####........."},
        {[](auto& r) { r.FillPolygon(P{{1, 1}, {9, 1}, {4, 1}}); }, 9, 1, ".#########......"},
        {[](auto& r) { r.FillPolygon(P{{12, 3}}); }, 1, 3, "............#..."},
        {[](auto& r) { r.FillPolygon(P{{-big, -big}, {big, 0}, {-big, big}}); }, 256, 0, full},
        {[](auto& r) { r.FillEllipse(-big, -big, big, big), r.SetColor(0), r.Line({-big, 5}, {big, 5}); },
         240, 5, empty},
    };
    for (const auto& [draw, bits, y, row] : cases) {
        const TBitmap m = Drawn(16, 16, draw);
        EXPECT_EQ(SetBits(m), bits) << row;
        EXPECT_EQ(Row(m, y), row) << bits;
    }
    const TRasterPoint pentagram[] = {{32, 2}, {50, 60}, {3, 24}, {61, 24}, {14, 60}};
    const TBitmap star = Drawn(64, 64, [&](TMaskRaster& r) { r.FillPolygon(pentagram); });
    EXPECT_EQ((std::vector<bool>{Bit(star, 32, 36), Bit(star, 32, 8), Bit(star, 10, 26), Bit(star, 32, 2)}),
              (std::vector<bool>{false, true, true, true})); // the inner pentagon is empty
}

// Clearing a span that starts and ends inside bytes leaves the bits around it; byte masks take the
// colour as it is; 24-bit bitmaps are refused.
TEST(MaskRaster, SpansInsideBytesAndTargetFormats)
{
    const TBitmap wide = Drawn(40, 2, [](TMaskRaster& r) {
        r.FillAll();
        r.SetColor(0);
        r.FillRect(3, 0, 37, 1);
    });
    EXPECT_EQ(Row(wide, 0), "###" + std::string(34, '.') + "###");
    EXPECT_EQ(Row(wide, 1), std::string(40, '#'));
    TBitmap bytes(5, 3, TPixelFormat::pf8bit), rgb(4, 4, TPixelFormat::pf24bit);
    TMaskRaster raster(bytes);
    raster.SetColor(200);
    raster.FillRect(1, 1, 4, 2);
    EXPECT_EQ(std::vector<uint8_t>(bytes.ScanLine(1), bytes.ScanLine(1) + 5),
              (std::vector<uint8_t>{0, 200, 200, 200, 0}));
    EXPECT_THROW(TMaskRaster{rgb}, EInvalidGraphicOperation);
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

} // namespace
