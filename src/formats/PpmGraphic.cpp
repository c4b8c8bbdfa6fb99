#include "formats/PpmGraphic.h"

#include <algorithm>
#include <cstring>

#include "formats/FormatGraphicSupport.h"
#include "platform/Round.h"

namespace {

constexpr const char* kReadName = "PPM";
constexpr int kMaxDigits = 9; // longer numbers are refused, so every number fits 32 bits
constexpr unsigned kLargestMaxValue = 65535;

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// A cursor over the file's bytes.
class TPnmText
{
public:
    TPnmText(const std::vector<uint8_t>& data, size_t pos) : FData(data), FPos(pos) {}
    size_t Position() const { return FPos; }
    size_t Remaining() const { return FData.size() - FPos; }
    const uint8_t* Here() const { return FData.data() + FPos; }
    void Skip(size_t n) { FPos += std::min(n, Remaining()); }

    // Passes white space and comments (from "#" to the end of the line); false at the end of the data.
    bool SkipSeparators()
    {
        while (FPos < FData.size()) {
            const uint8_t c = FData[FPos];
            if (c == '#') {
                while (FPos < FData.size() && FData[FPos] != '\n' && FData[FPos] != '\r') ++FPos;
            } else if (IsSpace(c)) {
                ++FPos;
            } else {
                return true;
            }
        }
        return false;
    }
    // The next decimal number: 0 when the data ends first, -1 when something else stands there or
    // the number has more than kMaxDigits digits; 1 with value set otherwise.
    int Number(uint32_t& value)
    {
        if (!SkipSeparators()) return 0;
        if (!IsDigit(FData[FPos])) return -1;
        value = 0;
        int digits = 0;
        while (FPos < FData.size() && IsDigit(FData[FPos])) {
            if (++digits > kMaxDigits) return -1;
            value = value * 10 + uint32_t(FData[FPos++] - '0');
        }
        return 1;
    }
    // The next plain bitmap digit, "0" or "1", separators allowed but not needed.
    int BitDigit(uint32_t& value)
    {
        if (!SkipSeparators()) return 0;
        const uint8_t c = FData[FPos];
        if (c != '0' && c != '1') return -1;
        ++FPos;
        value = c - '0';
        return 1;
    }

private:
    const std::vector<uint8_t>& FData;
    size_t FPos;
};

} // namespace

bool TPPMGraphic::CanLoad(TStream& stream)
{
    return PeekHeader(stream, 2, 11, [](const uint8_t* h, size_t) { return h[0] == 'P' && h[1] >= '1' && h[1] <= '6'; });
}

bool TPPMGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    FData = safeload::ReadBytes(stream, uint64_t(std::max<int64_t>(0, stream.Remaining())));
    if (FData.size() < 2 || FData[0] != 'P' || FData[1] < '1' || FData[1] > '6') return false;
    FType = FData[1] - '0';
    TPnmText text(FData, 2);
    uint32_t width = 0, height = 0, maxValue = 1;
    if (text.Number(width) != 1 || text.Number(height) != 1) return false;
    if (FType != 1 && FType != 4 && (text.Number(maxValue) != 1 || maxValue == 0 || maxValue > kLargestMaxValue))
        return false;
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return false;
    if (text.Remaining() > 0 && IsSpace(*text.Here())) text.Skip(1); // the one before the raster
    FMaxValue = maxValue;
    FRasterStart = text.Position();
    auto& p = ImageProperties;
    p.Version = FType;
    p.Compression = TCompressionCode::None;
    p.Width = int32_t(width);
    p.Height = int32_t(height);
    const bool bitmap = FType == 1 || FType == 4, colour = FType == 3 || FType == 6;
    p.ColorScheme = colour ? schRGB : schIndexed;
    p.BitsPerSample = bitmap ? 1 : 8;
    p.SamplesPerPixel = colour ? 3 : 1;
    p.BitsPerPixel = uint8_t(p.BitsPerSample * p.SamplesPerPixel);
    return true;
}

void TPPMGraphic::LoadImageData(TStream&, TBitmap& target)
{
    ProgressStarting(TransferringStageText);
    struct Release
    {
        std::vector<uint8_t>& data;
        ~Release() { std::vector<uint8_t>().swap(data); }
    } release{FData};
    const auto& p = ImageProperties;
    const bool bitmap = FType == 1 || FType == 4, colour = FType == 3 || FType == 6;
    PrepareTarget(target, bitmap ? TPixelFormat::pf1bit : colour ? TPixelFormat::pf24bit : TPixelFormat::pf8bit);
    if (bitmap) {
        target.SetPalette({TRGBQuad{255, 255, 255, 0}, TRGBQuad{0, 0, 0, 0}}); // 1 is black
    } else if (!colour) {
        std::vector<TRGBQuad> grey(256);
        for (int i = 0; i < 256; ++i) grey[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        target.SetPalette(std::move(grey));
    }
    // Sample value to 0..255; values above the maximum count as the maximum.
    std::vector<uint8_t> scale(size_t(FMaxValue) + 1);
    for (unsigned v = 0; v <= FMaxValue; ++v) scale[v] = uint8_t(RoundRatio(int64_t(v) * 255, FMaxValue));
    auto scaled = [&](uint32_t v) { return scale[std::min(v, FMaxValue)]; };

    TPnmText text(FData, FRasterStart);
    const size_t width = size_t(p.Width);
    const unsigned samples = colour ? 3 : 1;
    const size_t sampleBytes = FMaxValue > 255 ? 2 : 1;
    const size_t rowBytes = bitmap ? (width + 7) / 8 : width * samples * sampleBytes;
    for (int y = 0; y < p.Height; ++y) {
        uint8_t* line = target.ScanLine(y);
        if (FType == 1) {
            std::memset(line, 0, rowBytes);
            for (size_t x = 0; x < width; ++x) {
                uint32_t bit = 0;
                const int got = text.BitDigit(bit);
                if (got == 0) FormatError(StreamReadErrorText, kReadName);
                if (got < 0) FormatError(InvalidImageText, ShortName());
                line[x / 8] |= uint8_t(bit << (7 - x % 8));
            }
        } else if (FType <= 3) {
            for (size_t i = 0; i < width * samples; ++i) {
                uint32_t v = 0;
                const int got = text.Number(v);
                if (got == 0) FormatError(StreamReadErrorText, kReadName);
                if (got < 0) FormatError(InvalidImageText, ShortName());
                // Pixel maps store red, green, blue; the bitmap blue, green, red.
                const size_t at = colour ? i / 3 * 3 + (2 - i % 3) : i;
                line[at] = scaled(v);
            }
        } else {
            if (text.Remaining() < rowBytes) FormatError(StreamReadErrorText, kReadName);
            const uint8_t* row = text.Here();
            if (FType == 4) {
                std::memcpy(line, row, rowBytes);
            } else {
                for (size_t i = 0; i < width * samples; ++i) {
                    const uint32_t v = sampleBytes == 2 ? uint32_t(row[2 * i] << 8 | row[2 * i + 1]) : row[i];
                    const size_t at = colour ? i / 3 * 3 + (2 - i % 3) : i;
                    line[at] = scaled(v);
                }
            }
            text.Skip(rowBytes);
        }
        ProgressRowDone(y + 1);
    }
}

const TGraphicClass& TPPMGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TPPMGraphic>("TPPMGraphic");
    return cls;
}
