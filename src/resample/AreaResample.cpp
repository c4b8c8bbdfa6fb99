#include "resample/AreaResample.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/Round.h"
#include "resample/ResamplePixel.h"
#include "platform/Parallel.h"
#include "resample/ResampleThreads.h"

void BuildAreaAxis(TAreaAxis& Axis, int srcSize, int dstSize)
{
    if (dstSize < 1 || srcSize < dstSize) throw EInvalidGraphicOperation("Area reduction cannot enlarge");
    const double fx = double(dstSize) / srcSize; // weight of one whole source pixel
    const double sx = double(srcSize) / dstSize; // source pixels per target pixel
    Axis.Start.assign(size_t(dstSize), 0);
    Axis.Count.assign(size_t(dstSize), 0);
    Axis.WeightIndex.assign(size_t(dstSize), 0);
    Axis.Weight.clear();
    std::vector<bool> usedUp(size_t(dstSize), false); // the last source pixel is not shared with the next

    if (fx == 1.0) {
        Axis.Count.assign(size_t(dstSize), 1);
        usedUp.assign(size_t(dstSize), true);
        Axis.Weight.assign(size_t(dstSize), 1.0f);
    } else {
        Axis.Weight.reserve(size_t(srcSize) + size_t(dstSize) + 1);
        double rem = 0.0;
        Axis.Count[0] = 1;
        Axis.Weight.push_back(float(fx));
        for (int d = 0; d < dstSize; ++d) {
            if (rem > 0.0) {
                ++Axis.Count[size_t(d)];
                Axis.Weight.push_back(float((1.0 - rem) * fx));
            }
            rem += sx;
            while (rem >= 1.00005) {
                Axis.Weight.push_back(float(fx));
                ++Axis.Count[size_t(d)];
                rem -= 1.0;
            }
            if (Axis.Count[size_t(d)] == 0) {
                // Only at ratios within 0.00005 of 1: the pixel after a used-up one is taken whole
                // (the walk's tolerance would otherwise give this target nothing and change the last
                // weight of the one before).
                Axis.Weight.push_back(float(fx));
                ++Axis.Count[size_t(d)];
                rem -= 1.0;
            }
            if (rem <= 0.00005) rem = 0.0;
            if (rem == 0.0)
                usedUp[size_t(d)] = true;
            else
                Axis.Weight.back() = float(rem * fx);
        }
    }

    // Starting points: a shared pixel is read again by the next target pixel. Rounding in the walk
    // must never lead outside the source.
    int64_t start = 0, weightIndex = 0;
    for (int d = 0; d < dstSize; ++d) {
        const int64_t count = Axis.Count[size_t(d)];
        const int64_t s = std::min<int64_t>(start, srcSize - 1);
        Axis.Start[size_t(d)] = int32_t(s);
        Axis.WeightIndex[size_t(d)] = int32_t(weightIndex);
        Axis.Count[size_t(d)] = int32_t(std::min<int64_t>(count, srcSize - s));
        weightIndex += count;
        start += count - 1 + (usedUp[size_t(d)] ? 1 : 0);
    }
}

void SkipZeroWeights(TAreaAxis& Axis)
{
    for (size_t d = 0; d < Axis.Count.size(); ++d) {
        while (Axis.Count[d] > 1 && Axis.Weight[size_t(Axis.WeightIndex[d])] == 0.0f) {
            ++Axis.Start[d];
            ++Axis.WeightIndex[d];
            --Axis.Count[d];
        }
        while (Axis.Count[d] > 1 && Axis.Weight[size_t(Axis.WeightIndex[d] + Axis.Count[d] - 1)] == 0.0f)
            --Axis.Count[d];
    }
}

