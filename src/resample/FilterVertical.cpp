#include <cstring>

#include "resample/FilterPasses.h"
#include "resample/ResamplePixel.h"

void FilterRowVertical(const TWorkRows& Work, const TContributorTable& Rows, int Row, uint8_t* Dst,
                       float* Sums)
{
    // Each listed row is added into the row of sums in list order: per pixel the same order as
    // filtering column by column, but the loops run along scan lines (and the compiler vectorises
    // them lane by lane, which changes nothing in single precision without contraction).
    const int n = 3 * Work.Width;
    std::memset(Sums, 0, sizeof(float) * size_t(n));
    const int end = Rows.First[Row + 1];
    for (int k = Rows.First[Row]; k < end; ++k) {
        const uint8_t* src = Work.Row(Rows.Pixel[k]);
        const float w = Rows.Weight[k];
        for (int x = 0; x < n; ++x)
            Sums[x] += float(src[x]) * w;
    }
    for (int x = 0; x < n; ++x)
        Dst[x] = ClampRoundByte(Sums[x]);
}
