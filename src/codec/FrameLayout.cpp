#include "codec/FrameLayout.h"

#include <algorithm>

#include <jerror.h>

namespace
{
int DivRoundUp(int64_t a, int64_t b)
{
    return int((a + b - 1) / b);
}
} // namespace

TFrameLayout MakeFrameLayout(int width, int height, bool grayscale, const std::array<TSamplingFactor, 3>& sampling)
{
    if (width <= 0 || height <= 0) RaiseJpegError(JERR_EMPTY_IMAGE);
    if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        RaiseJpegError(JERR_IMAGE_TOO_BIG, JPEG_MAX_DIMENSION);

    TFrameLayout f;
    f.Width = width;
    f.Height = height;
    f.NumComponents = grayscale ? 1 : 3;
    if (grayscale)
        f.Comp[0].H = f.Comp[0].V = 1; // the grey colour space always samples 1 x 1
    else
    {
        const TSamplingFactor defaults[3] = {{2, 2}, {1, 1}, {1, 1}};
        for (size_t c = 0; c < 3; ++c)
        {
            TSamplingFactor s = sampling[c].H > 0 && sampling[c].V > 0 ? sampling[c] : defaults[c];
            if (s.H > MAX_SAMP_FACTOR || s.V > MAX_SAMP_FACTOR) RaiseJpegError(JERR_BAD_SAMPLING);
            f.Comp[c].H = s.H;
            f.Comp[c].V = s.V;
        }
    }
    int mcuBlocks = 0;
    for (int c = 0; c < f.NumComponents; ++c)
    {
        f.MaxH = std::max(f.MaxH, f.Comp[size_t(c)].H);
        f.MaxV = std::max(f.MaxV, f.Comp[size_t(c)].V);
        mcuBlocks += f.Comp[size_t(c)].H * f.Comp[size_t(c)].V;
    }
    if (f.NumComponents > 1 && mcuBlocks > C_MAX_BLOCKS_IN_MCU) RaiseJpegError(JERR_BAD_MCU_SIZE);
    for (int c = 0; c < f.NumComponents; ++c)
    {
        TComponentLayout& comp = f.Comp[size_t(c)];
        if (f.MaxH % comp.H != 0 || f.MaxV % comp.V != 0) RaiseJpegError(JERR_FRACT_SAMPLE_NOTIMPL);
        comp.HExpand = f.MaxH / comp.H;
        comp.VExpand = f.MaxV / comp.V;
        comp.WidthInBlocks = DivRoundUp(int64_t(width) * comp.H, int64_t(f.MaxH) * DCTSIZE);
        comp.HeightInBlocks = DivRoundUp(int64_t(height) * comp.V, int64_t(f.MaxV) * DCTSIZE);
        f.ConvertedRowWidth = std::max(f.ConvertedRowWidth, comp.WidthInBlocks * DCTSIZE * comp.HExpand);
    }
    f.TotalImcuRows = DivRoundUp(height, int64_t(f.MaxV) * DCTSIZE);
    return f;
}
