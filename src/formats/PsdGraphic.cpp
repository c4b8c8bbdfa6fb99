#include "formats/PsdGraphic.h"

#include <cstring>

#include "formats/ByteFields.h"
#include "formats/FormatErrors.h"
#include "formats/FormatGraphicSupport.h"
#include "formats/decoders/RunLengthDecoders.h"

namespace {

constexpr int kHeaderSize = 26;
constexpr unsigned kMaxChannels = 56;

// Planes the mode's colours take, 0 for a mode that is not read: one for bitmap, grey, duotone and
// indexed pictures, three for RGB, multichannel and L*a*b* (RGB and multichannel four when there is
// an alpha channel), four for CMYK.
unsigned ModePlanes(uint16_t mode, unsigned channels)
{
    switch (mode) {
    case TPSDGraphic::ModeBitmap:
    case TPSDGraphic::ModeGray:
    case TPSDGraphic::ModeIndexed:
    case TPSDGraphic::ModeDuotone: return 1;
    case TPSDGraphic::ModeRGB:
    case TPSDGraphic::ModeMultichannel: return channels >= 4 ? 4 : 3;
    case TPSDGraphic::ModeCMYK: return 4;
    case TPSDGraphic::ModeLab: return 3;
    default: return 0;
    }
}

} // namespace

bool TPSDGraphic::CanLoad(TStream& stream)
{
    return PeekHeader(stream, kHeaderSize, kHeaderSize + 1, [](const uint8_t* h, size_t) {
        char signature[4];
        for (int i = 0; i < 4; ++i) signature[i] = char(std::toupper(h[i]));
        return std::memcmp(signature, "8BPS", 4) == 0 && WordBE(h + 4) == 1;
    });
}

bool TPSDGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    uint8_t h[kHeaderSize];
    safeload::ReadExact(stream, h, kHeaderSize);
    if (std::memcmp(h, "8BPS", 4) != 0) return false;
    auto& p = ImageProperties;
    const unsigned channels = WordBE(h + 12);
    const uint32_t height = LongBE(h + 14), width = LongBE(h + 18);
    const unsigned depth = WordBE(h + 22);
    FMode = WordBE(h + 24);
    if (width > INT32_MAX || height > INT32_MAX) return false;
    p.Version = WordBE(h + 4);
    p.Options = ImageOption::BigEndian;
    p.Width = int32_t(width);
    p.Height = int32_t(height);
    p.BitsPerSample = uint8_t(depth > 255 ? 0 : depth);
    p.ChannelCount = uint8_t(channels > 255 ? 255 : channels);
    const unsigned planes = ModePlanes(FMode, channels);
    p.SamplesPerPixel = uint8_t(planes ? planes : std::min(channels, 4u));
    p.BitsPerPixel = uint8_t(p.SamplesPerPixel * p.BitsPerSample);
    switch (FMode) {
    case ModeBitmap:
        p.ColorScheme = schGray;
        p.Options |= ImageOption::MinIsWhite;
        break;
    case ModeGray:
    case ModeDuotone: p.ColorScheme = schGray; break;
    case ModeIndexed: p.ColorScheme = schIndexed; break;
    case ModeRGB:
    case ModeMultichannel: p.ColorScheme = planes == 3 ? schRGB : schRGBA; break;
    case ModeCMYK: p.ColorScheme = schCMYK; break;
    case ModeLab: p.ColorScheme = schCIELab; break;
    default: p.ColorScheme = schUnknown; break;
    }
    // The colour mode data (the palette of indexed pictures), the image resources and the layers,
    // each behind its length; then the image data's compression.
    FColorData = SectionAt(stream);
    SectionAt(stream);
    SectionAt(stream);
    const uint16_t compression = safeload::ReadWordBE(stream);
    p.Compression = compression == 0   ? TCompressionCode::None
                    : compression == 1 ? TCompressionCode::PackBits
                                       : TCompressionCode::Unknown;
    FImageData = stream.Position();
    return true;
}

TPSDGraphic::TSection TPSDGraphic::SectionAt(TStream& stream)
{
    TSection section;
    section.Length = safeload::ReadLongBE(stream);
    section.Start = stream.Position();
    safeload::CheckRemaining(stream, section.Length);
    stream.Seek(section.Length, TSeekOrigin::soCurrent);
    return section;
}

void TPSDGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    ProgressStarting(PreparingStageText);
    const auto& p = ImageProperties;
    const unsigned channels = p.ChannelCount, depth = p.BitsPerSample;
    const unsigned planes = ModePlanes(FMode, channels);
    const bool depthFits = FMode == ModeBitmap ? depth == 1 : (depth == 8 || depth == 16);
    if (planes == 0 || channels < planes || channels > kMaxChannels || !depthFits ||
        (FMode == ModeIndexed && FColorData.Length != 768))
        FormatError(InvalidColorFormatText, ShortName());
    if (p.Compression == TCompressionCode::Unknown)
        FormatError(UnsupportedFeatureText, CompressionSchemeText, ShortName());

    auto& cm = ColorManager;
    cm.SourceOptions = optSwapBytes;
    if (p.ColorScheme == schCIELab) cm.SourceOptions |= optLabByteRange | optLabChromaOffset;
    cm.TargetOptions = 0;
    cm.SetSourceBitsPerSample(int(depth));
    cm.SetTargetBitsPerSample(depth == 16 ? 8 : int(depth));
    cm.SetSourceSamplesPerPixel(int(planes));
    cm.SetTargetSamplesPerPixel(p.ColorScheme == schCMYK ? 3 : int(planes));
    cm.SetSourceScheme(p.ColorScheme);
    switch (p.ColorScheme) {
    case schRGBA: cm.SetTargetScheme(schBGRA); break;
    case schRGB:
    case schCMYK:
    case schCIELab: cm.SetTargetScheme(schBGR); break;
    default: cm.SetTargetScheme(p.ColorScheme); break;
    }
    PrepareTarget(target, TargetPixelFormat(cm, ShortName()));

    if (FMode == ModeIndexed) {
        stream.SetPosition(FColorData.Start);
        const auto data = safeload::ReadBytes(stream, 768);
        const std::span<const uint8_t> all(data);
        target.SetPalette(cm.CreateColorPalette({all.subspan(0, 256), all.subspan(256, 256), all.subspan(512, 256)},
                                                rplPlanar8Triple, 256, false));
    } else if (p.ColorScheme == schGray) {
        target.SetPalette(cm.CreateGrayPalette(p.Options & ImageOption::MinIsWhite));
    }
    ProgressEnding();

    // The planes of the mode, one after the other; rows of bitmap pictures hold 8 pixels a byte
    // with 1 for black.
    ProgressStarting(LoadingDataStageText);
    const uint64_t width = uint64_t(p.Width), height = uint64_t(p.Height);
    const uint64_t rowBytes = depth == 1 ? (width + 7) / 8 : width * (depth / 8);
    const uint64_t planeSize = safeload::CheckedMul(rowBytes, height);
    stream.SetPosition(FImageData);
    std::vector<uint8_t> pixels;
    if (p.Compression == TCompressionCode::None) {
        pixels = safeload::ReadBytes(stream, safeload::CheckedMul(planeSize, planes));
    } else {
        // One byte count per row of every channel; only the rows of the planes used are unpacked.
        const uint64_t rows = safeload::CheckedMul(height, channels);
        const auto table = safeload::ReadBytes(stream, safeload::CheckedMul(rows, 2));
        uint64_t packed = 0;
        for (uint64_t i = 0; i < uint64_t(planes) * height; ++i) packed += WordBE(&table[2 * i]);
        const auto data = safeload::ReadBytes(stream, packed);
        pixels.assign(safeload::CheckedMul(planeSize, planes), 0);
        TPackbitsRLEDecoder decoder;
        const uint8_t* source = data.data();
        for (uint64_t i = 0; i < uint64_t(planes) * height; ++i) {
            const uint16_t count = WordBE(&table[2 * i]);
            const uint8_t* s = source;
            uint8_t* d = pixels.data() + i * rowBytes;
            decoder.Decode(s, d, count, int32_t(rowBytes));
            source += count;
        }
    }
    if (p.ColorScheme == schCMYK)
        for (auto& b : pixels) b = uint8_t(255 - b);
    ProgressEnding();

    ProgressStarting(TransferringStageText);
    std::span<const uint8_t> rows[4];
    for (int y = 0; y < p.Height; ++y) {
        for (unsigned c = 0; c < planes; ++c) rows[c] = {pixels.data() + c * planeSize + uint64_t(y) * rowBytes, rowBytes};
        cm.ConvertRow(TColorManager::TPlanes(rows, planes), {target.ScanLine(y), target.Stride()}, uint32_t(p.Width),
                      0xFF);
        ProgressRowDone(y + 1);
    }
}

const TGraphicClass& TPSDGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TPSDGraphic>("TPSDGraphic");
    return cls;
}
