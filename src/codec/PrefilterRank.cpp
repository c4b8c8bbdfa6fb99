// Rank kinds: sliding histograms over the disc. Moving one pixel to the right removes the left end
// and adds the right end of every disc row; the count-th value is found by walking from the
// previous pixel's answer.
#include <algorithm>
#include <climits>
#include <cstring>

#include "codec/Prefilter.h"
#include "codec/PrefilterKernels.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace prefilter_detail {

namespace {

constexpr int MaxSegments = 2 * PrefilterMaxRadius + 2; // the centre row gives two

// Histograms of `Channels` planes, each with a tracked value M and the count of its elements on
// the searched side of M: at or above M when looking for the count-th largest value (Largest), at
// or below M for the count-th smallest (!Largest). Neighbouring pixels have close ranks, so the
// walk from the last answer to the next one is short. Each plane has Pad empty bins on either
// side, so that the 8 bins on either side of any value can be read at once.
template <int Channels, bool Largest> struct THistogram
{
    static constexpr int Pad = 8;
    uint16_t Fine[Channels][Pad + 256 + Pad];
    int M[Channels];
    int Side[Channels];

    void Clear() { std::memset(this, 0, sizeof(*this)); }
    bool OnSide(int ch, int v) const { return Largest ? v >= M[ch] : v <= M[ch]; }
    uint16_t& Bin(int ch, size_t v) { return Fine[ch][Pad + v]; }
    void Add(int ch, int v)
    {
        ++Bin(ch, v);
        Side[ch] += OnSide(ch, v);
    }
    void Remove(int ch, int v)
    {
        --Bin(ch, v);
        Side[ch] -= OnSide(ch, v);
    }
    // Largest: the value at which the count, walking down from 255, first reaches `count` (the
    // largest m with at least `count` elements >= m). Otherwise the value at which the count,
    // walking up from 0, first reaches `count`. `count` is at most the number of elements.
    int Find(int ch, int count)
    {
#ifdef __SSE2__
        if constexpr (Largest)
            if (FindLargestNear(ch, count)) return M[ch];
#endif
        int m = M[ch], side = Side[ch];
        if constexpr (Largest) {
            while (side < count)
                side += Bin(ch, --m);
            while (m < 255 && side - Bin(ch, m) >= count)
                side -= Bin(ch, m++);
        } else {
            while (side < count)
                side += Bin(ch, ++m);
            while (m > 0 && side - Bin(ch, m) >= count)
                side -= Bin(ch, m--);
        }
        M[ch] = m, Side[ch] = side;
        return m;
    }

#ifdef __SSE2__
    // Find for Largest when the answer lies within the 16 values m - 8 .. m + 7 around M = m; false
    // (with nothing changed) when it lies further away. The count at or above each value of the
    // window comes from M's count and the bins between, with no branch on the direction; the counts
    // stay below 2^15 (a disc holds fewer than 2^15 pixels).
    bool FindLargestNear(int ch, int count)
    {
        const int m = M[ch];
        const __m128i side = _mm_set1_epi16(int16_t(Side[ch]));
        const __m128i down = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&Fine[ch][Pad + m - 8]));
        const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&Fine[ch][Pad + m]));
        // Lane i of `below`: the count at or above m - 8 + i, adding the bins m - 8 + i .. m - 1.
        __m128i suffix = _mm_add_epi16(down, _mm_srli_si128(down, 2));
        suffix = _mm_add_epi16(suffix, _mm_srli_si128(suffix, 4));
        suffix = _mm_add_epi16(suffix, _mm_srli_si128(suffix, 8));
        const __m128i below = _mm_add_epi16(side, suffix);
        // Lane i of `from`: the count at or above m + i, taking away the bins m .. m + i - 1 (none are
        // above 255, so the count there is 0).
        __m128i prefix = _mm_add_epi16(up, _mm_slli_si128(up, 2));
        prefix = _mm_add_epi16(prefix, _mm_slli_si128(prefix, 4));
        prefix = _mm_add_epi16(prefix, _mm_slli_si128(prefix, 8));
        const __m128i from = _mm_sub_epi16(side, _mm_sub_epi16(prefix, up));
        // The counts fall from lane to lane: the lanes reaching `count` come first, and the last
        // of them is the answer.
        const __m128i least = _mm_set1_epi16(int16_t(count - 1));
        const unsigned reached = unsigned(
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(below, least), _mm_cmpgt_epi16(from, least))));
        const int lanes = __builtin_ctz(~reached); // 0..16
        if (lanes == 0 || (lanes == 16 && m + 7 < 255)) return false;
        alignas(16) int16_t counts[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(counts), below);
        _mm_store_si128(reinterpret_cast<__m128i*>(counts + 8), from);
        M[ch] = m - 8 + lanes - 1;
        Side[ch] = counts[lanes - 1];
        return true;
    }
