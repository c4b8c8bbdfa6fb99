// Reading BMP files: the headers, the palette and the uncompressed pixel layouts; RLE and bit
// fields have files of their own.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/BmpDecode.h"
#include "platform/BmpFile.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/Stream.h"

namespace {
constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;
constexpr int64_t FileHeaderSize = 14;

uint16_t Get16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t Get32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// What the headers say about the picture.
struct TBmpInfo
{
    uint32_t HeaderSize = 0;
    int64_t Width = 0;
    int64_t Height = 0; // always positive; TopDown tells the row order
    bool TopDown = false;
    int Planes = 1;
    int BitCount = 0;
    uint32_t Compression = BI_RGB;
    uint32_t ClrUsed = 0;
    TBmpMasks Masks;
    bool HasMasks = false;
    int PaletteEntrySize = 4;
};

// Reads exactly count bytes; a short read means the file was cut off.
void ReadExact(TStream& s, void* buffer, int64_t count, const char* what)
{
    if (count > 0 && s.Read(buffer, count) != count) BmpInvalid(Format("the file ends inside the %s", what));
}

bool KnownHeaderSize(uint32_t size)
{
    switch (size) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

// Reads the information header that follows the file header, plus the masks stored after a
// 40-byte header.
TBmpInfo ReadInfoHeader(TStream& s, int64_t available)
{
    TBmpInfo info;
    uint8_t h[124] = {};
    if (available < 4) BmpInvalid("the file ends inside the headers");
    ReadExact(s, h, 4, "headers");
    info.HeaderSize = Get32(h);
    if (!KnownHeaderSize(info.HeaderSize))
        BmpInvalid(Format("unknown information header size %u", info.HeaderSize));
    if (info.HeaderSize > available) BmpInvalid("the file ends inside the headers");
    ReadExact(s, h + 4, info.HeaderSize - 4, "headers");

    if (info.HeaderSize == 12) { // OS/2 core header: 16-bit sizes, 3-byte palette entries
        info.Width = Get16(h + 4);
        info.Height = Get16(h + 6);
        info.Planes = Get16(h + 8);
        info.BitCount = Get16(h + 10);
        info.PaletteEntrySize = 3;
        if (info.BitCount != 1 && info.BitCount != 4 && info.BitCount != 8 && info.BitCount != 24)
            BmpInvalid(Format("%d bits per pixel is not valid in an OS/2 bitmap", info.BitCount));
    } else { // Windows and OS/2 2.x headers share the first 40 bytes
        info.Width = int32_t(Get32(h + 4));
        int32_t height = int32_t(Get32(h + 8));
        info.Planes = Get16(h + 12);
        info.BitCount = Get16(h + 14);
        info.Compression = Get32(h + 16);
        info.ClrUsed = Get32(h + 32);
        info.TopDown = height < 0;
        info.Height = info.TopDown ? -int64_t(height) : int64_t(height);
        if (info.HeaderSize >= 52 && info.HeaderSize != 64) {
            info.Masks.Red = Get32(h + 40);
            info.Masks.Green = Get32(h + 44);
            info.Masks.Blue = Get32(h + 48);
            if (info.HeaderSize >= 56) info.Masks.Alpha = Get32(h + 52);
        }
    }
    if (info.Width <= 0 || info.Height <= 0 || info.Height > INT32_MAX)
        BmpInvalid(Format("picture size %lld x %lld", (long long)info.Width,
                          (long long)(info.TopDown ? -info.Height : info.Height)));
    if (info.Planes != 1) BmpInvalid(Format("%d colour planes", info.Planes));
    const int b = info.BitCount;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        BmpInvalid(Format("%d bits per pixel", b));

    const bool os2v2 = info.HeaderSize == 64;
    switch (info.Compression) {
    case BI_RGB:
        break;
    case BI_RLE8:
    case BI_RLE4:
        if (b != (info.Compression == BI_RLE8 ? 8 : 4))
            BmpInvalid(
                Format("RLE%d compression with %d bits per pixel", info.Compression == BI_RLE8 ? 8 : 4, b));
        if (info.TopDown) BmpInvalid("a compressed picture cannot be stored top-down");
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (os2v2) BmpInvalid("OS/2 Huffman and RLE24 compression are not supported");
        if (b != 16 && b != 32) BmpInvalid(Format("bit field compression with %d bits per pixel", b));
        info.HasMasks = true;
        if (info.HeaderSize == 40) { // the masks follow the header
            int count = info.Compression == BI_ALPHABITFIELDS ? 4 : 3;
            uint8_t m[16] = {};
            if (available - info.HeaderSize < count * 4)
                BmpInvalid("the file ends inside the bit field masks");
            ReadExact(s, m, count * 4, "bit field masks");
            info.Masks = {Get32(m), Get32(m + 4), Get32(m + 8), count == 4 ? Get32(m + 12) : 0};
        }
        CheckBmpMasks(info.Masks, b);
        break;
    default:
        BmpInvalid(Format("compression method %u is not supported", info.Compression));
    }
    return info;
}

// The 2^bits palette of an indexed picture: the entries stored in the file, then black.
std::vector<TRGBQuad> ReadPalette(TStream& s, const TBmpInfo& info, int64_t paletteBytes)
{
    const int64_t full = int64_t(1) << info.BitCount;
    int64_t count = info.ClrUsed == 0 ? full : std::min<int64_t>(info.ClrUsed, full);
    count = std::min(count, paletteBytes / info.PaletteEntrySize);
    std::vector<uint8_t> raw(size_t(count * info.PaletteEntrySize));
    ReadExact(s, raw.data(), int64_t(raw.size()), "palette");
    std::vector<TRGBQuad> palette(static_cast<size_t>(full));
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t* e = raw.data() + i * info.PaletteEntrySize;
        palette[size_t(i)] = {e[0], e[1], e[2], 0};
    }
    return palette;
}

TPixelFormat ResultFormat(const TBmpInfo& info)
{
    switch (info.BitCount) {
    case 1:
        return TPixelFormat::pf1bit;
    case 4:
        return TPixelFormat::pf4bit;
    case 8:
        return TPixelFormat::pf8bit;
    case 16: {
        if (!info.HasMasks) return TPixelFormat::pf15bit;
        const TBmpMasks& m = info.Masks;
        if (m.Red == 0x7C00 && m.Green == 0x03E0 && m.Blue == 0x001F && (m.Alpha == 0 || m.Alpha == 0x8000))
            return TPixelFormat::pf15bit;
        if (m.Red == 0xF800 && m.Green == 0x07E0 && m.Blue == 0x001F && m.Alpha == 0)
            return TPixelFormat::pf16bit;
        return TPixelFormat::pf32bit;
    }
    case 24:
        return TPixelFormat::pf24bit;
    default:
        return TPixelFormat::pf32bit;
    }
}

// Rows stored uncompressed: copied as they are, or through the bit-field converter.
void ReadRows(TStream& s, const TBmpInfo& info, int64_t available, TBitmap& out)
{
    const int64_t stride = TBitmap::RowBytes(info.Width, info.BitCount);
    if (stride <= 0 || info.Height > available / stride)
        BmpInvalid(
            Format("the pixel data is truncated: %lld rows of %lld bytes do not fit in the %lld bytes left",
                   (long long)info.Height, (long long)stride, (long long)available));
    TBitmap::CheckSize(info.Width, info.Height, TBitmap::BitsPerPixel(out.PixelFormat()));
    out.SetSize(int(info.Width), int(info.Height));
    const int h = int(info.Height);
    const bool convert = out.PixelFormat() == TPixelFormat::pf32bit && info.HasMasks;
    std::vector<uint8_t> row(convert ? size_t(stride) : 0);
    std::unique_ptr<TBmpBitFieldConverter> converter;
    if (convert) converter = std::make_unique<TBmpBitFieldConverter>(info.Masks, info.BitCount);
    for (int i = 0; i < h; ++i) {
        uint8_t* dest = out.ScanLine(info.TopDown ? i : h - 1 - i);
        if (convert) {
            ReadExact(s, row.data(), stride, "pixel data");
            converter->ConvertRow(row.data(), dest, int(info.Width));
        } else {
            ReadExact(s, dest, stride, "pixel data");
        }
    }
}

void ReadRle(TStream& s, const TBmpInfo& info, int64_t available, TBitmap& out)
{
    TBitmap::CheckSize(info.Width, info.Height, info.BitCount);
    std::vector<uint8_t> data(static_cast<size_t>(available));
    ReadExact(s, data.data(), available, "pixel data");
    out.SetSize(int(info.Width), int(info.Height));
    DecodeBmpRle(data.data(), data.size(), info.BitCount, out);
}
} // namespace

