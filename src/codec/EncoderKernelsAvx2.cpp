// Fast versions of the encoder stages for processors with AVX2. Each gives exactly the bytes of its
// plain version (EncoderKernelsTest checks them against each other); EncoderKernels.cpp picks them.
#include <immintrin.h>

#include "codec/ColorConvert.h"
#include "codec/EncoderKernels.h"
#include "codec/ForwardDct.h"

#define QM_AVX2 __attribute__((target("avx2")))

namespace
{

// ---- colour conversion -----------------------------------------------------------------------------

// Written so that the compiler vectorises it for AVX2; the arithmetic is the plain version's.
QM_AVX2 void BgrToYccAvx2(const uint8_t* __restrict bgr, int width, uint8_t* __restrict y, uint8_t* __restrict cb,
                          uint8_t* __restrict cr)
{
    using namespace colorconv;
    for (int x = 0; x < width; ++x)
    {
        const int32_t b = bgr[3 * x], g = bgr[3 * x + 1], r = bgr[3 * x + 2];
        y[x] = uint8_t((RY * r + GY * g + BY * b + OneHalf) >> ScaleBits);
        cb[x] = uint8_t((RCb * r + GCb * g + BCb * b + CbCrOffset + OneHalf - 1) >> ScaleBits);
        cr[x] = uint8_t((RCr * r + GCr * g + BCr * b + CbCrOffset + OneHalf - 1) >> ScaleBits);
    }
}

QM_AVX2 void BgrToGrayAvx2(const uint8_t* __restrict bgr, int width, uint8_t* __restrict y)
{
    using namespace colorconv;
    for (int x = 0; x < width; ++x)
        y[x] = uint8_t((RY * bgr[3 * x + 2] + GY * bgr[3 * x + 1] + BY * bgr[3 * x] + OneHalf) >> ScaleBits);
}

// ---- downsampling ----------------------------------------------------------------------------------

QM_AVX2 void H2V1Avx2(const uint8_t* __restrict in, uint8_t* __restrict out, int n)
{
    for (int x = 0; x < n; ++x) out[x] = uint8_t((in[2 * x] + in[2 * x + 1] + (x & 1)) >> 1);
}

QM_AVX2 void H2V2Avx2(const uint8_t* __restrict in0, const uint8_t* __restrict in1, uint8_t* __restrict out, int n)
{
    for (int x = 0; x < n; ++x)
        out[x] = uint8_t((in0[2 * x] + in0[2 * x + 1] + in1[2 * x] + in1[2 * x + 1] + 1 + (x & 1)) >> 2);
}

QM_AVX2 void DownsampleAvx2(const TDownsampleArgs& a)
{
    switch (a.Method)
    {
    case TDownsampleMethod::H2V1:
        for (int r = 0; r < a.V; ++r) H2V1Avx2(a.In[r], a.Out[r], a.OutCols);
        return;
    case TDownsampleMethod::H2V2:
        for (int r = 0; r < a.V; ++r) H2V2Avx2(a.In[2 * r], a.In[2 * r + 1], a.Out[r], a.OutCols);
        return;
    default: DownsamplePlain(a); return;
    }
}

// ---- forward DCT -----------------------------------------------------------------------------------

QM_AVX2 inline void Transpose8x8(__m256i r[8])
{
    __m256i t0 = _mm256_unpacklo_epi32(r[0], r[1]), t1 = _mm256_unpackhi_epi32(r[0], r[1]);
    __m256i t2 = _mm256_unpacklo_epi32(r[2], r[3]), t3 = _mm256_unpackhi_epi32(r[2], r[3]);
    __m256i t4 = _mm256_unpacklo_epi32(r[4], r[5]), t5 = _mm256_unpackhi_epi32(r[4], r[5]);
    __m256i t6 = _mm256_unpacklo_epi32(r[6], r[7]), t7 = _mm256_unpackhi_epi32(r[6], r[7]);
    __m256i u0 = _mm256_unpacklo_epi64(t0, t2), u1 = _mm256_unpackhi_epi64(t0, t2);
    __m256i u2 = _mm256_unpacklo_epi64(t1, t3), u3 = _mm256_unpackhi_epi64(t1, t3);
    __m256i u4 = _mm256_unpacklo_epi64(t4, t6), u5 = _mm256_unpackhi_epi64(t4, t6);
    __m256i u6 = _mm256_unpacklo_epi64(t5, t7), u7 = _mm256_unpackhi_epi64(t5, t7);
    r[0] = _mm256_permute2x128_si256(u0, u4, 0x20);
    r[1] = _mm256_permute2x128_si256(u1, u5, 0x20);
    r[2] = _mm256_permute2x128_si256(u2, u6, 0x20);
    r[3] = _mm256_permute2x128_si256(u3, u7, 0x20);
    r[4] = _mm256_permute2x128_si256(u0, u4, 0x31);
    r[5] = _mm256_permute2x128_si256(u1, u5, 0x31);
    r[6] = _mm256_permute2x128_si256(u2, u6, 0x31);
    r[7] = _mm256_permute2x128_si256(u3, u7, 0x31);
}

QM_AVX2 inline __m256i Mul(__m256i a, int32_t k)
{
    return _mm256_mullo_epi32(a, _mm256_set1_epi32(k));
}

QM_AVX2 inline __m256i Descale(__m256i x, int n)
{
    return _mm256_srai_epi32(_mm256_add_epi32(x, _mm256_set1_epi32(1 << (n - 1))), n);
}

// One pass of the integer DCT over 8 vectors d[0..7] (the 8 points of each lane's transform).
// pass1: results keep Pass1Bits of extra precision; else they are descaled by them.
template <bool Pass1> QM_AVX2 inline void DctPass(__m256i d[8])
{
    using namespace fdct;
    const __m256i tmp0 = _mm256_add_epi32(d[0], d[7]), tmp7 = _mm256_sub_epi32(d[0], d[7]);
    const __m256i tmp1 = _mm256_add_epi32(d[1], d[6]), tmp6 = _mm256_sub_epi32(d[1], d[6]);
    const __m256i tmp2 = _mm256_add_epi32(d[2], d[5]), tmp5 = _mm256_sub_epi32(d[2], d[5]);
    const __m256i tmp3 = _mm256_add_epi32(d[3], d[4]), tmp4 = _mm256_sub_epi32(d[3], d[4]);
    const __m256i tmp10 = _mm256_add_epi32(tmp0, tmp3), tmp13 = _mm256_sub_epi32(tmp0, tmp3);
    const __m256i tmp11 = _mm256_add_epi32(tmp1, tmp2), tmp12 = _mm256_sub_epi32(tmp1, tmp2);
    constexpr int shift = Pass1 ? ConstBits - Pass1Bits : ConstBits + Pass1Bits;
    if (Pass1)
    {
        d[0] = _mm256_slli_epi32(_mm256_add_epi32(tmp10, tmp11), Pass1Bits);
        d[4] = _mm256_slli_epi32(_mm256_sub_epi32(tmp10, tmp11), Pass1Bits);
    }
    else
    {
        d[0] = Descale(_mm256_add_epi32(tmp10, tmp11), Pass1Bits);
        d[4] = Descale(_mm256_sub_epi32(tmp10, tmp11), Pass1Bits);
    }
    __m256i z1 = Mul(_mm256_add_epi32(tmp12, tmp13), Fix_0_541196100);
    d[2] = Descale(_mm256_add_epi32(z1, Mul(tmp13, Fix_0_765366865)), shift);
    d[6] = Descale(_mm256_add_epi32(z1, Mul(tmp12, -Fix_1_847759065)), shift);

    z1 = _mm256_add_epi32(tmp4, tmp7);
    __m256i z2 = _mm256_add_epi32(tmp5, tmp6);
    __m256i z3 = _mm256_add_epi32(tmp4, tmp6);
    __m256i z4 = _mm256_add_epi32(tmp5, tmp7);
    const __m256i z5 = Mul(_mm256_add_epi32(z3, z4), Fix_1_175875602);
    const __m256i t4 = Mul(tmp4, Fix_0_298631336), t5 = Mul(tmp5, Fix_2_053119869);
    const __m256i t6 = Mul(tmp6, Fix_3_072711026), t7 = Mul(tmp7, Fix_1_501321110);
    z1 = Mul(z1, -Fix_0_899976223);
    z2 = Mul(z2, -Fix_2_562915447);
    z3 = _mm256_add_epi32(Mul(z3, -Fix_1_961570560), z5);
    z4 = _mm256_add_epi32(Mul(z4, -Fix_0_390180644), z5);
    d[7] = Descale(_mm256_add_epi32(_mm256_add_epi32(t4, z1), z3), shift);
    d[5] = Descale(_mm256_add_epi32(_mm256_add_epi32(t5, z2), z4), shift);
    d[3] = Descale(_mm256_add_epi32(_mm256_add_epi32(t6, z2), z3), shift);
    d[1] = Descale(_mm256_add_epi32(_mm256_add_epi32(t7, z1), z4), shift);
}

QM_AVX2 void ForwardDctRowAvx2(const uint8_t* samples, size_t stride, int blocks, int16_t* out)
{
    const __m256i centre = _mm256_set1_epi32(128);
    for (int b = 0; b < blocks; ++b, samples += 8, out += 64)
    {
        __m256i d[8];
        for (int r = 0; r < 8; ++r)
        {
            const __m128i row = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples + size_t(r) * stride));
            d[r] = _mm256_sub_epi32(_mm256_cvtepu8_epi32(row), centre); // lane = column
        }
        Transpose8x8(d); // d[c]: lane = row
        DctPass<true>(d); // d[k]: coefficient k of each row
        Transpose8x8(d); // d[r]: lane = coefficient column
        DctPass<false>(d); // d[u]: row u of the result
        for (int u = 0; u < 8; u += 2)
        {
            // Pack two rows of 8 int32 into 16 int16 in order.
            const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(d[u], d[u + 1]), 0xD8);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + u * 8), packed);
        }
    }
}

