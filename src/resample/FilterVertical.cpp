#include <cstring>

#include "resample/FilterPasses.h"
#include "resample/ResamplePixel.h"

void FilterRowVertical(const TWorkRows& Work, const TContributorTable& Rows, int Row, uint8_t* Dst,
                       float* Sums)
{
    // Each listed row is added into the row of sums in list order: per pixel the same order as
    // filtering column by column, but the loops run along scan lines (and the compiler vectorises
    // them lane by lane, which changes nothing in single precision without contraction).
    // Pieces of a row small enough that the sums stay in the first-level cache.
    constexpr int Piece = 2048;
    const int n = 3 * Work.Width;
    const int first = Rows.First[Row], end = Rows.First[Row + 1];
    for (int x0 = 0; x0 < n; x0 += Piece) {
        const int len = n - x0 < Piece ? n - x0 : Piece;
        std::memset(Sums, 0, sizeof(float) * size_t(len));
        for (int k = first; k < end; ++k) {
            const uint8_t* src = Work.Row(Rows.Pixel[k]) + x0;
            const float w = Rows.Weight[k];
            for (int x = 0; x < len; ++x) Sums[x] += float(src[x]) * w;
        }
        for (int x = 0; x < len; ++x) Dst[x0 + x] = ClampRoundByte(Sums[x]);
    }
}
