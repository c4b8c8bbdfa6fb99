#include "formats/TiffGraphic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "formats/FormatErrors.h"
#include "formats/FormatHelpers.h"
#include "formats/SafeLoad.h"
#include "formats/TiffJpegDecoder.h"
#include "formats/decoders/CcittDecoders.h"
#include "formats/decoders/LZ77Decoder.h"
#include "formats/decoders/LzwDecoders.h"
#include "formats/decoders/RunLengthDecoders.h"
#include "formats/decoders/ThunderPhotoCdDecoders.h"

namespace {
constexpr const char* kShortName = "TIF/TIFF";

enum : uint16_t {
    tagImageWidth = 256,
    tagImageLength = 257,
    tagBitsPerSample = 258,
    tagCompression = 259,
    tagPhotometric = 262,
    tagFillOrder = 266,
    tagStripOffsets = 273,
    tagSamplesPerPixel = 277,
    tagRowsPerStrip = 278,
    tagStripByteCounts = 279,
    tagXResolution = 282,
    tagYResolution = 283,
    tagPlanarConfig = 284,
    tagT4Options = 292,
    tagResolutionUnit = 296,
    tagPredictor = 317,
    tagColorMap = 320,
    tagTileWidth = 322,
    tagTileLength = 323,
    tagTileOffsets = 324,
    tagTileByteCounts = 325,
    tagExtraSamples = 338,
    tagJPEGTables = 347,
    tagYCbCrCoefficients = 529,
    tagYCbCrSubsampling = 530,
    tagYCbCrPositioning = 531,
};

// Bytes of one element of a field type; 0 for unknown types.
unsigned ElementSize(uint16_t type)
{
    static constexpr unsigned sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < std::size(sizes) ? sizes[type] : 0;
}

[[noreturn]] void InvalidColorFormat() { FormatError(InvalidColorFormatText, kShortName); }
[[noreturn]] void NotSupported(const std::string& what = CompressionSchemeText)
{
    FormatError(UnsupportedFeatureText, what.c_str(), kShortName);
}

bool IsLowDepth(uint32_t bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8; }
bool IsSampleDepth(uint32_t bits) { return bits == 8 || bits == 16; }

} // namespace

// What the load of one image works with: the colour layout and the decoder.
struct TTIFFGraphic::TLoadPlan
{
    TColorSchemeCode Source = schUnknown;
    TColorSchemeCode Target = schUnknown;
    TPixelFormat Format = TPixelFormat::pf24bit;
    unsigned Planes = 1;          // 1 chunky, else one plane per sample
    unsigned PlanesConverted = 1; // planes handed to the colour manager
    unsigned SamplesPerPlane = 1; // samples of one pixel in one plane
    int64_t PlaneBytesPerLine = 0;
    std::vector<uint32_t> Offsets;
    std::vector<uint32_t> ByteCounts;
    std::unique_ptr<TDecoder> Decoder;
    bool Predictor = false;
    std::vector<uint8_t> Packed; // the compressed bytes of the strip being decoded
    int64_t StreamSize = 0;      // taken once: asking a file for its size costs three seeks
};

// ---- directory ----

uint16_t TTIFFGraphic::Get16(const uint8_t* p) const
{
    return FBigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[0] | p[1] << 8);
}

