#include <bit>

#include "platform/BmpDecode.h"
#include "platform/Format.h"

namespace {
// A mask is contiguous when adding its lowest set bit clears all of its bits.
bool Contiguous(uint32_t mask)
{
    if (mask == 0) return true;
    uint64_t m = mask;
    return ((m + (m & (~m + 1))) & m) == 0;
}
} // namespace

void CheckBmpMasks(const TBmpMasks& masks, int bitsPerPixel)
{
    const uint32_t all[4] = {masks.Red, masks.Green, masks.Blue, masks.Alpha};
    uint64_t inside = bitsPerPixel >= 32 ? 0xFFFFFFFFull : ((uint64_t(1) << bitsPerPixel) - 1);
    uint32_t seen = 0;
    for (uint32_t m : all) {
        if (!Contiguous(m) || (m & ~inside) != 0 || (m & seen) != 0)
            BmpInvalid(Format("bit field masks %08X %08X %08X %08X do not fit %d-bit pixels", masks.Red,
                              masks.Green, masks.Blue, masks.Alpha, bitsPerPixel));
        seen |= m;
    }
    if ((masks.Red | masks.Green | masks.Blue) == 0) BmpInvalid("bit field masks select no colour");
}

uint8_t TBmpBitFieldConverter::TChannel::Widen(uint32_t pixel) const
{
    uint32_t v = (pixel & Mask) >> Shift;
    if (Bits <= 8) return Table[v];
    // Wider channels: nearest 8-bit value. The maximum is odd, so there is never a tie.
    uint64_t max = (uint64_t(1) << Bits) - 1;
    return uint8_t((uint64_t(v) * 255 * 2 + max) / (2 * max));
}

TBmpBitFieldConverter::TBmpBitFieldConverter(const TBmpMasks& masks, int bitsPerPixel)
    : FBytesPerPixel(bitsPerPixel / 8)
{
    const uint32_t order[4] = {masks.Blue, masks.Green, masks.Red, masks.Alpha};
    for (int c = 0; c < 4; ++c) {
        TChannel& ch = FChannels[c];
        ch.Mask = order[c];
        if (ch.Mask == 0) continue; // reads as 0
        ch.Shift = std::countr_zero(ch.Mask);
        ch.Bits = std::popcount(ch.Mask);
        if (ch.Bits > 8) continue;
        // Repeat the value's bits from the top down to fill 8 bits: 0 stays 0, the maximum is 255.
        for (uint32_t v = 0; v < (1u << ch.Bits); ++v) {
            uint32_t out = 0;
            int filled = 0;
            while (filled < 8) {
                out = (out << ch.Bits) | v;
                filled += ch.Bits;
            }
            ch.Table[v] = uint8_t(out >> (filled - 8));
        }
    }
}

void TBmpBitFieldConverter::ConvertRow(const uint8_t* src, uint8_t* dst, int width) const
{
    for (int x = 0; x < width; ++x, src += FBytesPerPixel, dst += 4) {
        uint32_t p = uint32_t(src[0]) | (uint32_t(src[1]) << 8);
        if (FBytesPerPixel == 4) p |= (uint32_t(src[2]) << 16) | (uint32_t(src[3]) << 24);
        for (int c = 0; c < 4; ++c)
            dst[c] = FChannels[c].Mask ? FChannels[c].Widen(p) : 0;
    }
}
