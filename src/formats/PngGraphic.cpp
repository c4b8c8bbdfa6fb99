#include "formats/PngGraphic.h"

#include <cstdlib>
#include <cstring>

#include <zlib.h>

#include "formats/FormatErrors.h"
#include "formats/SafeLoad.h"
#include "formats/decoders/LZ77Decoder.h"

namespace {
constexpr const char* kShortName = "PNG";
constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t BE32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t BE16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

// The depths each colour type allows.
bool ValidColorDepth(uint8_t colorType, uint8_t depth)
{
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

unsigned SamplesOf(uint8_t colorType) { return colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1; }

uint32_t ColorValue(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

struct TAdam7Pass
{
    int Row, Column, RowStep, ColumnStep;
    uint8_t Mask;
};
constexpr TAdam7Pass kPasses[7] = {{0, 0, 8, 8, 0x80}, {0, 4, 8, 8, 0x08}, {4, 0, 8, 4, 0x88}, {0, 2, 4, 4, 0x22},
                                   {2, 0, 4, 2, 0xAA}, {0, 1, 2, 2, 0x55}, {1, 0, 2, 1, 0xFF}};
} // namespace

TPNGGraphic::TPNGGraphic() = default;
TPNGGraphic::~TPNGGraphic() = default;

bool TPNGGraphic::CanLoad(TStream& stream)
{
    const int64_t start = stream.Position();
    if (stream.Remaining() < 9) return false;
    uint8_t s[8];
    const bool read = stream.Read(s, 8) == 8;
    stream.SetPosition(start);
    return read && std::memcmp(s, kSignature, 8) == 0;
}

bool TPNGGraphic::IsChunk(const char* name) const
{
    for (int i = 0; i < 4; ++i)
        if ((FChunk.Type[i] & ~0x20) != (name[i] & ~0x20)) return false;
    return true;
}

void TPNGGraphic::ReadChunkHeader(TStream& stream)
{
    uint8_t h[8];
    safeload::ReadExact(stream, h, 8);
    FChunk.Length = BE32(h);
    std::memcpy(FChunk.Type, h + 4, 4);
    if (FChunk.Length > 0x7FFFFFFFu) FormatError(InvalidImageText, kShortName);
    safeload::CheckRemaining(stream, uint64_t(FChunk.Length) + 4);
}

void TPNGGraphic::ReadDataAndCheckCRC(TStream& stream)
{
    FRaw.resize(FChunk.Length);
    safeload::ReadExact(stream, FRaw.data(), FChunk.Length);
    const uint32_t stored = safeload::ReadLongBE(stream);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(FChunk.Type), 4);
    if (!FRaw.empty()) crc = crc32(crc, FRaw.data(), uInt(FRaw.size())); // a null buffer would restart it
    if (uint32_t(crc) != stored) FormatError(CrcErrorText, kShortName);
}

void TPNGGraphic::SkipChunkData(TStream& stream) { stream.Seek(int64_t(FChunk.Length) + 4, TSeekOrigin::soCurrent); }

bool TPNGGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    auto& p = ImageProperties;
    uint8_t s[8];
    if (stream.Read(s, 8) != 8 || std::memcmp(s, kSignature, 8) != 0) return false;
    try {
        ReadChunkHeader(stream);
        if (!IsChunk("IHDR") || FChunk.Length != 13) return false;
        ReadDataAndCheckCRC(stream);
    } catch (const EReadError&) {
        return false;
    } catch (const EInvalidGraphic&) {
        return false;
    }
    const uint8_t* d = FRaw.data();
    const uint32_t width = BE32(d), height = BE32(d + 4);
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return false;
    p.Options |= ImageOption::BigEndian;
    p.Width = int32_t(width);
    p.Height = int32_t(height);
    p.Compression = d[10] == 0 ? TCompressionCode::Deflate : TCompressionCode::Unknown;
    p.BitsPerSample = d[8];
    switch (d[9]) {
    case 0: p.ColorScheme = schGray; p.SamplesPerPixel = 1; break;
    case 2: p.ColorScheme = schRGB; p.SamplesPerPixel = 3; break;
    case 3: p.ColorScheme = schIndexed; p.SamplesPerPixel = 1; break;
    case 4: p.ColorScheme = schGrayAlpha; p.SamplesPerPixel = 1; break;
    case 6: p.ColorScheme = schRGBA; p.SamplesPerPixel = 4; break;
    default: p.ColorScheme = schUnknown; p.SamplesPerPixel = 1; break;
    }
    p.BitsPerPixel = uint8_t(p.SamplesPerPixel * p.BitsPerSample);
    p.FilterMethod = d[11];
    p.Interlaced = d[12] != 0;
    p.HasAlpha = p.ColorScheme == schGrayAlpha || p.ColorScheme == schRGBA;
    // The file's gamma, when a gAMA chunk comes before the image data.
    try {
        for (;;) {
            ReadChunkHeader(stream);
            if (IsChunk("gAMA") && FChunk.Length == 4) {
                ReadDataAndCheckCRC(stream);
                if (BE32(FRaw.data()) != 0) p.FileGamma = float(BE32(FRaw.data()) / 100000.0);
                break;
            }
            SkipChunkData(stream);
            if (IsChunk("IDAT")) break;
        }
    } catch (const Exception&) {
        // The header alone decides whether the file is a PNG picture.
    }
    return true;
}

