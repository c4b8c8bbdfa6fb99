#include "codec/PrefilterParams.h"

#include "codec/Prefilter.h"

#include <algorithm>
#include <cmath>

#include "platform/Round.h"

namespace prefilter_detail {

namespace {
TLumaTables MakeLumaTables()
{
    TLumaTables t{};
    for (int v = 0; v < 256; ++v) {
        t.R[v] = uint8_t(Round(v * 0.299));
        t.G[v] = uint8_t(Round(v * 0.587));
        t.B[v] = uint8_t(Round(v * 0.114));
    }
    return t;
}

struct TMedianWeights
{
    double W[511];
    TMedianWeights()
    {
        W[0] = 0;
        for (int i = 1; i <= 510; ++i)
            W[i] = 300.0 / i;
    }
};
} // namespace

const TLumaTables& LumaTables()
{
    static const TLumaTables tables = MakeLumaTables();
    return tables;
}

const double* MedianWeights()
{
    static const TMedianWeights weights;
    return weights.W;
}

bool SetupKind(int kind, int radius, int strength, int param5, TKindParams& p)
{
    if (kind != 4 && kind != 5 && kind != 7 && kind != 8 && kind != 9) return false;
    const int r = std::clamp(radius, PrefilterMinRadius, PrefilterMaxRadius);
    const int s = std::clamp(strength, 0, 100);
    const int R = r == 1 ? 2 : r * r;
    p.Kind = kind;
    p.Radius = r;
    p.HalfWidth.assign(2 * r + 1, 0);
    int n = 0;
    for (int dy = -r; dy <= r; ++dy) {
        int hw = 0;
        while ((hw + 1) * (hw + 1) + dy * dy <= R)
            ++hw;
        p.HalfWidth[dy + r] = hw;
        n += 2 * hw + 1;
    }
    p.N = n - 1;
    p.Inv = 1.0 / p.N;
    const int half = std::max<int>(int(Round(p.N * 0.5)), 1);
    switch (kind) {
    case 4:
        p.W = r == 1 ? (100 - s) * 0.01 : (20 - 0.2 * s) * 0.01;
        break;
    case 5:
        p.Count = half;
        if (s <= 50)
            p.Level = s;
        else if (s <= 70)
            p.Level = int(Round((s - 50) * 100 * 0.05)) + 50;
        else
            p.Level = int(Round((s - 70) * 700 / 30.0)) + 150;
        break;
    case 7:
        p.F = s * 0.01;
        // A percentile past the last neighbour would never be reached: keep the count within 1..N.
        p.Count = int(std::clamp<int64_t>(Round(double(p.N) * param5 * 0.01), 1, p.N));
        break;
    case 8:
        if (s <= 10)
            p.A = 0.03 * s;
        else if (s <= 50)
            p.A = (0.5 * (s - 10) + 30) * 0.01;
        else
            p.A = (0.6 * (s - 50) + 50) * 0.01;
        break;
    case 9:
        p.Count = half;
        p.F = s * 0.01;
        break;
    }
    return true;
}

} // namespace prefilter_detail
