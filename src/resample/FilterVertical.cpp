#include <cstring>

#include "resample/FilterPasses.h"
#include "resample/ResamplePixel.h"

void FilterRowVertical(const TWorkRows& Work, const TContributorTable& Rows, int Row, uint8_t* Dst, float* Sums)
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
        for (int x = 0; x < n; ++x) Sums[x] += float(src[x]) * w;
    }
    int x = 0;
#if defined(__GNUC__)
    typedef float V4 __attribute__((vector_size(16)));
    typedef int32_t V4i __attribute__((vector_size(16)));
    const V4 zero = {0, 0, 0, 0}, top = {255, 255, 255, 255};
    const V4 magic = {12582912.0f, 12582912.0f, 12582912.0f, 12582912.0f};
    for (; x + 4 <= n; x += 4) {
        V4 v;
        std::memcpy(&v, Sums + x, sizeof v);
        v = v > zero ? v : zero; // NaN gives 0, as in ClampRoundByte
        v = v < top ? v : top;
        v = (v + magic) - magic; // RoundSmall, lane by lane
        const V4i b = __builtin_convertvector(v, V4i);
        for (int c = 0; c < 4; ++c) Dst[x + c] = uint8_t(b[c]);
    }
#endif
    for (; x < n; ++x) Dst[x] = ClampRoundByte(Sums[x]);
}
