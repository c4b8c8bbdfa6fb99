#include "formats/AutodeskGraphic.h"

#include "formats/ByteFields.h"
#include "formats/FormatGraphicSupport.h"

namespace {

constexpr int kHeaderSize = 32;
constexpr uint16_t kMagic = 0x9119;

} // namespace

bool TAutodeskGraphic::CanLoad(TStream& stream)
{
    return PeekHeader(stream, kHeaderSize, kHeaderSize + 1,
                      [](const uint8_t* h, size_t) { return WordLE(h) == kMagic && h[10] == 8 && h[11] == 0; });
}

bool TAutodeskGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    uint8_t h[kHeaderSize];
    safeload::ReadExact(stream, h, kHeaderSize);
    if (WordLE(h) != kMagic) return false;
    auto& p = ImageProperties;
    p.ColorScheme = schIndexed;
    p.Width = WordLE(h + 2);
    p.Height = WordLE(h + 4);
    p.BitsPerSample = 8;
    p.SamplesPerPixel = 1;
    p.BitsPerPixel = 8;
    p.Compression = TCompressionCode::None;
    return true;
}

void TAutodeskGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    ProgressStarting(TransferringStageText);
    stream.Seek(kHeaderSize, TSeekOrigin::soCurrent);
    const auto& p = ImageProperties;
    uint8_t map[256 * 3];
    safeload::ReadExact(stream, map, sizeof map);
    // 6-bit values times 4, kept in a byte.
    std::vector<TRGBQuad> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[size_t(i)] = TRGBQuad{uint8_t(map[3 * i + 2] * 4), uint8_t(map[3 * i + 1] * 4), uint8_t(map[3 * i] * 4), 0};
    PrepareTarget(target, TPixelFormat::pf8bit);
    target.SetPalette(std::move(palette));
    for (int y = 0; y < p.Height; ++y) {
        safeload::ReadExact(stream, target.ScanLine(y), p.Width);
        ProgressRowDone(y + 1);
    }
}

const TGraphicClass& TAutodeskGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TAutodeskGraphic>("TAutodeskGraphic");
    return cls;
}
