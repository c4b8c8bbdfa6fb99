#pragma once
// What the row conversions of the colour manager share: the component converters that map one
// sample, unaligned sample access, the walk over the pixels an interlace mask selects, and the
// checks that a row's buffers hold what the row reads and writes.
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

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
    unsigned operator()(unsigned v) const
    {
        return TColorManager::ScaleWord(TColorManager::SwapWord(uint16_t(v)));
    }
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

// Samples in machine byte order at a byte offset; the callers have checked the row's length.
template <class T> inline T LoadSample(std::span<const uint8_t> row, size_t at)
{
    T v;
    std::memcpy(&v, row.data() + at, sizeof v);
    return v;
}

template <class T> inline void StoreSample(std::span<uint8_t> row, size_t at, T v)
{
    std::memcpy(row.data() + at, &v, sizeof v);
}

// Calls convert(i) for every target pixel i of a row of count pixels that the interlace mask
// selects, in order: a test bit starts at 0x80 and rotates right after each pixel. Mask 0xFF runs
// a loop without the test.
template <class F> inline void ForEachConverted(uint32_t count, uint8_t mask, F&& convert)
{
    if (mask == 0xFF) {
        for (uint32_t i = 0; i < count; ++i)
            convert(i);
        return;
    }
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < count; ++i) {
        if (mask & bit) convert(i);
        bit = RotateRight(bit, 1);
    }
}

// Source pixels that a row of count target pixels consumes under the mask.
inline uint64_t ConvertedPixels(uint32_t count, uint8_t mask)
{
    const unsigned rest = count % 8;
    return uint64_t(count / 8) * unsigned(std::popcount(mask)) +
           unsigned(std::popcount(unsigned(mask) & (0xFF00u >> rest) & 0xFFu));
}

// Raises unless the source has at least `planes` planes, each holding `bytes` bytes.
void RequireSource(TColorManager::TPlanes source, size_t planes, uint64_t bytes);
// Raises unless the target row holds `bytes` bytes.
void RequireTarget(std::span<const uint8_t> target, uint64_t bytes);

// Where the samples of a row are: Inputs samples per source pixel, each in a plane of its own at a
// start offset, and the bytes from one source pixel to the next.
template <size_t Inputs> struct TSourceLayout
{
    std::span<const uint8_t> Plane[Inputs];
    size_t Start[Inputs];
    size_t Step;
};

// The layout of a row of `converted` source pixels, after checking that the source holds them:
// planar, one plane per sample (Inputs planes, the first Inputs of the source), or interleaved in
// the first plane with `stride` samples per pixel. Samples are `sampleBytes` wide.
template <size_t Inputs>
TSourceLayout<Inputs> MakeSourceLayout(TColorManager::TPlanes source, bool planar, size_t sampleBytes,
                                       size_t stride, uint64_t converted)
{
    TSourceLayout<Inputs> layout{};
    if (planar) {
        RequireSource(source, Inputs, converted * sampleBytes);
        for (size_t c = 0; c < Inputs; ++c)
            layout.Plane[c] = source[c];
        layout.Step = sampleBytes;
    } else {
        RequireSource(source, 1, converted * stride * sampleBytes);
        for (size_t c = 0; c < Inputs; ++c) {
            layout.Plane[c] = source[0];
            layout.Start[c] = c * sampleBytes;
        }
        layout.Step = stride * sampleBytes;
    }
    return layout;
}

// Converts a row whose source pixels hold Inputs samples of type TIn into target pixels of
// `targetStride` samples of type TOut, after checking the target holds the row. pixel(in, out)
// maps one pixel: its inputs in source order to Outputs samples, colours in red, green, blue
// order, which SwapOrder writes as blue, green, red; samples after the third keep their places.
// Target samples beyond Outputs are never written. swapWords: 16-bit source samples are stored in the
// other byte order and are swapped as they are read.
template <bool SwapOrder, class TIn, class TOut, size_t Inputs, size_t Outputs, class F>
void ConvertPixels(const TSourceLayout<Inputs>& source, std::span<uint8_t> target, size_t targetStride,
                   uint32_t count, uint8_t mask, F&& pixel, bool swapWords = false)
{
    static_assert(Outputs >= 3 && Outputs <= 4);
    RequireTarget(target, uint64_t(count) * targetStride * sizeof(TOut));
    const size_t advance = targetStride * sizeof(TOut);
    size_t offset = 0;
    ForEachConverted(count, mask, [&](uint32_t i) {
        TIn in[Inputs];
        for (size_t c = 0; c < Inputs; ++c)
            in[c] = LoadSample<TIn>(source.Plane[c], source.Start[c] + offset);
        if constexpr (sizeof(TIn) == 2)
            if (swapWords)
                for (TIn& v : in)
                    v = TColorManager::SwapWord(v);
        TOut out[Outputs];
        pixel(in, out);
        const size_t at = size_t(i) * advance;
        for (size_t c = 0; c < Outputs; ++c)
            StoreSample<TOut>(target, at + (SwapOrder && c < 3 ? 2 - c : c) * sizeof(TOut), out[c]);
        offset += source.Step;
    });
}
} // namespace conversions