uint32_t TTIFFGraphic::Get32(const uint8_t* p) const
{
    return FBigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                      : uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool TTIFFGraphic::CanLoad(TStream& stream)
{
    const int64_t start = stream.Position();
    if (stream.Remaining() < 9) return false;
    uint8_t h[8];
    const bool read = stream.Read(h, 8) == 8;
    const int64_t size = stream.Size() - start;
    stream.SetPosition(start);
    if (!read) return false;
    const bool big = h[0] == 'M' && h[1] == 'M';
    if (!big && !(h[0] == 'I' && h[1] == 'I')) return false;
    const uint16_t version = big ? uint16_t(h[2] << 8 | h[3]) : uint16_t(h[2] | h[3] << 8);
    const uint32_t ifd = big ? uint32_t(h[4]) << 24 | uint32_t(h[5]) << 16 | uint32_t(h[6]) << 8 | h[7]
                             : uint32_t(h[4]) | uint32_t(h[5]) << 8 | uint32_t(h[6]) << 16 | uint32_t(h[7]) << 24;
    return version == 42 && int64_t(ifd) < size;
}

bool TTIFFGraphic::ReadDirectory(TStream& stream, unsigned imageIndex)
{
    FIFD.clear();
    const int64_t size = stream.Size();
    int64_t offset = ImageProperties.FirstIFD;
    // A chain that loops would never end: no directory is visited twice.
    std::vector<int64_t> seen;
    for (;;) {
        if (offset <= 0 || BasePosition + offset + 2 > size) return false;
        if (std::find(seen.begin(), seen.end(), offset) != seen.end()) return false;
        seen.push_back(offset);
        stream.SetPosition(BasePosition + offset);
        uint8_t b[12];
        safeload::ReadExact(stream, b, 2);
        const uint16_t count = Get16(b);
        safeload::CheckRemaining(stream, uint64_t(count) * 12);
        if (imageIndex == 0) {
            FIFD.reserve(count);
            for (unsigned i = 0; i < count; ++i) {
                safeload::ReadExact(stream, b, 12);
                TTiffEntry e;
                e.Tag = Get16(b);
                e.Type = Get16(b + 2);
                e.Count = Get32(b + 4);
                std::memcpy(e.Value, b + 8, 4);
                FIFD.push_back(e);
            }
            std::stable_sort(FIFD.begin(), FIFD.end(), [](const TTiffEntry& a, const TTiffEntry& b) { return a.Tag < b.Tag; });
            return true;
        }
        stream.Seek(int64_t(count) * 12, TSeekOrigin::soCurrent);
        safeload::ReadExact(stream, b, 4);
        offset = Get32(b);
        --imageIndex;
    }
}

bool TTIFFGraphic::FindTag(uint16_t tag, size_t& index) const
{
    auto it = std::lower_bound(FIFD.begin(), FIFD.end(), tag, [](const TTiffEntry& e, uint16_t t) { return e.Tag < t; });
    index = size_t(it - FIFD.begin());
    return it != FIFD.end() && it->Tag == tag;
}

uint32_t TTIFFGraphic::GetValue(uint16_t tag, uint32_t def) const
{
    size_t i;
    if (!FindTag(tag, i) || FIFD[i].Count != 1) return def;
    const TTiffEntry& e = FIFD[i];
    switch (e.Type) {
    case 1: return e.Value[0];
    case 3:
    case 8: return Get16(e.Value);
    case 4:
    case 9: return Get32(e.Value);
    default: return def;
    }
}

std::vector<uint8_t> TTIFFGraphic::EntryBytes(TStream& stream, const TTiffEntry& e, unsigned& elementSize) const
{
    elementSize = ElementSize(e.Type);
    const uint64_t bytes = uint64_t(e.Count) * elementSize;
    if (bytes <= 4) return std::vector<uint8_t>(e.Value, e.Value + bytes);
    stream.SetPosition(BasePosition + Get32(e.Value));
    return safeload::ReadBytes(stream, bytes);
}

std::vector<uint32_t> TTIFFGraphic::GetValueList(TStream& stream, uint16_t tag) const
{
    size_t i;
    std::vector<uint32_t> out;
    if (!FindTag(tag, i)) return out;
    unsigned size;
    const std::vector<uint8_t> raw = EntryBytes(stream, FIFD[i], size);
    if (size == 0) return out;
    out.reserve(raw.size() / size);
    for (size_t k = 0; k + size <= raw.size(); k += size) {
        const uint8_t* p = raw.data() + k;
        out.push_back(size == 1 ? p[0] : size == 2 ? Get16(p) : Get32(p));
    }
    return out;
}

std::vector<float> TTIFFGraphic::GetFloatList(TStream& stream, uint16_t tag) const
{
    size_t i;
    std::vector<float> out;
    if (!FindTag(tag, i)) return out;
    const uint16_t type = FIFD[i].Type;
    unsigned size;
    const std::vector<uint8_t> raw = EntryBytes(stream, FIFD[i], size);
    for (size_t k = 0; size != 0 && k + size <= raw.size(); k += size) {
        const uint8_t* p = raw.data() + k;
        switch (type) {
        case 5: out.push_back(Get32(p + 4) ? float(double(Get32(p)) / Get32(p + 4)) : 0.0f); break;
        case 10: out.push_back(Get32(p + 4) ? float(double(int32_t(Get32(p))) / int32_t(Get32(p + 4))) : 0.0f); break;
        case 11: {
            const uint32_t bits = Get32(p);
            float f;
            std::memcpy(&f, &bits, 4);
            out.push_back(f);
            break;
        }
        case 12: {
            const uint64_t bits = FBigEndian ? uint64_t(Get32(p)) << 32 | Get32(p + 4) : uint64_t(Get32(p + 4)) << 32 | Get32(p);
            double d;
            std::memcpy(&d, &bits, 8);
            out.push_back(float(d));
            break;
        }
        case 3: out.push_back(Get16(p)); break;
        case 8: out.push_back(int16_t(Get16(p))); break;
        case 4: out.push_back(float(Get32(p))); break;
        case 9: out.push_back(float(int32_t(Get32(p)))); break;
        case 6: out.push_back(int8_t(p[0])); break;
        default: out.push_back(p[0]); break;
        }
    }
    return out;
}

std::vector<uint8_t> TTIFFGraphic::GetByteList(TStream& stream, uint16_t tag) const
{
    size_t i;
    if (!FindTag(tag, i)) return {};
    const uint16_t type = FIFD[i].Type;
    if (type == 1 || type == 2 || type == 6 || type == 7) {
        unsigned size;
        return EntryBytes(stream, FIFD[i], size);
    }
    std::vector<uint8_t> out;
    for (uint32_t v : GetValueList(stream, tag)) out.push_back(uint8_t(v));
    return out;
}

float TTIFFGraphic::GetFloatValue(TStream& stream, uint16_t tag, float def) const
{
    size_t i;
    if (!FindTag(tag, i) || FIFD[i].Count != 1) return def;
    const std::vector<float> v = GetFloatList(stream, tag);
    return v.empty() ? def : v[0];
}

bool TTIFFGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    auto& p = ImageProperties;
    FIFD.clear();
    stream.SetPosition(BasePosition);
    uint8_t h[8];
    if (stream.Read(h, 8) != 8) return false;
    FBigEndian = h[0] == 'M' && h[1] == 'M';
    if (!FBigEndian && !(h[0] == 'I' && h[1] == 'I')) return false;
    if (FBigEndian) p.Options |= ImageOption::BigEndian;
    p.Version = Get16(h + 2);
    p.FirstIFD = Get32(h + 4);
    if (p.Version != 42) return false;
    if (!ReadDirectory(stream, imageIndex)) return false;

    const uint32_t width = GetValue(tagImageWidth, 0), height = GetValue(tagImageLength, 0);
    if (width == 0 || height == 0 || width > uint32_t(INT32_MAX) || height > uint32_t(INT32_MAX)) return false;
    p.Width = int32_t(width);
    p.Height = int32_t(height);
    p.RowsPerStrip = GetValueList(stream, tagRowsPerStrip);
    if (p.RowsPerStrip.empty() || p.RowsPerStrip[0] == 0xFFFFFFFF) p.RowsPerStrip = {height};
    FSamples = GetValue(tagSamplesPerPixel, 1);
    const std::vector<uint32_t> bits = GetValueList(stream, tagBitsPerSample);
    FBits = bits.empty() ? 1 : bits[0];
    p.SamplesPerPixel = uint8_t(std::min<uint32_t>(FSamples, 255));
    p.BitsPerSample = uint8_t(std::min<uint32_t>(FBits, 255));
    p.TileWidth = int32_t(std::min<uint32_t>(GetValue(tagTileWidth, 0), INT32_MAX));
    p.TileLength = int32_t(std::min<uint32_t>(GetValue(tagTileLength, 0), INT32_MAX));
    if (p.TileWidth > 0 && p.TileLength > 0) p.Options |= ImageOption::Tiled;
    const uint32_t photometric = GetValue(tagPhotometric, 0);
    size_t extra;
    if (FindTag(tagExtraSamples, extra)) {
        const std::vector<uint32_t> kinds = GetValueList(stream, tagExtraSamples);
        p.HasAlpha = !kinds.empty() && std::all_of(kinds.begin(), kinds.end(), [](uint32_t k) { return k <= 2; });
    }
    p.BitsPerPixel = uint8_t(std::min<uint64_t>(uint64_t(FBits) * FSamples, 255));
    p.Compression = CompressionFromTiffTag(GetValue(tagCompression, 0));
    switch (photometric) {
    case 0: p.ColorScheme = schGray; p.Options |= ImageOption::MinIsWhite; break;
    case 1: p.ColorScheme = schGray; break;
    case 2: p.ColorScheme = FSamples < 4 ? schRGB : schRGBA; break;
    case 3: p.ColorScheme = schIndexed; break;
    case 5: p.ColorScheme = schCMYK; break;
    case 6: p.ColorScheme = schYCbCr; break;
    case 8: p.ColorScheme = schCIELab; break;
    default: p.ColorScheme = schUnknown; break;
    }
    if (p.ColorScheme == schYCbCr) {
        // Values the conversions cannot take fall back to the defaults.
        p.YCbCrSubsampling = GetByteList(stream, tagYCbCrSubsampling);
        auto valid = [](uint8_t v) { return v == 1 || v == 2 || v == 4; };
        if (p.YCbCrSubsampling.size() < 2 || !valid(p.YCbCrSubsampling[0]) || !valid(p.YCbCrSubsampling[1]) ||
            p.YCbCrSubsampling[1] > p.YCbCrSubsampling[0])
            p.YCbCrSubsampling = {2, 2};
        p.YCbCrSubsampling.resize(2);
        FYCbCrPositioning = GetValue(tagYCbCrPositioning, 1);
        FYCbCrCoefficients = GetFloatList(stream, tagYCbCrCoefficients);
        const bool good = FYCbCrCoefficients.size() == 3 &&
                          std::all_of(FYCbCrCoefficients.begin(), FYCbCrCoefficients.end(),
                                      [](float c) { return std::isfinite(c) && c > 0.0f && c < 1.0f; });
        if (!good) FYCbCrCoefficients = {0.299f, 0.587f, 0.114f};
    }
    p.PlanarConfig = int32_t(GetValue(tagPlanarConfig, 0));
    p.XResolution = GetFloatValue(stream, tagXResolution, 0);
    p.YResolution = GetFloatValue(stream, tagYResolution, 0);
    if (GetValue(tagResolutionUnit, 2) == 3) {
        p.XResolution *= 2.54f;
        p.YResolution *= 2.54f;
    }
    p.Predictor = int32_t(GetValue(tagPredictor, 0));
    if (GetValue(tagFillOrder, 1) == 2) p.Options |= ImageOption::ReversedBits;
    return true;
}

