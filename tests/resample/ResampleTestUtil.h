#pragma once
// Pictures and resized pictures for the resampling tests.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "platform/Bitmap.h"
#include "resample/AreaResample.h"
#include "resample/FilterResample.h"

// Noise with smooth parts and hard edges, so both the averaging and the lobes of the kernels show.
inline TBitmap TestPicture(int w, int h, uint32_t seed)
{
    TBitmap b(w, h, TPixelFormat::pf24bit);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = b.ScanLine(y) + 3 * x;
            p[0] = uint8_t((x * 255) / (w > 1 ? w - 1 : 1));
            p[1] = ((x / 3 + y / 5) % 2) ? 255 : 0;
            p[2] = uint8_t(rng());
        }
    return b;
}

// A picture of one row (or column) from channel values given per pixel (all channels alike).
inline TBitmap RowPicture(const std::vector<int>& v, bool vertical = false)
{
    const int n = int(v.size());
    TBitmap b(vertical ? 1 : n, vertical ? n : 1, TPixelFormat::pf24bit);
    for (int i = 0; i < n; ++i)
        std::memset(vertical ? b.ScanLine(i) : b.ScanLine(0) + 3 * i, v[size_t(i)], 3);
    return b;
}

// The first channel of every pixel of a one-row or one-column picture.
inline std::vector<int> RowValues(const TBitmap& b)
{
    std::vector<int> out;
    for (int i = 0; i < std::max(b.Width(), b.Height()); ++i)
        out.push_back(b.Height() == 1 ? b.ScanLine(0)[3 * i] : b.ScanLine(i)[0]);
    return out;
}

// Rows are padded with zeros that no resampler writes: equal pixels are equal bytes.
inline bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    return a.Width() == b.Width() && a.Height() == b.Height() && a.PixelFormat() == b.PixelFormat() &&
           std::memcmp(a.Bits(), b.Bits(), a.ByteSize()) == 0;
}

// The picture resized by the filter (methods 0..6) or by the area reducer (AreaMethod).
constexpr int AreaMethod = -1;
inline TBitmap Resized(const TBitmap& src, int w, int h, int method, int fidelity = 256, int threads = 1)
{
    TBitmap dst(w, h);
    method == AreaMethod ? AreaResample(src, dst, fidelity, {}, threads)
                         : FilterResample(src, dst, method, fidelity, {}, threads);
    return dst;
}
