// The encoder front end: colour conversion, downsampling with the library's edge rules, and the
// forward DCT, one MCU row at a time.
//
// The library's rules that the result must follow:
// - Columns past the right edge repeat the last column of each colour-converted row.
// - Without smoothing, a partial last row group repeats the last picture row, and the component
//   rows below the last row group repeat the last downsampled row down to the end of the MCU row.
// - With smoothing (which needs a row above and below each row group), rows above the picture
//   repeat the first row and rows below it the last one; every row group to the end of the last MCU
//   row is downsampled from those rows.
#include <algorithm>
#include <vector>

#include "codec/FrameLayout.h"
#include "codec/EdgeExpand.h"
#include "codec/EncoderStages.h"
#include "codec/JpegEncoder.h"
#include "platform/Parallel.h"

namespace
{

struct TFrontEnd
{
    const TBitmap& Bmp;
    const TFrameLayout& F;
    const TEncoderKernels& K;
    int Smoothing;
    std::array<TDownsampleMethod, 3> Methods{};
    int Context = 0; // rows of context above and below each row group
    TDctPlanes* Planes;
    const TBlockRowDone& RowDone;
};

// Buffers of one thread.
struct TWorkspace
{
    int ConvRows = 0;
    std::array<std::vector<uint8_t>, 3> Conv, Comp;
    std::array<std::vector<uint8_t*>, 3> ConvPtr, CompPtr;
    std::vector<int16_t> Coef; // one block row when the rows go to RowDone

    explicit TWorkspace(const TFrontEnd& fe)
    {
        const TFrameLayout& f = fe.F;
        ConvRows = 8 * f.MaxV + 2 * fe.Context;
        for (int c = 0; c < f.NumComponents; ++c)
        {
            const TComponentLayout& comp = f.Comp[size_t(c)];
            Conv[size_t(c)].resize(size_t(ConvRows) * size_t(f.ConvertedRowWidth));
            for (int r = 0; r < ConvRows; ++r)
                ConvPtr[size_t(c)].push_back(Conv[size_t(c)].data() + size_t(r) * size_t(f.ConvertedRowWidth));
            const size_t cols = size_t(comp.WidthInBlocks) * 8;
            Comp[size_t(c)].resize(size_t(comp.V) * 8 * cols);
            for (int r = 0; r < comp.V * 8; ++r) CompPtr[size_t(c)].push_back(Comp[size_t(c)].data() + size_t(r) * cols);
            if (!fe.Planes) Coef.resize(std::max(Coef.size(), cols * 8));
        }
    }
};

void ProcessImcuRow(const TFrontEnd& fe, TWorkspace& ws, int imcuRow)
{
    const TFrameLayout& f = fe.F;
    const int firstRow = imcuRow * 8 * f.MaxV - fe.Context;

    // Colour conversion of the rows this MCU row reads, with edge expansion.
    int lastSource = -1;
    for (int i = 0; i < ws.ConvRows; ++i)
    {
        const int y = std::clamp(firstRow + i, 0, f.Height - 1);
        for (int c = 0; c < f.NumComponents; ++c)
        {
            uint8_t* row = ws.ConvPtr[size_t(c)][size_t(i)];
            if (y == lastSource)
                std::copy_n(ws.ConvPtr[size_t(c)][size_t(i - 1)], f.ConvertedRowWidth, row);
        }
        if (y != lastSource)
        {
            const uint8_t* src = fe.Bmp.ScanLine(y);
            if (f.NumComponents == 1)
                fe.K.BgrToGray(src, f.Width, ws.ConvPtr[0][size_t(i)]);
            else
                fe.K.BgrToYcc(src, f.Width, ws.ConvPtr[0][size_t(i)], ws.ConvPtr[1][size_t(i)],
                              ws.ConvPtr[2][size_t(i)]);
            for (int c = 0; c < f.NumComponents; ++c)
                ExpandRightEdge(ws.ConvPtr[size_t(c)][size_t(i)], f.Width, f.ConvertedRowWidth);
            lastSource = y;
        }
    }

    const int lastRealGroup = (f.Height - 1) / f.MaxV; // the last row group holding picture rows
    for (int c = 0; c < f.NumComponents; ++c)
    {
        const TComponentLayout& comp = f.Comp[size_t(c)];
        const int cols = comp.WidthInBlocks * 8;
        uint8_t* const* compRows = ws.CompPtr[size_t(c)].data();
        for (int g = 0; g < 8; ++g)
        {
            const int group = imcuRow * 8 + g;
            if (!fe.Context && group > lastRealGroup)
            {
                const int from = (lastRealGroup - imcuRow * 8 + 1) * comp.V - 1;
                ExpandBottomEdge(compRows, cols, from, g * comp.V, 8 * comp.V);
                break;
            }
            TDownsampleArgs a{fe.Methods[size_t(c)],
                              ws.ConvPtr[size_t(c)].data() + g * f.MaxV + fe.Context,
                              compRows + g * comp.V,
                              cols,
                              f.MaxV,
                              comp.V,
                              comp.HExpand,
                              comp.VExpand,
                              fe.Smoothing};
            fe.K.Downsample(a);
        }
        for (int br = 0; br < comp.V; ++br)
        {
            const int blockRow = imcuRow * comp.V + br;
            if (blockRow >= comp.HeightInBlocks) break;
            int16_t* out = fe.Planes ? fe.Planes->Coef[size_t(c)].data() +
                                           size_t(blockRow) * size_t(comp.WidthInBlocks) * 64
                                     : ws.Coef.data();
            fe.K.ForwardDctRow(compRows[br * 8], size_t(cols), comp.WidthInBlocks, out);
            if (!fe.Planes) fe.RowDone(c, blockRow, out);
        }
    }
}

} // namespace