#endif
};

// Walks the disc of one output row as segments of picture rows (element size `Step` bytes per
// pixel): one per disc row, the centre row split into the parts left and right of the centre, so
// that the histograms never hold the centre pixel (it is not its own neighbour).
template <int Channels, int Step, bool Largest> struct TDiscWalker
{
    const uint8_t* Left[MaxSegments];  // the segment's first element at x = 0
    const uint8_t* Right[MaxSegments]; // one past its last at x = 0
    int Segments = 0;

    // rowOf(dy) points at column 0 of the picture row dy rows below the output row.
    template <class RowOf> void SetDisc(const TKindParams& p, RowOf rowOf)
    {
        Segments = 0;
        for (int dy = -p.Radius; dy <= p.Radius; ++dy) {
            const uint8_t* column0 = rowOf(dy);
            const int hw = p.HalfWidth[size_t(dy + p.Radius)];
            Left[Segments] = column0 - Step * hw;
            Right[Segments++] = dy ? column0 + Step * (hw + 1) : column0;
            if (dy == 0) {
                Left[Segments] = column0 + Step;
                Right[Segments++] = column0 + Step * (hw + 1);
            }
        }
    }
    void Fill(THistogram<Channels, Largest>& h, int x) const
    {
        h.Clear();
        for (int k = 0; k < Segments; ++k) {
            const uint8_t* s = Left[k] + Step * x;
            const uint8_t* e = Right[k] + Step * x;
            for (; s < e; s += Step)
                for (int ch = 0; ch < Channels; ++ch)
                    h.Add(ch, s[ch]);
        }
    }
    // Slides the histograms of `Runs` independent runs over the same disc, h[i] from column x[i] to
    // x[i] + 1, segment by segment together: the runs' waits on their last answers overlap.
    template <int Runs>
    void SlideRuns(THistogram<Channels, Largest>* const (&h)[Runs], const int (&x)[Runs]) const
    {
#ifdef __SSE2__
        if constexpr (Channels == 3 && Step == 3 && Largest) {
            // The counts at or above M of the three channels are kept together in the lanes of one
            // vector, from pixels read as 4-byte words: lanes 0..2 for the removed pixels, 4..6 for
            // the added ones (lanes 3 and 7, against M = 0, count nothing).
            const __m128i zero = _mm_setzero_si128();
            __m128i m[Runs], below[Runs]; // below: -1 for every value below M
            for (int i = 0; i < Runs; ++i) {
                const int* M = h[i]->M;
                m[i] = _mm_setr_epi16(int16_t(M[0]), int16_t(M[1]), int16_t(M[2]), 0, int16_t(M[0]),
                                      int16_t(M[1]), int16_t(M[2]), 0);
                below[i] = zero;
            }
            for (int k = 0; k < Segments; ++k) {
                for (int i = 0; i < Runs; ++i) {
                    uint32_t wordOut, wordIn;
                    std::memcpy(&wordOut, Left[k] + Step * size_t(x[i]), 4);
                    std::memcpy(&wordIn, Right[k] + Step * size_t(x[i]), 4);
                    for (int ch = 0; ch < 3; ++ch) {
                        --h[i]->Bin(ch, (wordOut >> (8 * ch)) & 0xFF);
                        ++h[i]->Bin(ch, (wordIn >> (8 * ch)) & 0xFF);
                    }
                    const __m128i pair =
                        _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(wordOut)), _mm_cvtsi32_si128(int(wordIn)));
                    below[i] = _mm_add_epi16(below[i], _mm_cmpgt_epi16(m[i], _mm_unpacklo_epi8(pair, zero)));
                }
            }
            // A removed value below M leaves the count at or above M as it was, one at or above
            // takes 1 from it; an added one the reverse.
            for (int i = 0; i < Runs; ++i) {
                alignas(16) int16_t d[8];
                _mm_store_si128(reinterpret_cast<__m128i*>(d), below[i]);
                for (int ch = 0; ch < 3; ++ch)
                    h[i]->Side[ch] += d[4 + ch] - d[ch];
            }
            return;
        }
#endif
        for (int k = 0; k < Segments; ++k) {
            for (int i = 0; i < Runs; ++i) {
                const uint8_t* out = Left[k] + Step * size_t(x[i]);
                const uint8_t* in = Right[k] + Step * size_t(x[i]);
                for (int ch = 0; ch < Channels; ++ch) {
                    h[i]->Remove(ch, out[ch]);
                    h[i]->Add(ch, in[ch]);
                }
            }
        }
    }
    // Moves the histogram from column x to x + 1.
    void Slide(THistogram<Channels, Largest>& h, int x) const
    {
        THistogram<Channels, Largest>* const hs[1] = {&h};
        SlideRuns(hs, {x});
    }
};

