#include "formats/SgiGraphic.h"

#include <algorithm>
#include <cstring>

#include "formats/ByteFields.h"
#include "formats/FormatGraphicSupport.h"
#include "formats/decoders/RunLengthDecoders.h"

namespace {

constexpr int kHeaderSize = 512;
constexpr uint16_t kMagic = 474;

} // namespace

bool TSGIGraphic::CanLoad(TStream& stream)
{
    return PeekHeader(stream, kHeaderSize, kHeaderSize + 1, [](const uint8_t* h, size_t) {
        const unsigned dimension = WordBE(h + 4);
        return WordBE(h) == kMagic && (h[3] == 1 || h[3] == 2) && dimension >= 1 && dimension <= 3;
    });
}

bool TSGIGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    uint8_t h[kHeaderSize];
    safeload::ReadExact(stream, h, kHeaderSize);
    const unsigned bytesPerChannel = h[3], channels = WordBE(h + 10);
    // Channels and depth are checked before anything is sized from them.
    if (WordBE(h) != kMagic || channels < 1 || channels > 4 || (bytesPerChannel != 1 && bytesPerChannel != 2))
        return false;
    auto& p = ImageProperties;
    p.Options = ImageOption::BigEndian;
    p.BitsPerSample = uint8_t(bytesPerChannel * 8);
    p.Width = WordBE(h + 6);
    p.Height = WordBE(h + 8);
    p.SamplesPerPixel = uint8_t(channels);
    p.ColorScheme = channels == 3 ? schRGB : channels == 4 ? schRGBA : schIndexed;
    p.HasAlpha = channels == 4;
    p.BitsPerPixel = uint8_t(p.BitsPerSample * p.SamplesPerPixel);
    p.Compression = h[2] == 1 ? TCompressionCode::RunLength : TCompressionCode::None;
    return true;
}

void TSGIGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    ProgressStarting(PreparingStageText);
    const auto& p = ImageProperties;
    const unsigned channels = p.SamplesPerPixel, bytesPerChannel = p.BitsPerSample / 8u;
    // One and two channels show their first channel as grey.
    const unsigned used = channels <= 2 ? 1 : channels;
    auto& cm = ColorManager;
    cm.SourceOptions = optSwapBytes;
    cm.TargetOptions = 0;
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(8);
    cm.SetSourceSamplesPerPixel(int(used));
    cm.SetTargetSamplesPerPixel(int(used));
    cm.SetSourceScheme(used == 1 ? schGray : p.ColorScheme);
    cm.SetTargetScheme(used == 1 ? schGray : used == 3 ? schBGR : schBGRA);
    PrepareTarget(target, TargetPixelFormat(cm, ShortName()));
    if (used == 1) target.SetPalette(cm.CreateGrayPalette(false));
    if (target.Empty()) return;

    // The whole file from the header on: rows are fetched by offset.
    const int64_t size = std::max<int64_t>(0, stream.Remaining());
    const auto file = safeload::ReadBytes(stream, uint64_t(size));
    const uint64_t width = uint64_t(p.Width), height = uint64_t(p.Height);
    const uint64_t rowBytes = width * bytesPerChannel;
    const bool runLength = p.Compression == TCompressionCode::RunLength;
    std::vector<uint32_t> rowStart, rowSize;
    if (runLength) {
        const uint64_t entries = uint64_t(channels) * height;
        const uint64_t tableBytes = safeload::CheckedMul(entries, 8);
        if (uint64_t(kHeaderSize) + tableBytes > file.size()) FormatError(StreamReadErrorText, ShortName());
        rowStart.resize(entries);
        rowSize.resize(entries);
        for (uint64_t i = 0; i < entries; ++i) {
            rowStart[i] = LongBE(&file[kHeaderSize + 4 * i]);
            rowSize[i] = LongBE(&file[kHeaderSize + 4 * (entries + i)]);
        }
    } else if (uint64_t(kHeaderSize) + safeload::CheckedMul(rowBytes, height * channels) > file.size()) {
        FormatError(StreamReadErrorText, ShortName());
    }
    ProgressEnding();

    ProgressStarting(TransferringStageText);
    TSGIRLEDecoder decoder(uint8_t(p.BitsPerSample));
    std::vector<uint8_t> rows(rowBytes * used);
    std::span<const uint8_t> planes[4];
    for (uint64_t y = 0; y < height; ++y) {
        for (unsigned c = 0; c < used; ++c) {
            uint8_t* row = rows.data() + c * rowBytes;
            planes[c] = {row, rowBytes};
            const uint64_t index = c * height + y;
            if (!runLength) {
                std::memcpy(row, &file[kHeaderSize + index * rowBytes], rowBytes);
                continue;
            }
            // Row lengths count bytes at both depths.
            const uint64_t start = rowStart[index], length = rowSize[index];
            if (start + length > file.size()) FormatError(StreamReadErrorText, ShortName());
            std::memset(row, 0, rowBytes);
            const uint8_t* source = &file[start];
            decoder.Decode(source, row, int32_t(length), int32_t(rowBytes));
        }
        cm.ConvertRow(TColorManager::TPlanes(planes, used), {target.ScanLine(int(height - 1 - y)), target.Stride()},
                      uint32_t(width), 0xFF);
        ProgressRowDone(int(y + 1));
    }
}

const TGraphicClass& TSGIGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TSGIGraphic>("TSGIGraphic");
    return cls;
}
