#include "resample/FilterPasses.h"
#include "resample/ResamplePixel.h"

void FilterRowHorizontal(const uint8_t* Src, int srcWidth, uint8_t* Dst, const TContributorTable& Columns,
                         int Fidelity, float* Scratch)
{
    // Pixels as four floats (blue, green, red, 0): one multiply-add of four lanes per contributor,
    // each lane the same single-precision operations as one channel on its own.
    for (int x = 0; x < srcWidth; ++x) {
        Scratch[4 * x + 0] = Src[3 * x + 0];
        Scratch[4 * x + 1] = Src[3 * x + 1];
        Scratch[4 * x + 2] = Src[3 * x + 2];
        Scratch[4 * x + 3] = 0.0f;
    }
    const int32_t* first = Columns.First.data();
    const int32_t* pixel = Columns.Pixel.data();
    const float* weight = Columns.Weight.data();
    const int targets = Columns.Targets();
    for (int i = 0; i < targets; ++i, Dst += 3) {
        float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        const int end = first[i + 1];
        for (int k = first[i]; k < end; ++k) {
            const float* p = Scratch + 4 * pixel[k];
            const float w = weight[k];
            for (int c = 0; c < 4; ++c) sum[c] += p[c] * w;
        }
        const uint8_t* ref = Src + 3 * pixel[end - 1];
        for (int c = 0; c < 3; ++c) {
            const uint8_t filtered = ClampRoundByte(sum[c]);
            Dst[c] = Fidelity >= 256 ? filtered : BlendFidelity(ref[c], filtered, Fidelity);
        }
    }
}