void BmpInvalid(const std::string& detail)
{
    throw EInvalidGraphic("Bitmap image is not valid: " + detail);
}

int LoadBmpFromStream(TBitmap& bmp, TStream& s)
{
    const int64_t start = s.Position();
    const int64_t fileSize = s.Size() - start;
    uint8_t fh[FileHeaderSize];
    if (fileSize < FileHeaderSize) BmpInvalid("the file is too short for a bitmap file header");
    ReadExact(s, fh, FileHeaderSize, "file header");
    if (fh[0] != 'B' || fh[1] != 'M') BmpInvalid("the file does not start with \"BM\"");
    const int64_t offBits = Get32(fh + 10);

    TBmpInfo info = ReadInfoHeader(s, fileSize - FileHeaderSize);
    const int64_t paletteStart = s.Position() - start;
    if (offBits != 0 && offBits < paletteStart)
        BmpInvalid(Format("pixel data offset %lld lies inside the headers", (long long)offBits));
    if (offBits > fileSize)
        BmpInvalid(Format("pixel data offset %lld is beyond the end of the file (%lld bytes)",
                          (long long)offBits, (long long)fileSize));

    const TPixelFormat format = ResultFormat(info);
    TBitmap out;
    out.SetPixelFormat(format); // still 0 x 0: nothing allocated
    if (info.BitCount <= 8)
        out.SetPalette(ReadPalette(s, info, (offBits != 0 ? offBits : fileSize) - paletteStart));
    if (offBits != 0) s.SetPosition(start + offBits);
    const int64_t available = fileSize - (s.Position() - start);

    if (info.Compression == BI_RLE8 || info.Compression == BI_RLE4)
        ReadRle(s, info, available, out);
    else
        ReadRows(s, info, available, out);
    out.Modified();
    bmp = std::move(out);
    return info.BitCount;
}

void LoadBmpFromFile(TBitmap& bmp, const std::string& fileName)
{
    TFileStream f(fileName, fmOpenRead);
    LoadBmpFromStream(bmp, f);
}
