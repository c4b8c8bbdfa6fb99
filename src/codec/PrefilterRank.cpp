// Rank kinds: sliding histograms over the disc. Moving one pixel to the right removes the left end
// and adds the right end of every disc row; the count-th value is found by walking from the
// previous pixel's answer.
#include <climits>
#include <cstring>

#include "codec/Prefilter.h"
#include "codec/PrefilterKernels.h"

namespace prefilter_detail {

namespace {

constexpr int MaxRows = 2 * PrefilterMaxRadius + 1;

// Histograms of `Channels` planes, each with a tracked value M and the count of its elements on
// the searched side of M: at or above M when looking for the count-th largest value (Largest), at
// or below M for the count-th smallest (!Largest). Neighbouring pixels have close ranks, so the
// walk from the last answer to the next one is short.
template <int Channels, bool Largest> struct THistogram
{
    uint16_t Fine[Channels][256];
    int M[Channels];
    int Side[Channels];

    void Clear() { std::memset(this, 0, sizeof(*this)); }
    bool OnSide(int ch, int v) const { return Largest ? v >= M[ch] : v <= M[ch]; }
    void Add(int ch, int v)
    {
        ++Fine[ch][v];
        Side[ch] += OnSide(ch, v);
    }
    void Remove(int ch, int v)
    {
        --Fine[ch][v];
        Side[ch] -= OnSide(ch, v);
    }
    // Largest: the value at which the count, walking down from 255, first reaches `count` (the
    // largest m with at least `count` elements >= m). Otherwise the value at which the count,
    // walking up from 0, first reaches `count`. `count` is at most the number of elements.
    int Find(int ch, int count)
    {
        int m = M[ch], side = Side[ch];
        if constexpr (Largest) {
            while (side < count)
                side += Fine[ch][--m];
            while (m < 255 && side - Fine[ch][m] >= count)
                side -= Fine[ch][m++];
        } else {
            while (side < count)
                side += Fine[ch][++m];
            while (m > 0 && side - Fine[ch][m] >= count)
                side -= Fine[ch][m--];
        }
        M[ch] = m, Side[ch] = side;
        return m;
    }
};

// Walks the disc rows of one output row: rows[k] points at column 0 of disc row k (element size
// `Step` bytes per pixel), hw[k] is its half width.
template <int Channels, int Step, bool Largest> struct TDiscWalker
{
    const uint8_t* Row[MaxRows];
    int HalfWidth[MaxRows];
    int Rows = 0;

    void Fill(THistogram<Channels, Largest>& h, int x) const
    {
        h.Clear();
        for (int k = 0; k < Rows; ++k) {
            const uint8_t* s = Row[k] + Step * (x - HalfWidth[k]);
            const uint8_t* e = Row[k] + Step * (x + HalfWidth[k] + 1);
            for (; s < e; s += Step)
                for (int ch = 0; ch < Channels; ++ch)
                    h.Add(ch, s[ch]);
        }
    }
    // Moves the histogram from column x to x + 1.
    void Slide(THistogram<Channels, Largest>& h, int x) const
    {
        for (int k = 0; k < Rows; ++k) {
            const uint8_t* out = Row[k] + Step * (x - HalfWidth[k]);
            const uint8_t* in = Row[k] + Step * (x + HalfWidth[k] + 1);
            for (int ch = 0; ch < Channels; ++ch) {
                h.Remove(ch, out[ch]);
                h.Add(ch, in[ch]);
            }
        }
    }
};

// Runs `emit(x, hist)` for every filtered column, keeping the histogram of column x (the centre
// included) by sliding, or by refilling when the gap to the last computed column is long.
template <int Channels, int Step, bool Largest, class Emit, class Skip>
void WalkRow(const TRowJob& job, const TDiscWalker<Channels, Step, Largest>& walker,
             THistogram<Channels, Largest>& h, Emit emit, Skip skip)
{
    const TKindParams& p = *job.P;
    const long slideCost = 2L * (2 * p.Radius + 1);
    const long fillCost = p.N + 1 + 256;
    int at = INT_MIN;
    for (int x = job.X0; x < job.X1; ++x) {
        if (job.Filter && !job.Filter[x]) {
            skip(x);
            continue;
        }
        if (at == INT_MIN || (x - at) * slideCost > fillCost) {
            walker.Fill(h, x);
        } else {
            for (; at < x; ++at)
                walker.Slide(h, at);
        }
        at = x;
        emit(x, h);
    }
}

} // namespace

void FilterRowRank(const TRowJob& job, TScratch&)
{
    const TKindParams& p = *job.P;
    const int r = p.Radius;
    TDiscWalker<3, 3, true> walker;
    walker.Rows = 2 * r + 1;
    for (int k = 0; k < walker.Rows; ++k) {
        walker.Row[k] = job.Rows->Pixels(job.Y + k - r) + 3 * size_t(r);
        walker.HalfWidth[k] = p.HalfWidth[k];
    }
    const uint8_t* centre = walker.Row[r];
    THistogram<3, true> h;
    auto skip = [&](int x) {
        if (job.OnlyFilter) std::memcpy(job.Dst + 3 * size_t(x), centre + 3 * size_t(x), 3);
    };
    auto emit = [&](int x, THistogram<3, true>& hist) {
        const uint8_t* c = centre + 3 * size_t(x);
        uint8_t* d = job.Dst + 3 * size_t(x);
        int med[3];
        for (int ch = 0; ch < 3; ++ch) {
            hist.Remove(ch, c[ch]); // the centre is not its own neighbour
            med[ch] = hist.Find(ch, p.Count);
            hist.Add(ch, c[ch]);
        }
        if (p.Kind == 5) {
            MedianReplaceRule(p, c, med, d);
        } else {
            for (int ch = 0; ch < 3; ++ch)
                d[ch] = MedianBlendRule(p, c[ch], med[ch]);
        }
    };
    WalkRow(job, walker, h, emit, skip);
}

void FilterRowLuma(const TRowJob& job, TScratch&)
{
    const TKindParams& p = *job.P;
    const int r = p.Radius;
    TDiscWalker<1, 1, false> walker;
    walker.Rows = 2 * r + 1;
    for (int k = 0; k < walker.Rows; ++k) {
        walker.Row[k] = job.Rows->Luma(job.Y + k - r) + size_t(r);
        walker.HalfWidth[k] = p.HalfWidth[k];
    }
    const uint8_t* centre = job.Rows->Pixels(job.Y) + 3 * size_t(r);
    const uint8_t* centreLuma = walker.Row[r];
    THistogram<1, false> h;
    auto skip = [&](int x) {
        if (job.OnlyFilter) std::memcpy(job.Dst + 3 * size_t(x), centre + 3 * size_t(x), 3);
    };
    auto emit = [&](int x, THistogram<1, false>& hist) {
        const int yc = centreLuma[x];
        hist.Remove(0, yc);
        const int q = 1 + hist.Find(0, p.Count);
        hist.Add(0, yc);
        LumaRule(p, centre + 3 * size_t(x), q, 1 + yc, job.Dst + 3 * size_t(x));
    };
    WalkRow(job, walker, h, emit, skip);
}

} // namespace prefilter_detail
