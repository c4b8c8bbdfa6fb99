#pragma once
// Pictures and the library's own encoder for the encoder tests.
#include <cstdint>
#include <random>
#include <vector>

#include "codec/EncoderKernels.h"
#include "codec/JpegEncoder.h"
#include "support/LibraryCodec.h"

// Noise: every byte random.
inline TBitmap RandomPicture(int width, int height, uint32_t seed)
{
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
    {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < width * 3; ++x) row[x] = uint8_t(rng());
    }
    return bmp;
}

// Smooth gradients, a texture, hard edges and some noise.
inline TBitmap PhotoLikePicture(int width, int height, uint32_t seed)
{
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
    {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < width; ++x)
        {
            int r = 40 + x * 160 / (width + 1) + y * 40 / (height + 1);
            int g = 60 + y * 150 / (height + 1);
            int b = 200 - x * 100 / (width + 1);
            if (((x / 7) + (y / 5)) % 2) r += 25, g -= 15;          // texture
            if (x > width / 2 && y > height / 3) r = 250 - r / 3, b = 20; // an edge
            int n = int(rng() % 9) - 4;
            row[x * 3 + 0] = uint8_t(std::clamp(b + n, 0, 255));
            row[x * 3 + 1] = uint8_t(std::clamp(g + n, 0, 255));
            row[x * 3 + 2] = uint8_t(std::clamp(r + n, 0, 255));
        }
    }
    return bmp;
}

// Library rounding with the tables of the given qualities.
inline TEncodeParams IdentityParams(int lumQuality = 75, int chromQuality = 60)
{
    TEncodeParams p;
    p.Coding.Tables = qmjpeg::BuildQuantTables({lumQuality, chromQuality});
    p.Coding.Rounding = TQuantRounding::Library;
    return p;
}

// The plain kernels for the lifetime of the object, or the processor's own.
struct TKernelChoice
{
    explicit TKernelChoice(bool plain) { ForcePlainKernels(plain); }
    ~TKernelChoice() { ForcePlainKernels(false); }
};
