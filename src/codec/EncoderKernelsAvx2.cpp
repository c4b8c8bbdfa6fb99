// Fast versions of the encoder stages for processors with AVX2. Each gives exactly the bytes of its
// plain version (EncoderKernelsTest checks them against each other); EncoderKernels.cpp picks them.
#include <immintrin.h>

#include "codec/ColorConvert.h"
#include "codec/EncoderKernels.h"
#include "codec/ForwardDct.h"
#include "codec/QuantTables.h"

#define QM_AVX2 __attribute__((target("avx2")))

namespace
{

// ---- colour conversion -----------------------------------------------------------------------------

// 16 pixels at a time: the blue, green and red bytes are gathered with byte shuffles, then each
// output is formed with 16-bit multiply-adds on (component, component) pairs. The library's
// constants above 32767 are split: 38470 g = 19235 g + 19235 g, and 32768 x = x << 15.
struct TDeinterleaveMasks
{
    alignas(16) int8_t M[3][3][16]; // [channel][source vector][output byte]
    TDeinterleaveMasks()
    {
        for (int ch = 0; ch < 3; ++ch)
            for (int v = 0; v < 3; ++v)
                for (int i = 0; i < 16; ++i)
                {
                    const int src = 3 * i + ch - 16 * v;
                    M[ch][v][i] = int8_t(src >= 0 && src < 16 ? src : -1);
                }
    }
};
const TDeinterleaveMasks Masks;

QM_AVX2 inline void Deinterleave16(const uint8_t* bgr, __m128i& b, __m128i& g, __m128i& r)
{
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 16));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 32));
    __m128i* out[3] = {&b, &g, &r};
    for (int ch = 0; ch < 3; ++ch)
    {
        const __m128i* m = reinterpret_cast<const __m128i*>(Masks.M[ch]);
        *out[ch] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(v0, _mm_load_si128(m)), _mm_shuffle_epi8(v1, _mm_load_si128(m + 1))),
                                _mm_shuffle_epi8(v2, _mm_load_si128(m + 2)));
    }
}

// (lo, hi) 16-bit pairs in each 32-bit lane, for eight pixels.
QM_AVX2 inline __m256i Pairs(__m256i lo32, __m256i hi32)
{
    return _mm256_or_si256(lo32, _mm256_slli_epi32(hi32, 16));
}

QM_AVX2 inline __m256i PairConst(int lo, int hi)
{
    return _mm256_set1_epi32(int32_t(uint32_t(uint16_t(int16_t(lo))) | uint32_t(uint16_t(int16_t(hi))) << 16));
}

// Sixteen 32-bit results (each 0..255) -> sixteen bytes in order.
QM_AVX2 inline __m128i PackBytes(__m256i lo, __m256i hi)
{
    const __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(lo, hi), 0xD8);
    return _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
}

QM_AVX2 void BgrToYccAvx2(const uint8_t* bgr, int width, uint8_t* y, uint8_t* cb, uint8_t* cr)
{
    using namespace colorconv;
    const __m256i kYrg = PairConst(RY, GY / 2), kYbg = PairConst(BY, GY - GY / 2);
    const __m256i kCbRg = PairConst(RCb, GCb), kCrGb = PairConst(GCr, BCr);
    const __m256i yRound = _mm256_set1_epi32(OneHalf);
    const __m256i cRound = _mm256_set1_epi32(CbCrOffset + OneHalf - 1);
    static_assert(BCb == 1 << 15 && RCr == 1 << 15, "the chroma constants of one half are shifts");
    int x = 0;
    for (; x + 16 <= width; x += 16)
    {
        __m128i b8, g8, r8;
        Deinterleave16(bgr + 3 * x, b8, g8, r8);
        __m256i yv[2], cbv[2], crv[2];
        for (int h = 0; h < 2; ++h)
        {
            const __m256i b = _mm256_cvtepu8_epi32(h ? _mm_srli_si128(b8, 8) : b8);
            const __m256i g = _mm256_cvtepu8_epi32(h ? _mm_srli_si128(g8, 8) : g8);
            const __m256i r = _mm256_cvtepu8_epi32(h ? _mm_srli_si128(r8, 8) : r8);
            const __m256i rg = Pairs(r, g), bg = Pairs(b, g), gb = Pairs(g, b);
            yv[h] = _mm256_srli_epi32(
                _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(rg, kYrg), _mm256_madd_epi16(bg, kYbg)), yRound),
                ScaleBits);
            cbv[h] = _mm256_srai_epi32(
                _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(rg, kCbRg), _mm256_slli_epi32(b, 15)), cRound),
                ScaleBits);
            crv[h] = _mm256_srai_epi32(
                _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(gb, kCrGb), _mm256_slli_epi32(r, 15)), cRound),
                ScaleBits);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + x), PackBytes(yv[0], yv[1]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + x), PackBytes(cbv[0], cbv[1]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + x), PackBytes(crv[0], crv[1]));
    }
    if (x < width) ConvertBgrToYccPlain(bgr + 3 * x, width - x, y + x, cb + x, cr + x);
}

