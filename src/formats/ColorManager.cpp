#include "formats/ColorManager.h"

#include <cmath>
#include <cstring>

#include "platform/Round.h"

namespace {
const char* const kDepthError = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
const char* const kSampleCountError = "Sample count per pixel does not correspond to the given color scheme.";

bool IsIndexedSource(TColorSchemeCode s) { return s == schIndexed || s == schGray || s == schGrayAlpha; }
bool IsIndexedTarget(TColorSchemeCode s) { return s == schIndexed || s == schGray; }
bool IsRGBTarget(TColorSchemeCode s) { return s == schRGB || s == schRGBA; }
bool IsBGRTarget(TColorSchemeCode s) { return s == schBGR || s == schBGRA; }

inline uint8_t RotateRight(uint8_t v, unsigned n)
{
    n &= 7;
    return n == 0 ? v : uint8_t((v >> n) | (v << (8 - n)));
}

// Row conversions that are not built yet: while a slot is empty the choice stays empty and
// ConvertRow reports that no method was found, so nothing is silently left unconverted.
constexpr TColorManager::TRowConversion kConvertIndexedBoth16 = nullptr;
constexpr TColorManager::TRowConversion kConvertIndexedSource16 = nullptr;
constexpr TColorManager::TRowConversion kConvertIndexedTarget16 = nullptr;
constexpr TColorManager::TRowConversion kConvertGray = nullptr;
constexpr TColorManager::TRowConversion kConvertCMYKToRGB = nullptr;
constexpr TColorManager::TRowConversion kConvertCMYKToBGR = nullptr;
constexpr TColorManager::TRowConversion kConvertLabToRGB = nullptr;
constexpr TColorManager::TRowConversion kConvertLabToBGR = nullptr;
constexpr TColorManager::TRowConversion kConvertYCbCrToRGB = nullptr;
constexpr TColorManager::TRowConversion kConvertYCbCrToBGR = nullptr;
constexpr TColorManager::TRowConversion kConvertPhotoYCCToRGB = nullptr;
constexpr TColorManager::TRowConversion kConvertPhotoYCCToBGR = nullptr;
} // namespace

TColorManager::TColorManager()
{
    SetGamma(1.0f, 2.2f);
    FChanged = true;
}

void TColorManager::RaiseConversionError(const char* message) { throw EColorConversionError(message); }

void TColorManager::SetChecked(uint8_t& field, int value, int low, int high, const char* error)
{
    if (value < low || value > high) RaiseConversionError(error);
    if (field != value) {
        field = uint8_t(value);
        FChanged = true;
    }
}

void TColorManager::SetSourceBitsPerSample(int value) { SetChecked(FSourceBPS, value, 1, 16, kDepthError); }
void TColorManager::SetTargetBitsPerSample(int value) { SetChecked(FTargetBPS, value, 1, 16, kDepthError); }
void TColorManager::SetSourceSamplesPerPixel(int value) { SetChecked(FSourceSPP, value, 1, 4, kSampleCountError); }
void TColorManager::SetTargetSamplesPerPixel(int value) { SetChecked(FTargetSPP, value, 1, 4, kSampleCountError); }

void TColorManager::SetSourceScheme(TColorSchemeCode value)
{
    if (FSourceScheme != value) {
        FSourceScheme = value;
        FChanged = true;
    }
}

void TColorManager::SetTargetScheme(TColorSchemeCode value)
{
    if (FTargetScheme != value) {
        FTargetScheme = value;
        FChanged = true;
    }
}

void TColorManager::SetGamma(float mainGamma, float displayGamma)
{
    FMainGamma = mainGamma <= 0 ? 1.0f : mainGamma;
    FDisplayGamma = displayGamma <= 0 ? 2.2f : displayGamma;
    BuildGammaTable();
}

