#include "resample/FilterPasses.h"
#include "resample/ResamplePixel.h"

void FilterRowHorizontalPlain(const uint8_t* Src, int, uint8_t* Dst, const TContributorTable& Columns,
                              int Fidelity)
{
    const int targets = Columns.Targets();
    for (int i = 0; i < targets; ++i, Dst += 3) {
        const int first = Columns.First[i], end = Columns.First[i + 1];
        const uint8_t* ref = Src + 3 * Columns.Pixel[end - 1];
        for (int c = 0; c < 3; ++c) {
            float sum = 0.0f;
            for (int k = first; k < end; ++k)
                sum += float(Src[3 * Columns.Pixel[k] + c]) * Columns.Weight[k];
            const uint8_t filtered = ClampRoundByte(sum);
            Dst[c] = Fidelity >= 256 ? filtered : BlendFidelity(ref[c], filtered, Fidelity);
        }
    }
}

void FilterRowHorizontal(const uint8_t* Src, int srcWidth, uint8_t* Dst, const TContributorTable& Columns,
                         int Fidelity, float* Scratch)
{
#if defined(__GNUC__)
    FilterRowHorizontalVector(Src, srcWidth, Dst, Columns, Fidelity, Scratch);
#else
    (void)Scratch;
    FilterRowHorizontalPlain(Src, srcWidth, Dst, Columns, Fidelity);
#endif
}
