#include "controls/BitmapStretch.h"

#include <array>
#include <cstring>
#include <vector>

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

    // Depths without a row routine of their own are shown through a 24-bit copy.
    const TBitmap* bmp = &bitmap;
    TBitmap copy;
    TPixelFormat fmt = bitmap.PixelFormat();
    if (fmt != TPixelFormat::pf24bit && fmt != TPixelFormat::pf32bit && fmt != TPixelFormat::pf8bit) {
        copy = bitmap.To24();
        bmp = &copy;
        fmt = TPixelFormat::pf24bit;
    }
    int bytesPerPixel = fmt == TPixelFormat::pf24bit ? 3 : fmt == TPixelFormat::pf32bit ? 4 : 1;

    const int w = area.width(), h = area.height();
    std::vector<int32_t> cols(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x)
        cols[size_t(x)] = StretchSource(area.left() + x, imageW, bmp->Width()) * bytesPerPixel;
    std::vector<int32_t> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) rows[size_t(y)] = StretchSource(area.top() + y, imageH, bmp->Height());

    std::array<QRgb, 256> lut{};
    if (fmt == TPixelFormat::pf8bit) {
        const auto& pal = bmp->Palette();
        for (size_t i = 0; i < 256; ++i)
            lut[i] = i < pal.size() ? qRgb(pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue)
                                    : qRgb(int(i), int(i), int(i));
    }

    QImage out(w, h, QImage::Format_RGB32);
    int prevRow = -1;
    for (int y = 0; y < h; ++y) {
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        int sy = rows[size_t(y)];
        if (sy == prevRow) {
            // Rows repeated by enlarging are copied, not recomputed.
            std::memcpy(dst, out.constScanLine(y - 1), size_t(w) * 4);
            continue;
        }
        prevRow = sy;
        const uint8_t* src = bmp->ScanLine(sy);
        if (fmt == TPixelFormat::pf24bit)
            Row24(src, cols.data(), w, dst);
        else if (fmt == TPixelFormat::pf32bit)
            Row32(src, cols.data(), w, dst);
        else
            Row8(src, cols.data(), w, lut.data(), dst);
    }
    return out;
}