void TColorManager::BuildGammaTable()
{
    const float gamma = 1.0f / (FMainGamma * FDisplayGamma);
    const int high = FSourceBPS >= 8 ? 255 : (1 << FTargetBPS) - 1;
    const int top = FTargetBPS >= 8 ? 255 : (1 << FTargetBPS) - 1;
    for (int i = 0; i <= high && i < 256; ++i) {
        double v = i == 0 ? 0.0 : std::pow(double(i) / high, double(gamma)) * top;
        int64_t r = Round(v);
        FGammaTable[i] = uint8_t(r < 0 ? 0 : r > 255 ? 255 : r);
    }
}

void TColorManager::SetYCbCrSubsampling(const std::vector<float>& coefficients, int hSubsampling, int vSubsampling)
{
    if (coefficients.empty()) RaiseConversionError("At least one luma coefficient is needed.");
    auto valid = [](int v) { return v == 1 || v == 2 || v == 4; };
    if (!valid(hSubsampling) || !valid(vSubsampling))
        RaiseConversionError("Subsampling value is invalid. Allowed are 1, 2 and 4.");
    if (vSubsampling > hSubsampling)
        RaiseConversionError("Vertical subsampling value must be <= horizontal subsampling value.");
    for (size_t i = 0; i < coefficients.size() && i < 3; ++i) FYCbCrCoefficients[i] = coefficients[i];
    FHSubsampling = uint8_t(hSubsampling);
    FVSubsampling = uint8_t(vSubsampling);
}

void TColorManager::BuildYCbCrTables()
{
    const float lumaRed = FYCbCrCoefficients[0];
    const float lumaGreen = FYCbCrCoefficients[1];
    const float lumaBlue = FYCbCrCoefficients[2];
    const float f1 = 2 - 2 * lumaRed;
    const float f2 = lumaRed * f1 / lumaGreen;
    const float f3 = 2 - 2 * lumaBlue;
    const float f4 = lumaBlue * f3 / lumaGreen;
    const bool photoYCC = FSourceScheme == schPhotoYCC;
    FCrToRedTable.assign(256, 0);
    FCbToBlueTable.assign(256, 0);
    FCrToGreenTable.assign(256, 0);
    FCbToGreenTable.assign(256, 0);
    for (int i = 0; i < 256; ++i) {
        const int cr = photoYCC ? i - 137 : i - 128;
        const int cb = photoYCC ? i - 156 : i - 128;
        FCrToRedTable[i] = RoundInt(double(f1) * cr);
        FCbToBlueTable[i] = RoundInt(double(f3) * cb);
        FCrToGreenTable[i] = -RoundInt(double(f2) * cr);
        FCbToGreenTable[i] = -RoundInt(double(f4) * cb);
    }
}

