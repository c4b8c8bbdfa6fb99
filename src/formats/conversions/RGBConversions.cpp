// Row conversions of the RGB family (RGB and BGR, with or without alpha) and of grey data, 8 and 16
// bits per sample.
#include "formats/conversions/ComponentConverters.h"

using namespace conversions;

namespace {
// One RGB-family row of a depth pair: colour samples through `colour`, alpha (when both sides have
// it) through `alpha`.
template <bool SwapOrder, class TIn, class TOut, class TColour, class TAlpha>
void ConvertRGBRow(TColorManager::TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask,
                   bool sourceAlpha, bool targetAlpha, TColour colour, TAlpha alpha)
{
    const bool planar = source.size() > 1;
    const uint64_t converted = ConvertedPixels(count, mask);
    const size_t sourceStride = sourceAlpha ? 4 : 3, targetStride = targetAlpha ? 4 : 3;
    if (sourceAlpha && targetAlpha) {
        const auto layout = MakeSourceLayout<4>(source, planar, sizeof(TIn), sourceStride, converted);
        ConvertPixels<SwapOrder, TIn, TOut, 4, 4>(layout, target, targetStride, count, mask,
                                                  [&](const TIn(&in)[4], TOut(&out)[4]) {
                                                      for (size_t c = 0; c < 3; ++c)
                                                          out[c] = TOut(colour(in[c]));
                                                      out[3] = TOut(alpha(in[3]));
                                                  });
    } else {
        const auto layout = MakeSourceLayout<3>(source, planar, sizeof(TIn), sourceStride, converted);
        ConvertPixels<SwapOrder, TIn, TOut, 3, 3>(layout, target, targetStride, count, mask,
                                                  [&](const TIn(&in)[3], TOut(&out)[3]) {
                                                      for (size_t c = 0; c < 3; ++c)
                                                          out[c] = TOut(colour(in[c]));
                                                  });
    }
}
} // namespace

template <bool SwapOrder>
void TColorManager::ConvertRGBFamily(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask)
{
    const int s = FSourceBPS, t = FTargetBPS;
    if ((s != 8 && s != 16) || (t != 8 && t != 16)) return; // depth not handled
    const bool sa = SourceOptions & optAlpha;
    const bool ta = TargetOptions & optAlpha;
    const bool gamma = TargetOptions & optApplyGamma;
    const bool swap = SourceOptions & optSwapBytes;
    const TGammaByte gammaByte{FGammaTable};
    auto row = [&]<class TIn, class TOut>(auto colour, auto alpha) {
        ConvertRGBRow<SwapOrder, TIn, TOut>(source, target, count, mask, sa, ta, colour, alpha);
    };
    if (s == 8 && t == 8) {
        if (gamma)
            row.template operator()<uint8_t, uint8_t>(gammaByte, TPassSample{});
        else
            row.template operator()<uint8_t, uint8_t>(TPassSample{}, TPassSample{});
    } else if (s == 8) {
        if (gamma && swap)
            row.template operator()<uint8_t, uint16_t>(TWidenByte<TGammaByte, true>{gammaByte},
                                                       TWidenByte<TPassSample, true>{});
        else if (gamma)
            row.template operator()<uint8_t, uint16_t>(TWidenByte<TGammaByte, false>{gammaByte},
                                                       TWidenByte<TPassSample, false>{});
        else if (swap)
            row.template operator()<uint8_t, uint16_t>(TWidenByte<TPassSample, true>{},
                                                       TWidenByte<TPassSample, true>{});
        else
            row.template operator()<uint8_t, uint16_t>(TWidenByte<TPassSample, false>{},
                                                       TWidenByte<TPassSample, false>{});
    } else if (t == 8) { // alpha is never gamma-corrected
        if (gamma && swap)
            row.template operator()<uint16_t, uint8_t>(TSwapScaleGammaWord{FGammaTable}, TSwapScaleWord{});
        else if (gamma)
            row.template operator()<uint16_t, uint8_t>(TScaleGammaWord{FGammaTable}, TScaleWord{});
        else if (swap)
            row.template operator()<uint16_t, uint8_t>(TSwapScaleWord{}, TSwapScaleWord{});
        else
            row.template operator()<uint16_t, uint8_t>(TScaleWord{}, TScaleWord{});
    } else {
        if (swap)
            row.template operator()<uint16_t, uint16_t>(TSwapWord{}, TSwapWord{});
        else
            row.template operator()<uint16_t, uint16_t>(TPassSample{}, TPassSample{});
    }
}

void TColorManager::ConvertRGBToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<false>(s, t, n, m);
}

void TColorManager::ConvertRGBToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<true>(s, t, n, m);
}

void TColorManager::ConvertBGRToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<true>(s, t, n, m);
}

void TColorManager::ConvertBGRToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<false>(s, t, n, m);
}

namespace {
// One grey row of a depth pair: the source advances by `step` bytes per converted pixel (the alpha
// sample, if any, skipped), the target by one sample per pixel.
template <class TIn, class TOut, class F>
void ConvertGrayRow(TColorManager::TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask,
                    size_t step, F convert)
{
    RequireSource(source, 1, ConvertedPixels(count, mask) * step);
    RequireTarget(target, uint64_t(count) * sizeof(TOut));
    const std::span<const uint8_t> plane = source[0];
    size_t offset = 0;
    ForEachConverted(count, mask, [&](uint32_t i) {
        StoreSample<TOut>(target, size_t(i) * sizeof(TOut), TOut(convert(LoadSample<TIn>(plane, offset))));
        offset += step;
    });
}
} // namespace

void TColorManager::ConvertGray(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask)
{
    const int s = FSourceBPS, t = FTargetBPS;
    if ((s != 8 && s != 16) || (t != 8 && t != 16)) return; // depth not handled
    const size_t step = size_t(s / 8) * (SourceOptions & optAlpha ? 2 : 1);
    const bool swap = SourceOptions & optSwapBytes;
    // No gamma here: grey data is shown through its palette, which carries the gamma.
    if (s == 8 && t == 8)
        ConvertGrayRow<uint8_t, uint8_t>(source, target, count, mask, step, TPassSample{});
    else if (s == 8)
        ConvertGrayRow<uint8_t, uint16_t>(source, target, count, mask, step,
                                          TWidenByte<TPassSample, false>{});
    else if (t == 8 && swap)
        ConvertGrayRow<uint16_t, uint8_t>(source, target, count, mask, step, TSwapScaleWord{});
    else if (t == 8)
        ConvertGrayRow<uint16_t, uint8_t>(source, target, count, mask, step, TScaleWord{});
    else if (swap)
        ConvertGrayRow<uint16_t, uint16_t>(source, target, count, mask, step, TSwapWord{});
    else
        ConvertGrayRow<uint16_t, uint16_t>(source, target, count, mask, step, TPassSample{});
}
