// Row conversions of packed indices and grey values.
#include "formats/conversions/ComponentConverters.h"

using namespace conversions;

void TColorManager::ConvertIndexed8(const std::vector<const uint8_t*>& source, uint8_t* target, uint32_t count,
                                    uint8_t mask)
{
    const unsigned s = FSourceBPS, t = FTargetBPS;
    auto packed = [](unsigned d) { return d == 1 || d == 2 || d == 4 || d == 8; };
    if (!packed(s) || !packed(t) || source.empty() || !source[0]) return; // depth not handled
    const uint8_t* src = source[0];
    if (s == t && mask == 0xFF) {
        std::memcpy(target, src, (size_t(count) * s + 7) / 8);
        return;
    }
    uint8_t sourceMask = uint8_t(~((1u << (8 - s)) - 1));
    const uint16_t maxIn = uint16_t((1u << s) - 1);
    uint8_t targetMask = uint8_t((1u << (8 - t)) - 1);
    const uint16_t maxOut = uint16_t((1u << t) - 1);
    unsigned sourceShift = 8, targetShift = 8 - t;
    const uint32_t perTargetByte = 8 / t;
    uint8_t bit = 0x80;
    for (uint32_t done = 0; done < count;) {
        if (mask & bit) {
            sourceShift -= s;
            uint16_t value = uint16_t((*src & sourceMask) >> sourceShift);
            value = MulDivWord(value, maxOut, maxIn);
            *target = uint8_t((*target & targetMask) | (value << targetShift));
            if (sourceShift == 0) {
                sourceShift = 8;
                ++src;
            }
            sourceMask = RotateRight(sourceMask, s);
        }
        bit = RotateRight(bit, 1);
        targetMask = RotateRight(targetMask, t);
        targetShift = targetShift == 0 ? 8 - t : targetShift - t;
        ++done;
        if (done % perTargetByte == 0) ++target;
    }
}