void TColorManager::PrepareConversion()
{
    FRowConversion = nullptr;
    FChanged = true;
    if (IsIndexedSource(FSourceScheme) != IsIndexedTarget(FTargetScheme))
        RaiseConversionError("Conversion between indexed and non-indexed pixel formats is not supported.");

    auto setAlpha = [](TConversionOptions& options, TColorSchemeCode scheme) {
        if (scheme == schGrayAlpha || scheme == schRGBA || scheme == schBGRA)
            options |= optAlpha;
        else
            options &= TConversionOptions(~optAlpha);
    };
    setAlpha(SourceOptions, FSourceScheme);
    setAlpha(TargetOptions, FTargetScheme);

    const int s = FSourceBPS, t = FTargetBPS;
    const bool rgbTarget = IsRGBTarget(FTargetScheme), bgrTarget = IsBGRTarget(FTargetScheme);
    auto byTarget = [&](TRowConversion toRGB, TRowConversion toBGR) -> TRowConversion {
        return rgbTarget ? toRGB : bgrTarget ? toBGR : nullptr;
    };
    switch (FSourceScheme) {
    case schIndexed:
        if (s == 16 && t == 16)
            FRowConversion = kConvertIndexedBoth16;
        else if (s == 16)
            FRowConversion = kConvertIndexedSource16;
        else if (t == 16)
            FRowConversion = kConvertIndexedTarget16;
        else
            FRowConversion = &TColorManager::ConvertIndexed8;
        break;
    case schGray:
        if (s == 16 || t == 16)
            FRowConversion = (s >= 8 && t >= 8) ? kConvertGray : nullptr;
        else
            FRowConversion = &TColorManager::ConvertIndexed8;
        break;
    case schGrayAlpha:
        if ((s == 8 || s == 16) && (t == 8 || t == 16)) FRowConversion = kConvertGray;
        break;
    case schRGB:
    case schRGBA:
        FRowConversion = byTarget(&TColorManager::ConvertRGBToRGB, &TColorManager::ConvertRGBToBGR);
        break;
    case schBGR:
    case schBGRA:
        FRowConversion = byTarget(&TColorManager::ConvertBGRToRGB, &TColorManager::ConvertBGRToBGR);
        break;
    case schCMYK: FRowConversion = byTarget(kConvertCMYKToRGB, kConvertCMYKToBGR); break;
    case schCIELab: FRowConversion = byTarget(kConvertLabToRGB, kConvertLabToBGR); break;
    case schYCbCr:
        BuildYCbCrTables();
        FRowConversion = byTarget(kConvertYCbCrToRGB, kConvertYCbCrToBGR);
        break;
    case schPhotoYCC:
        BuildYCbCrTables();
        FRowConversion = byTarget(kConvertPhotoYCCToRGB, kConvertPhotoYCCToBGR);
        break;
    default: break; // schUnknown, schCMY and unknown codes have no conversion
    }
    FChanged = false;
}

void TColorManager::ConvertRow(const std::vector<const uint8_t*>& source, uint8_t* target, uint32_t count,
                               uint8_t mask)
{
    if (FChanged) PrepareConversion();
    if (!FRowConversion) RaiseConversionError("Color conversion failed. Could not find a proper method.");
    (this->*FRowConversion)(source, target, count, mask);
}

std::optional<TPixelFormat> TColorManager::PixelFormatFor(int index) const
{
    const int samples = index == 0 ? FSourceSPP : FTargetSPP;
    const int bits = index == 0 ? FSourceBPS : FTargetBPS;
    switch (samples) {
    case 1:
        if (bits == 1) return TPixelFormat::pf1bit;
        if (bits >= 2 && bits <= 4) return TPixelFormat::pf4bit;
        if (bits >= 8 && bits <= 16) return TPixelFormat::pf8bit;
        return std::nullopt;
    case 3: return bits <= 5 ? TPixelFormat::pf15bit : TPixelFormat::pf24bit;
    case 4:
        if (bits >= 8) return TPixelFormat::pf32bit;
        return std::nullopt;
    default: return std::nullopt;
    }
}