// ---- loading ----

void TTIFFGraphic::SetupColor(TLoadPlan& plan)
{
    auto& p = ImageProperties;
    const uint32_t bits = FBits, samples = FSamples;
    const bool jpeg = p.Compression == TCompressionCode::Jpeg;
    plan.Planes = p.PlanarConfig == 2 && samples > 1 ? samples : 1;
    TColorSchemeCode source = p.ColorScheme;
    unsigned convertedSamples = samples;
    bool ok = false;
    switch (p.ColorScheme) {
    case schGray:
        if (samples == 1) ok = IsLowDepth(bits) || bits == 16;
        else if (samples == 2 && IsSampleDepth(bits)) {
            // Grey with an extra sample: grey with alpha, the alpha dropped.
            ok = true;
            if (plan.Planes == 1) source = schGrayAlpha;
            else convertedSamples = 1;
        }
        break;
    case schIndexed: ok = samples == 1 && IsLowDepth(bits); break;
    case schRGB: ok = samples == 3 && IsSampleDepth(bits); break;
    case schRGBA: ok = samples == 4 && IsSampleDepth(bits); break;
    case schCMYK: ok = samples == 4 && IsSampleDepth(bits); break;
    case schCIELab: ok = samples == 3 && IsSampleDepth(bits); break;
    case schYCbCr: ok = samples == 3 && (jpeg ? bits == 8 : IsSampleDepth(bits)); break;
    default: break;
    }
    if (!ok) InvalidColorFormat();
    if (jpeg && (bits != 8 || (samples != 1 && samples != 3))) InvalidColorFormat();

    if (jpeg && samples == 3 && plan.Planes == 1) source = schBGR; // the library hands out blue, green, red
    // The reading of the directory leaves two valid factors, (2, 2) when the tag is absent.
    const auto& sub = p.YCbCrSubsampling;
    const int across = sub.size() > 0 ? sub[0] : 2, down = sub.size() > 1 ? sub[1] : 2;
    if (source == schYCbCr && !(jpeg && plan.Planes == 1) && (across != 1 || down != 1))
        NotSupported("YCbCr subsampling " + std::to_string(across) + "x" + std::to_string(down) + " is");

    TColorSchemeCode target;
    switch (source) {
    case schIndexed: target = schIndexed; break;
    case schGray:
    case schGrayAlpha: target = schGray; break;
    case schRGBA: target = schBGRA; break;
    default: target = schBGR; break;
    }
    unsigned targetBits = bits == 16 ? 8 : bits == 2 ? 4 : bits;
    if (source == schGrayAlpha) targetBits = 8;
    auto& cm = ColorManager;
    cm.SourceOptions = FBigEndian ? optSwapBytes : 0;
    if (source == schCIELab) cm.SourceOptions |= optLabByteRange;
    cm.TargetOptions = 0;
    cm.SetSourceBitsPerSample(int(bits));
    cm.SetTargetBitsPerSample(int(targetBits));
    cm.SetSourceScheme(source);
    cm.SetTargetScheme(target);
    cm.SetSourceSamplesPerPixel(source == schGrayAlpha ? 2 : int(std::min(convertedSamples, 4u)));
    cm.SetTargetSamplesPerPixel(target == schBGRA ? 4 : target == schBGR ? 3 : 1);
    const auto format = cm.PixelFormatFor(1);
    if (!format) InvalidColorFormat();
    plan.Source = source;
    plan.Target = target;
    plan.Format = *format;
    plan.PlanesConverted = plan.Planes == 1 ? 1 : convertedSamples;
    plan.SamplesPerPlane = plan.Planes == 1 ? samples : 1;
}

