#pragma once
// Per-channel steps shared by the resampling passes.
#include <cstdint>

#include "platform/Round.h"

// A filtered channel value as a byte: rounded half to even, clamped to 0..255 (the same as clamping
// first). Filtered sums lie far inside the int range. Written without branches so loops over a row
// vectorise.
inline uint8_t ClampRoundByte(float v)
{
    int i = int(RoundSmall(v));
    i = i < 0 ? 0 : i;
    i = i > 255 ? 255 : i;
    return uint8_t(i);
}

// Blends a computed channel with the reference sample: fidelity 0 gives the reference, 256 the
// computed value. Fidelity must be 0..256 (the sum is then never negative).
inline uint8_t BlendFidelity(int reference, int value, int fidelity)
{
    return uint8_t((reference * 256 + (value - reference) * fidelity + 127) >> 8);
}