namespace {
// Component converters: each maps one sample. A row conversion picks them once per call and runs
// the loop of its depth pair with them, so the pixel loop tests no option but the mask.
struct TPassSample // PassByte and PassWord
{
    unsigned operator()(unsigned v) const { return v; }
};
struct TGammaByte
{
    const uint8_t* Gamma;
    unsigned operator()(unsigned v) const { return Gamma[v]; }
};
struct TScaleWord
{
    unsigned operator()(unsigned v) const { return TColorManager::ScaleWord(uint16_t(v)); }
};
struct TSwapScaleWord
{
    unsigned operator()(unsigned v) const { return TColorManager::ScaleWord(TColorManager::SwapWord(uint16_t(v))); }
};
struct TScaleGammaWord
{
    const uint8_t* Gamma;
    unsigned operator()(unsigned v) const { return Gamma[TColorManager::ScaleWord(uint16_t(v))]; }
};
struct TSwapScaleGammaWord
{
    const uint8_t* Gamma;
    unsigned operator()(unsigned v) const
    {
        return Gamma[TColorManager::ScaleWord(TColorManager::SwapWord(uint16_t(v)))];
    }
};
struct TSwapWord
{
    unsigned operator()(unsigned v) const { return TColorManager::SwapWord(uint16_t(v)); }
};
// 8 to 16 bits: the 8-bit converter, widened to 16 bits, then swapped when the source says so.
template <class TByteConverter, bool Swap> struct TWidenByte
{
    TByteConverter Byte;
    unsigned operator()(unsigned v) const
    {
        const uint16_t w = TColorManager::MulDivWord(uint16_t(Byte(v)), 65535, 255);
        return Swap ? TColorManager::SwapWord(w) : w;
    }
};

template <class T> inline T LoadSample(const uint8_t* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T> inline void StoreSample(uint8_t* p, T v) { std::memcpy(p, &v, sizeof v); }

// Where the samples of one RGB-family row are and how far each side moves per pixel.
struct TRGBRowLayout
{
    const uint8_t* Planes[4]; // first, second, third sample and alpha of the first source pixel
    size_t SourceStep;        // bytes from one source pixel to the next (per plane when planar)
    uint8_t* Target;
    size_t TargetStride;      // samples per target pixel
    uint32_t Count;
    uint8_t Mask;
    bool CopyAlpha;
};

template <bool SwapOrder, class TIn, class TOut, class TColour, class TAlpha>
void ConvertRGBRow(const TRGBRowLayout& row, TColour colour, TAlpha alpha)
{
    const size_t advance = row.TargetStride * sizeof(TOut);
    uint8_t* target = row.Target;
    size_t offset = 0;
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < row.Count; ++i, target += advance) {
        if (row.Mask & bit) {
            for (size_t c = 0; c < 3; ++c)
                StoreSample<TOut>(target + (SwapOrder ? 2 - c : c) * sizeof(TOut),
                                  TOut(colour(LoadSample<TIn>(row.Planes[c] + offset))));
            if (row.CopyAlpha)
                StoreSample<TOut>(target + 3 * sizeof(TOut), TOut(alpha(LoadSample<TIn>(row.Planes[3] + offset))));
            offset += row.SourceStep;
        }
        bit = RotateRight(bit, 1);
    }
}
} // namespace

template <bool SwapOrder>
void TColorManager::ConvertRGBFamily(const std::vector<const uint8_t*>& source, uint8_t* target, uint32_t count,
                                     uint8_t mask)
{
    const int s = FSourceBPS, t = FTargetBPS;
    if ((s != 8 && s != 16) || (t != 8 && t != 16)) return; // depth not handled
    const bool sourceAlpha = SourceOptions & optAlpha;
    const bool targetAlpha = TargetOptions & optAlpha;
    const bool copyAlpha = sourceAlpha && targetAlpha;
    const bool planar = source.size() > 1;
    const size_t planes = planar ? (copyAlpha ? 4u : 3u) : 1u;
    if (source.size() < planes) return;
    for (size_t i = 0; i < planes; ++i)
        if (!source[i]) return;

    const size_t sourceBytes = size_t(s) / 8;
    TRGBRowLayout row{};
    for (size_t c = 0; c < 4; ++c)
        row.Planes[c] = planar ? (c < planes ? source[c] : nullptr) : source[0] + c * sourceBytes;
    row.SourceStep = planar ? sourceBytes : (sourceAlpha ? 4 : 3) * sourceBytes;
    row.Target = target;
    row.TargetStride = targetAlpha ? 4 : 3;
    row.Count = count;
    row.Mask = mask;
    row.CopyAlpha = copyAlpha;

    const bool gamma = TargetOptions & optApplyGamma;
    const bool swap = SourceOptions & optSwapBytes;
    const TGammaByte gammaByte{FGammaTable};
    if (s == 8 && t == 8) {
        if (gamma)
            ConvertRGBRow<SwapOrder, uint8_t, uint8_t>(row, gammaByte, TPassSample{});
        else
            ConvertRGBRow<SwapOrder, uint8_t, uint8_t>(row, TPassSample{}, TPassSample{});
    } else if (s == 8) {
        if (gamma && swap)
            ConvertRGBRow<SwapOrder, uint8_t, uint16_t>(row, TWidenByte<TGammaByte, true>{gammaByte},
                                                        TWidenByte<TPassSample, true>{});
        else if (gamma)
            ConvertRGBRow<SwapOrder, uint8_t, uint16_t>(row, TWidenByte<TGammaByte, false>{gammaByte},
                                                        TWidenByte<TPassSample, false>{});
        else if (swap)
            ConvertRGBRow<SwapOrder, uint8_t, uint16_t>(row, TWidenByte<TPassSample, true>{},
                                                        TWidenByte<TPassSample, true>{});
        else
            ConvertRGBRow<SwapOrder, uint8_t, uint16_t>(row, TWidenByte<TPassSample, false>{},
                                                        TWidenByte<TPassSample, false>{});
    } else if (t == 8) { // alpha is never gamma-corrected
        if (gamma && swap)
            ConvertRGBRow<SwapOrder, uint16_t, uint8_t>(row, TSwapScaleGammaWord{FGammaTable}, TSwapScaleWord{});
        else if (gamma)
            ConvertRGBRow<SwapOrder, uint16_t, uint8_t>(row, TScaleGammaWord{FGammaTable}, TScaleWord{});
        else if (swap)
            ConvertRGBRow<SwapOrder, uint16_t, uint8_t>(row, TSwapScaleWord{}, TSwapScaleWord{});
        else
            ConvertRGBRow<SwapOrder, uint16_t, uint8_t>(row, TScaleWord{}, TScaleWord{});
    } else {
        if (swap)
            ConvertRGBRow<SwapOrder, uint16_t, uint16_t>(row, TSwapWord{}, TSwapWord{});
        else
            ConvertRGBRow<SwapOrder, uint16_t, uint16_t>(row, TPassSample{}, TPassSample{});
    }
}

