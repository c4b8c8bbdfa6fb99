#include "controls/BitmapStretch.h"

#include <array>
#include <cstring>
#include <vector>

#include "platform/Parallel.h"

namespace {

// Fills one destination row from source row src through the column table.
void Row24(const uint8_t* src, const int32_t* cols, int n, QRgb* dst)
{
    for (int x = 0; x < n; ++x) {
        const uint8_t* p = src + cols[x];
        dst[x] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
}

void Row32(const uint8_t* src, const int32_t* cols, int n, QRgb* dst)
{
    for (int x = 0; x < n; ++x) {
        uint32_t v;
        std::memcpy(&v, src + cols[x], 4);
        dst[x] = 0xFF000000u | v;
    }
}

void Row8(const uint8_t* src, const int32_t* cols, int n, const QRgb* lut, QRgb* dst)
{
    for (int x = 0; x < n; ++x) dst[x] = lut[src[cols[x]]];
}

} // namespace

QImage StretchVisiblePart(const TBitmap& bitmap, int imageW, int imageH, const QRect& wanted)
{
    if (bitmap.Empty() || imageW <= 0 || imageH <= 0) return QImage();
    QRect area = wanted.intersected(QRect(0, 0, imageW, imageH));
    if (area.isEmpty()) return QImage();

    // Depths without a row routine of their own are converted row by row, and only the rows shown.
    const TPixelFormat fmt = bitmap.PixelFormat();
    const bool direct = fmt == TPixelFormat::pf24bit || fmt == TPixelFormat::pf32bit || fmt == TPixelFormat::pf8bit;
    const int bytesPerPixel = fmt == TPixelFormat::pf32bit ? 4 : fmt == TPixelFormat::pf8bit ? 1 : 3;

    const int w = area.width(), h = area.height();
    std::vector<int32_t> cols(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x)
        cols[size_t(x)] = StretchSource(area.left() + x, imageW, bitmap.Width()) * bytesPerPixel;
    std::vector<int32_t> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) rows[size_t(y)] = StretchSource(area.top() + y, imageH, bitmap.Height());

    std::array<QRgb, 256> lut{};
    if (fmt == TPixelFormat::pf8bit) {
        TRGBQuad colours[256];
        bitmap.IndexColours(colours);
        for (size_t i = 0; i < 256; ++i) lut[i] = qRgb(colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue);
    }

    QImage out(w, h, QImage::Format_RGB32);
    if (out.isNull()) return out;
    uchar* const bits = out.bits(); // taken once: the threads below only write rows of their own
    const qsizetype stride = out.bytesPerLine();
    const auto dstRow = [bits, stride](int y) { return reinterpret_cast<QRgb*>(bits + stride * y); };
    // Bands of rows on all cores; a band starts afresh, so the result does not depend on the split.
    constexpr int RowsPerBand = 32;
    ParallelFor(h, 0, RowsPerBand, [&](int first, int last, int) {
        std::vector<uint8_t> converted(direct ? 0 : size_t(bitmap.Width()) * 3);
        for (int y = first; y < last; ++y) {
            QRgb* dst = dstRow(y);
            const int sy = rows[size_t(y)];
            if (y > first && sy == rows[size_t(y) - 1]) {
                // Rows repeated by enlarging are copied, not recomputed.
                std::memcpy(dst, dstRow(y - 1), size_t(w) * 4);
                continue;
            }
            if (!direct) {
                bitmap.RowTo24(sy, converted.data());
                Row24(converted.data(), cols.data(), w, dst);
            } else if (fmt == TPixelFormat::pf24bit) {
                Row24(bitmap.ScanLine(sy), cols.data(), w, dst);
            } else if (fmt == TPixelFormat::pf32bit) {
                Row32(bitmap.ScanLine(sy), cols.data(), w, dst);
            } else {
                Row8(bitmap.ScanLine(sy), cols.data(), w, lut.data(), dst);
            }
        }
    });
    return out;
}
