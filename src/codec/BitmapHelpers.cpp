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
// The bytes of a row that hold the first `width` pixels: whole bytes, and the bits of a last byte
// shared with pixels beyond `width` (1- and 4-bit formats; the first pixel is in the highest bits).
struct TRowBytes
{
    size_t Whole = 0;
    uint8_t LastBits = 0; // mask of the last byte's bits that belong to the row, 0 when none

    TRowBytes(int width, TPixelFormat format)
    {
        const int64_t bits = int64_t(width) * TBitmap::BitsPerPixel(format);
        Whole = size_t(bits / 8);
        LastBits = uint8_t(0xFF00 >> (bits % 8));
    }
    // Writes value into the last byte's own bits, keeping the others.
    static uint8_t Merge(uint8_t old, uint8_t value, uint8_t bits) { return uint8_t((old & ~bits) | (value & bits)); }
};
} // namespace

bool CopyBitmapBits(const TBitmap& Src, TBitmap& Dst)
{
    if (&Src == &Dst || Src.PixelFormat() != Dst.PixelFormat()) return false;
    const int width = std::min(Src.Width(), Dst.Width());
    const int height = std::min(Src.Height(), Dst.Height());
    if (width <= 0 || height <= 0) return false;
    const TRowBytes row(width, Src.PixelFormat());
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = Src.ScanLine(y);
        uint8_t* d = Dst.ScanLine(y);
        std::memcpy(d, s, row.Whole);
        if (row.LastBits) d[row.Whole] = TRowBytes::Merge(d[row.Whole], s[row.Whole], row.LastBits);
    }
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
    const TRowBytes row(width, format);
    auto blend = [t](uint8_t a, uint8_t b) { return uint8_t(Round(b + (a - b) * t)); };
    for (int y = 0; y < height; ++y) {
        const uint8_t* a = A->ScanLine(y);
        const uint8_t* b = B->ScanLine(y);
        uint8_t* d = Dest.ScanLine(y);
        for (size_t i = 0; i < row.Whole; ++i)
            d[i] = blend(a[i], b[i]);
        if (row.LastBits)
            d[row.Whole] = TRowBytes::Merge(d[row.Whole], blend(a[row.Whole], b[row.Whole]), row.LastBits);
    }
    Dest.Modified();
    return true;
}