void TTIFFGraphic::SetupPalette(TStream& stream, TBitmap& target, const TLoadPlan& plan)
{
    auto& cm = ColorManager;
    if (plan.Target == schIndexed) {
        const std::vector<uint8_t> map = [&] {
            size_t i;
            if (!FindTag(tagColorMap, i) || FIFD[i].Type != 3) return std::vector<uint8_t>();
            unsigned size;
            return EntryBytes(stream, FIFD[i], size);
        }();
        const size_t entries = size_t(1) << FBits;
        if (map.size() != 3 * entries * 2) FormatError(InvalidPaletteText, kShortName);
        const size_t plane = entries * 2;
        // The map is read as the file stores it; the colour manager swaps big-endian words.
        target.SetPalette(cm.CreateColorPalette({std::span<const uint8_t>(map.data(), plane),
                                                 std::span<const uint8_t>(map.data() + plane, plane),
                                                 std::span<const uint8_t>(map.data() + 2 * plane, plane)},
                                                rplPlanar16Triple, uint32_t(entries), false));
    } else if (plan.Target == schGray) {
        target.SetPalette(cm.CreateGrayPalette((ImageProperties.Options & ImageOption::MinIsWhite) != 0));
    } else if (plan.Source == schYCbCr) {
        cm.SetYCbCrSubsampling(FYCbCrCoefficients, ImageProperties.YCbCrSubsampling[0],
                               ImageProperties.YCbCrSubsampling[1]);
    }
}

