#include "formats/PspGraphic.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/ByteFields.h"
#include "formats/FormatGraphicSupport.h"
#include "formats/decoders/LZ77Decoder.h"
#include "formats/decoders/RunLengthDecoders.h"

namespace {

constexpr int kHeaderSize = 36;
constexpr char kSignature[] = "Paint Shop Pro Image File";
constexpr size_t kSignatureLength = sizeof kSignature - 1;
constexpr int kAttributesSize = 42;
constexpr int kLayerInfoSize = 115;
constexpr int kVersion3NameSize = 256;
constexpr uint16_t kPaletteBlock = 2, kLayerStartBlock = 3, kLayerBlock = 4;
enum : uint16_t { ChannelComposite = 0, ChannelRed = 1, ChannelGreen = 2, ChannelBlue = 3 };

int64_t ReadInt32LE(TStream& stream) { return int64_t(safeload::ReadLongLE(stream)); }

} // namespace

bool TPSPGraphic::CanLoad(TStream& stream)
{
    return PeekHeader(stream, kHeaderSize, kHeaderSize + 1, [](const uint8_t* h, size_t) {
        return std::memcmp(h, kSignature, kSignatureLength) == 0 && WordLE(h + 32) >= 3;
    });
}

void TPSPGraphic::MoveForward(TStream& stream, int64_t position, int64_t limit) const
{
    if (position < stream.Position() || position > limit) FormatError(StreamReadErrorText, ShortName());
    stream.SetPosition(position);
}

bool TPSPGraphic::ReadBlockHeader(TStream& stream, int64_t limit, TBlock& block) const
{
    const int64_t headerSize = FMajorVersion == 3 ? 14 : 10;
    if (stream.Position() + headerSize > limit) return false;
    uint8_t h[14];
    safeload::ReadExact(stream, h, headerSize);
    if (h[0] != '~') return false;
    block.ID = WordLE(h + 4);
    block.DataStart = stream.Position();
    block.End = block.DataStart + int64_t(LongLE(h + headerSize - 4));
    return block.End <= limit;
}

bool TPSPGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    uint8_t h[kHeaderSize];
    safeload::ReadExact(stream, h, kHeaderSize);
    FMajorVersion = WordLE(h + 32);
    if (std::memcmp(h, kSignature, kSignatureLength) != 0 || FMajorVersion < 3) return false;
    TBlock block;
    if (!ReadBlockHeader(stream, stream.Size(), block)) return false;
    if (FMajorVersion >= 4) safeload::ReadLongLE(stream); // the chunk size
    uint8_t a[kAttributesSize];
    safeload::ReadExact(stream, a, kAttributesSize);
    const uint32_t width = LongLE(a), height = LongLE(a + 4);
    if (width > INT32_MAX || height > INT32_MAX) return false;
    double resolution;
    std::memcpy(&resolution, a + 8, sizeof resolution);
    const unsigned depth = WordLE(a + 19);
    auto& p = ImageProperties;
    p.Version = FMajorVersion;
    p.Width = int32_t(width);
    p.Height = int32_t(height);
    if (depth == 24) {
        p.BitsPerSample = 8;
        p.SamplesPerPixel = 3;
        p.ColorScheme = schRGB;
    } else {
        p.BitsPerSample = uint8_t(std::min(depth, 255u));
        p.SamplesPerPixel = 1;
        p.ColorScheme = a[27] ? schGray : schIndexed;
    }
    p.BitsPerPixel = uint8_t(p.BitsPerSample * p.SamplesPerPixel);
    switch (WordLE(a + 17)) {
    case 0: p.Compression = TCompressionCode::None; break;
    case 1: p.Compression = TCompressionCode::RunLength; break;
    case 2: p.Compression = TCompressionCode::Deflate; break;
    case 3: p.Compression = TCompressionCode::Jpeg; break;
    default: p.Compression = TCompressionCode::Unknown; break;
    }
    if (std::isfinite(resolution) && resolution > 0 && resolution < 1e6)
        p.XResolution = float(a[16] == 2 ? resolution * 2.54 : resolution);
    p.YResolution = p.XResolution;
    FAttributesEnd = block.End;
    stream.SetPosition(block.End);
    return true;
}

