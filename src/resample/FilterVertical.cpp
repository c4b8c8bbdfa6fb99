#include "platform/Bitmap.h"
#include "resample/FilterPasses.h"
#include "resample/ResamplePixel.h"

void FilterRowVertical(const TBitmap& Work, const TContributorTable& Rows, int Row, uint8_t* Dst, float* Sums)
{
    const int n = 3 * Work.Width();
    for (int x = 0; x < n; ++x) Sums[x] = 0.0f;
    const int end = Rows.First[Row + 1];
    for (int k = Rows.First[Row]; k < end; ++k) {
        const uint8_t* src = Work.ScanLine(Rows.Pixel[k]);
        const float w = Rows.Weight[k];
        for (int x = 0; x < n; ++x) Sums[x] += float(src[x]) * w;
    }
    for (int x = 0; x < n; ++x) Dst[x] = ClampRoundByte(Sums[x]);
}