QM_AVX2 void BgrToGrayAvx2(const uint8_t* bgr, int width, uint8_t* y)
{
    using namespace colorconv;
    const __m256i kYrg = PairConst(RY, GY / 2), kYbg = PairConst(BY, GY - GY / 2);
    const __m256i yRound = _mm256_set1_epi32(OneHalf);
    int x = 0;
    for (; x + 16 <= width; x += 16)
    {
        __m128i b8, g8, r8;
        Deinterleave16(bgr + 3 * x, b8, g8, r8);
        __m256i yv[2];
        for (int h = 0; h < 2; ++h)
        {
            const __m256i b = _mm256_cvtepu8_epi32(h ? _mm_srli_si128(b8, 8) : b8);
            const __m256i g = _mm256_cvtepu8_epi32(h ? _mm_srli_si128(g8, 8) : g8);
            const __m256i r = _mm256_cvtepu8_epi32(h ? _mm_srli_si128(r8, 8) : r8);
            yv[h] = _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(Pairs(r, g), kYrg),
                                                                        _mm256_madd_epi16(Pairs(b, g), kYbg)),
                                                       yRound),
                                      ScaleBits);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + x), PackBytes(yv[0], yv[1]));
    }
    if (x < width) ConvertBgrToGrayPlain(bgr + 3 * x, width - x, y + x);
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

// ---- non-zero mask in zigzag order (Huffman statistics) -----------------------------------------

// Byte shuffles that move the per-coefficient flags from natural order into zigzag order:
// output chunk j (zigzag positions 16j..16j+15) takes from input chunk i the bytes given here.
struct TZigzagShuffles
{
    alignas(16) int8_t M[4][4][16];
    TZigzagShuffles()
    {
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 4; ++i)
                for (int t = 0; t < 16; ++t)
                {
                    const int natural = qmjpeg::NaturalOrder[size_t(16 * j + t)];
                    M[j][i][t] = int8_t(natural / 16 == i ? natural % 16 : -1);
                }
    }
};
const TZigzagShuffles ZigzagShuffles;

QM_AVX2 uint64_t ZigzagNonZeroMaskAvx2(const int16_t* block)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i isZero[4]; // one byte per coefficient in natural order: 0xFF where it is 0
    for (int i = 0; i < 4; ++i)
    {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i + 8));
        isZero[i] = _mm_packs_epi16(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero));
    }
    uint64_t zeroMask = 0;
    for (int j = 0; j < 4; ++j)
    {
        const __m128i* m = reinterpret_cast<const __m128i*>(ZigzagShuffles.M[j]);
        __m128i out = _mm_shuffle_epi8(isZero[0], _mm_load_si128(m));
        for (int i = 1; i < 4; ++i) out = _mm_or_si128(out, _mm_shuffle_epi8(isZero[i], _mm_load_si128(m + i)));
        zeroMask |= uint64_t(uint32_t(_mm_movemask_epi8(out))) << (16 * j);
    }
    return ~zeroMask & ~uint64_t(1); // the DC coefficient is not part of the mask
}

} // namespace

const TEncoderKernels& Avx2Kernels()
{
    static const TEncoderKernels k = {"avx2",         BgrToYccAvx2,      BgrToGrayAvx2, DownsampleAvx2, ForwardDctRowAvx2,
                                      QuantizeBlocksAvx2, ZigzagNonZeroMaskAvx2};
    return k;
}
