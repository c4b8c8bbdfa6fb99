// Row conversions of CMYK, CIE L*a*b*, YCbCr and PhotoYCC data to RGB or BGR, 8 and 16 bits per
// sample on each side. None of them applies gamma; 16-bit source samples in the other byte order
// (optSwapBytes) are swapped as they are read. A target with alpha keeps its alpha sample as it was.
#include <cmath>

#include "formats/conversions/ComponentConverters.h"
#include "platform/Round.h"

using namespace conversions;

namespace {
// v rounded into 0..top; NaN gives 0.
inline unsigned ClampRound(double v, double top)
{
    if (!(v > 0)) return 0;
    if (v >= top) return unsigned(top);
    return unsigned(Round(v));
}

inline uint16_t Widen(unsigned v8)
{
    return TColorManager::MulDivWord(uint16_t(v8), 65535, 255);
}

// Runs convert<TIn, TOut>() for the depth pair of the manager; other pairs convert nothing.
template <class F> void ForDepthPair(int sourceBits, int targetBits, F&& convert)
{
    if (sourceBits == 8 && targetBits == 8)
        convert.template operator()<uint8_t, uint8_t>();
    else if (sourceBits == 8 && targetBits == 16)
        convert.template operator()<uint8_t, uint16_t>();
    else if (sourceBits == 16 && targetBits == 8)
        convert.template operator()<uint16_t, uint8_t>();
    else if (sourceBits == 16 && targetBits == 16)
        convert.template operator()<uint16_t, uint16_t>();
}

// One CMYK colour value (cyan, magenta or yellow with black) at a depth pair.
template <class TIn, class TOut> TOut CMYKValue(unsigned colour, unsigned black)
{
    using M = TColorManager;
    if constexpr (sizeof(TIn) == 1) {
        const unsigned v8 =
            M::ClampToByte(255 - int(colour - M::MulDivWord(uint16_t(colour), uint16_t(black), 255) + black));
        if constexpr (sizeof(TOut) == 1)
            return TOut(v8);
        else
            return Widen(v8);
    } else {
        const uint16_t ink =
            uint16_t(colour - M::MulDivWord(uint16_t(colour), uint16_t(black), 65535) + black);
        if constexpr (sizeof(TOut) == 1)
            return M::ClampToByte(255 - M::MulDivWord(ink, 255, 65535));
        else
            return uint16_t(65535 - ink);
    }
}

// One CIE L*a*b* pixel: lightness, a and b as read, to red, green and blue in 0..1 (not clamped).
void LabToRGB(double l, double a, double b, double (&rgb)[3])
{
    const double yyn3 = (l + 16) / 116;
    double x, y, z;
    if (l < 7.9996) {
        y = l / 903.3;
        x = a / 3893.5 + y;
        z = y - b / 1557.4;
    } else {
        const double tx = yyn3 + a / 500, tz = yyn3 - b / 200;
        x = tx * tx * tx;
        y = yyn3 * yyn3 * yyn3;
        z = tz * tz * tz;
    }
    rgb[0] = 2.998 * x - 1.458 * y - 0.541 * z;
    rgb[1] = -0.952 * x + 1.893 * y + 0.059 * z;
    rgb[2] = 0.099 * x - 0.198 * y + 1.099 * z;
}

// Three-sample sources are interleaved when the row has one plane, else planar.
template <class TIn>
TSourceLayout<3> ThreeSampleLayout(TColorManager::TPlanes source, uint32_t count, uint8_t mask)
{
    return MakeSourceLayout<3>(source, source.size() != 1, sizeof(TIn), 3, ConvertedPixels(count, mask));
}

size_t TargetStride(TConversionOptions targetOptions)
{
    return targetOptions & optAlpha ? 4 : 3;
}
} // namespace

template <bool SwapOrder>
void TColorManager::ConvertCMYK(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask)
{
    ForDepthPair(FSourceBPS, FTargetBPS, [&]<class TIn, class TOut>() {
        // Planar exactly when the row has four planes: cyan, magenta, yellow, black.
        const auto layout =
            MakeSourceLayout<4>(source, source.size() == 4, sizeof(TIn), 4, ConvertedPixels(count, mask));
        ConvertPixels<SwapOrder, TIn, TOut, 4, 3>(
            layout, target, TargetStride(TargetOptions), count, mask,
            [](const TIn(&in)[4], TOut(&out)[3]) {
                for (size_t c = 0; c < 3; ++c)
                    out[c] = CMYKValue<TIn, TOut>(in[c], in[3]);
            },
            (SourceOptions & optSwapBytes) != 0);
    });
}

