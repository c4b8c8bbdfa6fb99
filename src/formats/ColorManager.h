#pragma once
// Row colour converter of the format graphics: a loader describes how its file stores a row
// (colour scheme, bits per sample, samples per pixel, options) and what the bitmap wants, then
// converts each row with ConvertRow. The conversion is chosen once per change of the set-up.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Exceptions.h"

QM_EXCEPTION(EColorConversionError, Exception)

enum TColorSchemeCode : uint8_t {
    schUnknown = 0,
    schIndexed = 1,
    schGray = 2,
    schGrayAlpha = 3,
    schRGB = 4,
    schRGBA = 5,
    schBGR = 6,
    schBGRA = 7,
    schCMY = 8,
    schCMYK = 9,
    schCIELab = 10,
    schYCbCr = 11,
    schPhotoYCC = 12,
};

// Conversion options, one bit each, held in one byte per side.
using TConversionOptions = uint8_t;
constexpr TConversionOptions optAlpha = 1;           // the pixels carry an alpha sample
constexpr TConversionOptions optApplyGamma = 2;      // target: colour values pass the gamma table
constexpr TConversionOptions optSwapBytes = 4;       // source: 16-bit samples in the other byte order
constexpr TConversionOptions optLabByteRange = 8;    // source: L* stored 0..255
constexpr TConversionOptions optLabChromaOffset = 16; // source: a*, b* stored 0..255 around 128

// How a file stores its palette: interleaved entries from one plane, or one plane per colour; 8 or
// 16 bits per value; three values per entry, or four with the fourth skipped.
enum TRawPaletteLayout : uint8_t {
    rplInterleaved8Triple = 0,
    rplInterleaved8Quad = 1,
    rplPlanar8Triple = 2,
    rplPlanar8Quad = 3,
    rplInterleaved16Triple = 4,
    rplInterleaved16Quad = 5,
    rplPlanar16Triple = 6,
    rplPlanar16Quad = 7,
};

class TColorManager
{
public:
    // Byte planes, each with its length: one plane of interleaved samples, or one per sample kind.
    using TPlanes = std::span<const std::span<const uint8_t>>;
    // One row: the source planes, the target row, the target pixel count and the interlace mask
    // (0xFF converts every pixel).
    using TRowConversion = void (TColorManager::*)(TPlanes source, std::span<uint8_t> target, uint32_t count,
                                                   uint8_t mask);

    TColorManager();

    uint8_t SourceBitsPerSample() const { return FSourceBPS; }
    uint8_t TargetBitsPerSample() const { return FTargetBPS; }
    uint8_t SourceSamplesPerPixel() const { return FSourceSPP; }
    uint8_t TargetSamplesPerPixel() const { return FTargetSPP; }
    TColorSchemeCode SourceScheme() const { return FSourceScheme; }
    TColorSchemeCode TargetScheme() const { return FTargetScheme; }
    void SetSourceBitsPerSample(int value);
    void SetTargetBitsPerSample(int value);
    void SetSourceSamplesPerPixel(int value);
    void SetTargetSamplesPerPixel(int value);
    void SetSourceScheme(TColorSchemeCode value);
    void SetTargetScheme(TColorSchemeCode value);

    // Written directly by the loaders; changing them needs no new preparation.
    TConversionOptions SourceOptions = 0;
    TConversionOptions TargetOptions = 0;

    // Stores the file's and the display's gamma (0 or below: 1.0 and 2.2) and rebuilds the table.
    void SetGamma(float mainGamma, float displayGamma);
    float MainGamma() const { return FMainGamma; }
    float DisplayGamma() const { return FDisplayGamma; }
    const uint8_t* GammaTable() const { return FGammaTable; }

    // One to three luma weights (more are ignored) and the chroma subsampling (1, 2 or 4).
    void SetYCbCrSubsampling(const std::vector<float>& coefficients, int hSubsampling, int vSubsampling);
    const float* YCbCrCoefficients() const { return FYCbCrCoefficients; }
    uint8_t HSubsampling() const { return FHSubsampling; }
    uint8_t VSubsampling() const { return FVSubsampling; }

