#include "platform/Bitmap.h"

#include <atomic>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/Format.h"

namespace {
std::atomic<int64_t> gPixelLimit{int64_t(1) << 28}; // 268 million pixels
std::atomic<uint64_t> gGeneration{0};

uint64_t NextGeneration() { return ++gGeneration; }
} // namespace

TBitmap::TBitmap(int width, int height, TPixelFormat format) : FFormat(format)
{
    SetSize(width, height);
}

int TBitmap::BitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf24bit: return 24;
    case TPixelFormat::pf32bit: return 32;
    }
    return 24;
}

int64_t TBitmap::RowBytes(int64_t width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

int64_t TBitmap::PixelLimit() { return gPixelLimit.load(); }
void TBitmap::SetPixelLimit(int64_t pixels) { gPixelLimit.store(pixels); }

void TBitmap::CheckSize(int64_t width, int64_t height, int bitsPerPixel)
{
    if (width < 0 || height < 0)
        throw EOutOfResources(Format("Invalid bitmap size %lld x %lld", (long long)width, (long long)height));
    if (width > INT32_MAX || height > INT32_MAX || (width > 0 && height > PixelLimit() / width))
        throw EOutOfResources(Format("Bitmap of %lld x %lld pixels exceeds the limit of %lld pixels",
                                     (long long)width, (long long)height, (long long)PixelLimit()));
    int64_t bytes = 0;
    if (__builtin_mul_overflow(RowBytes(width, bitsPerPixel), height, &bytes) || uint64_t(bytes) > SIZE_MAX / 2)
        throw EOutOfResources("Bitmap too large for memory");
}

void TBitmap::Allocate()
{
    int bpp = BitsPerPixel(FFormat);
    FStride = size_t(RowBytes(FWidth, bpp));
    std::vector<uint8_t>().swap(FBits);
    FBits.assign(FStride * size_t(FHeight), 0);
    Modified();
}

void TBitmap::SetSize(int width, int height)
{
    CheckSize(width, height, BitsPerPixel(FFormat));
    if (width == FWidth && height == FHeight && !FBits.empty()) return;
    FWidth = width;
    FHeight = height;
    Allocate();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == FFormat) return;
    CheckSize(FWidth, FHeight, BitsPerPixel(format));
    FFormat = format;
    Allocate();
}

void TBitmap::SetPalette(std::vector<TRGBQuad> palette)
{
    if (palette.size() > 256)
        throw EInvalidGraphicOperation("A palette has at most 256 entries");
    FPalette = std::move(palette);
    Modified();
}

void TBitmap::Modified() { FGeneration = NextGeneration(); }

uint8_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= FHeight) throw EInvalidGraphicOperation("Scan line index out of range");
    return FBits.data() + size_t(y) * FStride;
}

const uint8_t* TBitmap::ScanLine(int y) const
{
    if (y < 0 || y >= FHeight) throw EInvalidGraphicOperation("Scan line index out of range");
    return FBits.data() + size_t(y) * FStride;
}

void TBitmap::IndexColours(TRGBQuad (&pal)[256]) const
{
    // Palette lookups: indices past the end of the palette read as black.
    for (TRGBQuad& q : pal) q = {};
    for (size_t i = 0; i < FPalette.size() && i < 256; ++i) pal[i] = FPalette[i];
    if (!FPalette.empty()) return;
    if (FFormat == TPixelFormat::pf1bit) pal[1] = {255, 255, 255, 0};
    if (FFormat == TPixelFormat::pf8bit || FFormat == TPixelFormat::pf4bit) {
        int n = FFormat == TPixelFormat::pf8bit ? 256 : 16;
        for (int i = 0; i < n; ++i) {
            uint8_t g = uint8_t(i * 255 / (n - 1));
            pal[i] = {g, g, g, 0};
        }
    }
}

namespace {

void ConvertRowTo24(const uint8_t* s, int width, TPixelFormat format, const TRGBQuad (&pal)[256], uint8_t* d)
{
    for (int x = 0; x < width; ++x, d += 3) {
        TRGBQuad q;
        switch (format) {
        case TPixelFormat::pf1bit: q = pal[(s[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case TPixelFormat::pf4bit: q = pal[(x & 1) ? (s[x >> 1] & 15) : (s[x >> 1] >> 4)]; break;
        case TPixelFormat::pf8bit: q = pal[s[x]]; break;
        case TPixelFormat::pf15bit: {
            unsigned v = s[2 * x] | (unsigned(s[2 * x + 1]) << 8);
            q = {Expand5(v & 31), Expand5((v >> 5) & 31), Expand5((v >> 10) & 31), 0};
            break;
        }
        case TPixelFormat::pf16bit: {
            unsigned v = s[2 * x] | (unsigned(s[2 * x + 1]) << 8);
            q = {Expand5(v & 31), Expand6((v >> 5) & 63), Expand5((v >> 11) & 31), 0};
            break;
        }
        case TPixelFormat::pf24bit: q = {s[3 * x], s[3 * x + 1], s[3 * x + 2], 0}; break;
        case TPixelFormat::pf32bit: q = {s[4 * x], s[4 * x + 1], s[4 * x + 2], 0}; break;
        }
        d[0] = q.rgbBlue;
        d[1] = q.rgbGreen;
        d[2] = q.rgbRed;
    }
}

} // namespace

void TBitmap::RowTo24(int y, uint8_t* dst) const
{
    TRGBQuad pal[256];
    IndexColours(pal);
    ConvertRowTo24(ScanLine(y), FWidth, FFormat, pal, dst);
}

TBitmap TBitmap::To24() const
{
    TBitmap out(FWidth, FHeight, TPixelFormat::pf24bit);
    if (Empty()) return out;
    TRGBQuad pal[256];
    IndexColours(pal);
    for (int y = 0; y < FHeight; ++y) ConvertRowTo24(ScanLine(y), FWidth, FFormat, pal, out.ScanLine(y));
    return out;
}

void TBitmap::ConvertTo24()
{
    if (FFormat == TPixelFormat::pf24bit) return;
    TBitmap converted = To24();
    *this = std::move(converted);
    Modified();
}
