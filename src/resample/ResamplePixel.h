#pragma once
// Per-channel steps shared by the resampling passes.
#include <algorithm>
#include <cstdint>

#include "platform/Round.h"

// A filtered channel value as a byte: clamped to 0..255, rounded half to even.
inline uint8_t ClampRoundByte(float v)
{
    v = std::min(255.0f, std::max(0.0f, v)); // branch-free; NaN gives 0
    return uint8_t(int(RoundSmall(v)));
}

// Blends a computed channel with the reference sample: fidelity 0 gives the reference, 256 the
// computed value. Fidelity must be 0..256 (the sum is then never negative).
inline uint8_t BlendFidelity(int reference, int value, int fidelity)
{
    return uint8_t((reference * 256 + (value - reference) * fidelity + 127) >> 8);
}
