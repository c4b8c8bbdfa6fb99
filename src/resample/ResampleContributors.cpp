#include "resample/ResampleContributors.h"

#include <algorithm>
#include <cmath>

#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/Round.h"

namespace {

// Most entries one axis may hold (8 bytes each).
constexpr int64_t MaxContributorEntries = int64_t(1) << 27;

inline int32_t MirrorIndex(int64_t j, int srcSize)
{
    if (j < 0)
        j = -j;
    else if (j >= srcSize)
        j = 2 * int64_t(srcSize) - j - 1;
    return int32_t(std::clamp<int64_t>(j, 0, srcSize - 1));
}

} // namespace

double ContributorScale(int srcSize, int dstSize)
{
    if (srcSize == 1) return double(dstSize);
    if (dstSize == 1) return 1.0 / srcSize;
    return double(dstSize - 1) / double(srcSize - 1);
}

void BuildContributors(TContributorTable& Table, int srcSize, int dstSize, const TResampleFilter& Filter,
                       const std::function<void()>& ListDone)
{
    if (srcSize < 1 || dstSize < 1)
        throw EInvalidGraphicOperation(Format("Cannot resample %d pixels to %d", srcSize, dstSize));
    const double scale = ContributorScale(srcSize, dstSize);
    const double support = Filter.Support;
    const bool shrinking = scale < 1.0;
    const double f = shrinking ? 1.0 / scale : 1.0;
    const double width = shrinking ? support / scale : support;

    // Every list spans at most this many source positions; check the total before allocating.
    const int64_t span = int64_t(std::ceil(width)) * 2 + 3;
    if (span > MaxContributorEntries || span * dstSize > MaxContributorEntries)
        throw EOutOfResources(Format("Resampling %d pixels to %d needs too much memory", srcSize, dstSize));

    Table.First.assign(1, 0);
    Table.First.reserve(size_t(dstSize) + 1);
    Table.Pixel.clear();
    Table.Weight.clear();
    Table.Consecutive.assign(size_t(dstSize), 0);
    Table.Pixel.reserve(size_t(span * dstSize));
    Table.Weight.reserve(size_t(span * dstSize));

    for (int i = 0; i < dstSize; ++i) {
        const double center = (dstSize == 1 && srcSize > 1) ? (srcSize - 1) / 2.0 : i / scale;
        const int64_t left = int64_t(std::floor(center - width));
        const int64_t right = int64_t(std::ceil(center + width));
        const size_t before = Table.Pixel.size();
        for (int64_t j = left; j <= right; ++j) {
            float w;
            if (shrinking)
                w = float(double(Filter.Kernel(float((center - double(j)) / f))) / f);
            else
                w = Filter.Kernel(float(center - double(j)));
            if (w == 0.0f) continue;
            Table.Pixel.push_back(MirrorIndex(j, srcSize));
            Table.Weight.push_back(w);
        }
        if (Table.Pixel.size() == before) {
            Table.Pixel.push_back(int32_t(std::clamp<int64_t>(Round(center), 0, srcSize - 1)));
            Table.Weight.push_back(1.0f);
        }
        Table.First.push_back(int32_t(Table.Pixel.size()));
        bool consecutive = true;
        for (size_t k = before + 1; k < Table.Pixel.size(); ++k)
            consecutive = consecutive && Table.Pixel[k] == Table.Pixel[k - 1] + 1;
        Table.Consecutive[size_t(i)] = consecutive;
        if (ListDone) ListDone();
    }
}
