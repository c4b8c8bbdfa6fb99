#pragma once
// Straightforward prefilter used to check the engine: every pixel walks its whole disc, reading
// neighbours outside the picture from the picture mirrored at its edges.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Geometry.h"
#include "platform/Round.h"

namespace reference {

inline int Mirror(int64_t i, int n)
{
    while (i < 0 || i >= n)
        i = i < 0 ? -1 - i : 2 * int64_t(n) - 1 - i;
    return int(i);
}

inline uint8_t Sat(int64_t v)
{
    return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

struct Offset
{
    int dx, dy;
};

inline std::vector<Offset> Disc(int r)
{
    const int R = r == 1 ? 2 : r * r;
    std::vector<Offset> out;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if ((dx || dy) && dx * dx + dy * dy <= R) out.push_back({dx, dy});
    return out;
}

inline int Luma(const uint8_t* p)
{
    return int(Round(p[2] * 0.299)) + int(Round(p[1] * 0.587)) + int(Round(p[0] * 0.114));
}

// The strength curves worked out by hand at their breakpoints and at points between them (the
// reference knows no other strengths): kind 4's weight of the centre at radius 1 and beyond, kind
// 8's weight of the mean, kind 5's largest score that replaces a pixel.
struct TStrengthPoint
{
    int S;
    double CentreR1, Centre, MeanWeight;
    int Level;
};
inline constexpr TStrengthPoint StrengthPoints[] = {
    {0, 1.00, 0.20, 0.00, 0},     {10, 0.90, 0.18, 0.30, 10},   {30, 0.70, 0.14, 0.40, 30},
    {50, 0.50, 0.10, 0.50, 50},   {55, 0.45, 0.09, 0.53, 75},   {60, 0.40, 0.08, 0.56, 100},
    {70, 0.30, 0.06, 0.62, 150},  {75, 0.25, 0.05, 0.65, 267},  {85, 0.15, 0.03, 0.71, 500},
    {90, 0.10, 0.02, 0.74, 617},  {100, 0.00, 0.00, 0.80, 850},
};

inline const TStrengthPoint& StrengthAt(int s)
{
    for (const TStrengthPoint& p : StrengthPoints)
        if (p.S == s) return p;
    throw std::logic_error("no hand-computed curve values for strength " + std::to_string(s));
}

// The expected Dest after one pass. `dest` is Dest before the call (band-relative rows).
inline TBitmap Filter(const TBitmap& src, TRect rc, int radius, int strength, int param5, uint8_t maskValue,
                      bool onlyFilter, int kind, const TBitmap* mask, TBitmap dest)
{
    if (kind != 4 && kind != 5 && kind != 7 && kind != 8 && kind != 9) return dest;
    const int W = src.Width(), H = src.Height();
    const int r = std::clamp(radius, 1, 32), s = std::clamp(strength, 0, 100);
    const TStrengthPoint& curve = StrengthAt(s);
    const auto disc = Disc(r);
    const int N = int(disc.size());
    const int half = std::max(int(Round(N * 0.5)), 1);
    auto at = [&](int x, int y) { return src.ScanLine(Mirror(y, H)) + 3 * Mirror(x, W); };
    // The disc's values of channel ch (3: luma) around (x, y), sorted.
    auto sorted = [&](int x, int y, int ch) {
        std::vector<int> v;
        for (auto o : disc) v.push_back(ch == 3 ? Luma(at(x + o.dx, y + o.dy)) : at(x + o.dx, y + o.dy)[ch]);
        std::sort(v.begin(), v.end());
        return v;
    };
    for (int y = std::max(rc.Top, 0); y < std::min(rc.Bottom, H); ++y) {
        for (int x = std::max(rc.Left, 0); x < std::min(rc.Right, W); ++x) {
            const uint8_t* c = src.ScanLine(y) + 3 * x;
            uint8_t* d = dest.ScanLine(y - std::max(rc.Top, 0)) + 3 * x;
            if (mask) {
                const int bit = y < mask->Height() && x < mask->Width() ? (mask->ScanLine(y)[x / 8] >> (7 - x % 8)) & 1 : 1;
                if (((bit ^ (maskValue >> (7 - x % 8))) & 1) == 0) { // not to be filtered
                    if (onlyFilter) std::copy(c, c + 3, d);
                    continue;
                }
            }
            if (kind == 4 || kind == 8) {
                for (int ch = 0; ch < 3; ++ch) {
                    long sum = 0;
                    for (auto o : disc) sum += at(x + o.dx, y + o.dy)[ch];
                    const double m = sum * (1.0 / N);
                    d[ch] = kind == 4 ? Sat(Round(m + (r == 1 ? curve.CentreR1 : curve.Centre) * (c[ch] - m)))
                                      : Sat(Round(c[ch] + curve.MeanWeight * (m - c[ch])));
                }
            } else if (kind == 5 || kind == 9) {
                int med[3];
                long score = 0; // kind 5 replaces the pixel by the medians when its score is small enough
                for (int ch = 0; ch < 3; ++ch) {
                    med[ch] = sorted(x, y, ch)[size_t(N - half)];
                    const int i = c[ch] + med[ch];
                    score += long(Round(std::abs(c[ch] - med[ch]) * (i == 0 ? 0.0 : 300.0 / i)));
                }
                for (int ch = 0; ch < 3; ++ch)
                    d[ch] = kind == 9 ? Sat(Round(c[ch] + s * 0.01 * (med[ch] - c[ch])))
                                      : score <= curve.Level ? uint8_t(med[ch]) : c[ch];
            } else { // kind 7
                const int count = int(std::clamp<int64_t>(Round(double(N) * param5 * 0.01), 1, N));
                const double g = 1 + s * 0.01 * (double(1 + sorted(x, y, 3)[size_t(count - 1)]) / (1 + Luma(c)) - 1);
                uint8_t out[3];
                for (int ch = 0; ch < 3; ++ch) out[ch] = Sat(Round(c[ch] * g));
                std::copy(out, out + 3, d);
            }
        }
    }
    return dest;
}

// A picture with smooth areas, edges, noise and isolated outliers, so that every branch of the
// rank kinds is taken.
inline TBitmap Picture(int w, int h, uint32_t seed)
{
    std::mt19937 rng(seed);
    TBitmap b(w, h, TPixelFormat::pf24bit);
    std::uniform_int_distribution<int> noise(-6, 6), any(0, 255), pct(0, 99);
    const int base[3] = {any(rng), any(rng), any(rng)};
    for (int y = 0; y < h; ++y) {
        uint8_t* p = b.ScanLine(y);
        for (int x = 0; x < w; ++x)
            for (int ch = 0; ch < 3; ++ch) {
                int v = base[ch] + (x * (ch + 1) * 7 + y * 5) % 97 + noise(rng);
                if ((x / 5 + y / 4) % 3 == 0) v += 60;
                if (pct(rng) < 4) v = any(rng);
                p[3 * x + ch] = Sat(v);
            }
    }
    b.Modified();
    return b;
}

// A 1-bit mask the picture's size rounded up to 8, with random blobs of 0 bits.
inline TBitmap RandomMask(int w, int h, uint32_t seed, int zeroPercent)
{
    std::mt19937 rng(seed);
    TBitmap m((w + 7) / 8 * 8, (h + 7) / 8 * 8, TPixelFormat::pf1bit);
    std::uniform_int_distribution<int> pct(0, 99);
    for (int y = 0; y < m.Height(); ++y) {
        uint8_t* row = m.ScanLine(y);
        for (int x = 0; x < m.Width(); ++x)
            if (pct(rng) >= zeroPercent) row[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
    m.Modified();
    return m;
}

inline bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat())
        return false;
    const size_t bytes = size_t(a.Width()) * TBitmap::BitsPerPixel(a.PixelFormat()) / 8;
    for (int y = 0; y < a.Height(); ++y)
        if (!std::equal(a.ScanLine(y), a.ScanLine(y) + bytes, b.ScanLine(y))) return false;
    return true;
}

} // namespace reference
