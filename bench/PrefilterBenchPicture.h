#pragma once
// A photo-like test picture for the prefilter benchmarks: smooth shading, edges, texture and noise.
#include <cmath>
#include <cstdint>
#include <random>

#include "platform/Bitmap.h"

inline TBitmap PrefilterBenchPicture(int w, int h, uint32_t seed = 1)
{
    TBitmap b(w, h, TPixelFormat::pf24bit);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-8, 8);
    for (int y = 0; y < h; ++y) {
        uint8_t* p = b.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const double fx = double(x) / w, fy = double(y) / h;
            const double shade = 128 + 90 * std::sin(6.0 * fx + 3.0 * fy) * std::cos(4.0 * fy);
            const int edge = ((x / 211 + y / 173) & 1) ? 35 : -35;
            const int texture = ((x * 7 + y * 13) % 23) - 11;
            for (int ch = 0; ch < 3; ++ch) {
                int v =
                    int(shade) + edge * (ch == 1 ? 1 : -1) + texture * (ch + 1) / 2 + noise(rng) + 20 * ch;
                p[3 * x + ch] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    }
    b.Modified();
    return b;
}
