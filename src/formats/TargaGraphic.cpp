#include "formats/TargaGraphic.h"

#include <algorithm>
#include <cstring>

#include "common/CommLib.h"
#include "formats/ByteFields.h"
#include "formats/FormatGraphicSupport.h"
#include "formats/decoders/RunLengthDecoders.h"

namespace {

constexpr int kHeaderSize = 18;
constexpr uint8_t kTopDown = 0x20; // descriptor: the first stored row is the top row

bool KnownDepth(unsigned depth) { return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32; }
bool KnownEntrySize(unsigned size) { return size == 15 || size == 16 || size == 24 || size == 32; }
unsigned PixelBytes(unsigned depth) { return (depth + 7) / 8; }

// Image types: 1 colour-mapped, 2 true colour, 3 grey, and 9, 10, 11 their run-length forms.
bool ColourMapped(unsigned type) { return type == 1 || type == 9; }
bool Grey(unsigned type) { return type == 3 || type == 11; }
bool RunLength(unsigned type) { return type >= 9 && type <= 11; }

// Whether the header describes an image this reader can show: a known type whose pixel depth fits
// it, and a colour map (when there is one) of a known entry size.
bool UsableHeader(const uint8_t* h)
{
    const unsigned mapType = h[1], type = h[2], entrySize = h[7], depth = h[16];
    if (mapType > 1 || (mapType == 1 && !KnownEntrySize(entrySize))) return false;
    if (ColourMapped(type)) return mapType == 1 && depth == 8;
    if (Grey(type)) return depth == 8;
    if (type == 2 || type == 10) return depth == 15 || depth == 16 || depth == 24 || depth == 32;
    return false;
}

} // namespace

bool TTargaGraphic::CanLoad(TStream& stream)
{
    return PeekHeader(stream, kHeaderSize, kHeaderSize + 1, [](const uint8_t* h, size_t) {
        const unsigned type = h[2];
        return (type <= 3 || (type >= 9 && type <= 11)) && h[1] <= 1 && KnownEntrySize(h[7]) && KnownDepth(h[16]);
    });
}

bool TTargaGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    uint8_t h[kHeaderSize];
    if (stream.Read(h, kHeaderSize) != kHeaderSize || !UsableHeader(h)) return false;
    auto& p = ImageProperties;
    const unsigned type = h[2], depth = h[16];
    p.Width = WordLE(h + 12);
    p.Height = WordLE(h + 14);
    p.BitsPerSample = 8;
    switch (depth) {
    case 8:
        p.ColorScheme = Grey(type) ? schGray : schIndexed;
        p.SamplesPerPixel = 1;
        break;
    case 15:
    case 16:
        p.ColorScheme = schRGB;
        p.BitsPerSample = 5;
        p.SamplesPerPixel = 3;
        break;
    case 24:
        p.ColorScheme = schRGB;
        p.SamplesPerPixel = 3;
        break;
    default:
        p.ColorScheme = schRGBA;
        p.SamplesPerPixel = 4;
        p.HasAlpha = true;
        break;
    }
    p.BitsPerPixel = uint8_t(p.BitsPerSample * p.SamplesPerPixel);
    p.Compression = RunLength(type) ? TCompressionCode::RunLength : TCompressionCode::None;
    return true;
}

void TTargaGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    ProgressStarting(PreparingStageText);
    uint8_t h[kHeaderSize];
    safeload::ReadExact(stream, h, kHeaderSize);
    const unsigned type = h[2], depth = h[16], entrySize = h[7];
    const unsigned firstIndex = WordLE(h + 3), mapLength = WordLE(h + 5);
    const bool topDown = h[17] & kTopDown;
    stream.Seek(h[0], TSeekOrigin::soCurrent); // the image ID

    const auto& p = ImageProperties;
    const TPixelFormat format = depth == 8    ? TPixelFormat::pf8bit
                                : depth == 24 ? TPixelFormat::pf24bit
                                : depth == 32 ? TPixelFormat::pf32bit
                                              : TPixelFormat::pf15bit;
    PrepareTarget(target, format);

    // A colour map present is always read past; it becomes the palette of colour-mapped images,
    // its entries placed from the first map index on (entries past 255 are dropped). 15- and
    // 16-bit entries widen as 15-bit pixels do.
    std::vector<TRGBQuad> palette;
    if (h[1] == 1) {
        const unsigned entryBytes = PixelBytes(entrySize);
        const auto map = safeload::ReadBytes(stream, uint64_t(mapLength) * entryBytes);
        palette.assign(256, TRGBQuad{});
        for (unsigned i = 0; i < mapLength && firstIndex + i < 256; ++i) {
            const uint8_t* e = &map[size_t(i) * entryBytes];
            TRGBQuad& q = palette[firstIndex + i];
            if (entryBytes == 2) {
                const unsigned v = WordLE(e);
                q = TRGBQuad{Expand5(v & 31), Expand5((v >> 5) & 31), Expand5((v >> 10) & 31), 0};
            } else {
                q = TRGBQuad{e[0], e[1], e[2], 0};
            }
        }
    }
    if (Grey(type))
        target.SetPalette(ColorManager.CreateGrayPalette(false));
    else if (ColourMapped(type))
        target.SetPalette(std::move(palette));
    ProgressEnding();

    ProgressStarting(TransferringStageText);
    const int height = p.Height;
    const size_t rowSize = size_t(p.Width) * PixelBytes(depth);
    auto rowOf = [&](int i) { return target.ScanLine(topDown ? i : height - 1 - i); };
    if (!RunLength(type)) {
        for (int i = 0; i < height; ++i) {
            safeload::ReadExact(stream, rowOf(i), int64_t(rowSize));
            ProgressRowDone(i + 1);
        }
        return;
    }
    // Packets may cross rows; rows the data does not reach stay black.
    const int64_t remaining = std::max<int64_t>(0, stream.Remaining());
    const auto data = safeload::ReadBytes(stream, uint64_t(remaining));
    TTargaRLEDecoder decoder{int32_t(depth)};
    decoder.DecodeInit();
    const uint8_t* source = data.data();
    const uint8_t* const end = data.data() + data.size();
    for (int i = 0; i < height; ++i) {
        uint8_t* dest = rowOf(i);
        decoder.Decode(source, dest, int32_t(std::min<int64_t>(end - source, INT32_MAX)), p.Width);
        ProgressRowDone(i + 1);
    }
    decoder.DecodeEnd();
}

