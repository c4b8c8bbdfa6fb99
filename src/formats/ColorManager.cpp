#include "formats/ColorManager.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "formats/conversions/ComponentConverters.h"
#include "platform/Round.h"

namespace {
const char* const kDepthError = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
const char* const kSampleCountError = "Sample count per pixel does not correspond to the given color scheme.";

bool IsIndexedSource(TColorSchemeCode s) { return s == schIndexed || s == schGray || s == schGrayAlpha; }
bool IsIndexedTarget(TColorSchemeCode s) { return s == schIndexed || s == schGray; }
bool IsRGBTarget(TColorSchemeCode s) { return s == schRGB || s == schRGBA; }
bool IsBGRTarget(TColorSchemeCode s) { return s == schBGR || s == schBGRA; }

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
    // A value that is not a positive number (0, below, NaN) takes the default.
    FMainGamma = mainGamma > 0 ? mainGamma : 1.0f;
    FDisplayGamma = displayGamma > 0 ? displayGamma : 2.2f;
    BuildGammaTable();
}

void TColorManager::BuildGammaTable()
{
    const float gamma = 1.0f / (FMainGamma * FDisplayGamma);
    const int high = FSourceBPS >= 8 ? 255 : (1 << FTargetBPS) - 1;
    const int top = FTargetBPS >= 8 ? 255 : (1 << FTargetBPS) - 1;
    // Gammas far from 1 give an exponent of 0 or infinity: clamped before rounding, the table
    // still runs from 0 to the top.
    for (int i = 0; i <= high && i < 256; ++i) {
        const double v = i == 0 ? 0.0 : std::pow(double(i) / high, double(gamma)) * top;
        FGammaTable[i] = uint8_t(v > 0 ? Round(std::min(v, double(top))) : 0);
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
    // A weight that is not a positive finite number takes its default, so the tables stay finite.
    const float defaults[3] = {0.299f, 0.587f, 0.114f};
    for (size_t i = 0; i < coefficients.size() && i < 3; ++i)
        FYCbCrCoefficients[i] =
            std::isfinite(coefficients[i]) && coefficients[i] > 0 ? coefficients[i] : defaults[i];
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
    FYCbCrFactors[0] = f1;
    FYCbCrFactors[1] = f2;
    FYCbCrFactors[2] = f3;
    FYCbCrFactors[3] = f4;
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
        FCrToGreenTable[i] = RoundInt(-double(f2) * cr);
        FCbToGreenTable[i] = RoundInt(-double(f4) * cb);
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
            FRowConversion = &TColorManager::ConvertIndexedBoth16;
        else if (s == 16)
            FRowConversion = &TColorManager::ConvertIndexedSource16;
        else if (t == 16)
            FRowConversion = &TColorManager::ConvertIndexedTarget16;
        else
            FRowConversion = &TColorManager::ConvertIndexed8;
        break;
    case schGray:
        if (s == 16 || t == 16)
            FRowConversion = (s >= 8 && t >= 8) ? &TColorManager::ConvertGray : nullptr;
        else
            FRowConversion = &TColorManager::ConvertIndexed8;
        break;
    case schGrayAlpha:
        if ((s == 8 || s == 16) && (t == 8 || t == 16)) FRowConversion = &TColorManager::ConvertGray;
        break;
    case schRGB:
    case schRGBA:
        FRowConversion = byTarget(&TColorManager::ConvertRGBToRGB, &TColorManager::ConvertRGBToBGR);
        break;
    case schBGR:
    case schBGRA:
        FRowConversion = byTarget(&TColorManager::ConvertBGRToRGB, &TColorManager::ConvertBGRToBGR);
        break;
    case schCMYK: FRowConversion = byTarget(&TColorManager::ConvertCMYKToRGB, &TColorManager::ConvertCMYKToBGR); break;
    case schCIELab: FRowConversion = byTarget(&TColorManager::ConvertLabToRGB, &TColorManager::ConvertLabToBGR); break;
    case schYCbCr:
        BuildYCbCrTables();
        FRowConversion = byTarget(&TColorManager::ConvertYCbCrToRGB, &TColorManager::ConvertYCbCrToBGR);
        break;
    case schPhotoYCC:
        BuildYCbCrTables();
        FRowConversion = byTarget(&TColorManager::ConvertPhotoYCCToRGB, &TColorManager::ConvertPhotoYCCToBGR);
        break;
    default: break; // schUnknown, schCMY and unknown codes have no conversion
    }
    FChanged = false;
}

void TColorManager::ConvertRow(TPlanes source, std::span<uint8_t> target, uint32_t count, uint8_t mask)
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

void conversions::RequireSource(TColorManager::TPlanes source, size_t planes, uint64_t bytes)
{
    if (source.size() < planes)
        TColorManager::RaiseConversionError(("Color conversion failed. The row has " +
                                             std::to_string(source.size()) + " source planes where " +
                                             std::to_string(planes) + " are needed.")
                                                .c_str());
    for (size_t i = 0; i < planes; ++i)
        if (source[i].size() < bytes)
            TColorManager::RaiseConversionError(("Color conversion failed. Source plane " +
                                                 std::to_string(i + 1) + " holds " +
                                                 std::to_string(source[i].size()) +
                                                 " bytes where the row reads " + std::to_string(bytes) + ".")
                                                    .c_str());
}

void conversions::RequireTarget(std::span<const uint8_t> target, uint64_t bytes)
{
    if (target.size() < bytes)
        TColorManager::RaiseConversionError(("Color conversion failed. The target row holds " +
                                             std::to_string(target.size()) + " bytes where the row writes " +
                                             std::to_string(bytes) + ".")
                                                .c_str());
}