// ---- quantisation ----------------------------------------------------------------------------------

QM_AVX2 void QuantizeBlocksAvx2(const TComponentQuantizer& q, const int16_t* coef, int blockRow, int firstCol,
                                int count, int16_t (*out)[64])
{
    if (q.Mask)
    {
        QuantizeBlocksPlain(q, coef, blockRow, firstCol, count, out);
        return;
    }
    if (q.Rounding == TQuantRounding::Library)
    {
        alignas(32) uint32_t recip[64], corr[64], shift[64];
        for (size_t i = 0; i < 64; ++i)
        {
            recip[i] = q.Library[i].Reciprocal;
            corr[i] = q.Library[i].Correction;
            shift[i] = uint32_t(q.Library[i].Shift);
        }
        for (int b = 0; b < count; ++b, coef += 64)
            for (int i = 0; i < 64; i += 8)
            {
                const __m256i c = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + i)));
                const __m256i mag = _mm256_abs_epi32(c);
                __m256i v = _mm256_mullo_epi32(_mm256_add_epi32(mag, _mm256_load_si256(reinterpret_cast<__m256i*>(corr + i))),
                                               _mm256_load_si256(reinterpret_cast<__m256i*>(recip + i)));
                v = _mm256_srlv_epi32(v, _mm256_load_si256(reinterpret_cast<__m256i*>(shift + i)));
                v = _mm256_sign_epi32(v, c); // negate where c < 0 (c = 0 gives 0 either way)
                const __m128i packed = _mm_packs_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out[b] + i), packed);
            }
        return;
    }
    alignas(32) double recip[64];
    for (size_t i = 0; i < 64; ++i) recip[i] = double(q.Recip[i]);
    for (int b = 0; b < count; ++b, coef += 64)
        for (int i = 0; i < 64; i += 8)
        {
            const __m256i c = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + i)));
            // The products are exact in double (16 x 24 bits); the conversion rounds half to even.
            const __m128i lo = _mm256_cvtpd_epi32(
                _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(c)), _mm256_load_pd(recip + i)));
            const __m128i hi = _mm256_cvtpd_epi32(
                _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(c, 1)), _mm256_load_pd(recip + i + 4)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out[b] + i), _mm_packs_epi32(lo, hi));
        }
}

} // namespace

const TEncoderKernels& Avx2Kernels()
{
    static const TEncoderKernels k = {"avx2", BgrToYccAvx2, BgrToGrayAvx2, DownsampleAvx2, ForwardDctRowAvx2,
                                      QuantizeBlocksAvx2};
    return k;
}