void TTargaGraphic::SaveToStream(TStream& stream)
{
    const TBitmap& bitmap = Bitmap();
    if (bitmap.Empty()) return;
    ProgressRect = Rect(0, 0, bitmap.Width(), 1);
    ProgressStarting(PreparingStageText);
    const TPixelFormat format = bitmap.PixelFormat();
    const bool mapped = format == TPixelFormat::pf1bit || format == TPixelFormat::pf4bit || format == TPixelFormat::pf8bit;
    const unsigned bytes = mapped                            ? 1
                           : format == TPixelFormat::pf15bit ? 2
                           : format == TPixelFormat::pf32bit ? 4
                                                             : 3;
    const int width = bitmap.Width(), height = bitmap.Height();

    uint8_t h[kHeaderSize] = {};
    h[1] = mapped ? 1 : 0;
    h[2] = mapped ? 9 : 10;
    if (mapped) PutWordLE(h + 5, 256); // a true-colour file carries no map, so its length is 0
    h[7] = 24;
    PutWordLE(h + 12, uint16_t(width));
    PutWordLE(h + 14, uint16_t(height));
    h[16] = uint8_t(bytes * 8);
    h[17] = kTopDown;
    if (width > 0xFFFF || height > 0xFFFF) throw EInvalidGraphicOperation("The picture is too large for a Targa file.");
    stream.WriteBuffer(h, kHeaderSize);
    if (mapped) {
        std::vector<TRGBQuad> palette = bitmap.Palette();
        if (palette.empty()) { // a bitmap without a palette shows a grey ramp
            TRGBQuad colours[256];
            bitmap.IndexColours(colours);
            palette.assign(colours, colours + 256);
        }
        palette.resize(256);
        uint8_t map[256 * 3];
        for (int i = 0; i < 256; ++i) {
            map[3 * i] = palette[i].rgbBlue;
            map[3 * i + 1] = palette[i].rgbGreen;
            map[3 * i + 2] = palette[i].rgbRed;
        }
        stream.WriteBuffer(map, sizeof map);
    }
    ProgressEnding();

    ProgressStarting(TransferringStageText);
    TTargaRLEDecoder encoder(int32_t(bytes * 8));
    std::vector<uint8_t> row(size_t(width) * bytes), packed(encoder.MaxEncodedSize(uint32_t(width)));
    for (int y = 0; y < height; ++y) {
        const uint8_t* line = bitmap.ScanLine(y);
        if (format == TPixelFormat::pf1bit || format == TPixelFormat::pf4bit) {
            const int bits = format == TPixelFormat::pf1bit ? 1 : 4;
            for (int x = 0; x < width; ++x) {
                const int bit = x * bits;
                row[size_t(x)] = uint8_t((line[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1));
            }
            line = row.data();
        } else if (format == TPixelFormat::pf16bit) {
            bitmap.RowTo24(y, row.data());
            line = row.data();
        }
        uint32_t stored = 0;
        encoder.Encode(line, packed.data(), uint32_t(width), stored);
        stream.WriteBuffer(packed.data(), stored);
        Progress(TProgressStage::psRunning, MulDiv(y + 1, 100, height), true, ProgressRect, std::string());
        ProgressRect.Top += 1;
        ProgressRect.Bottom += 1;
    }
    ProgressEnding();
}

const TGraphicClass& TTargaGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TTargaGraphic>("TTargaGraphic");
    return cls;
}
