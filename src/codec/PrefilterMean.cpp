// Mean kinds: the neighbourhood sum of a pixel is, row by row of the disc, a difference of two
// running sums, added for a whole output row at once.
#include <cstring>

#include "codec/PrefilterKernels.h"

namespace prefilter_detail {

void FilterRowMean(const TRowJob& job, TScratch& scratch)
{
    const TKindParams& p = *job.P;
    const int r = p.Radius;
    const int n = job.X1 - job.X0;
    if (n <= 0) return;
    const uint8_t* centre = job.Rows->Pixels(job.Y) + 3 * size_t(r);
    bool any = job.Filter == nullptr;
    for (int x = job.X0; !any && x < job.X1; ++x)
        any = job.Filter[x] != 0;
    if (!any) {
        if (job.OnlyFilter)
            std::memcpy(job.Dst + 3 * size_t(job.X0), centre + 3 * size_t(job.X0), 3 * size_t(n));
        return;
    }

    scratch.Acc.assign(3 * size_t(n), 0);
    uint32_t* acc = scratch.Acc.data();
    const size_t count = 3 * size_t(n);
    for (int dy = -r; dy <= r; ++dy) {
        const int hw = p.HalfWidth[dy + r];
        const uint32_t* sums = job.Rows->Sums(job.Y + dy);
        const uint32_t* hi = sums + 3 * (size_t(job.X0) + r + hw + 1);
        const uint32_t* lo = sums + 3 * (size_t(job.X0) + r - hw);
        for (size_t i = 0; i < count; ++i)
            acc[i] += hi[i] - lo[i];
    }

    for (int x = job.X0; x < job.X1; ++x) {
        const uint8_t* c = centre + 3 * size_t(x);
        uint8_t* d = job.Dst + 3 * size_t(x);
        if (job.Filter && !job.Filter[x]) {
            if (job.OnlyFilter) d[0] = c[0], d[1] = c[1], d[2] = c[2];
            continue;
        }
        const uint32_t* a = acc + 3 * size_t(x - job.X0);
        for (int ch = 0; ch < 3; ++ch)
            d[ch] = MeanRule(p, c[ch], a[ch] - c[ch]);
    }
}

} // namespace prefilter_detail