std::unique_ptr<TDecoder> TTIFFGraphic::CreateDecoder(TStream& stream)
{
    auto& p = ImageProperties;
    const bool reversed = (p.Options & ImageOption::ReversedBits) != 0;
    const uint32_t width = uint32_t(p.Width);
    switch (p.Compression) {
    case TCompressionCode::None: return nullptr;
    case TCompressionCode::PackBits: return std::make_unique<TPackbitsRLEDecoder>();
    case TCompressionCode::Lzw: return std::make_unique<TTIFFLZWDecoder>();
    case TCompressionCode::FaxGroup3: {
        const uint32_t options = GetValue(tagT4Options, 0);
        if (options & 1) NotSupported(); // two-dimensional coding
        return std::make_unique<TCCITTFax3Decoder>(options, reversed, false, width);
    }
    case TCompressionCode::FaxModifiedHuffman:
        return std::make_unique<TCCITTMHDecoder>(GetValue(tagT4Options, 0), reversed, false, width);
    case TCompressionCode::FaxModifiedHuffmanWords:
        return std::make_unique<TCCITTMHDecoder>(GetValue(tagT4Options, 0), reversed, true, width);
    case TCompressionCode::Deflate: return std::make_unique<TLZ77Decoder>(1, true);
    case TCompressionCode::Jpeg:
        p.JPEGTables = GetByteList(stream, tagJPEGTables);
        return std::make_unique<TTIFFJPEGDecoder>(p, LibraryWarnings);
    case TCompressionCode::ThunderScan:
        return std::make_unique<TThunderDecoder>(width);
    default: NotSupported();
    }
}