uint8_t TPNGGraphic::ScaleSample(uint16_t v) const
{
    switch (ImageProperties.BitsPerSample) {
    case 16: return uint8_t(uint32_t(v) * 255 / 65535);
    case 2: return uint8_t(v * 15 / 3);
    default: return uint8_t(v);
    }
}

unsigned TPNGGraphic::SetupColorDepth(TBitmap& target)
{
    const auto& p = ImageProperties;
    const uint8_t depth = p.BitsPerSample;
    auto& cm = ColorManager;
    // The gamma table serves 8-bit values (palette entries and 8-bit samples), so it is built for
    // 8-bit depths before the real ones are set.
    cm.SetSourceBitsPerSample(8);
    cm.SetTargetBitsPerSample(8);
    if (FGammaSet) cm.SetGamma(FGamma, 2.2f);
    TColorSchemeCode source = schGray, targetScheme = schGray;
    int targetBits = 8, sourceSamples = 1, targetSamples = 1;
    switch (FColorType) {
    case 0: targetBits = depth == 2 ? 4 : depth == 16 ? 8 : depth; break;
    case 2: source = schRGB; targetScheme = schBGR; sourceSamples = targetSamples = 3; break;
    case 3: source = targetScheme = schIndexed; targetBits = depth == 2 ? 4 : depth; break;
    case 4: source = schGrayAlpha; break;
    case 6: source = schRGBA; targetScheme = schBGRA; sourceSamples = targetSamples = 4; break;
    default: FormatError(InvalidColorFormatText, kShortName);
    }
    cm.SetSourceScheme(source);
    cm.SetTargetScheme(targetScheme);
    cm.SetSourceSamplesPerPixel(sourceSamples);
    cm.SetTargetSamplesPerPixel(targetSamples);
    cm.SetSourceBitsPerSample(depth);
    cm.SetTargetBitsPerSample(targetBits);
    const auto format = cm.PixelFormatFor(1);
    if (!format) FormatError(InvalidColorFormatText, kShortName);
    target.SetPixelFormat(*format);
    if (FColorType == 0 || FColorType == 4) target.SetPalette(cm.CreateGrayPalette(false));
    FColorSetUp = true;
    const unsigned bits = unsigned(depth) * SamplesOf(FColorType);
    return bits < 8 ? 1 : bits / 8;
}

void TPNGGraphic::ReadPalette(TStream& stream, TBitmap& target)
{
    const auto& p = ImageProperties;
    const uint32_t entries = FChunk.Length / 3;
    const uint32_t limit = FColorType == 3 ? std::min(256u, 1u << p.BitsPerSample) : 256u;
    if (FChunk.Length % 3 != 0 || entries > limit) FormatError(InvalidPaletteText, kShortName);
    ReadDataAndCheckCRC(stream);
    if (FColorType != 3) return;
    FSourceBPP = SetupColorDepth(target);
    FPalette = ColorManager.CreateColorPalette({std::span<const uint8_t>(FRaw)}, rplInterleaved8Triple, entries, false);
    safeload::PadPalette(FPalette, ColorManager.TargetBitsPerSample());
}

