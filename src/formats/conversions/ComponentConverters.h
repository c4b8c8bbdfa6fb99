#pragma once
// What the row conversions of the colour manager share: the component converters that map one
// sample, and unaligned sample access.
#include <cstdint>
#include <cstring>

#include "formats/ColorManager.h"

namespace conversions {
inline uint8_t RotateRight(uint8_t v, unsigned n)
{
    n &= 7;
    return n == 0 ? v : uint8_t((v >> n) | (v << (8 - n)));
}

// Component converters: each maps one sample. A row conversion picks them once per call and runs
// the loop of its depth pair with them, so the pixel loop tests no option but the mask.
struct TPassSample // PassByte and PassWord
{
    unsigned operator()(unsigned v) const { return v; }
};
struct TGammaByte
{
    const uint8_t* Gamma;
    unsigned operator()(unsigned v) const { return Gamma[v]; }
};
struct TScaleWord
{
    unsigned operator()(unsigned v) const { return TColorManager::ScaleWord(uint16_t(v)); }
};
struct TSwapScaleWord
{
    unsigned operator()(unsigned v) const { return TColorManager::ScaleWord(TColorManager::SwapWord(uint16_t(v))); }
};
struct TScaleGammaWord
{
    const uint8_t* Gamma;
    unsigned operator()(unsigned v) const { return Gamma[TColorManager::ScaleWord(uint16_t(v))]; }
};
struct TSwapScaleGammaWord
{
    const uint8_t* Gamma;
    unsigned operator()(unsigned v) const
    {
        return Gamma[TColorManager::ScaleWord(TColorManager::SwapWord(uint16_t(v)))];
    }
};
struct TSwapWord
{
    unsigned operator()(unsigned v) const { return TColorManager::SwapWord(uint16_t(v)); }
};
// 8 to 16 bits: the 8-bit converter, widened to 16 bits, then swapped when the source says so.
template <class TByteConverter, bool Swap> struct TWidenByte
{
    TByteConverter Byte;
    unsigned operator()(unsigned v) const
    {
        const uint16_t w = TColorManager::MulDivWord(uint16_t(Byte(v)), 65535, 255);
        return Swap ? TColorManager::SwapWord(w) : w;
    }
};

template <class T> inline T LoadSample(const uint8_t* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T> inline void StoreSample(uint8_t* p, T v) { std::memcpy(p, &v, sizeof v); }

// Where the samples of one RGB-family row are and how far each side moves per pixel.
struct TRGBRowLayout
{
    const uint8_t* Planes[4]; // first, second, third sample and alpha of the first source pixel
    size_t SourceStep;        // bytes from one source pixel to the next (per plane when planar)
    uint8_t* Target;
    size_t TargetStride;      // samples per target pixel
    uint32_t Count;
    uint8_t Mask;
    bool CopyAlpha;
};

template <bool SwapOrder, class TIn, class TOut, class TColour, class TAlpha>
void ConvertRGBRow(const TRGBRowLayout& row, TColour colour, TAlpha alpha)
{
    const size_t advance = row.TargetStride * sizeof(TOut);
    uint8_t* target = row.Target;
    size_t offset = 0;
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < row.Count; ++i, target += advance) {
        if (row.Mask & bit) {
            for (size_t c = 0; c < 3; ++c)
                StoreSample<TOut>(target + (SwapOrder ? 2 - c : c) * sizeof(TOut),
                                  TOut(colour(LoadSample<TIn>(row.Planes[c] + offset))));
            if (row.CopyAlpha)
                StoreSample<TOut>(target + 3 * sizeof(TOut), TOut(alpha(LoadSample<TIn>(row.Planes[3] + offset))));
            offset += row.SourceStep;
        }
        bit = RotateRight(bit, 1);
    }
}
} // namespace conversions
