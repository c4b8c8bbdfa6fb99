// Row conversions of the RGB family: RGB and BGR, with or without alpha, 8 and 16 bits per sample.
#include "formats/conversions/ComponentConverters.h"

using namespace conversions;

template <bool SwapOrder>
void TColorManager::ConvertRGBFamily(const std::vector<const uint8_t*>& source, uint8_t* target, uint32_t count,
                                     uint8_t mask)
{
    const int s = FSourceBPS, t = FTargetBPS;
    if ((s != 8 && s != 16) || (t != 8 && t != 16)) return; // depth not handled
    const bool sourceAlpha = SourceOptions & optAlpha;
    const bool targetAlpha = TargetOptions & optAlpha;
    const bool copyAlpha = sourceAlpha && targetAlpha;
    const bool planar = source.size() > 1;
    const size_t planes = planar ? (copyAlpha ? 4u : 3u) : 1u;
    if (source.size() < planes) return;
    for (size_t i = 0; i < planes; ++i)
        if (!source[i]) return;

    const size_t sourceBytes = size_t(s) / 8;
    TRGBRowLayout row{};
    for (size_t c = 0; c < 4; ++c)
        row.Planes[c] = planar ? (c < planes ? source[c] : nullptr) : source[0] + c * sourceBytes;
    row.SourceStep = planar ? sourceBytes : (sourceAlpha ? 4 : 3) * sourceBytes;
    row.Target = target;
    row.TargetStride = targetAlpha ? 4 : 3;
    row.Count = count;
    row.Mask = mask;
    row.CopyAlpha = copyAlpha;

    const bool gamma = TargetOptions & optApplyGamma;
    const bool swap = SourceOptions & optSwapBytes;
    const TGammaByte gammaByte{FGammaTable};
    if (s == 8 && t == 8) {
        if (gamma)
            ConvertRGBRow<SwapOrder, uint8_t, uint8_t>(row, gammaByte, TPassSample{});
        else
            ConvertRGBRow<SwapOrder, uint8_t, uint8_t>(row, TPassSample{}, TPassSample{});
    } else if (s == 8) {
        if (gamma && swap)
            ConvertRGBRow<SwapOrder, uint8_t, uint16_t>(row, TWidenByte<TGammaByte, true>{gammaByte},
                                                        TWidenByte<TPassSample, true>{});
        else if (gamma)
            ConvertRGBRow<SwapOrder, uint8_t, uint16_t>(row, TWidenByte<TGammaByte, false>{gammaByte},
                                                        TWidenByte<TPassSample, false>{});
        else if (swap)
            ConvertRGBRow<SwapOrder, uint8_t, uint16_t>(row, TWidenByte<TPassSample, true>{},
                                                        TWidenByte<TPassSample, true>{});
        else
            ConvertRGBRow<SwapOrder, uint8_t, uint16_t>(row, TWidenByte<TPassSample, false>{},
                                                        TWidenByte<TPassSample, false>{});
    } else if (t == 8) { // alpha is never gamma-corrected
        if (gamma && swap)
            ConvertRGBRow<SwapOrder, uint16_t, uint8_t>(row, TSwapScaleGammaWord{FGammaTable}, TSwapScaleWord{});
        else if (gamma)
            ConvertRGBRow<SwapOrder, uint16_t, uint8_t>(row, TScaleGammaWord{FGammaTable}, TScaleWord{});
        else if (swap)
            ConvertRGBRow<SwapOrder, uint16_t, uint8_t>(row, TSwapScaleWord{}, TSwapScaleWord{});
        else
            ConvertRGBRow<SwapOrder, uint16_t, uint8_t>(row, TScaleWord{}, TScaleWord{});
    } else {
        if (swap)
            ConvertRGBRow<SwapOrder, uint16_t, uint16_t>(row, TSwapWord{}, TSwapWord{});
        else
            ConvertRGBRow<SwapOrder, uint16_t, uint16_t>(row, TPassSample{}, TPassSample{});
    }
}

void TColorManager::ConvertRGBToRGB(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<false>(s, t, n, m);
}

void TColorManager::ConvertRGBToBGR(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<true>(s, t, n, m);
}

void TColorManager::ConvertBGRToRGB(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<true>(s, t, n, m);
}

void TColorManager::ConvertBGRToBGR(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<false>(s, t, n, m);
}
