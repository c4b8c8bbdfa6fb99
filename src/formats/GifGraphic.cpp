#include "formats/GifGraphic.h"

#include <cctype>
#include <cstring>

#include "formats/FormatErrors.h"
#include "formats/SafeLoad.h"
#include "formats/decoders/LzwDecoders.h"

namespace {
constexpr const char* kShortName = "GIF";

// Passes over data sub-blocks up to and including their terminator; false at the stream's end.
bool SkipSubBlocks(TStream& stream)
{
    uint8_t size;
    while (stream.Read(&size, 1) == 1) {
        if (size == 0) return true;
        if (stream.Remaining() < size) return false;
        stream.Seek(size, TSeekOrigin::soCurrent);
    }
    return false;
}

// Reads a colour table of entries triples into palette entries.
std::vector<TRGBQuad> ReadColorTable(TStream& stream, unsigned entries)
{
    const std::vector<uint8_t> raw = safeload::ReadBytes(stream, uint64_t(entries) * 3);
    std::vector<TRGBQuad> palette(entries);
    for (unsigned i = 0; i < entries; ++i)
        palette[i] = TRGBQuad{raw[3 * i + 2], raw[3 * i + 1], raw[3 * i], 0};
    return palette;
}

struct TGifImageDescriptor
{
    unsigned Width = 0, Height = 0;
    uint8_t Flags = 0;
};

TGifImageDescriptor ReadImageDescriptor(TStream& stream)
{
    uint8_t d[9];
    safeload::ReadExact(stream, d, 9);
    return TGifImageDescriptor{unsigned(d[4] | d[5] << 8), unsigned(d[6] | d[7] << 8), d[8]};
}
} // namespace

bool TGIFGraphic::CanLoad(TStream& stream)
{
    const int64_t start = stream.Position();
    if (stream.Remaining() < 23) return false;
    char s[3];
    const bool read = stream.Read(s, 3) == 3;
    stream.SetPosition(start);
    return read && std::toupper(s[0]) == 'G' && std::toupper(s[1]) == 'I' && std::toupper(s[2]) == 'F';
}

uint8_t TGIFGraphic::SkipExtensions(TStream& stream)
{
    uint8_t b;
    while (stream.Read(&b, 1) == 1) {
        if (b == 0x2C || b == 0x3B) return b;
        if (b != 0x21) continue;
        uint8_t label;
        if (stream.Read(&label, 1) != 1) break;
        if (label == 0x01 || label == 0xF9) {
            // A fixed block (plain text's header, the graphic control's fields) first.
            uint8_t size;
            if (stream.Read(&size, 1) != 1 || stream.Remaining() < size) break;
            stream.Seek(size, TSeekOrigin::soCurrent);
        }
        if (!SkipSubBlocks(stream)) break;
    }
    return 0x3B;
}

bool TGIFGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    auto& p = ImageProperties;
    uint8_t h[13];
    if (stream.Read(h, 13) != 13) return false;
    if (std::toupper(h[0]) != 'G' || std::toupper(h[1]) != 'I' || std::toupper(h[2]) != 'F') return false;
    p.Version = std::isdigit(h[3]) && std::isdigit(h[4]) ? unsigned((h[3] - '0') * 10 + (h[4] - '0')) : 0;
    p.ColorScheme = schIndexed;
    p.SamplesPerPixel = 1;
    p.BitsPerSample = 8;
    p.Compression = TCompressionCode::Lzw;
    const unsigned screenWidth = unsigned(h[6] | h[7] << 8), screenHeight = unsigned(h[8] | h[9] << 8);
    if (h[10] & 0x80) {
        p.BitsPerSample = uint8_t((h[10] & 7) + 1);
        stream.Seek(int64_t(3) << ((h[10] & 7) + 1), TSeekOrigin::soCurrent);
    }
    if (SkipExtensions(stream) == 0x2C) {
        if (stream.Remaining() >= 9) {
            const TGifImageDescriptor desc = ReadImageDescriptor(stream);
            p.Width = int32_t(desc.Width ? desc.Width : screenWidth);
            p.Height = int32_t(desc.Height ? desc.Height : screenHeight);
            p.Interlaced = (desc.Flags & 0x40) != 0;
            p.LocalColorTable = (desc.Flags & 0x80) != 0;
            if (p.LocalColorTable) p.BitsPerSample = uint8_t((desc.Flags & 7) + 1);
        }
    }
    p.BitsPerPixel = p.SamplesPerPixel * p.BitsPerSample;
    return true;
}

void TGIFGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    const auto& p = ImageProperties;
    ProgressStarting(PreparingStageText);
    uint8_t h[13];
    safeload::ReadExact(stream, h, 13);
    std::vector<TRGBQuad> palette;
    if (h[10] & 0x80) palette = ReadColorTable(stream, 2u << (h[10] & 7));
    if (SkipExtensions(stream) != 0x2C) {
        // No image: an empty picture with the global palette.
        target.SetPixelFormat(TPixelFormat::pf8bit);
        target.SetPalette(palette);
        return;
    }
    ProgressEnding();
    ProgressStarting(LoadingDataStageText);
    const TGifImageDescriptor desc = ReadImageDescriptor(stream);
    PrepareTarget(target, TPixelFormat::pf8bit);
    if (desc.Flags & 0x80) palette = ReadColorTable(stream, 2u << (desc.Flags & 7));
    if (palette.empty()) {
        // Neither table: a grey ramp stands in.
        palette.resize(256);
        for (unsigned i = 0; i < 256; ++i) palette[i] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    }
    safeload::PadPalette(palette, 8);
    target.SetPalette(palette);
    if (p.Width == 0 || p.Height == 0) return; // a picture without pixels (screen and image sizes 0)

    const uint8_t codeSize = safeload::ReadByte(stream);
    if (codeSize < 1 || codeSize > 11) FormatError(CompressionErrorText, kShortName);
    std::vector<uint8_t> data;
    for (uint8_t size = safeload::ReadByte(stream); size != 0; size = safeload::ReadByte(stream)) {
        const size_t at = data.size();
        data.resize(at + size);
        safeload::ReadExact(stream, data.data() + at, size);
    }
    const uint64_t pixels = uint64_t(p.Width) * uint64_t(p.Height);
    std::vector<uint8_t> indices(size_t(pixels + uint64_t(p.Width)), 0);
    if (data.size() > size_t(INT32_MAX) || pixels > uint64_t(INT32_MAX)) throw EOutOfResources("GIF image too large");
    TGIFLZWDecoder decoder(codeSize);
    const uint8_t* src = data.data();
    uint8_t* dst = indices.data();
    decoder.Decode(src, dst, int32_t(data.size()), int32_t(pixels));

    ProgressEnding();
    ProgressStarting(TransferringStageText);
    const size_t width = size_t(p.Width);
    if (!p.Interlaced) {
        for (int y = 0; y < p.Height; ++y) {
            std::memcpy(target.ScanLine(y), indices.data() + size_t(y) * width, width);
            ProgressRowDone(y + 1);
        }
    } else {
        static constexpr int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        size_t source = 0;
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < p.Height; y += step[pass]) {
                std::memcpy(target.ScanLine(y), indices.data() + source * width, width);
                ++source;
                if (pass == 3) ProgressRowDone(y);
            }
    }
    target.Modified();
}

const TGraphicClass& TGIFGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TGIFGraphic>("TGIFGraphic");
    return cls;
}
