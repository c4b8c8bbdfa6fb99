#include "platform/MaskRaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/Exceptions.h"

namespace {

constexpr int64_t Limit = int64_t(1) << 30;

inline int64_t Clamp(int64_t v)
{
    return std::clamp(v, -Limit, Limit);
}

// Floor and ceiling of a / b for b > 0.
inline __int128 FloorDiv(__int128 a, __int128 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
inline __int128 CeilDiv(__int128 a, __int128 b)
{
    return -FloorDiv(-a, b);
}

// Largest s with s * s <= v.
inline int64_t ISqrt(__int128 v)
{
    if (v <= 0) return 0;
    int64_t s = int64_t(std::sqrt(double(v)));
    while (s > 0 && __int128(s) * s > v)
        --s;
    while (__int128(s + 1) * (s + 1) <= v)
        ++s;
    return s;
}

// A crossing of a polygon edge with a row, at x = Num / Den (Den > 0).
struct TCrossing
{
    __int128 Num, Den;
    bool operator<(const TCrossing& o) const { return Num * o.Den < o.Num * Den; }
};

} // namespace

TMaskRaster::TMaskRaster(TBitmap& target) : FTarget(target)
{
    if (target.PixelFormat() == TPixelFormat::pf1bit)
        FOneBit = true;
    else if (target.PixelFormat() == TPixelFormat::pf8bit)
        FOneBit = false;
    else
        throw EInvalidGraphicOperation("A mask bitmap must have 1 or 8 bits per pixel");
}

void TMaskRaster::Span(int64_t y, int64_t x0, int64_t x1)
{
    if (y < 0 || y >= FTarget.Height()) return;
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min<int64_t>(x1, FTarget.Width());
    if (x0 >= x1) return;
    uint8_t* row = FTarget.ScanLine(int(y));
    if (!FOneBit) {
        std::memset(row + x0, FColor, size_t(x1 - x0));
        return;
    }
    const bool set = FColor & 1;
    for (int64_t x = x0; x < x1;) {
        if ((x & 7) == 0 && x + 8 <= x1) {
            const int64_t bytes = (x1 - x) / 8;
            std::memset(row + x / 8, set ? 0xFF : 0x00, size_t(bytes));
            x += 8 * bytes;
            continue;
        }
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x / 8] = set ? uint8_t(row[x / 8] | bit) : uint8_t(row[x / 8] & ~bit);
        ++x;
    }
}

void TMaskRaster::FillAll()
{
    for (int y = 0; y < FTarget.Height(); ++y)
        Span(y, 0, FTarget.Width());
    FTarget.Modified();
}

void TMaskRaster::FillRect(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    left = Clamp(left), top = Clamp(top), right = Clamp(right), bottom = Clamp(bottom);
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(bottom, FTarget.Height());
    for (int64_t y = y0; y < y1; ++y)
        Span(y, left, right);
    FTarget.Modified();
}

void TMaskRaster::FillEllipse(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    left = Clamp(left), top = Clamp(top), right = Clamp(right), bottom = Clamp(bottom);
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const __int128 A = right - left, B = bottom - top; // the axes, doubled coordinates
    if (A == 0 || B == 0) return;
    // In doubled coordinates the pixel centre (x + 1/2, y + 1/2) is X = 2x + 1 - (left + right),
    // Y = 2y + 1 - (top + bottom); it lies inside when X^2 B^2 + Y^2 A^2 <= A^2 B^2.
    const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(bottom, FTarget.Height());
    for (int64_t y = y0; y < y1; ++y) {
        const __int128 Y = 2 * y + 1 - (top + bottom);
        if (Y * Y > B * B) continue;
        const int64_t xmax = ISqrt(A * A * (B * B - Y * Y) / (B * B));
        const __int128 lr = left + right - 1;
        const int64_t x0 = int64_t(CeilDiv(lr - xmax, 2));
        const int64_t x1 = int64_t(FloorDiv(lr + xmax, 2));
        Span(y, x0, x1 + 1);
    }
    FTarget.Modified();
}

