#include "codec/BitmapHelpers.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/Round.h"

TBitmap CloneBitmapFormat(const TBitmap& graphic)
{
    TBitmap out(graphic.Width(), graphic.Height(), graphic.PixelFormat());
    if (!graphic.Palette().empty()) out.SetPalette(graphic.Palette());
    return out;
}

namespace {
// Bytes that hold the first `width` pixels of a row.
size_t PixelBytes(int width, TPixelFormat format)
{
    return size_t((int64_t(width) * TBitmap::BitsPerPixel(format) + 7) / 8);
}
} // namespace

bool CopyBitmapBits(const TBitmap& Src, TBitmap& Dst)
{
    if (&Src == &Dst || Src.PixelFormat() != Dst.PixelFormat()) return false;
    const int width = std::min(Src.Width(), Dst.Width());
    const int height = std::min(Src.Height(), Dst.Height());
    if (width <= 0 || height <= 0) return false;
    const size_t bytes = PixelBytes(width, Src.PixelFormat());
    for (int y = 0; y < height; ++y)
        std::memcpy(Dst.ScanLine(y), Src.ScanLine(y), bytes);
    Dst.Modified();
    return true;
}

bool BlendBitmaps(TBitmap& Dest, const TBitmap* A, const TBitmap* B, int Percent)
{
    if (!A || !B) return false;
    const TPixelFormat format = Dest.PixelFormat();
    if (A->PixelFormat() != format || B->PixelFormat() != format) return false;
    const int width = std::min({Dest.Width(), A->Width(), B->Width()});
    const int height = std::min({Dest.Height(), A->Height(), B->Height()});
    if (width <= 0 || height <= 0) return false;
    const double t = double(std::min<int64_t>(std::llabs(int64_t(Percent)), 100)) * 0.01;
    const size_t bytes = PixelBytes(width, format);
    for (int y = 0; y < height; ++y) {
        const uint8_t* a = A->ScanLine(y);
        const uint8_t* b = B->ScanLine(y);
        uint8_t* d = Dest.ScanLine(y);
        for (size_t i = 0; i < bytes; ++i)
            d[i] = uint8_t(Round(b[i] + (a[i] - b[i]) * t));
    }
    Dest.Modified();
    return true;
}
