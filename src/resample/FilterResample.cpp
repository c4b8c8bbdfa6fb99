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
    // Progress units: a contributor list per target column and row, then per target row its share
    // of both passes.
    const double step = 1.0 / (double(dw) + sh + 2.0 * dh);
    int64_t units = 0;
    TFilterProgress progress(OnProgress);
    auto listDone = [&] { progress.ReportFilterProgress(double(++units) * step); };

    TBitmap::CheckSize(dw, sh, 24);
    const size_t stride = size_t(TBitmap::RowBytes(dw, 24));

    TContributorTable columns, rows;
    BuildContributors(columns, sw, dw, filter, listDone);
    BuildContributors(rows, sh, dh, filter, listDone);

    // The target rows are done in bands: each thread filters along x the source rows a band of
    // target rows needs into work rows of its own, then filters them along y. The work rows stay
    // in the cache between the passes; neighbouring bands filter their few shared source rows each.
    const int64_t ops = int64_t(sh) * int64_t(columns.Pixel.size()) + int64_t(dw) * int64_t(rows.Pixel.size());
    const int threads = ResampleThreadCount(Threads, dh, ops);
    const int band = ResampleBandRows(dh, threads);
    struct TBandScratch
    {
        std::vector<float> Horizontal, Sums;
        std::unique_ptr<uint8_t[]> Work;
        size_t WorkRows = 0;
    };
    std::vector<TBandScratch> scratch(static_cast<size_t>(threads));
    const int64_t base = units;
    const double perRow = (double(sh) + dh) / dh;
    ParallelFor(
        dh, threads, band,
        [&](int y0, int y1, int t) {
            TBandScratch& own = scratch[size_t(t)];
            int lo = sh, hi = -1;
            for (int k = rows.First[y0]; k < rows.First[y1]; ++k) {
                lo = std::min(lo, rows.Pixel[k]);
                hi = std::max(hi, rows.Pixel[k]);
            }
            if (hi < lo) lo = hi = 0;
            const size_t need = size_t(hi - lo + 1);
            if (own.WorkRows < need) {
                own.Work.reset(new uint8_t[stride * need]);
                own.WorkRows = need;
            }
            if (own.Horizontal.empty()) {
                own.Horizontal.resize(size_t(HorizontalScratchFloats(sw)));
                own.Sums.resize(size_t(3) * dw);
            }
            const TWorkRows work{own.Work.get(), stride, dw, lo};
            for (int y = lo; y <= hi; ++y)
                FilterRowHorizontal(Src.ScanLine(y), sw, work.Row(y), columns, Fidelity, own.Horizontal.data());
            for (int y = y0; y < y1; ++y)
                FilterRowVertical(work, rows, y, Dst.ScanLine(y), own.Sums.data());
        },
        [&](int done) {
            units = base + int64_t(double(done) * perRow);
            progress.ReportFilterProgress(done == dh ? 1.0 : double(units) * step);
        });
    Dst.Modified();
}
