#pragma once
// Row colour converter of the format graphics: a loader describes how its file stores a row
// (colour scheme, bits per sample, samples per pixel, options) and what the bitmap wants, then
// converts each row with ConvertRow. The conversion is chosen once per change of the set-up.
#include <cstdint>
#include <optional>
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

class TColorManager
{
public:
    // One row: a source pointer per plane (one for interleaved samples), the target row, the
    // target pixel count and the interlace mask (0xFF converts every pixel).
    using TRowConversion = void (TColorManager::*)(const std::vector<const uint8_t*>& source, uint8_t* target,
                                                   uint32_t count, uint8_t mask);

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
    void ConvertRow(const std::vector<const uint8_t*>& source, uint8_t* target, uint32_t count, uint8_t mask);
    // Bitmap pixel format of the source side (index 0) or the target side (any other index);
    // empty when no bitmap format fits that side.
    std::optional<TPixelFormat> PixelFormatFor(int index) const;

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
    void ConvertRGBFamily(const std::vector<const uint8_t*>& source, uint8_t* target, uint32_t count, uint8_t mask);
    void ConvertRGBToRGB(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m);
    void ConvertRGBToBGR(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m);
    void ConvertBGRToRGB(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m);
    void ConvertBGRToBGR(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m);
    // Packed indices or grey values of 1, 2, 4 or 8 bits.
    void ConvertIndexed8(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m);

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
    std::vector<int32_t> FCrToRedTable, FCbToBlueTable, FCrToGreenTable, FCbToGreenTable;
    TColorSchemeCode FSourceScheme = schRGB;
    TColorSchemeCode FTargetScheme = schBGR;
    TRowConversion FRowConversion = nullptr;
};
