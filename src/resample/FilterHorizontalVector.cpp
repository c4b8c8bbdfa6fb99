// The horizontal pass with four-lane float vectors (the compiler's vector extension: SSE on x86,
// NEON on ARM). Lane c of a sum sees exactly the multiplications and additions, in the same order,
// that channel c sees in the plain pass, so both give the same bytes.
#include "resample/FilterPasses.h"
#include "resample/ResamplePixel.h"

#if defined(__GNUC__)

namespace {

typedef float V4 __attribute__((vector_size(16)));
typedef int32_t V4i __attribute__((vector_size(16)));

inline V4 Splat(float w)
{
    return V4{w, w, w, w};
}

// One channel value in its lane; adding the three gives a pixel exactly (small integers).
struct TChannelLanes
{
    V4 Lane[3][256];
    TChannelLanes()
    {
        for (int v = 0; v < 256; ++v) {
            Lane[0][v] = V4{float(v), 0, 0, 0};
            Lane[1][v] = V4{0, float(v), 0, 0};
            Lane[2][v] = V4{0, 0, float(v), 0};
        }
    }
};
const TChannelLanes ChannelLanes;

// ClampRoundByte on every lane.
inline V4i ClampRound(V4 v)
{
    const V4 zero = {0, 0, 0, 0}, top = {255, 255, 255, 255};
    const V4 magic = {12582912.0f, 12582912.0f, 12582912.0f, 12582912.0f};
    v = v > zero ? v : zero;
    v = v < top ? v : top;
    return __builtin_convertvector((v + magic) - magic, V4i);
}

template <bool Blend> inline void Store(const V4& sum, const uint8_t* ref, uint8_t* dst, int fidelity)
{
    const V4i b = ClampRound(sum);
    for (int c = 0; c < 3; ++c)
        dst[c] = Blend ? BlendFidelity(ref[c], b[c], fidelity) : uint8_t(b[c]);
}

template <bool Blend>
void HorizontalRow(const uint8_t* Src, int srcWidth, uint8_t* Dst, const TContributorTable& Columns,
                   int Fidelity, float* Scratch)
{
    // Pixels as vectors (blue, green, red, 0), aligned to 16 bytes inside the scratch row.
    V4* px = reinterpret_cast<V4*>((reinterpret_cast<uintptr_t>(Scratch) + 15) & ~uintptr_t(15));
    const auto& lane = ChannelLanes.Lane;
    for (int x = 0; x < srcWidth; ++x, Src += 3)
        px[x] = lane[0][Src[0]] + lane[1][Src[1]] + lane[2][Src[2]];
    Src -= 3 * size_t(srcWidth);

    const int32_t* first = Columns.First.data();
    const int32_t* pixel = Columns.Pixel.data();
    const float* weight = Columns.Weight.data();
    const uint8_t* consecutive = Columns.Consecutive.data();
    const int targets = Columns.Targets();
    int i = 0;
    // Four target pixels at a time: four independent sums keep the vector unit busy.
    for (; i + 4 <= targets; i += 4) {
        const int b0 = first[i], b1 = first[i + 1], b2 = first[i + 2], b3 = first[i + 3], e3 = first[i + 4];
        const int n0 = b1 - b0, n1 = b2 - b1, n2 = b3 - b2, n3 = e3 - b3;
        int common = n0;
        if (n1 < common) common = n1;
        if (n2 < common) common = n2;
        if (n3 < common) common = n3;
        V4 s0 = {0, 0, 0, 0}, s1 = s0, s2 = s0, s3 = s0;
        if (consecutive[i] & consecutive[i + 1] & consecutive[i + 2] & consecutive[i + 3]) {
            // The usual case away from the edges: no index lookups.
            const V4 *p0 = px + pixel[b0], *p1 = px + pixel[b1], *p2 = px + pixel[b2], *p3 = px + pixel[b3];
            const float *w0 = weight + b0, *w1 = weight + b1, *w2 = weight + b2, *w3 = weight + b3;
            for (int k = 0; k < common; ++k) {
                s0 += p0[k] * Splat(w0[k]);
                s1 += p1[k] * Splat(w1[k]);
                s2 += p2[k] * Splat(w2[k]);
                s3 += p3[k] * Splat(w3[k]);
            }
        } else {
            for (int k = 0; k < common; ++k) {
                s0 += px[pixel[b0 + k]] * Splat(weight[b0 + k]);
                s1 += px[pixel[b1 + k]] * Splat(weight[b1 + k]);
                s2 += px[pixel[b2 + k]] * Splat(weight[b2 + k]);
                s3 += px[pixel[b3 + k]] * Splat(weight[b3 + k]);
            }
        }
        for (int k = b0 + common; k < b1; ++k)
            s0 += px[pixel[k]] * Splat(weight[k]);
        for (int k = b1 + common; k < b2; ++k)
            s1 += px[pixel[k]] * Splat(weight[k]);
        for (int k = b2 + common; k < b3; ++k)
            s2 += px[pixel[k]] * Splat(weight[k]);
        for (int k = b3 + common; k < e3; ++k)
            s3 += px[pixel[k]] * Splat(weight[k]);
        Store<Blend>(s0, Src + 3 * pixel[b1 - 1], Dst + 3 * i, Fidelity);
        Store<Blend>(s1, Src + 3 * pixel[b2 - 1], Dst + 3 * i + 3, Fidelity);
        Store<Blend>(s2, Src + 3 * pixel[b3 - 1], Dst + 3 * i + 6, Fidelity);
        Store<Blend>(s3, Src + 3 * pixel[e3 - 1], Dst + 3 * i + 9, Fidelity);
    }
    for (; i < targets; ++i) {
        V4 s = {0, 0, 0, 0};
        for (int k = first[i]; k < first[i + 1]; ++k)
            s += px[pixel[k]] * Splat(weight[k]);
        Store<Blend>(s, Src + 3 * pixel[first[i + 1] - 1], Dst + 3 * i, Fidelity);
    }
}

} // namespace

void FilterRowHorizontalVector(const uint8_t* Src, int srcWidth, uint8_t* Dst,
                               const TContributorTable& Columns, int Fidelity, float* Scratch)
{
    if (Fidelity >= 256)
        HorizontalRow<false>(Src, srcWidth, Dst, Columns, Fidelity, Scratch);
    else
        HorizontalRow<true>(Src, srcWidth, Dst, Columns, Fidelity, Scratch);
}

#endif