// Runs `emit(x, hist)` for every filtered column, keeping the histogram of column x by sliding,
// or by refilling when the gap to the last computed column is long.
template <int Channels, int Step, bool Largest, class Emit, class Skip>
void WalkRow(const TRowJob& job, const TDiscWalker<Channels, Step, Largest>& walker,
             THistogram<Channels, Largest>& h, Emit emit, Skip skip)
{
    const TKindParams& p = *job.P;
    const long slideCost = 2L * (2 * p.Radius + 2);
    const long fillCost = p.N + 256;
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

// Runs `emit` over columns x0..x1-1 of a row whose pixels are all filtered as `Runs` runs of
// consecutive columns, one per histogram, stepped together.
template <int Runs, class Walker, class Hist, class Emit>
void WalkRuns(int x0, int x1, const Walker& walker, Hist (&h)[Runs], Emit emit)
{
    // Run i starts at column x0 + i * len; all but the last have `len` columns.
    const int len = (x1 - x0) / Runs;
    int x[Runs];
    Hist* hs[Runs];
    for (int i = 0; i < Runs; ++i) {
        x[i] = x0 + i * len;
        hs[i] = &h[i];
        walker.Fill(h[i], x[i]);
    }
    for (int step = 0; step + 1 < len; ++step) {
        for (int i = 0; i < Runs; ++i)
            emit(x[i], h[i]);
        walker.SlideRuns(hs, x);
        for (int i = 0; i < Runs; ++i)
            ++x[i];
    }
    for (int i = 0; i + 1 < Runs; ++i)
        emit(x[i], h[i]);
    for (int& xl = x[Runs - 1]; xl < x1; ++xl) { // the last run's remaining columns
        emit(xl, h[Runs - 1]);
        if (xl + 1 < x1) walker.Slide(h[Runs - 1], xl);
    }
}

} // namespace

void FilterRowRank(const TRowJob& job, TScratch&)
{
    const TKindParams& p = *job.P;
    const int r = p.Radius;
    TDiscWalker<3, 3, true> walker;
    walker.SetDisc(p, [&](int dy) { return job.Rows->Pixels(job.Y + dy) + 3 * size_t(r); });
    const uint8_t* centre = job.Rows->Pixels(job.Y) + 3 * size_t(r);
    constexpr int Runs = 3;
    THistogram<3, true> h[Runs];
    auto skip = [&](int x) {
        if (job.OnlyFilter) std::memcpy(job.Dst + 3 * size_t(x), centre + 3 * size_t(x), 3);
    };
    auto emit = [&](int x, THistogram<3, true>& hist) {
        const uint8_t* c = centre + 3 * size_t(x);
        uint8_t* d = job.Dst + 3 * size_t(x);
        int med[3];
        for (int ch = 0; ch < 3; ++ch)
            med[ch] = hist.Find(ch, p.Count);
        if (p.Kind == 5) {
            MedianReplaceRule(p, c, med, d);
        } else {
            for (int ch = 0; ch < 3; ++ch)
                d[ch] = MedianBlendRule(p, c[ch], med[ch]);
        }
    };
    if (job.Filter || job.X1 - job.X0 < 2 * Runs)
        WalkRow(job, walker, h[0], emit, skip);
    else
        WalkRuns(job.X0, job.X1, walker, h, emit);
}

void FilterRowLuma(const TRowJob& job, TScratch&)
{
    const TKindParams& p = *job.P;
    const int r = p.Radius;
    TDiscWalker<1, 1, false> walker;
    walker.SetDisc(p, [&](int dy) { return job.Rows->Luma(job.Y + dy) + size_t(r); });
    const uint8_t* centre = job.Rows->Pixels(job.Y) + 3 * size_t(r);
    const uint8_t* centreLuma = job.Rows->Luma(job.Y) + size_t(r);
    THistogram<1, false> h;
    auto skip = [&](int x) {
        if (job.OnlyFilter) std::memcpy(job.Dst + 3 * size_t(x), centre + 3 * size_t(x), 3);
    };
    auto emit = [&](int x, THistogram<1, false>& hist) {
        const int q = 1 + hist.Find(0, p.Count);
        LumaRule(p, centre + 3 * size_t(x), q, 1 + centreLuma[x], job.Dst + 3 * size_t(x));
    };
    WalkRow(job, walker, h, emit, skip);
}

} // namespace prefilter_detail