void TTIFFGraphic::DecodeSegment(TStream& stream, TLoadPlan& plan, size_t index, int rows, int64_t rowBytes,
                                 int width, std::vector<uint8_t>& out)
{
    const uint64_t unpacked = safeload::CheckedMul(uint64_t(rows), uint64_t(rowBytes));
    if (unpacked > uint64_t(INT32_MAX)) throw EOutOfResources("Strip too large");
    out.assign(size_t(unpacked), 0);
    const int64_t size = plan.StreamSize;
    const uint64_t offset = uint64_t(BasePosition) + plan.Offsets[index];
    if (offset > uint64_t(size)) throw EReadError("Stream read error");
    stream.SetPosition(int64_t(offset));
    if (!plan.Decoder) {
        safeload::ReadExact(stream, out.data(), int64_t(unpacked));
    } else {
        uint64_t packed;
        if (index < plan.ByteCounts.size()) {
            packed = plan.ByteCounts[index];
        } else {
            // No byte count: the strip runs to the next strip or the end of the file.
            uint64_t next = uint64_t(size - BasePosition);
            for (uint32_t o : plan.Offsets)
                if (o > plan.Offsets[index] && o < next) next = o;
            packed = next - plan.Offsets[index];
        }
        if (packed > uint64_t(INT32_MAX)) throw EOutOfResources("Strip too large");
        if (packed > uint64_t(size) - offset) throw EReadError("Stream read error");
        std::vector<uint8_t>& data = plan.Packed; // kept from strip to strip
        data.resize(size_t(packed));
        safeload::ReadExact(stream, data.data(), int64_t(packed));
        const uint8_t* src = data.data();
        uint8_t* dst = out.data();
        plan.Decoder->Decode(src, dst, int32_t(packed), int32_t(unpacked));
    }
    if (plan.Predictor)
        for (int r = 0; r < rows; ++r)
            UndoHorizontalPredictor(out.data() + size_t(r) * size_t(rowBytes), size_t(rowBytes), width, plan.SamplesPerPlane,
                          FBits, FBigEndian);
}

