// Writing BMP files: indexed pictures at their own depth, everything else as 24 bits.
#include <vector>

#include "platform/Bitmap.h"
#include "platform/BmpFile.h"
#include "platform/Exceptions.h"
#include "platform/ReplaceFile.h"
#include "platform/Stream.h"

namespace {
constexpr uint32_t PixelsPerMetre = 2835; // 72 dots per inch

void Put16(std::vector<uint8_t>& v, uint16_t x)
{
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}

void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(x >> (8 * i)));
}

// The palette TBitmap shows for an indexed bitmap whose palette is empty.
std::vector<TRGBQuad> DefaultPalette(int bits)
{
    std::vector<TRGBQuad> p(size_t(1) << bits);
    if (bits == 1) {
        p[1] = {255, 255, 255, 0};
        return p;
    }
    const int n = int(p.size());
    for (int i = 0; i < n; ++i) {
        uint8_t g = uint8_t(i * 255 / (n - 1));
        p[size_t(i)] = {g, g, g, 0};
    }
    return p;
}

void WriteBmp(const TBitmap& bmp, TStream& s)
{
    const int bits =
        TBitmap::BitsPerPixel(bmp.PixelFormat()) <= 8 ? TBitmap::BitsPerPixel(bmp.PixelFormat()) : 24;
    std::vector<TRGBQuad> palette;
    if (bits <= 8) {
        palette = bmp.Palette().empty() ? DefaultPalette(bits) : bmp.Palette();
        if (palette.size() > (size_t(1) << bits)) palette.resize(size_t(1) << bits);
    }
    const int64_t stride = TBitmap::RowBytes(bmp.Width(), bits);
    const int64_t imageSize = stride * bmp.Height();
    const int64_t offBits = 14 + 40 + 4 * int64_t(palette.size());
    if (offBits + imageSize > int64_t(UINT32_MAX))
        throw EInvalidGraphicOperation("The bitmap is too large for a BMP file");

    std::vector<uint8_t> head;
    head.reserve(size_t(offBits));
    head.push_back('B');
    head.push_back('M');
    Put32(head, uint32_t(offBits + imageSize));
    Put32(head, 0); // reserved
    Put32(head, uint32_t(offBits));
    Put32(head, 40);
    Put32(head, uint32_t(bmp.Width()));
    Put32(head, uint32_t(bmp.Height())); // positive: bottom-up
    Put16(head, 1);
    Put16(head, uint16_t(bits));
    Put32(head, 0); // BI_RGB
    Put32(head, uint32_t(imageSize));
    Put32(head, PixelsPerMetre);
    Put32(head, PixelsPerMetre);
    Put32(head, uint32_t(palette.size()));
    Put32(head, 0); // all colours important
    for (const TRGBQuad& q : palette) {
        head.push_back(q.rgbBlue);
        head.push_back(q.rgbGreen);
        head.push_back(q.rgbRed);
        head.push_back(0);
    }
    s.WriteBuffer(head.data(), int64_t(head.size()));

    // The rows have the file's layout already (24-bit bitmaps share the stride rule); other
    // formats go through a 24-bit copy.
    TBitmap converted;
    const TBitmap* src = &bmp;
    if (bits == 24 && bmp.PixelFormat() != TPixelFormat::pf24bit) {
        converted = bmp.To24();
        src = &converted;
    }
    for (int y = src->Height() - 1; y >= 0; --y)
        s.WriteBuffer(src->ScanLine(y), stride);
}
} // namespace

void SaveBmpToStream(const TBitmap& bmp, TStream& s)
{
    if (bmp.Empty()) throw EInvalidGraphicOperation("An empty bitmap cannot be saved");
    WriteBmp(bmp, s);
}

void SaveBmpToFile(const TBitmap& bmp, const std::string& fileName)
{
    if (bmp.Empty()) throw EInvalidGraphicOperation("An empty bitmap cannot be saved");
    TMemoryStream data;
    WriteBmp(bmp, data);
    SaveFileReplacing(fileName, data.Memory(), data.Data().size());
}