int EncoderThreadCount(int requested)
{
    constexpr int MaxThreads = 64;
    if (requested > 0) return std::min(requested, MaxThreads);
    return std::clamp(CoreCount(), 1, MaxThreads);
}

void RunFrontEnd(const TBitmap& bmp, const TFrameLayout& f, const TFrontEndParams& params,
                 const TEncoderKernels& kernels, TDctPlanes* planes, const TBlockRowDone& rowDone)
{
    TFrontEnd fe{bmp, f, kernels, ClampSmoothing(params.Smoothing), {}, 0, planes, rowDone};
    for (int c = 0; c < f.NumComponents; ++c)
    {
        fe.Methods[size_t(c)] = ChooseDownsampleMethod(f, c, fe.Smoothing);
        if (NeedsContextRows(fe.Methods[size_t(c)])) fe.Context = 1;
    }

    const int total = f.TotalImcuRows;
    int lastPercent = -1;
    std::function<void(int)> progress;
    if (params.Progress)
        progress = [&](int done) {
            const int percent = int(int64_t(done) * 100 / total);
            if (percent != lastPercent)
            {
                lastPercent = percent;
                params.Progress(percent);
            }
        };
    ParallelFor(
        total, EncoderThreadCount(params.Threads), 2,
        [&](int first, int last, int) {
            TWorkspace ws(fe);
            for (int r = first; r < last; ++r) ProcessImcuRow(fe, ws, r);
        },
        progress);
}

void CheckEncoderInput(const TBitmap& bmp)
{
    if (bmp.PixelFormat() != TPixelFormat::pf24bit || bmp.Empty())
        throw EInvalidGraphicOperation("The encoder needs a 24-bit picture of a non-zero size");
}

TDctPlanes ComputeDctPlanes(const TBitmap& bmp, const TFrontEndParams& params, const TEncoderKernels& kernels)
{
    CheckEncoderInput(bmp);
    TDctPlanes planes;
    planes.Grayscale = params.Grayscale;
    planes.Layout = MakeFrameLayout(bmp.Width(), bmp.Height(), params.Grayscale, params.SamplingFactors);
    const TFrameLayout& f = planes.Layout;
    planes.SmoothingNotSupported = SmoothingNotSupported(f, ClampSmoothing(params.Smoothing));
    for (int c = 0; c < f.NumComponents; ++c)
        planes.Coef[size_t(c)].resize(size_t(f.Comp[size_t(c)].WidthInBlocks) *
                                      size_t(f.Comp[size_t(c)].HeightInBlocks) * 64);
    RunFrontEnd(bmp, f, params, kernels, &planes, {});
    return planes;
}

TDctPlanes ComputeDctPlanes(const TBitmap& bmp, const TFrontEndParams& params)
{
    return ComputeDctPlanes(bmp, params, FastKernels());
}
