// Palettes of indexed and grey bitmaps: a grey ramp for the target depth, and the palette of a
// file's raw palette data.
#include <algorithm>
#include <array>

#include "formats/conversions/ComponentConverters.h"

using namespace conversions;

std::vector<TRGBQuad> TColorManager::CreateGrayPalette(bool minimumIsWhite) const
{
    const unsigned bits = std::min(unsigned(FTargetBPS) * FTargetSPP, 8u);
    const unsigned upper = (1u << bits) - 1;
    const unsigned factor = 255 / upper;
    const bool gamma = TargetOptions & optApplyGamma;
    std::vector<TRGBQuad> palette(upper + 1);
    for (unsigned i = 0; i <= upper; ++i) {
        const uint8_t grey = gamma ? FGammaTable[i * factor] : uint8_t(i * factor);
        palette[minimumIsWhite ? upper - i : i] = TRGBQuad{grey, grey, grey, 0};
    }
    return palette;
}

namespace {
// Fills entries from raw palette data: `samples` values of TIn per entry (the fourth, if any,
// skipped), interleaved in the first plane or one colour per plane. Entries the data does not hold
// completely stay as they are. Order (red, green, blue) gives the position of each colour within an entry.
template <class TIn, class F>
void FillEntries(TColorManager::TPlanes data, bool planar, size_t samples, const size_t (&order)[3],
                 F convert, std::span<TRGBQuad> entries)
{
    size_t available;
    if (planar) {
        available =
            data.size() < 3 ? 0 : std::min({data[0].size(), data[1].size(), data[2].size()}) / sizeof(TIn);
    } else {
        available = data.empty() ? 0 : data[0].size() / (samples * sizeof(TIn));
    }
    const size_t n = std::min(available, entries.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned rgb[3];
        for (size_t c = 0; c < 3; ++c)
            rgb[c] = planar ? convert(LoadSample<TIn>(data[c], i * sizeof(TIn)))
                            : convert(LoadSample<TIn>(data[0], (i * samples + order[c]) * sizeof(TIn)));
        entries[i] = TRGBQuad{uint8_t(rgb[2]), uint8_t(rgb[1]), uint8_t(rgb[0]), 0};
    }
}
} // namespace

std::vector<TRGBQuad> TColorManager::CreateColorPalette(TPlanes data, TRawPaletteLayout layout,
                                                        uint32_t colorCount, bool orderFlag) const
{
    std::array<TRGBQuad, 256> entries{};
    size_t count = std::min<uint32_t>(colorCount, 256);
    const std::span<TRGBQuad> filled(entries.data(), count);
    const bool gamma = TargetOptions & optApplyGamma;
    const bool swap = SourceOptions & optSwapBytes;
    const size_t samples = layout % 2 == 0 ? 3 : 4;
    const bool planar = layout == rplPlanar8Triple || layout == rplPlanar8Quad ||
                        layout == rplPlanar16Triple || layout == rplPlanar16Quad;
    // Positions of red, green and blue within an interleaved entry: the 8-bit layouts store blue
    // first when the flag is set, the 16-bit layouts when it is clear.
    static constexpr size_t kRGB[3] = {0, 1, 2}, kBGR[3] = {2, 1, 0};
    if (layout <= rplPlanar8Quad) {
        const auto& order = orderFlag ? kBGR : kRGB;
        if (gamma)
            FillEntries<uint8_t>(data, planar, samples, order, TGammaByte{FGammaTable}, filled);
        else
            FillEntries<uint8_t>(data, planar, samples, order, TPassSample{}, filled);
    } else if (layout <= rplPlanar16Quad) {
        const auto& order = orderFlag ? kRGB : kBGR;
        if (gamma && swap)
            FillEntries<uint16_t>(data, planar, samples, order, TSwapScaleGammaWord{FGammaTable}, filled);
        else if (gamma)
            FillEntries<uint16_t>(data, planar, samples, order, TScaleGammaWord{FGammaTable}, filled);
        else if (swap)
            FillEntries<uint16_t>(data, planar, samples, order, TSwapScaleWord{}, filled);
        else
            FillEntries<uint16_t>(data, planar, samples, order, TScaleWord{}, filled);
    }

    // A palette for another depth: entry i takes the colour of the source entry its value scales
    // to. Sources deeper than 8 bits have no such entries and keep their palette.
    const unsigned s = FSourceBPS, t = FTargetBPS;
    if (t <= 8 && s <= 8 && s != t) {
        const uint16_t maxIn = uint16_t((1u << s) - 1), maxOut = uint16_t((1u << t) - 1);
        // Growing walks down and shrinking walks up, so no entry is overwritten before it is read.
        if (maxIn < maxOut)
            for (int i = maxOut; i >= 0; --i)
                entries[size_t(i)] = entries[MulDivWord(uint16_t(i), maxIn, maxOut)];
        else
            for (unsigned i = 0; i <= maxOut; ++i)
                entries[i] = entries[MulDivWord(uint16_t(i), maxIn, maxOut)];
        count = size_t(maxOut) + 1;
    }
    return std::vector<TRGBQuad>(entries.begin(), entries.begin() + ptrdiff_t(count));
}
