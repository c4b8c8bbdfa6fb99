#include "resample/FilterResample.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "resample/FilterPasses.h"
#include "resample/ResampleContributors.h"
#include "platform/Parallel.h"
#include "resample/ResampleThreads.h"

void FilterResample(const TBitmap& Src, TBitmap& Dst, int Method, int Fidelity,
                    const TResampleProgress& OnProgress, int Threads)
{
    if (Src.Empty() || Dst.Empty() || Src.PixelFormat() != TPixelFormat::pf24bit ||
        Dst.PixelFormat() != TPixelFormat::pf24bit)
        throw EInvalidGraphicOperation("Resampling needs two non-empty 24-bit bitmaps");
    if (&Src == &Dst) throw EInvalidGraphicOperation("Resampling cannot write into its source");
    if (Method < 0 || Method >= ResampleFilterCount)
        throw EInvalidGraphicOperation(Format("Unknown resampling method %d", Method));
    Fidelity = std::clamp(Fidelity, 0, 256);
    const TResampleFilter& filter = ResampleFilters[Method];

    const int sw = Src.Width(), sh = Src.Height();
    const int dw = Dst.Width(), dh = Dst.Height();
    // Progress units: a contributor list per target column and row, a filtered row per source row
    // (horizontal pass) and per target row (vertical pass).
    const double step = 1.0 / (double(dw) + sh + 2.0 * dh);
    int64_t units = 0;
    TFilterProgress progress(OnProgress);
    auto listDone = [&] { progress.ReportFilterProgress(double(++units) * step); };

    // The work rows are left uninitialised: the first pass writes every pixel, and the threads
    // that write them also bring their pages in.
    TBitmap::CheckSize(dw, sh, 24);
    const size_t stride = size_t(TBitmap::RowBytes(dw, 24));
    std::unique_ptr<uint8_t[]> workBits(new uint8_t[stride * size_t(sh)]);
    const TWorkRows work{workBits.get(), stride, dw};

    TContributorTable columns;
    BuildContributors(columns, sw, dw, filter, listDone);
    {
        int64_t ops = int64_t(sh) * int64_t(columns.Pixel.size());
        int threads = ResampleThreadCount(Threads, sh, ops);
        std::vector<std::vector<float>> scratch(size_t(threads),
                                                std::vector<float>(size_t(HorizontalScratchFloats(sw))));
        const int64_t base = units;
        ParallelFor(
            sh, threads, ResampleRowRun(sh, threads),
            [&](int y0, int y1, int t) {
                for (int y = y0; y < y1; ++y)
                    FilterRowHorizontal(Src.ScanLine(y), sw, work.Row(y), columns, Fidelity,
                                        scratch[size_t(t)].data());
            },
            [&](int done) {
                units = base + done;
                progress.ReportFilterProgress(double(units) * step);
            });
    }

    TContributorTable rows;
    BuildContributors(rows, sh, dh, filter, listDone);
    {
        int64_t ops = int64_t(dw) * int64_t(rows.Pixel.size());
        int threads = ResampleThreadCount(Threads, dh, ops);
        std::vector<std::vector<float>> sums(size_t(threads), std::vector<float>(size_t(3) * dw));
        const int64_t base = units;
        ParallelFor(
            dh, threads, ResampleRowRun(dh, threads),
            [&](int y0, int y1, int t) {
                for (int y = y0; y < y1; ++y)
                    FilterRowVertical(work, rows, y, Dst.ScanLine(y), sums[size_t(t)].data());
            },
            [&](int done) {
                units = base + done;
                progress.ReportFilterProgress(double(units) * step);
            });
    }
    Dst.Modified();
}
