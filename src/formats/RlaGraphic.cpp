#include "formats/RlaGraphic.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "formats/ByteFields.h"
#include "formats/FormatGraphicSupport.h"
#include "formats/decoders/RunLengthDecoders.h"

namespace {

constexpr int kHeaderSize = 740;
constexpr uint16_t kRevision = 0xFFFE;
constexpr double kDisplayGamma = 2.2;

// A text field: up to its first 0 byte, in lower case.
std::string TextField(const uint8_t* h, size_t offset, size_t length)
{
    std::string text;
    for (size_t i = 0; i < length && h[offset + i] != 0; ++i)
        text += char(std::tolower(static_cast<unsigned char>(h[offset + i])));
    return text;
}

std::string ChannelType(const uint8_t* h) { return TextField(h, 580, 32); }

} // namespace

bool TRLAGraphic::CanLoad(TStream& stream)
{
    return PeekHeader(stream, kHeaderSize, kHeaderSize + 1, [](const uint8_t* h, size_t) {
        const std::string type = ChannelType(h);
        return WordBE(h + 26) == kRevision && (type == "rgb" || type == "xyz");
    });
}

bool TRLAGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    uint8_t h[kHeaderSize];
    if (stream.Read(h, kHeaderSize) != kHeaderSize) return false;
    const int left = int16_t(WordBE(h + 8)), right = int16_t(WordBE(h + 10));
    const int bottom = int16_t(WordBE(h + 12)), top = int16_t(WordBE(h + 14));
    const unsigned colours = WordBE(h + 20), mattes = WordBE(h + 22), bits = WordBE(h + 658);
    auto& p = ImageProperties;
    p.Options = ImageOption::BigEndian;
    p.SamplesPerPixel = uint8_t(std::min(colours, 255u) + (mattes == 1 ? 1 : 0));
    p.BitsPerSample = uint8_t(std::min(bits, 255u));
    p.BitsPerPixel = uint8_t(p.SamplesPerPixel * p.BitsPerSample);
    p.Compression = TCompressionCode::RunLength;
    p.Width = right - left + 1;
    p.Height = std::abs(bottom - top) + 1;
    p.BottomUp = bottom < top;
    // A gamma that is no number, or none a display could mean, is taken as 1.0.
    const std::string gammaText = TextField(h, 28, 16);
    double gamma = 1.0;
    const size_t start = gammaText.find_first_not_of(' ');
    if (start != std::string::npos) {
        const char* const last = gammaText.data() + gammaText.size();
        const auto result = std::from_chars(gammaText.data() + start, last, gamma);
        if (result.ec == std::errc() && gamma >= 0.1 && gamma <= 10.0) p.FileGamma = float(gamma);
    }
    // Only RGB lines of up to 8 bits, three colour channels and no or one matte channel are read.
    if (ChannelType(h) != "rgb") return false;
    if (colours != 3 || mattes > 1 || bits < 1 || bits > 8 || p.Width < 1) return false;
    p.ColorScheme = mattes == 1 ? schRGBA : schRGB;
    p.HasAlpha = mattes == 1;
    return true;
}

void TRLAGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    stream.Seek(kHeaderSize, TSeekOrigin::soCurrent);
    ProgressStarting(TransferringStageText);
    auto& p = ImageProperties;
    const bool alpha = p.ColorScheme == schRGBA;
    const unsigned channels = alpha ? 4 : 3;
    auto& cm = ColorManager;
    cm.SourceOptions = 0;
    cm.TargetOptions = 0;
    cm.SetSourceSamplesPerPixel(int(channels));
    cm.SetTargetSamplesPerPixel(int(channels));
    cm.SetSourceBitsPerSample(8); // samples of fewer bits are stored a byte each
    cm.SetTargetBitsPerSample(8);
    cm.SetSourceScheme(p.ColorScheme);
    cm.SetTargetScheme(alpha ? schBGRA : schBGR);
    if (p.FileGamma != 1.0f) {
        cm.SetGamma(p.FileGamma, float(kDisplayGamma));
        cm.TargetOptions |= optApplyGamma;
        p.Options |= ImageOption::GammaApplied;
    }
    PrepareTarget(target, TargetPixelFormat(cm, ShortName()));

    const int height = p.Height;
    const auto table = safeload::ReadBytes(stream, safeload::CheckedMul(uint64_t(height), 4));
    const size_t width = size_t(p.Width);
    std::vector<uint8_t> buffers(width * channels);
    std::span<const uint8_t> planes[4];
    TRLADecoder decoder;
    for (int y = 0; y < height; ++y) {
        stream.SetPosition(BasePosition + int64_t(LongBE(&table[size_t(y) * 4])));
        std::fill(buffers.begin(), buffers.end(), 0);
        for (unsigned c = 0; c < channels; ++c) {
            const uint16_t length = safeload::ReadWordBE(stream);
            const auto packed = safeload::ReadBytes(stream, length);
            const uint8_t* source = packed.data();
            uint8_t* dest = buffers.data() + c * width;
            decoder.Decode(source, dest, length, int32_t(width));
            planes[c] = {buffers.data() + c * width, width};
        }
        const int line = p.BottomUp ? height - 1 - y : y;
        cm.ConvertRow(TColorManager::TPlanes(planes, channels), {target.ScanLine(line), target.Stride()},
                      uint32_t(width), 0xFF);
        ProgressRowDone(y + 1);
    }
}

const TGraphicClass& TRLAGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TRLAGraphic>("TRLAGraphic");
    return cls;
}