void TPSPGraphic::ReadChannel(TStream& stream, int64_t limit, size_t bufferSize)
{
    TBlock block;
    if (!ReadBlockHeader(stream, limit, block)) FormatError(StreamReadErrorText, ShortName());
    const int64_t chunkStart = stream.Position();
    const int64_t chunkSize = FMajorVersion >= 4 ? ReadInt32LE(stream) : 0;
    uint8_t h[12];
    safeload::ReadExact(stream, h, sizeof h);
    const uint32_t packedSize = LongLE(h), unpackedSize = LongLE(h + 4);
    const uint16_t channelType = WordLE(h + 10);
    if (FMajorVersion >= 4) MoveForward(stream, chunkStart + chunkSize, block.End);
    if (stream.Position() + int64_t(packedSize) > block.End) FormatError(StreamReadErrorText, ShortName());
    // The first channel of each type counts; repeats are passed over unread.
    if (channelType <= ChannelBlue && FChannels[channelType].empty()) {
        auto& buffer = FChannels[channelType];
        buffer.assign(bufferSize, 0);
        const auto packed = safeload::ReadBytes(stream, packedSize);
        const auto room = int32_t(std::min<uint64_t>({bufferSize, unpackedSize, INT32_MAX}));
        const uint8_t* source = packed.data();
        uint8_t* dest = buffer.data();
        const auto size = int32_t(std::min<uint64_t>(packedSize, INT32_MAX));
        switch (ImageProperties.Compression) {
        case TCompressionCode::None:
            if (size > 0 && room > 0) std::memcpy(dest, source, size_t(std::min(size, room)));
            break;
        case TCompressionCode::RunLength: TPSPRLEDecoder().Decode(source, dest, size, room); break;
        default: {
            TLZ77Decoder decoder(Z_FINISH, false);
            decoder.DecodeInit();
            decoder.Decode(source, dest, size, room);
            decoder.DecodeEnd();
            break;
        }
        }
    }
    stream.SetPosition(block.End);
}

bool TPSPGraphic::ReadLayer(TStream& stream, const TBlock& layer, size_t bufferSize)
{
    unsigned type;
    if (FMajorVersion == 3) {
        stream.Seek(kVersion3NameSize, TSeekOrigin::soCurrent);
        uint8_t info[kLayerInfoSize];
        safeload::ReadExact(stream, info, kLayerInfoSize);
        type = info[0];
        if (type != 0) return false;
    } else {
        const int64_t chunkStart = stream.Position();
        const int64_t chunkSize = ReadInt32LE(stream);
        stream.Seek(safeload::ReadWordLE(stream), TSeekOrigin::soCurrent); // the name
        uint8_t info[kLayerInfoSize];
        safeload::ReadExact(stream, info, kLayerInfoSize);
        type = info[0];
        if (type >= 2) return false;
        MoveForward(stream, chunkStart + chunkSize, layer.End);
    }
    const int64_t countsStart = stream.Position();
    const int64_t countsSize = FMajorVersion >= 4 ? ReadInt32LE(stream) : 0;
    safeload::ReadWordLE(stream); // the bitmap count
    FChannelCount = safeload::ReadWordLE(stream);
    if (FMajorVersion >= 4) MoveForward(stream, countsStart + countsSize, layer.End);
    for (unsigned c = 0; c < FChannelCount; ++c) ReadChannel(stream, layer.End, bufferSize);
    return true;
}

void TPSPGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    ProgressStarting(PreparingStageText);
    struct Release
    {
        std::array<std::vector<uint8_t>, 4>& channels;
        ~Release()
        {
            for (auto& c : channels) std::vector<uint8_t>().swap(c);
        }
    } release{FChannels};
    for (auto& c : FChannels) c.clear();
    FChannelCount = 0;
    const auto& p = ImageProperties;
    const uint64_t width = uint64_t(p.Width);
    uint64_t rowSize;
    switch (p.BitsPerSample) {
    case 1: rowSize = (width + 7) / 8; break;
    case 4: rowSize = (width + 1) / 2; break;
    case 8: rowSize = width; break;
    default: FormatError(InvalidColorFormatText, ShortName());
    }
    if (p.Compression != TCompressionCode::None && p.Compression != TCompressionCode::RunLength &&
        p.Compression != TCompressionCode::Deflate)
        FormatError(UnsupportedFeatureText, CompressionSchemeText, ShortName());
    auto& cm = ColorManager;
    cm.SourceOptions = 0;
    cm.TargetOptions = 0;
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(p.BitsPerSample);
    cm.SetSourceSamplesPerPixel(p.SamplesPerPixel);
    cm.SetTargetSamplesPerPixel(p.SamplesPerPixel);
    cm.SetSourceScheme(p.ColorScheme);
    cm.SetTargetScheme(p.ColorScheme == schRGB ? schBGR : p.ColorScheme);
    PrepareTarget(target, TargetPixelFormat(cm, ShortName()));
    const size_t bufferSize = safeload::CheckedMul(rowSize, uint64_t(p.Height));
    const int64_t size = stream.Size();

    std::vector<TRGBQuad> palette;
    bool layerRead = false;
    stream.SetPosition(FAttributesEnd);
    TBlock block;
    while (!layerRead && ReadBlockHeader(stream, size, block)) {
        if (block.ID == kPaletteBlock) {
            if (FMajorVersion >= 4) safeload::ReadLongLE(stream);
            const uint32_t count = std::min<uint32_t>(safeload::ReadLongLE(stream), 256);
            const auto entries = safeload::ReadBytes(stream, uint64_t(count) * 4);
            palette = cm.CreateColorPalette({std::span<const uint8_t>(entries)}, rplInterleaved8Quad, count, true);
        } else if (block.ID == kLayerStartBlock) {
            TBlock layer;
            while (!layerRead && ReadBlockHeader(stream, block.End, layer)) {
                if (layer.ID == kLayerBlock) layerRead = ReadLayer(stream, layer, bufferSize);
                stream.SetPosition(layer.End);
            }
        }
        stream.SetPosition(block.End);
    }
    ProgressEnding();

    const bool rgb = p.ColorScheme == schRGB;
    // A fourth channel gives the alpha when it is the composite channel.
    const bool alpha = rgb && FChannelCount > 3 && !FChannels[ChannelComposite].empty();
    const bool complete = rgb ? !FChannels[ChannelRed].empty() && !FChannels[ChannelGreen].empty() &&
                                    !FChannels[ChannelBlue].empty()
                              : !FChannels[ChannelComposite].empty();
    if (!complete) FormatError(InvalidColorFormatText, ShortName());
    if (alpha) {
        cm.SetSourceScheme(schRGBA);
        cm.SetTargetScheme(schBGRA);
        cm.SetSourceSamplesPerPixel(4);
        cm.SetTargetSamplesPerPixel(4);
        PrepareTarget(target, TPixelFormat::pf32bit);
    }
    if (p.ColorScheme == schIndexed) {
        safeload::PadPalette(palette, p.BitsPerSample);
        target.SetPalette(std::move(palette));
    } else if (p.ColorScheme == schGray) {
        target.SetPalette(cm.CreateGrayPalette(false));
    }

    ProgressStarting(TransferringStageText);
    for (int y = 0; y < p.Height; ++y) {
        const size_t at = size_t(y) * rowSize;
        auto row = [&](int channel) { return std::span<const uint8_t>(FChannels[size_t(channel)].data() + at, rowSize); };
        const std::span<const uint8_t> planes[4] = {
            rgb ? row(ChannelRed) : row(ChannelComposite), rgb ? row(ChannelGreen) : std::span<const uint8_t>(),
            rgb ? row(ChannelBlue) : std::span<const uint8_t>(), alpha ? row(ChannelComposite) : std::span<const uint8_t>()};
        cm.ConvertRow(TColorManager::TPlanes(planes, rgb ? (alpha ? 4 : 3) : 1), {target.ScanLine(y), target.Stride()},
                      uint32_t(p.Width), 0xFF);
        ProgressRowDone(y + 1);
    }
}

const TGraphicClass& TPSPGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TPSPGraphic>("TPSPGraphic");
    return cls;
}
