#pragma once
// The library's accurate integer forward DCT ("islow"): 13-bit constants, 2 extra bits of precision
// between the passes, outputs scaled up by 8. Samples are level-shifted by -128 first.
#include <cstddef>
#include <cstdint>

namespace fdct
{
constexpr int ConstBits = 13;
constexpr int Pass1Bits = 2;
constexpr int32_t Fix_0_298631336 = 2446;
constexpr int32_t Fix_0_390180644 = 3196;
constexpr int32_t Fix_0_541196100 = 4433;
constexpr int32_t Fix_0_765366865 = 6270;
constexpr int32_t Fix_0_899976223 = 7373;
constexpr int32_t Fix_1_175875602 = 9633;
constexpr int32_t Fix_1_501321110 = 12299;
constexpr int32_t Fix_1_847759065 = 15137;
constexpr int32_t Fix_1_961570560 = 16069;
constexpr int32_t Fix_2_053119869 = 16819;
constexpr int32_t Fix_2_562915447 = 20995;
constexpr int32_t Fix_3_072711026 = 25172;
} // namespace fdct

// One 8x8 block of samples (rows stride bytes apart) -> 64 coefficients in natural order.
void ForwardDctPlain(const uint8_t* samples, size_t stride, int16_t* out);
