#include "formats/PcxGraphic.h"

#include <algorithm>
#include <cstring>

#include "formats/ByteFields.h"
#include "formats/FormatGraphicSupport.h"
#include "formats/decoders/RunLengthDecoders.h"

namespace {

constexpr int kHeaderSize = 128;
constexpr const char* kColorName = "PCX";
constexpr uint8_t kPaletteMark = 12; // the byte before a 256-colour palette at the file's end
constexpr int kTrailerSize = 769;

// The 16 colours a version 3 file (which stores no palette) is shown with.
constexpr uint8_t kDefaultPalette[16][3] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

} // namespace

bool TPCXGraphic::CanLoad(TStream& stream)
{
    return PeekHeader(stream, kHeaderSize, kHeaderSize + 1, [](const uint8_t* h, size_t) {
        const unsigned version = h[1];
        return (h[0] == 10 || h[0] == 12) && (version == 0 || version == 2 || version == 3 || version == 5) &&
               h[2] <= 1;
    });
}

bool TPCXGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    uint8_t h[kHeaderSize];
    safeload::ReadExact(stream, h, kHeaderSize);
    if (h[0] != 10 && h[0] != 0xCD) return false;
    const int xMin = WordLE(h + 4), yMin = WordLE(h + 6), xMax = WordLE(h + 8), yMax = WordLE(h + 10);
    if (xMax < xMin || yMax < yMin) return false;
    auto& p = ImageProperties;
    p.Version = h[1];
    p.Width = xMax - xMin + 1;
    p.Height = yMax - yMin + 1;
    p.SamplesPerPixel = h[65];
    p.BitsPerSample = h[3];
    p.BitsPerPixel = uint8_t(p.SamplesPerPixel * p.BitsPerSample);
    p.ColorScheme = p.BitsPerPixel > 8 ? schRGB : schIndexed;
    p.Compression = h[2] == 1 ? TCompressionCode::RunLength : TCompressionCode::None;
    p.XResolution = WordLE(h + 12);
    p.YResolution = WordLE(h + 14);
    return true;
}

void TPCXGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    ProgressStarting(PreparingStageText);
    const auto& p = ImageProperties;
    uint8_t h[kHeaderSize];
    safeload::ReadExact(stream, h, kHeaderSize);
    const unsigned bits = h[3], planes = h[65], bytesPerLine = WordLE(h + 66), paletteInfo = WordLE(h + 68);
    int64_t dataSize = std::max<int64_t>(0, stream.Remaining());

    // Supported layouts: one plane of 1, 2, 4 or 8 bits, four planes of 1 bit, three of 8.
    TPixelFormat format;
    if (planes == 1 && bits == 1)
        format = TPixelFormat::pf1bit;
    else if ((planes == 1 && (bits == 2 || bits == 4)) || (planes == 4 && bits == 1))
        format = TPixelFormat::pf4bit;
    else if (planes == 1 && bits == 8)
        format = TPixelFormat::pf8bit;
    else if (planes == 3 && bits == 8)
        format = TPixelFormat::pf24bit;
    else
        FormatError(InvalidColorFormatText, kColorName);
    // Each plane's line must hold the row's pixels.
    if (uint64_t(bytesPerLine) * 8 < uint64_t(p.Width) * bits) FormatError(InvalidColorFormatText, kColorName);

    auto& cm = ColorManager;
    cm.SourceOptions = 0;
    cm.TargetOptions = 0;
    cm.SetSourceScheme(p.ColorScheme);
    cm.SetTargetScheme(p.ColorScheme == schIndexed ? schIndexed : schBGR);
    cm.SetSourceBitsPerSample(int(bits));
    cm.SetTargetBitsPerSample(bits == 2 ? 4 : int(bits));
    cm.SetSourceSamplesPerPixel(planes == 3 ? 3 : 1);
    cm.SetTargetSamplesPerPixel(planes == 3 ? 3 : 1);
    PrepareTarget(target, format);

    // The 256-colour palette at the end, when the file has one.
    if (format == TPixelFormat::pf8bit && dataSize >= kTrailerSize) {
        const int64_t here = stream.Position();
        stream.Seek(-kTrailerSize, TSeekOrigin::soEnd);
        uint8_t trailer[kTrailerSize];
        safeload::ReadExact(stream, trailer, kTrailerSize);
        stream.SetPosition(here);
        if (trailer[0] == kPaletteMark) {
            dataSize -= kTrailerSize;
            target.SetPalette(cm.CreateColorPalette({std::span<const uint8_t>(trailer + 1, 768)}, rplInterleaved8Triple,
                                                    256, false));
        } else if (paletteInfo == 2) {
            target.SetPalette(cm.CreateGrayPalette(false));
        }
    } else if (format == TPixelFormat::pf8bit) {
        if (paletteInfo == 2) target.SetPalette(cm.CreateGrayPalette(false));
    } else if (format != TPixelFormat::pf24bit) {
        if (p.Version == 3 && format != TPixelFormat::pf1bit) {
            std::vector<TRGBQuad> palette(16);
            for (int i = 0; i < 16; ++i)
                palette[size_t(i)] = TRGBQuad{kDefaultPalette[i][2], kDefaultPalette[i][1], kDefaultPalette[i][0], 0};
            target.SetPalette(std::move(palette));
        } else if (format == TPixelFormat::pf1bit) {
            target.SetPalette(cm.CreateGrayPalette(false));
        } else if (paletteInfo == 2) {
            target.SetPalette(cm.CreateGrayPalette(false));
        } else {
            // The header's 16 colours; a 2-bit picture uses its first four.
            const unsigned count = bits == 2 ? 4 : 16;
            auto palette = cm.CreateColorPalette({std::span<const uint8_t>(h + 16, 48)}, rplInterleaved8Triple, count,
                                                 false);
            target.SetPalette(std::move(palette));
        }
    }

    // The rows: planes x bytes per line each, decoded into one buffer (checked against the pixel
    // limit like a picture of that many bytes).
    const uint64_t rowSize = uint64_t(planes) * bytesPerLine;
    TBitmap::CheckSize(int64_t(rowSize), p.Height, 8);
    const uint64_t bufferSize = rowSize * uint64_t(p.Height);
    std::vector<uint8_t> buffer(bufferSize, 0);
    if (p.Compression == TCompressionCode::RunLength) {
        const auto data = safeload::ReadBytes(stream, uint64_t(dataSize));
        TPCXRLEDecoder decoder;
        const uint8_t* source = data.data();
        uint8_t* dest = buffer.data();
        decoder.Decode(source, dest, int32_t(std::min<int64_t>(dataSize, INT32_MAX)),
                       int32_t(std::min<uint64_t>(bufferSize, INT32_MAX)));
    } else {
        safeload::ReadExact(stream, buffer.data(), int64_t(std::min<uint64_t>(uint64_t(dataSize), bufferSize)));
    }
    ProgressEnding();

    ProgressStarting(TransferringStageText);
    for (int y = 0; y < p.Height; ++y) {
        const uint8_t* row = buffer.data() + uint64_t(y) * rowSize;
        uint8_t* line = target.ScanLine(y);
        if (planes == 4) {
            // Plane 0 gives the lowest bit of each 4-bit pixel.
            for (int x = 0; x < p.Width; ++x) {
                unsigned v = 0;
                for (unsigned plane = 0; plane < 4; ++plane)
                    v |= unsigned((row[plane * bytesPerLine + unsigned(x) / 8] >> (7 - x % 8)) & 1) << plane;
                line[x / 2] = uint8_t(x % 2 == 0 ? (line[x / 2] & 0x0F) | v << 4 : (line[x / 2] & 0xF0) | v);
            }
        } else if (planes == 3) {
            cm.ConvertRow({std::span<const uint8_t>(row, bytesPerLine), std::span<const uint8_t>(row + bytesPerLine, bytesPerLine),
                           std::span<const uint8_t>(row + 2 * bytesPerLine, bytesPerLine)},
                          {line, target.Stride()}, uint32_t(p.Width), 0xFF);
        } else {
            cm.ConvertRow({std::span<const uint8_t>(row, rowSize)}, {line, target.Stride()}, uint32_t(p.Width), 0xFF);
        }
        ProgressRowDone(y + 1);
    }
}

const TGraphicClass& TPCXGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TPCXGraphic>("TPCXGraphic");
    return cls;
}