void TPNGGraphic::ReadGamma(TStream& stream)
{
    ReadDataAndCheckCRC(stream);
    if (FRaw.size() != 4 || BE32(FRaw.data()) == 0) return;
    FGamma = float(BE32(FRaw.data()) / 100000.0);
    FGammaSet = true;
    ColorManager.TargetOptions |= optApplyGamma;
    ImageProperties.Options |= ImageOption::GammaApplied;
}

void TPNGGraphic::ReadTransparency(TStream& stream)
{
    ReadDataAndCheckCRC(stream);
    const uint8_t* d = FRaw.data();
    if (FColorType == 0 && FRaw.size() == 2) {
        const uint8_t v = ScaleSample(BE16(d));
        TransparentColor = ColorValue(v, v, v);
    } else if (FColorType == 2 && FRaw.size() == 6) {
        const bool wide = ImageProperties.BitsPerSample == 16;
        auto s = [&](int i) { return wide ? ScaleSample(BE16(d + i)) : d[i + 1]; };
        TransparentColor = ColorValue(s(0), s(2), s(4));
    }
}

void TPNGGraphic::ReadBackground(TStream& stream, const TBitmap& target)
{
    ReadDataAndCheckCRC(stream);
    const uint8_t* d = FRaw.data();
    if ((FColorType == 0 || FColorType == 4) && FRaw.size() == 2) {
        const uint8_t v = ScaleSample(BE16(d));
        BackgroundColor = ColorValue(v, v, v);
    } else if ((FColorType == 2 || FColorType == 6) && FRaw.size() == 6) {
        const bool wide = ImageProperties.BitsPerSample == 16;
        auto s = [&](int i) { return wide ? ScaleSample(BE16(d + i)) : d[i + 1]; };
        BackgroundColor = ColorValue(s(0), s(2), s(4));
    } else if (FColorType == 3 && FRaw.size() == 1) {
        // The background of a palette image: the colour of its entry.
        const auto& palette = FPalette.empty() ? target.Palette() : FPalette;
        if (d[0] < palette.size()) {
            const TRGBQuad q = palette[d[0]];
            BackgroundColor = ColorValue(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
    }
}

namespace {
// The predictor written without branches, as the row loop runs it for every byte.
inline uint8_t Paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c); // |p - a|, |p - b|, |p - c|
    const int bc = pb <= pc ? b : c;
    return uint8_t(pa <= pb && pa <= pc ? a : bc);
}
} // namespace

uint8_t TPNGGraphic::PaethPredictor(uint8_t a, uint8_t b, uint8_t c) { return Paeth(a, b, c); }

namespace {
// Sub, Average and Paeth on whole pixels of N bytes: the left and upper-left bytes of each of the N
// channels stay in registers, so the channels' chains run side by side.
template <size_t N> void FilterPixels(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t rowBytes)
{
    uint8_t left[N], upperLeft[N];
    for (size_t k = 0; k < N; ++k) {
        left[k] = row[k];
        upperLeft[k] = previous[k];
    }
    size_t i = N;
    for (; i + N <= rowBytes; i += N)
        for (size_t k = 0; k < N; ++k) {
            const uint8_t up = previous[i + k];
            const uint8_t predicted = filter == 1   ? left[k]
                                      : filter == 3 ? uint8_t((left[k] + up) / 2)
                                                    : Paeth(left[k], up, upperLeft[k]);
            left[k] = row[i + k] = uint8_t(row[i + k] + predicted);
            upperLeft[k] = up;
        }
}
} // namespace

