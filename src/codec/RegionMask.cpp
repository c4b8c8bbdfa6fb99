#include "codec/RegionMask.h"

#include <algorithm>
#include <span>

#include "codec/JPEGImage.h"
#include "codec/JPEGProfile.h"
#include "codec/JpegEncode.h"

std::vector<TMaskShape> SelectionShapesOf(const TJPEGProfile& record)
{
    // Data[0] is the index of the last entry written, Data[1] the number of areas; from entry 2 on
    // each area's kind, then four corners (kinds 0, 1) or a point count and the points (kind 2).
    // Nothing past the last entry is read; an unknown kind ends the list.
    const auto& d = record.Data;
    const int64_t last = std::clamp<int64_t>(d[0], 0, int64_t(d.size()) - 1);
    std::vector<TMaskShape> shapes;
    int64_t next = 2;
    for (int32_t n = 0; n < d[1] && next <= last; ++n) {
        TMaskShape s;
        s.Kind = uint8_t(d[size_t(next)]);
        if (d[size_t(next)] == TMaskShape::Rectangle || d[size_t(next)] == TMaskShape::Ellipse) {
            if (next + 4 > last) break;
            s.BegX = d[size_t(next + 1)];
            s.BegY = d[size_t(next + 2)];
            s.EndX = d[size_t(next + 3)];
            s.EndY = d[size_t(next + 4)];
            next += 5;
        } else if (d[size_t(next)] == TMaskShape::Polygon) {
            if (next + 1 > last) break;
            const int64_t points = d[size_t(next + 1)];
            if (points < 0 || next + 1 + 2 * points > last) break;
            s.Points.reserve(size_t(points));
            for (int64_t j = 0; j < points; ++j)
                s.Points.push_back(TPoint{d[size_t(next + 2 + 2 * j)], d[size_t(next + 3 + 2 * j)]});
            next += 2 + 2 * points;
        } else {
            break;
        }
        shapes.push_back(std::move(s));
    }
    return shapes;
}

void BuildRegionMask(TJPEGImage& image, const TEncodeRun& run)
{
    image.MaskBitmap.reset();
    if (!run.Input || run.Input->Empty()) return;
    const int w = run.Input->Width(), h = run.Input->Height();
    auto mask = std::make_unique<TBitmap>(CreateMaskBitmap(w, h));
    if (image.OnPaintMask)
        image.OnPaintMask(image, *mask);
    else
        PaintSelectionMask(w, h, SelectionShapesOf(run.Request), *mask);
    image.MaskBitmap = std::move(mask);
}

TBlockMasks BuildBlockMasks(TJPEGImage& image, const TFrameLayout& frame, int selThreshold)
{
    image.LargeBlockMask.clear();
    image.SmallBlockMask.clear();
    std::vector<TSamplingFactor> factors;
    for (int c = 0; c < frame.NumComponents; ++c)
        factors.push_back({frame.Comp[size_t(c)].H, frame.Comp[size_t(c)].V});
    TBlockMasks masks =
        BuildBlockMasks(image.MaskBitmap.get(), frame.Width, frame.Height, std::span(factors), selThreshold);
    if (masks.LargeBlockMask) image.LargeBlockMask = masks.LargeBlockMask->Bytes;
    if (masks.SmallBlockMask) image.SmallBlockMask = masks.SmallBlockMask->Bytes;
    return masks;
}