void TColorManager::ConvertRGBToRGB(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<false>(s, t, n, m);
}

void TColorManager::ConvertRGBToBGR(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<true>(s, t, n, m);
}

void TColorManager::ConvertBGRToRGB(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<true>(s, t, n, m);
}

void TColorManager::ConvertBGRToBGR(const std::vector<const uint8_t*>& s, uint8_t* t, uint32_t n, uint8_t m)
{
    ConvertRGBFamily<false>(s, t, n, m);
}

void TColorManager::ConvertIndexed8(const std::vector<const uint8_t*>& source, uint8_t* target, uint32_t count,
                                    uint8_t mask)
{
    const unsigned s = FSourceBPS, t = FTargetBPS;
    auto packed = [](unsigned d) { return d == 1 || d == 2 || d == 4 || d == 8; };
    if (!packed(s) || !packed(t) || source.empty() || !source[0]) return; // depth not handled
    const uint8_t* src = source[0];
    if (s == t && mask == 0xFF) {
        std::memcpy(target, src, (size_t(count) * s + 7) / 8);
        return;
    }
    uint8_t sourceMask = uint8_t(~((1u << (8 - s)) - 1));
    const uint16_t maxIn = uint16_t((1u << s) - 1);
    uint8_t targetMask = uint8_t((1u << (8 - t)) - 1);
    const uint16_t maxOut = uint16_t((1u << t) - 1);
    unsigned sourceShift = 8, targetShift = 8 - t;
    const uint32_t perTargetByte = 8 / t;
    uint8_t bit = 0x80;
    for (uint32_t done = 0; done < count;) {
        if (mask & bit) {
            sourceShift -= s;
            uint16_t value = uint16_t((*src & sourceMask) >> sourceShift);
            value = MulDivWord(value, maxOut, maxIn);
            *target = uint8_t((*target & targetMask) | (value << targetShift));
            if (sourceShift == 0) {
                sourceShift = 8;
                ++src;
            }
            sourceMask = RotateRight(sourceMask, s);
        }
        bit = RotateRight(bit, 1);
        targetMask = RotateRight(targetMask, t);
        targetShift = targetShift == 0 ? 8 - t : targetShift - t;
        ++done;
        if (done % perTargetByte == 0) ++target;
    }
}
