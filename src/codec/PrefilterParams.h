#pragma once
// Parameters of one prefilter call and the per-pixel rules of each kind, shared by the row kernels.
#include <cstdint>
#include <vector>

#include "platform/Round.h"

namespace prefilter_detail {

struct TKindParams
{
    int Kind = 0;
    int Radius = 1;
    int N = 0;                  // neighbours, the centre excluded
    std::vector<int> HalfWidth; // index dy + Radius: largest |dx| of the row dy
    int Count = 1;              // rank kinds: the count-th value of the histogram walk
    int Level = 0;              // kind 5: largest score that replaces a pixel
    double Inv = 0;             // 1 / N
    double W = 0;               // kind 4: weight of the centre
    double A = 0;               // kind 8: weight of the mean
    double F = 0;               // kinds 7 and 9: strength as a fraction
};

// Clamps the radius to 1..32 and the strength to 0..100, builds the neighbourhood and the kind's
// parameters. False for a kind the engine does not know.
bool SetupKind(int kind, int radius, int strength, int param5, TKindParams& p);

// Luminance weight tables: Round(v * 0.299), Round(v * 0.587), Round(v * 0.114).
struct TLumaTables
{
    uint8_t R[256], G[256], B[256];
};
const TLumaTables& LumaTables();
inline int LumaOf(const TLumaTables& t, const uint8_t* bgr)
{
    return t.R[bgr[2]] + t.G[bgr[1]] + t.B[bgr[0]];
}

// Kind 5 weights: W[0] = 0, W[i] = 300 / i for i = 1..510.
const double* MedianWeights();

inline uint8_t Clamp255(int64_t v)
{
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Per-pixel rules. c = the centre's channel value(s).
// Kinds 4 and 8: sum = the channel's sum over the neighbours.
inline uint8_t MeanRule(const TKindParams& p, int c, uint32_t sum)
{
    const double m = sum * p.Inv;
    if (p.Kind == 4) return Clamp255(Round(m + p.W * (c - m)));
    return Clamp255(Round(c + p.A * (m - c)));
}

// Kind 9: med = the channel's median.
inline uint8_t MedianBlendRule(const TKindParams& p, int c, int med)
{
    return Clamp255(Round(c + p.F * (med - c)));
}

// Kind 5: the pixel becomes the medians when close enough to them, else stays.
inline void MedianReplaceRule(const TKindParams& p, const uint8_t* c, const int* med, uint8_t* out)
{
    const double* W = MedianWeights();
    double score = 0; // each term at most 255 x 300: RoundSmall rounds it as Round does
    for (int ch = 0; ch < 3; ++ch)
        score += RoundSmall((c[ch] > med[ch] ? c[ch] - med[ch] : med[ch] - c[ch]) * W[c[ch] + med[ch]]);
    const bool replace = score <= p.Level;
    for (int ch = 0; ch < 3; ++ch)
        out[ch] = replace ? uint8_t(med[ch]) : c[ch];
}

// Kind 7: q = 1 + the percentile luma of the neighbours, yc = 1 + the centre's luma.
inline void LumaRule(const TKindParams& p, const uint8_t* c, int q, int yc, uint8_t* out)
{
    const double g = 1 + p.F * (double(q) / yc - 1);
    for (int ch = 0; ch < 3; ++ch)
        out[ch] = Clamp255(Round(c[ch] * g));
}

} // namespace prefilter_detail