    // Validates the scheme pair and chooses the row conversion.
    void PrepareConversion();
    // Converts one row. Raises EColorConversionError, with the row untouched, when no conversion
    // fits the set-up or when a source plane or the target is too short for what the row reads or
    // writes; a depth pair the conversion does not handle writes nothing.
    void ConvertRow(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask);
    void ConvertRow(std::initializer_list<std::span<const uint8_t>> source, std::span<uint8_t> target,
                    uint32_t count, uint8_t mask)
    {
        ConvertRow(TPlanes(source.begin(), source.size()), target, count, mask);
    }
    // Bitmap pixel format of the source side (index 0) or the target side (any other index);
    // empty when no bitmap format fits that side.
    std::optional<TPixelFormat> PixelFormatFor(int index) const;

    // A grey ramp for the target depth (entry 0 white when minimumIsWhite), through the gamma table
    // when the target asks for it.
    std::vector<TRGBQuad> CreateGrayPalette(bool minimumIsWhite) const;
    // The palette of a file's raw palette data (entries beyond the data stay black), adjusted to the
    // target depth when both depths are 8 bits or less.
    std::vector<TRGBQuad> CreateColorPalette(TPlanes data, TRawPaletteLayout layout, uint32_t colorCount,
                                             bool orderFlag) const;
    std::vector<TRGBQuad> CreateColorPalette(std::initializer_list<std::span<const uint8_t>> data,
                                             TRawPaletteLayout layout, uint32_t colorCount,
                                             bool orderFlag) const
    {
        return CreateColorPalette(TPlanes(data.begin(), data.size()), layout, colorCount, orderFlag);
    }

    bool Changed() const { return FChanged; }
    bool HasConversion() const { return FRowConversion != nullptr; }

    [[noreturn]] static void RaiseConversionError(const char* message);

    // Component converters.
    static uint16_t MulDivWord(uint16_t a, uint16_t b, uint16_t c) { return uint16_t(uint32_t(a) * b / c); }
    static uint8_t ClampToByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : uint8_t(v); }
    static uint16_t SwapWord(uint16_t v) { return uint16_t((v >> 8) | (v << 8)); }
    static uint8_t ScaleWord(uint16_t v) { return uint8_t(MulDivWord(v, 255, 65535)); }

private:
    // Stores a depth or sample count after checking its range; Changed only when it differs.
    void SetChecked(uint8_t& field, int value, int low, int high, const char* error);
    void BuildGammaTable();
    void BuildYCbCrTables();

    // Row conversions of the RGB family (both directions, 8 and 16 bits per sample).
    template <bool SwapOrder>
    void ConvertRGBFamily(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask);
    void ConvertRGBToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertRGBToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertBGRToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertBGRToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    // Grey, with or without alpha, to grey at 8 or 16 bits.
    void ConvertGray(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    // Packed indices or grey values of 1, 2, 4 or 8 bits, and 16-bit indices on either or both sides.
    void ConvertIndexed8(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertIndexedSource16(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertIndexedTarget16(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertIndexedBoth16(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    // CMYK, CIE L*a*b*, YCbCr and PhotoYCC to RGB or BGR.
    template <bool SwapOrder>
    void ConvertCMYK(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask);
    template <bool SwapOrder>
    void ConvertLab(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask);
    // YCbCr and PhotoYCC share the tables; only their 16-bit formulas differ.
    template <bool SwapOrder, bool PhotoYCC>
    void ConvertYCbCr(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask);
    void ConvertCMYKToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertCMYKToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertLabToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertLabToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertYCbCrToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertYCbCrToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertPhotoYCCToRGB(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);
    void ConvertPhotoYCCToBGR(TPlanes s, std::span<uint8_t> t, uint32_t n, uint8_t m);

    bool FChanged = true;
    uint8_t FSourceBPS = 8;
    uint8_t FTargetBPS = 8;
    uint8_t FSourceSPP = 3;
    uint8_t FTargetSPP = 3;
    float FMainGamma = 1.0f;
    float FDisplayGamma = 2.2f;
    uint8_t FGammaTable[256] = {};
    float FYCbCrCoefficients[3] = {0.299f, 0.587f, 0.114f};
    uint8_t FHSubsampling = 1;
    uint8_t FVSubsampling = 1;
    float FYCbCrFactors[4] = {}; // red from Cr, green from Cr, blue from Cb, green from Cb
    std::vector<int32_t> FCrToRedTable, FCbToBlueTable, FCrToGreenTable, FCbToGreenTable;
    TColorSchemeCode FSourceScheme = schRGB;
    TColorSchemeCode FTargetScheme = schBGR;
    TRowConversion FRowConversion = nullptr;
};