void TTIFFGraphic::ConvertBandRows(TLoadPlan& plan, const std::vector<std::vector<uint8_t>>& planes, int rows,
                                   TBitmap& target)
{
    auto& p = ImageProperties;
    std::vector<std::span<const uint8_t>> rowPlanes(plan.PlanesConverted);
    for (int r = 0; r < rows && p.CurrentRow < p.Height; ++r) {
        for (unsigned k = 0; k < plan.PlanesConverted; ++k)
            rowPlanes[k] = std::span<const uint8_t>(planes[k].data() + size_t(r) * size_t(plan.PlaneBytesPerLine),
                                                    size_t(plan.PlaneBytesPerLine));
        ColorManager.ConvertRow(TColorManager::TPlanes(rowPlanes), {target.ScanLine(p.CurrentRow), target.Stride()},
                                uint32_t(p.Width), 0xFF);
        ++p.CurrentRow;
        ProgressRowDone(p.CurrentRow);
    }
}

void TTIFFGraphic::LoadStrips(TStream& stream, TLoadPlan& plan, TBitmap& target)
{
    auto& p = ImageProperties;
    plan.Offsets = GetValueList(stream, tagStripOffsets);
    plan.ByteCounts = GetValueList(stream, tagStripByteCounts);
    const size_t stripsPerPlane = plan.Planes == 1 ? plan.Offsets.size() : plan.Offsets.size() / plan.Planes;
    // Without a strip for every plane there is nothing to read: a black picture would pass for the file's.
    if (stripsPerPlane == 0) FormatError(MissingDataText, "Strip offsets", kShortName);
    p.StripCount = int32_t(std::min<size_t>(plan.Offsets.size(), INT32_MAX));
    std::vector<std::vector<uint8_t>> planes(plan.PlanesConverted);
    for (size_t s = 0; s < stripsPerPlane && p.CurrentRow < p.Height; ++s) {
        p.CurrentStrip = int32_t(s);
        const uint32_t perStrip = p.RowsPerStrip[std::min(s, p.RowsPerStrip.size() - 1)];
        const int rows = int(std::min<int64_t>(perStrip == 0 ? p.Height : perStrip, p.Height - p.CurrentRow));
        for (unsigned k = 0; k < plan.PlanesConverted; ++k)
            DecodeSegment(stream, plan, k * stripsPerPlane + s, rows, plan.PlaneBytesPerLine, p.Width, planes[k]);
        ConvertBandRows(plan, planes, rows, target);
    }
}

void TTIFFGraphic::LoadTiles(TStream& stream, TLoadPlan& plan, TBitmap& target)
{
    auto& p = ImageProperties;
    const unsigned planeBits = unsigned(FBits) * plan.SamplesPerPlane;
    if ((uint64_t(p.TileWidth) * planeBits) % 8 != 0)
        NotSupported("Tiles whose width is not a whole number of bytes are");
    TBitmap::CheckSize(p.TileWidth, p.TileLength, int(std::min(planeBits, 32u)));
    plan.Offsets = GetValueList(stream, tagTileOffsets);
    plan.ByteCounts = GetValueList(stream, tagTileByteCounts);
    if (plan.Offsets.empty()) {
        plan.Offsets = GetValueList(stream, tagStripOffsets);
        plan.ByteCounts = GetValueList(stream, tagStripByteCounts);
    }
    if (plan.Offsets.empty()) FormatError(MissingDataText, "Tile offsets", kShortName);
    const int64_t tileBytes = int64_t(uint64_t(p.TileWidth) * planeBits / 8);
    const size_t across = size_t((int64_t(p.Width) + p.TileWidth - 1) / p.TileWidth);
    const size_t down = size_t((int64_t(p.Height) + p.TileLength - 1) / p.TileLength);
    const size_t perPlane = safeload::CheckedMul(across, down);
    std::vector<std::vector<uint8_t>> band(plan.PlanesConverted);
    std::vector<uint8_t> tile;
    const int savedLine = p.BytesPerLine;
    for (size_t r = 0; r < down; ++r) {
        const int rows = int(std::min<int64_t>(p.TileLength, p.Height - p.CurrentRow));
        for (unsigned k = 0; k < plan.PlanesConverted; ++k) {
            band[k].assign(size_t(rows) * size_t(plan.PlaneBytesPerLine), 0);
            for (size_t c = 0; c < across; ++c) {
                const size_t index = k * perPlane + r * across + c;
                if (index >= plan.Offsets.size()) continue;
                p.BytesPerLine = int32_t(tileBytes);
                DecodeSegment(stream, plan, index, p.TileLength, tileBytes, p.TileWidth, tile);
                p.BytesPerLine = savedLine;
                const int64_t left = int64_t(c) * tileBytes;
                const int64_t n = std::min<int64_t>(tileBytes, plan.PlaneBytesPerLine - left);
                for (int y = 0; y < rows && n > 0; ++y)
                    std::memcpy(band[k].data() + size_t(y) * size_t(plan.PlaneBytesPerLine) + size_t(left),
                                tile.data() + size_t(y) * size_t(tileBytes), size_t(n));
            }
        }
        ConvertBandRows(plan, band, rows, target);
    }
}

void TTIFFGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    auto& p = ImageProperties;
    LibraryWarnings.Clear();
    ProgressStarting(PreparingStageText);
    TLoadPlan plan;
    plan.StreamSize = stream.Size();
    SetupColor(plan);
    if (p.Predictor == 2 && p.Compression != TCompressionCode::None) {
        if (FBits < 8) NotSupported("A predictor on " + std::to_string(FBits) + "-bit samples is");
        plan.Predictor = IsSampleDepth(FBits);
    }
    plan.Decoder = CreateDecoder(stream);
    PrepareTarget(target, plan.Format);
    SetupPalette(stream, target, plan);
    const uint64_t planeBits = uint64_t(FBits) * (plan.Planes == 1 ? FSamples : 1);
    plan.PlaneBytesPerLine = int64_t((planeBits * uint64_t(p.Width) + 7) / 8);
    p.BytesPerLine = int32_t(std::min<int64_t>(plan.PlaneBytesPerLine, INT32_MAX));
    if (plan.Decoder) plan.Decoder->DecodeInit();
    ProgressEnding();
    ProgressStarting(TransferringStageText);
    p.CurrentRow = 0;
    p.CurrentStrip = 0;
    if (p.Options & ImageOption::Tiled) LoadTiles(stream, plan, target);
    else LoadStrips(stream, plan, target);
    if (plan.Decoder) plan.Decoder->DecodeEnd();
    target.Modified();
}

const TGraphicClass& TTIFFGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TTIFFGraphic>("TTIFFGraphic");
    return cls;
}

// ---- EPS ----

namespace {
struct TEpsPreview
{
    uint32_t Offset = 0;
    uint32_t Length = 0;
};

// The TIFF preview named by the header at the stream's position, when there is a header and the
// preview lies after it and inside the stream.
bool FindEpsPreview(TStream& stream, TEpsPreview& preview)
{
    const int64_t start = stream.Position();
    const int64_t size = stream.Size() - start;
    if (size < 31) return false;
    uint8_t h[30];
    const bool read = stream.Read(h, 30) == 30;
    stream.SetPosition(start);
    if (!read || !(h[0] == 0xC5 && h[1] == 0xD0 && h[2] == 0xD3 && h[3] == 0xC6)) return false;
    auto le32 = [&](int i) { return uint32_t(h[i]) | uint32_t(h[i + 1]) << 8 | uint32_t(h[i + 2]) << 16 | uint32_t(h[i + 3]) << 24; };
    preview.Offset = le32(20);
    preview.Length = le32(24);
    return preview.Offset >= 30 && preview.Length > 0 && uint64_t(preview.Offset) + preview.Length <= uint64_t(size);
}
} // namespace

bool TEPSGraphic::CanLoad(TStream& stream)
{
    TEpsPreview preview;
    return FindEpsPreview(stream, preview);
}

void TEPSGraphic::LoadFromStream(TStream& stream)
{
    TEpsPreview preview;
    if (!FindEpsPreview(stream, preview)) FormatError(InvalidImageText, "EPS");
    // The TIFF reader works on the preview's bytes only.
    stream.Seek(preview.Offset, TSeekOrigin::soCurrent);
    TMemoryStream tiff(safeload::ReadBytes(stream, preview.Length));
    TTIFFGraphic::LoadFromStream(tiff);
}

const TGraphicClass& TEPSGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TEPSGraphic>("TEPSGraphic");
    return cls;
}
