// Row conversions of indices and grey values: packed values of 1, 2, 4 or 8 bits (the first pixel
// in the high bits of a byte) and 16-bit words, on either side.
#include <array>

#include "formats/conversions/ComponentConverters.h"

using namespace conversions;

namespace {
bool IsPacked(unsigned depth)
{
    return depth == 1 || depth == 2 || depth == 4 || depth == 8;
}

uint64_t PackedBytes(uint64_t pixels, unsigned depth)
{
    return (pixels * depth + 7) / 8;
}

// Packed values of `depth` bits read in order from a row.
class TPackedReader
{
  public:
    TPackedReader(std::span<const uint8_t> row, unsigned depth)
        : FRow(row), FDepth(depth), FMax((1u << depth) - 1)
    {
    }
    unsigned Next()
    {
        const uint64_t bit = FIndex++ * FDepth;
        return (FRow[size_t(bit >> 3)] >> (8 - FDepth - unsigned(bit & 7))) & FMax;
    }

  private:
    std::span<const uint8_t> FRow;
    unsigned FDepth, FMax;
    uint64_t FIndex = 0;
};

// Writes value into pixel i of a row of packed values of `depth` bits; the other bits of its byte keep
// their contents.
inline void StorePacked(std::span<uint8_t> row, uint32_t i, unsigned depth, unsigned value)
{
    const uint64_t bit = uint64_t(i) * depth;
    const unsigned shift = 8 - depth - unsigned(bit & 7);
    const unsigned keep = ~(((1u << depth) - 1) << shift);
    uint8_t& byte = row[size_t(bit >> 3)];
    byte = uint8_t((byte & keep) | (value << shift));
}

// value x (2^toDepth - 1) / (2^fromDepth - 1), truncated, for every value of an 8-bit or narrower source.
std::array<uint8_t, 256> PackedScale(unsigned fromDepth, unsigned toDepth)
{
    std::array<uint8_t, 256> table{};
    const uint16_t maxIn = uint16_t((1u << fromDepth) - 1), maxOut = uint16_t((1u << toDepth) - 1);
    for (unsigned v = 0; v <= maxIn; ++v)
        table[v] = uint8_t(TColorManager::MulDivWord(uint16_t(v), maxOut, maxIn));
    return table;
}
} // namespace

void TColorManager::ConvertIndexed8(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask)
{
    const unsigned s = FSourceBPS, t = FTargetBPS;
    if (!IsPacked(s) || !IsPacked(t)) return; // depth not handled
    if (s == t && mask == 0xFF) {
        const uint64_t bytes = PackedBytes(count, s);
        RequireSource(source, 1, bytes);
        RequireTarget(target, bytes);
        if (bytes) std::memcpy(target.data(), source[0].data(), size_t(bytes));
        return;
    }
    RequireSource(source, 1, PackedBytes(ConvertedPixels(count, mask), s));
    RequireTarget(target, PackedBytes(count, t));
    const std::array<uint8_t, 256> scale = PackedScale(s, t);
    TPackedReader reader(source[0], s);
    ForEachConverted(count, mask, [&](uint32_t i) { StorePacked(target, i, t, scale[reader.Next()]); });
}

void TColorManager::ConvertIndexedSource16(TPlanes source, std::span<uint8_t> target, uint32_t count,
                                           uint8_t mask)
{
    const unsigned t = FTargetBPS;
    if (!IsPacked(t)) return; // depth not handled
    RequireSource(source, 1, ConvertedPixels(count, mask) * 2);
    RequireTarget(target, PackedBytes(count, t));
    const uint16_t maxOut = uint16_t((1u << t) - 1);
    const bool swap = SourceOptions & optSwapBytes;
    const std::span<const uint8_t> plane = source[0];
    size_t offset = 0;
    ForEachConverted(count, mask, [&](uint32_t i) {
        uint16_t v = LoadSample<uint16_t>(plane, offset);
        offset += 2;
        if (swap) v = SwapWord(v);
        StorePacked(target, i, t, MulDivWord(v, maxOut, 65535));
    });
}

void TColorManager::ConvertIndexedTarget16(TPlanes source, std::span<uint8_t> target, uint32_t count,
                                           uint8_t mask)
{
    const unsigned s = FSourceBPS;
    if (!IsPacked(s)) return; // depth not handled
    RequireSource(source, 1, PackedBytes(ConvertedPixels(count, mask), s));
    RequireTarget(target, uint64_t(count) * 2);
    const uint16_t maxIn = uint16_t((1u << s) - 1);
    const bool swap = SourceOptions & optSwapBytes;
    TPackedReader reader(source[0], s);
    ForEachConverted(count, mask, [&](uint32_t i) {
        const uint16_t v = MulDivWord(uint16_t(reader.Next()), 65535, maxIn);
        StoreSample<uint16_t>(target, size_t(i) * 2, swap ? SwapWord(v) : v);
    });
}

void TColorManager::ConvertIndexedBoth16(TPlanes source, std::span<uint8_t> target, uint32_t count,
                                         uint8_t mask)
{
    RequireSource(source, 1, ConvertedPixels(count, mask) * 2);
    RequireTarget(target, uint64_t(count) * 2);
    const bool swap = SourceOptions & optSwapBytes;
    if (!swap && mask == 0xFF) {
        if (count) std::memcpy(target.data(), source[0].data(), size_t(count) * 2);
        return;
    }
    const std::span<const uint8_t> plane = source[0];
    size_t offset = 0;
    ForEachConverted(count, mask, [&](uint32_t i) {
        const uint16_t v = LoadSample<uint16_t>(plane, offset);
        offset += 2;
        StoreSample<uint16_t>(target, size_t(i) * 2, swap ? SwapWord(v) : v);
    });
}
