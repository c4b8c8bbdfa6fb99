#include "codec/RegionMask.h"

#include <span>

#include "codec/JPEGImage.h"
#include "codec/JPEGProfile.h"
#include "codec/JpegEncode.h"

std::vector<TMaskShape> SelectionShapesOf(const TJPEGProfile& record)
{
    // Data[1] areas from entry 2 on: kind, then four corners (kinds 0, 1) or a point count and the
    // points (kind 2).
    const auto& d = record.Data;
    const size_t size = d.size();
    std::vector<TMaskShape> shapes;
    const int64_t count = d[1];
    size_t i = 2;
    for (int64_t n = 0; n < count && i < size; ++n) {
        TMaskShape s;
        s.Kind = uint8_t(d[i++]);
        if (s.Kind == TMaskShape::Polygon) {
            if (i >= size) break;
            const int64_t points = d[i++];
            if (points < 0 || uint64_t(points) > (size - i) / 2) break;
            s.Points.reserve(size_t(points));
            for (int64_t p = 0; p < points; ++p, i += 2) s.Points.push_back(TPoint{d[i], d[i + 1]});
        } else {
            if (size - i < 4) break;
            s.BegX = d[i];
            s.BegY = d[i + 1];
            s.EndX = d[i + 2];
            s.EndY = d[i + 3];
            i += 4;
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
