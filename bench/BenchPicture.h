#pragma once
// The photo-like test picture of the benchmarks: a sky of soft gradients over a hill with a wavy
// horizon, fine texture and sensor-like noise. 24-bit, blue-green-red bytes as in TBitmap.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/Bitmap.h"

inline TBitmap BenchPicture(int width = 4000, int height = 3000, uint32_t seed = 12345)
{
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    const int horizon = height * 3 / 5, wave = height / 10;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 28) - 8;
            const double sky = 0.5 + 0.5 * std::sin(x * 0.0015 + y * 0.0007);
            const double hill = y > horizon + wave * std::sin(x * 0.002) ? 1.0 : 0.0;
            const double texture = 12 * std::sin(x * 0.09) * std::cos(y * 0.07);
            const int r = int(90 + 120 * sky * (1 - hill) + 40 * hill + texture) + noise;
            const int g = int(120 + 80 * sky + 60 * hill + texture) + noise;
            const int b = int(200 * sky * (1 - hill) + 30 * hill) + noise;
            row[3 * x] = uint8_t(std::clamp(b, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(g, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp(r, 0, 255));
        }
    }
    bmp.Modified();
    return bmp;
}