template <bool SwapOrder>
void TColorManager::ConvertLab(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask)
{
    // Picked once per row: the divisor of the lightness, and the bit that turns chroma stored around
    // the middle of the range into the signed form (v - 128 is the signed byte of v xor 0x80).
    const double lightnessDivisor = SourceOptions & optLabByteRange ? 2.55 : 1.0;
    const unsigned chromaFlip = SourceOptions & optLabChromaOffset ? 0x80 : 0;
    ForDepthPair(FSourceBPS, FTargetBPS, [&]<class TIn, class TOut>() {
        const auto layout = ThreeSampleLayout<TIn>(source, count, mask);
        ConvertPixels<SwapOrder, TIn, TOut, 3, 3>(
            layout, target, TargetStride(TargetOptions), count, mask,
            [&](const TIn(&in)[3], TOut(&out)[3]) {
                double l, a, b;
                if constexpr (sizeof(TIn) == 1) {
                    l = in[0] / lightnessDivisor;
                    a = int8_t(in[1] ^ chromaFlip);
                    b = int8_t(in[2] ^ chromaFlip);
                } else {
                    // 16-bit data: lightness over the whole word, a and b in 1/256 steps (signed,
                    // or around 32768 with the chroma offset).
                    l = in[0] * (100.0 / 65535);
                    a = int16_t(in[1] ^ chromaFlip << 8) / 256.0;
                    b = int16_t(in[2] ^ chromaFlip << 8) / 256.0;
                }
                double rgb[3];
                LabToRGB(l, a, b, rgb);
                for (size_t c = 0; c < 3; ++c) {
                    const unsigned v8 = ClampRound(255 * rgb[c], 255);
                    out[c] = sizeof(TOut) == 1 ? TOut(v8) : Widen(v8);
                }
            },
            (SourceOptions & optSwapBytes) != 0);
    });
}

template <bool SwapOrder, bool PhotoYCC>
void TColorManager::ConvertYCbCr(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask)
{
    if (FCrToRedTable.size() != 256) return; // no tables: not prepared for these data
    const int32_t *crToRed = FCrToRedTable.data(), *cbToBlue = FCbToBlueTable.data();
    const int32_t *crToGreen = FCrToGreenTable.data(), *cbToGreen = FCbToGreenTable.data();
    const float f1 = FYCbCrFactors[0], f2 = FYCbCrFactors[1], f3 = FYCbCrFactors[2], f4 = FYCbCrFactors[3];
    ForDepthPair(FSourceBPS, FTargetBPS, [&]<class TIn, class TOut>() {
        const auto layout = ThreeSampleLayout<TIn>(source, count, mask);
        ConvertPixels<SwapOrder, TIn, TOut, 3, 3>(
            layout, target, TargetStride(TargetOptions), count, mask,
            [&](const TIn(&in)[3], TOut(&out)[3]) {
                if constexpr (sizeof(TIn) == 2 && sizeof(TOut) == 2) {
                    double r, g, b;
                    if constexpr (PhotoYCC) {
                        const float y = 1.3584f * in[0], cb = float(in[1]) - 40092, cr = float(in[2]) - 35209;
                        r = y + 1.8215f * cr;
                        g = y - 0.9271435f * cr - 0.4302726f * cb;
                        b = y + 2.2179f * cb;
                    } else {
                        const double y = in[0], cb = in[1] - 32768.0, cr = in[2] - 32768.0;
                        r = y + double(f1) * cr;
                        g = y - double(f2) * cr - double(f4) * cb;
                        b = y + double(f3) * cb;
                    }
                    out[0] = TOut(ClampRound(r, 65535));
                    out[1] = TOut(ClampRound(g, 65535));
                    out[2] = TOut(ClampRound(b, 65535));
                } else {
                    unsigned y = in[0], cb = in[1], cr = in[2];
                    if constexpr (sizeof(TIn) == 2) {
                        y = ScaleWord(uint16_t(y));
                        cb = ScaleWord(uint16_t(cb));
                        cr = ScaleWord(uint16_t(cr));
                    }
                    // In 64 bits, so tables of extreme coefficients cannot overflow the sums.
                    const int64_t v[3] = {int64_t(y) + crToRed[cr],
                                          int64_t(y) + cbToGreen[cb] + crToGreen[cr],
                                          int64_t(y) + cbToBlue[cb]};
                    for (size_t c = 0; c < 3; ++c) {
                        const unsigned v8 = v[c] < 0 ? 0 : v[c] > 255 ? 255 : unsigned(v[c]);
                        out[c] = sizeof(TOut) == 1 ? TOut(v8) : Widen(v8);
                    }
                }
            },
            (SourceOptions & optSwapBytes) != 0);
    });
}

void TColorManager::ConvertCMYKToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertCMYK<false>(s, t, n, m);
}
void TColorManager::ConvertCMYKToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertCMYK<true>(s, t, n, m);
}
void TColorManager::ConvertLabToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertLab<false>(s, t, n, m);
}
void TColorManager::ConvertLabToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertLab<true>(s, t, n, m);
}
void TColorManager::ConvertYCbCrToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertYCbCr<false, false>(s, t, n, m);
}
void TColorManager::ConvertYCbCrToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertYCbCr<true, false>(s, t, n, m);
}
void TColorManager::ConvertPhotoYCCToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertYCbCr<false, true>(s, t, n, m);
}
void TColorManager::ConvertPhotoYCCToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertYCbCr<true, true>(s, t, n, m);
}
