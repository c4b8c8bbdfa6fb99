#pragma once
// Per-channel steps shared by the resampling passes.
#include <cstdint>

#include "platform/Round.h"

// A filtered channel value as a byte: clamped to 0..255, rounded half to even.
inline uint8_t ClampRoundByte(float v)
{
    if (v > 255.0f) return 255;
    if (v < 0.0f) return 0;
    return uint8_t(RoundInt(v));
}

// Blends a computed channel with the reference sample: fidelity 0 gives the reference, 256 the
// computed value. Fidelity must be 0..256 (the sum is then never negative).
inline uint8_t BlendFidelity(int reference, int value, int fidelity)
{
    return uint8_t((reference * 256 + (value - reference) * fidelity + 127) >> 8);
}