void TPNGGraphic::ApplyFilter(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t rowBytes, size_t bpp)
{
    const size_t lead = std::min(bpp, rowBytes);
    // The first pixel: nothing to its left.
    switch (filter) {
    case 0:
    case 1: break;
    case 2:
        for (size_t i = 0; i < rowBytes; ++i) row[i] = uint8_t(row[i] + previous[i]);
        return;
    case 3:
        for (size_t i = 0; i < lead; ++i) row[i] = uint8_t(row[i] + previous[i] / 2);
        break;
    case 4:
        for (size_t i = 0; i < lead; ++i) row[i] = uint8_t(row[i] + previous[i]);
        break;
    default: FormatError(CompressionErrorText, kShortName);
    }
    if (filter == 0) return;
    switch (bpp) {
    case 3: FilterPixels<3>(filter, row, previous, rowBytes); return;
    case 4: FilterPixels<4>(filter, row, previous, rowBytes); return;
    case 1: FilterPixels<1>(filter, row, previous, rowBytes); return;
    default: break;
    }
    for (size_t i = bpp; i < rowBytes; ++i) {
        const uint8_t a = row[i - bpp], b = previous[i], c = previous[i - bpp];
        const uint8_t predicted = filter == 1 ? a : filter == 3 ? uint8_t((a + b) / 2) : Paeth(a, b, c);
        row[i] = uint8_t(row[i] + predicted);
    }
}

void TPNGGraphic::DecodeIDAT(TStream& stream, uint8_t* dest, size_t count)
{
    while (count > 0) {
        if (FStreamEnded) FormatError(ExtraCompressedDataText, kShortName);
        if (FSourcePos >= FSourceEnd) {
            // The next IDAT chunk's data; another chunk ends the delivery (and stays in hand).
            if (!IsChunk("IDAT")) return;
            ReadDataAndCheckCRC(stream);
            FSourcePos = 0;
            FSourceEnd = FRaw.size();
            ReadChunkHeader(stream);
            continue;
        }
        const uint8_t* src = FRaw.data() + FSourcePos;
        uint8_t* dst = dest;
        const size_t chunk = std::min<size_t>(count, 0x7FFFFFFF);
        FDecoder->Decode(src, dst, int32_t(FSourceEnd - FSourcePos), int32_t(chunk));
        FSourcePos = size_t(src - FRaw.data());
        count -= size_t(dst - dest);
        dest = dst;
        const int result = FDecoder->ZLibResult();
        if (result == Z_STREAM_END) {
            FStreamEnded = true;
            if (count > 0 || FSourcePos < FSourceEnd) FormatError(ExtraCompressedDataText, kShortName);
        } else if (result != Z_OK && result != Z_BUF_ERROR) {
            FormatError(CompressionErrorText, kShortName);
        }
    }
}

void TPNGGraphic::DecodeImage(TStream& stream, TBitmap& target)
{
    const auto& p = ImageProperties;
    ProgressStarting(TransferringStageText);
    if (!FColorSetUp) FSourceBPP = SetupColorDepth(target);
    PrepareTarget(target, target.PixelFormat());
    if (!FPalette.empty()) target.SetPalette(FPalette);
    else if (FColorType == 0 || FColorType == 4) target.SetPalette(ColorManager.CreateGrayPalette(false));
    if (BackgroundColor != 0 && (target.PixelFormat() == TPixelFormat::pf24bit || target.PixelFormat() == TPixelFormat::pf32bit)) {
        const size_t bytes = target.PixelFormat() == TPixelFormat::pf24bit ? 3 : 4;
        const uint8_t bgr[4] = {uint8_t(BackgroundColor >> 16), uint8_t(BackgroundColor >> 8), uint8_t(BackgroundColor), 0};
        uint8_t* first = target.ScanLine(0);
        for (int x = 0; x < p.Width; ++x) std::memcpy(first + size_t(x) * bytes, bgr, bytes);
        for (int y = 1; y < p.Height; ++y) std::memcpy(target.ScanLine(y), first, size_t(p.Width) * bytes);
    }
    const uint64_t bitsPerPixel = uint64_t(p.BitsPerSample) * SamplesOf(FColorType);
    auto rowBytesOf = [&](uint64_t width) { return size_t((width * bitsPerPixel + 7) / 8); };
    std::vector<uint8_t> current(rowBytesOf(uint64_t(p.Width)) + 1), previous(current.size());
    auto decodeRow = [&](size_t rowBytes) {
        DecodeIDAT(stream, current.data(), rowBytes + 1);
        ApplyFilter(current[0], current.data() + 1, previous.data() + 1, rowBytes, FSourceBPP);
    };
    auto convert = [&](int y, size_t rowBytes, uint8_t mask) {
        ColorManager.ConvertRow({std::span<const uint8_t>(current.data() + 1, rowBytes)},
                                {target.ScanLine(y), target.Stride()}, uint32_t(p.Width), mask);
    };
    if (!p.Interlaced) {
        const size_t rowBytes = rowBytesOf(uint64_t(p.Width));
        for (int y = 0; y < p.Height; ++y) {
            decodeRow(rowBytes);
            convert(y, rowBytes, 0xFF);
            std::swap(current, previous);
            ProgressRowDone(y + 1);
        }
    } else {
        for (const TAdam7Pass& pass : kPasses) {
            if (pass.Column >= p.Width || pass.Row >= p.Height) continue;
            const uint64_t passWidth = uint64_t(p.Width - pass.Column + pass.ColumnStep - 1) / uint64_t(pass.ColumnStep);
            const size_t rowBytes = rowBytesOf(passWidth);
            std::fill(previous.begin(), previous.end(), 0);
            for (int y = pass.Row; y < p.Height; y += pass.RowStep) {
                decodeRow(rowBytes);
                convert(y, rowBytes, pass.Mask);
                std::swap(current, previous);
                ProgressRowDone(y + 1);
            }
        }
    }
    // The rest of the IDAT run is passed over.
    while (IsChunk("IDAT")) {
        ReadDataAndCheckCRC(stream);
        ReadChunkHeader(stream);
    }
    target.Modified();
}

void TPNGGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    const auto& p = ImageProperties;
    FPalette.clear();
    FColorSetUp = FGammaSet = FStreamEnded = false;
    FSourcePos = FSourceEnd = 0;
    TransparentColor = NoColor;
    BackgroundColor = 0xFFFFFF;
    ColorManager.TargetOptions = 0;
    stream.SetPosition(BasePosition + 8);
    ProgressStarting(PreparingStageText);
    ReadChunkHeader(stream);
    ReadDataAndCheckCRC(stream);
    FColorType = FRaw[9];
    if (!ValidColorDepth(FColorType, FRaw[8])) FormatError(InvalidColorFormatText, kShortName);
    ColorManager.SourceOptions = optSwapBytes;
    if (p.Compression != TCompressionCode::Deflate) FormatError(UnsupportedFeatureText, CompressionSchemeText, kShortName);
    target.SetPixelFormat(TPixelFormat::pf24bit);
    FDecoder = std::make_unique<TLZ77Decoder>(1, false);
    struct TDecoderRelease
    {
        std::unique_ptr<TLZ77Decoder>& d;
        std::vector<uint8_t>& raw;
        ~TDecoderRelease()
        {
            d.reset();
            std::vector<uint8_t>().swap(raw);
        }
    } release{FDecoder, FRaw};
    FDecoder->DecodeInit();
    bool decoded = false;
    ReadChunkHeader(stream);
    for (;;) {
        if (IsChunk("IDAT") && !decoded) {
            ProgressEnding();
            DecodeImage(stream, target); // leaves the chunk after the IDAT run in hand
            decoded = true;
            continue;
        }
        if (IsChunk("PLTE") && !decoded) ReadPalette(stream, target);
        else if (IsChunk("gAMA")) ReadGamma(stream);
        else if (IsChunk("bKGD")) ReadBackground(stream, target);
        else if (IsChunk("tRNS")) ReadTransparency(stream);
        else if (IsChunk("IEND")) break;
        else if (IsChunk("IDAT") || IsChunk("PLTE")) SkipChunkData(stream); // too late: the image is decoded
        else if (!(FChunk.Type[0] & 0x20)) FormatError(UnknownCriticalChunkText);
        else SkipChunkData(stream);
        ReadChunkHeader(stream);
    }
    FDecoder->DecodeEnd();
    if (!decoded) target = TBitmap();
}

const TGraphicClass& TPNGGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TPNGGraphic>("TPNGGraphic");
    return cls;
}
