// The colour manager's row conversions and palettes under a random set-up. The first 32 bytes set it
// up, the rest is split into the source planes:
//   0 source scheme, 1 target scheme, 2 source bits, 3 target bits (each 1 + value mod 16),
//   4 source options, 5 target options, 6 interlace mask, 7-8 pixel count (little-endian, below 4096),
//   9 planes (value mod 6), 10-11 target bytes, 12-15 shares of the planes in the data,
//   16-19 main gamma, 20-23 display gamma, 24-27 first luma weight (floats as stored),
//   28 palette layout (value mod 9), 29 palette flags (bit 0 order, bit 1 minimum white),
//   30 palette entries, 31 target samples per pixel (1 + value mod 4).
// Only EColorConversionError may leave a call, and a refused row leaves the target as it was. Every
// plane and the target live in buffers of their own exact size, so a read or write past one is caught.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "formats/ColorManager.h"

namespace {
float FloatAt(const uint8_t* p)
{
    float f;
    std::memcpy(&f, p, sizeof f);
    return f;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr size_t kHeader = 32;
    if (size < kHeader) return 0;
    const uint8_t* h = data;
    const uint8_t* rest = data + kHeader;
    const size_t restSize = size - kHeader;

    TColorManager cm;
    cm.SetSourceScheme(TColorSchemeCode(h[0] % 14));
    cm.SetTargetScheme(TColorSchemeCode(h[1] % 14));
    cm.SetSourceBitsPerSample(1 + h[2] % 16);
    cm.SetTargetBitsPerSample(1 + h[3] % 16);
    cm.SetTargetSamplesPerPixel(1 + h[31] % 4);
    cm.SourceOptions = h[4];
    cm.TargetOptions = h[5];
    cm.SetGamma(FloatAt(h + 16), FloatAt(h + 20));
    fuzzsupport::Allowing<EColorConversionError>([&] {
        cm.SetYCbCrSubsampling({FloatAt(h + 24), 0.587f, 0.114f}, 1 << (h[29] >> 6 & 1), 1);
    });
    const uint8_t mask = h[6];
    const uint32_t count = (h[7] | uint32_t(h[8]) << 8) % 4096;

    // The planes: the data after the header, cut by the shares.
    const size_t planeCount = h[9] % 6;
    std::vector<std::vector<uint8_t>> planes(planeCount);
    unsigned shareSum = 0;
    for (size_t i = 0; i < planeCount; ++i)
        shareSum += h[12 + i % 4] + 1u;
    size_t at = 0;
    for (size_t i = 0; i < planeCount; ++i) {
        const size_t length =
            i + 1 == planeCount ? restSize - at : restSize * (h[12 + i % 4] + 1u) / shareSum;
        planes[i].assign(rest + at, rest + at + std::min(length, restSize - at));
        at += planes[i].size();
    }
    std::vector<std::span<const uint8_t>> spans(planes.begin(), planes.end());

    std::vector<uint8_t> target(h[10] | size_t(h[11]) << 8);
    for (size_t i = 0; i < target.size(); ++i)
        target[i] = uint8_t(i * 131 + 7);
    const std::vector<uint8_t> before = target;
    const bool converted =
        fuzzsupport::Allowing<EColorConversionError>([&] { cm.ConvertRow(spans, target, count, mask); });
    if (!converted && target != before) __builtin_trap();

    const std::vector<TRGBQuad> palette =
        cm.CreateColorPalette(spans, TRawPaletteLayout(h[28] % 9), h[30] * 2u, h[29] & 1);
    if (palette.size() > 256) __builtin_trap();
    if (cm.CreateGrayPalette(h[29] & 2).size() > 256) __builtin_trap();
    return 0;
}
