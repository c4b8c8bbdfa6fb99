#include "codec/ForwardDct.h"

using namespace fdct;

namespace
{
inline int32_t Descale(int32_t x, int n)
{
    return (x + (int32_t(1) << (n - 1))) >> n; // arithmetic shift, as the library's RIGHT_SHIFT
}

// The odd part of the 1-D transform of eight values d[0], d[step], ... d[7 * step], from the
// differences tmp4..tmp7 of the mirrored pairs; writes outputs 1, 3, 5 and 7 descaled by shift.
inline void OddPart(int32_t* d, int step, int32_t tmp4, int32_t tmp5, int32_t tmp6, int32_t tmp7, int shift)
{
    int32_t z1 = tmp4 + tmp7, z2 = tmp5 + tmp6, z3 = tmp4 + tmp6, z4 = tmp5 + tmp7;
    const int32_t z5 = (z3 + z4) * Fix_1_175875602;
    tmp4 *= Fix_0_298631336;
    tmp5 *= Fix_2_053119869;
    tmp6 *= Fix_3_072711026;
    tmp7 *= Fix_1_501321110;
    z1 *= -Fix_0_899976223;
    z2 *= -Fix_2_562915447;
    z3 = z3 * -Fix_1_961570560 + z5;
    z4 = z4 * -Fix_0_390180644 + z5;
    d[7 * step] = Descale(tmp4 + z1 + z3, shift);
    d[5 * step] = Descale(tmp5 + z2 + z4, shift);
    d[3 * step] = Descale(tmp6 + z2 + z3, shift);
    d[1 * step] = Descale(tmp7 + z1 + z4, shift);
}
} // namespace

void ForwardDctPlain(const uint8_t* samples, size_t stride, int16_t* out)
{
    int32_t data[64];
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) data[r * 8 + c] = int32_t(samples[size_t(r) * stride + size_t(c)]) - 128;

    // Pass 1: rows; results scaled up by sqrt(8) and 2^Pass1Bits.
    for (int r = 0; r < 8; ++r)
    {
        int32_t* d = data + r * 8;
        int32_t tmp0 = d[0] + d[7], tmp7 = d[0] - d[7];
        int32_t tmp1 = d[1] + d[6], tmp6 = d[1] - d[6];
        int32_t tmp2 = d[2] + d[5], tmp5 = d[2] - d[5];
        int32_t tmp3 = d[3] + d[4], tmp4 = d[3] - d[4];

        int32_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3;
        int32_t tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
        d[0] = (tmp10 + tmp11) * (1 << Pass1Bits);
        d[4] = (tmp10 - tmp11) * (1 << Pass1Bits);
        const int32_t z1 = (tmp12 + tmp13) * Fix_0_541196100;
        d[2] = Descale(z1 + tmp13 * Fix_0_765366865, ConstBits - Pass1Bits);
        d[6] = Descale(z1 - tmp12 * Fix_1_847759065, ConstBits - Pass1Bits);

        OddPart(d, 1, tmp4, tmp5, tmp6, tmp7, ConstBits - Pass1Bits);
    }

    // Pass 2: columns; removes the Pass1Bits scaling, leaves the overall factor 8.
    for (int c = 0; c < 8; ++c)
    {
        int32_t* d = data + c;
        int32_t tmp0 = d[0] + d[56], tmp7 = d[0] - d[56];
        int32_t tmp1 = d[8] + d[48], tmp6 = d[8] - d[48];
        int32_t tmp2 = d[16] + d[40], tmp5 = d[16] - d[40];
        int32_t tmp3 = d[24] + d[32], tmp4 = d[24] - d[32];

        int32_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3;
        int32_t tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
        d[0] = Descale(tmp10 + tmp11, Pass1Bits);
        d[32] = Descale(tmp10 - tmp11, Pass1Bits);
        const int32_t z1 = (tmp12 + tmp13) * Fix_0_541196100;
        d[16] = Descale(z1 + tmp13 * Fix_0_765366865, ConstBits + Pass1Bits);
        d[48] = Descale(z1 - tmp12 * Fix_1_847759065, ConstBits + Pass1Bits);

        OddPart(d, 8, tmp4, tmp5, tmp6, tmp7, ConstBits + Pass1Bits);
    }
    for (int i = 0; i < 64; ++i) out[i] = int16_t(data[i]);
}