void TMaskRaster::Line(TRasterPoint a, TRasterPoint b)
{
    a = {Clamp(a.X), Clamp(a.Y)};
    b = {Clamp(b.X), Clamp(b.Y)};
    const int64_t dx = b.X - a.X, dy = b.Y - a.Y;
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    if (adx == 0 && ady == 0) {
        Span(a.Y, a.X, a.X + 1);
        return;
    }
    // Step along the major axis over the part inside the bitmap; the minor coordinate is the
    // nearest one to the exact line (halves rounded up).
    if (adx >= ady) {
        if (a.X > b.X) std::swap(a, b);
        const int64_t ddy = b.Y - a.Y, ddx = b.X - a.X;
        const int64_t x0 = std::max<int64_t>(a.X, 0), x1 = std::min<int64_t>(b.X, FTarget.Width() - 1);
        for (int64_t x = x0; x <= x1; ++x) {
            const int64_t y = a.Y + int64_t(FloorDiv(__int128(2) * (x - a.X) * ddy + ddx, 2 * __int128(ddx)));
            Span(y, x, x + 1);
        }
    } else {
        if (a.Y > b.Y) std::swap(a, b);
        const int64_t ddy = b.Y - a.Y, ddx = b.X - a.X;
        const int64_t y0 = std::max<int64_t>(a.Y, 0), y1 = std::min<int64_t>(b.Y, FTarget.Height() - 1);
        for (int64_t y = y0; y <= y1; ++y) {
            const int64_t x = a.X + int64_t(FloorDiv(__int128(2) * (y - a.Y) * ddx + ddy, 2 * __int128(ddy)));
            Span(y, x, x + 1);
        }
    }
    FTarget.Modified();
}

void TMaskRaster::FillPolygon(std::span<const TRasterPoint> points)
{
    if (points.empty()) return;
    std::vector<TRasterPoint> p(points.begin(), points.end());
    int64_t ymin = INT64_MAX, ymax = INT64_MIN;
    for (auto& q : p) {
        q = {Clamp(q.X), Clamp(q.Y)};
        ymin = std::min(ymin, q.Y);
        ymax = std::max(ymax, q.Y);
    }
    // Interior: the row through the pixel centres y + 1/2 crosses the edges that span it; pixels
    // whose centres lie between the first and second crossing, the third and fourth, ... are set.
    const size_t n = p.size();
    std::vector<TCrossing> cross;
    const int64_t y0 = std::max<int64_t>(ymin, 0), y1 = std::min<int64_t>(ymax, FTarget.Height());
    for (int64_t y = y0; y < y1 && n >= 3; ++y) {
        cross.clear();
        const __int128 yc2 = 2 * __int128(y) + 1; // doubled row centre
        for (size_t i = 0; i < n; ++i) {
            TRasterPoint a = p[i], b = p[(i + 1) % n];
            if (a.Y == b.Y) continue;
            if (a.Y > b.Y) std::swap(a, b);
            if (!(2 * __int128(a.Y) <= yc2 && yc2 < 2 * __int128(b.Y))) continue;
            // x = a.X + (yc2 / 2 - a.Y) (b.X - a.X) / (b.Y - a.Y)
            const __int128 den = 2 * __int128(b.Y - a.Y);
            cross.push_back({__int128(a.X) * den + (yc2 - 2 * __int128(a.Y)) * (b.X - a.X), den});
        }
        std::sort(cross.begin(), cross.end());
        for (size_t i = 0; i + 1 < cross.size(); i += 2) {
            // Pixels with x + 1/2 >= first and x + 1/2 < second.
            const TCrossing& s = cross[i];
            const TCrossing& e = cross[i + 1];
            const int64_t xa = int64_t(CeilDiv(2 * s.Num - s.Den, 2 * s.Den));
            const int64_t xb = int64_t(CeilDiv(2 * e.Num - e.Den, 2 * e.Den));
            Span(y, xa, xb);
        }
    }
    for (size_t i = 0; i < n; ++i)
        Line(p[i], p[(i + 1) % n]);
    FTarget.Modified();
}