namespace {

struct TAreaJob
{
    const TBitmap* Src;
    TBitmap* Dst;
    const TAreaAxis* X;
    const TAreaAxis* Y;
    int Fidelity;
    std::vector<int32_t> RefColumn; // byte offset of each target column's reference sample
    std::vector<int32_t> RefRow;    // source row of each target row's reference sample
};

// Weights a hair below 0 (the walk's tolerance) must not wrap a black pixel round to white.
inline int AverageByte(double sum)
{
    return int(std::clamp<int64_t>(Round(sum), 0, 255));
}

void AreaRow(const TAreaJob& job, int y, std::vector<const uint8_t*>& rowPtr)
{
    const TAreaAxis& ax = *job.X;
    const TAreaAxis& ay = *job.Y;
    const int rowCount = ay.Count[size_t(y)];
    const float* wy = ay.Weight.data() + ay.WeightIndex[size_t(y)];
    rowPtr.resize(size_t(rowCount));
    for (int r = 0; r < rowCount; ++r)
        rowPtr[size_t(r)] = job.Src->ScanLine(ay.Start[size_t(y)] + r);
    const uint8_t* refRow = job.Fidelity < 256 ? job.Src->ScanLine(job.RefRow[size_t(y)]) : nullptr;

    uint8_t* out = job.Dst->ScanLine(y);
    const int dw = job.Dst->Width();
    for (int x = 0; x < dw; ++x, out += 3) {
        const int colCount = ax.Count[size_t(x)];
        const float* wx = ax.Weight.data() + ax.WeightIndex[size_t(x)];
        const int offset = 3 * ax.Start[size_t(x)];
        double sum0 = 0.0, sum1 = 0.0, sum2 = 0.0;
        for (int r = 0; r < rowCount; ++r) {
            const uint8_t* p = rowPtr[size_t(r)] + offset;
            const double wr = wy[r];
            for (int c = 0; c < colCount; ++c, p += 3) {
                const double w = double(wx[c]) * wr;
                sum0 += p[0] * w;
                sum1 += p[1] * w;
                sum2 += p[2] * w;
            }
        }
        const int avg[3] = {AverageByte(sum0), AverageByte(sum1), AverageByte(sum2)};
        if (refRow) {
            const uint8_t* ref = refRow + job.RefColumn[size_t(x)];
            for (int c = 0; c < 3; ++c)
                out[c] = BlendFidelity(ref[c], avg[c], job.Fidelity);
        } else {
            for (int c = 0; c < 3; ++c)
                out[c] = uint8_t(avg[c]);
        }
    }
}

// The sharp sample of target pixel i: source pixel Round(i sx + 0.49 sx), kept inside the source.
std::vector<int32_t> ReferenceIndices(int srcSize, int dstSize)
{
    const double s = double(srcSize) / dstSize;
    std::vector<int32_t> ref(static_cast<size_t>(dstSize));
    for (int i = 0; i < dstSize; ++i)
        ref[size_t(i)] = int32_t(std::clamp<int64_t>(Round(i * s + 0.49 * s), 0, srcSize - 1));
    return ref;
}

} // namespace

void AreaResample(const TBitmap& Src, TBitmap& Dst, int Fidelity, const TResampleProgress& OnProgress,
                  int Threads)
{
    if (Src.Empty() || Dst.Empty() || Src.PixelFormat() != TPixelFormat::pf24bit ||
        Dst.PixelFormat() != TPixelFormat::pf24bit)
        throw EInvalidGraphicOperation("Resampling needs two non-empty 24-bit bitmaps");
    if (&Src == &Dst) throw EInvalidGraphicOperation("Resampling cannot write into its source");
    if (Dst.Width() > Src.Width() || Dst.Height() > Src.Height())
        throw EInvalidGraphicOperation("Area reduction cannot enlarge");

    TAreaAxis ax, ay;
    BuildAreaAxis(ax, Src.Width(), Dst.Width());
    BuildAreaAxis(ay, Src.Height(), Dst.Height());
    SkipZeroWeights(ax);
    SkipZeroWeights(ay);
    TAreaJob job{&Src, &Dst, &ax, &ay, std::clamp(Fidelity, 0, 256), {}, {}};
    if (job.Fidelity < 256) {
        job.RefColumn = ReferenceIndices(Src.Width(), Dst.Width());
        for (auto& c : job.RefColumn)
            c *= 3;
        job.RefRow = ReferenceIndices(Src.Height(), Dst.Height());
    }

    const int dh = Dst.Height();
    const int64_t ops = int64_t(ax.Weight.size()) * int64_t(ay.Weight.size());
    const int threads = ResampleThreadCount(Threads, dh, ops);
    std::vector<std::vector<const uint8_t*>> rowPtr(static_cast<size_t>(threads));
    TAreaProgress progress(OnProgress, dh);
    progress.ReportAreaProgress(0);
    ParallelFor(
        dh, threads, ResampleRowRun(dh, threads),
        [&](int y0, int y1, int t) {
            for (int y = y0; y < y1; ++y)
                AreaRow(job, y, rowPtr[size_t(t)]);
        },
        [&](int done) { progress.ReportAreaProgress(done); });
    Dst.Modified();
}
