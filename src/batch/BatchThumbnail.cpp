#include "batch/BatchThumbnail.h"

#include <algorithm>
#include <vector>

#include "common/CommLib.h"
#include "platform/Round.h"

namespace {

void PutPixel(TBitmap& bmp, int x, int y, uint32_t rgb)
{
    if (x < 0 || y < 0 || x >= bmp.Width() || y >= bmp.Height()) return;
    uint8_t* p = bmp.ScanLine(y) + size_t(x) * 3;
    p[0] = uint8_t(rgb);
    p[1] = uint8_t(rgb >> 8);
    p[2] = uint8_t(rgb >> 16);
}

void FillRect(TBitmap& bmp, const TRect& r, uint32_t rgb)
{
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) PutPixel(bmp, x, y, rgb);
}

// Nearest-pixel stretch of the whole source into r of the 24-bit target (clipped to the target).
void StretchInto(const TBitmap& source, TBitmap& target, const TRect& r)
{
    const int w = r.Width(), h = r.Height();
    if (w <= 0 || h <= 0 || source.Empty()) return;
    std::vector<uint8_t> row(size_t(source.Width()) * 3);
    int converted = -1;
    for (int y = 0; y < h; ++y) {
        const int ty = r.Top + y;
        if (ty < 0 || ty >= target.Height()) continue;
        const int sy = int(int64_t(y) * source.Height() / h);
        if (sy != converted) {
            source.RowTo24(sy, row.data());
            converted = sy;
        }
        uint8_t* dst = target.ScanLine(ty);
        for (int x = 0; x < w; ++x) {
            const int tx = r.Left + x;
            if (tx < 0 || tx >= target.Width()) continue;
            const size_t sx = size_t(int64_t(x) * source.Width() / w);
            std::copy_n(row.data() + sx * 3, 3, dst + size_t(tx) * 3);
        }
    }
    target.Modified();
}

} // namespace

void DrawBatchThumbnail(TBitmap& thumbnail, TRect& thumbRect, const TBitmap* source, uint32_t background)
{
    if (thumbnail.Width() != BatchThumbnailSize || thumbnail.Height() != BatchThumbnailSize ||
        thumbnail.PixelFormat() != TPixelFormat::pf24bit)
        thumbnail = TBitmap(BatchThumbnailSize, BatchThumbnailSize, TPixelFormat::pf24bit);
    if (!source || source->Empty()) {
        thumbRect = Rect(3, 8, 28, 24);
        FillRect(thumbnail, thumbRect, 0xFFFFFF);
        thumbnail.Modified();
        return;
    }
    FillRect(thumbnail, Rect(0, 0, BatchThumbnailSize, BatchThumbnailSize), background);
    TRect r = FitRectCentered(source->Width(), source->Height(), BatchThumbnailSize - 2, BatchThumbnailSize - 2);
    r = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    const TBitmap* from = source;
    TBitmap reduced;
    if (int64_t(source->Width()) > 16 * int64_t(r.Width()) || int64_t(source->Height()) > 16 * int64_t(r.Height())) {
        reduced = TBitmap(int(std::max<int64_t>(1, Round(source->Width() * 0.0625))),
                          int(std::max<int64_t>(1, Round(source->Height() * 0.0625))), TPixelFormat::pf24bit);
        StretchInto(*source, reduced, Rect(0, 0, reduced.Width(), reduced.Height()));
        from = &reduced;
    }
    StretchInto(*from, thumbnail, r);
    for (int x = r.Left - 1; x <= r.Right; ++x) {
        PutPixel(thumbnail, x, r.Top - 1, 0xFFFFFF);
        PutPixel(thumbnail, x, r.Bottom, 0xFFFFFF);
    }
    for (int y = r.Top - 1; y <= r.Bottom; ++y) {
        PutPixel(thumbnail, r.Left - 1, y, 0xFFFFFF);
        PutPixel(thumbnail, r.Right, y, 0xFFFFFF);
    }
    thumbRect = r;
    thumbnail.Modified();
}
