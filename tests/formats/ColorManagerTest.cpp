#include <gtest/gtest.h>

#include <functional>

#include "TestFormats.h"
#include "formats/ColorManager.h"

namespace {
const char* kIndexedError = "Conversion between indexed and non-indexed pixel formats is not supported.";
const char* kNoMethod = "Color conversion failed. Could not find a proper method.";
} // namespace

TEST(ColorManager, SetUpErrorsSayWhyAndKeepTheState)
{
    TColorManager cm;
    cm.SetSourceBitsPerSample(5); // every depth 1..16 is accepted
    const std::string depth = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
    const std::string count = "Sample count per pixel does not correspond to the given color scheme.";
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { cm.SetSourceBitsPerSample(0); }, depth},  {[&] { cm.SetTargetBitsPerSample(17); }, depth},
        {[&] { cm.SetTargetSamplesPerPixel(0); }, count}, {[&] { cm.SetTargetSamplesPerPixel(5); }, count},
        {[&] { cm.SetYCbCrSubsampling({0.3f}, 2, 4); },
         "Vertical subsampling value must be <= horizontal subsampling value."},
        {[&] { cm.SetYCbCrSubsampling({0.3f}, 3, 1); }, "Subsampling value is invalid. Allowed are 1, 2 and 4."},
        {[&] { cm.SetYCbCrSubsampling({}, 1, 1); }, "At least one luma coefficient is needed."},
    };
    for (const auto& [call, message] : cases) EXPECT_EQ(ErrorOf<EColorConversionError>(call), message);
    EXPECT_EQ(std::tuple(cm.SourceBitsPerSample(), cm.TargetBitsPerSample(), cm.TargetSamplesPerPixel()),
              std::tuple(5, 8, 3));
    EXPECT_EQ(std::tuple(cm.HSubsampling(), cm.YCbCrCoefficients()[0]), std::tuple(1, 0.299f));

    // The bitmap format that holds a layout of samples and bits (the source's: 3 x 5); none where no
    // bitmap holds it.
    using P = TPixelFormat;
    const std::tuple<int, int, std::optional<TPixelFormat>> formats[] = { // samples, bits, format
        {1, 1, P::pf1bit}, {1, 2, P::pf4bit},   {1, 4, P::pf4bit},    {1, 6, std::nullopt}, {1, 8, P::pf8bit},
        {1, 16, P::pf8bit}, {3, 8, P::pf24bit}, {4, 8, P::pf32bit}, {4, 4, std::nullopt}, {2, 8, std::nullopt}};
    for (const auto& [samples, bits, expected] : formats) {
        cm.SetTargetSamplesPerPixel(samples);
        cm.SetTargetBitsPerSample(bits);
        EXPECT_EQ(std::tuple(cm.PixelFormatFor(1), cm.PixelFormatFor(0)), std::tuple(expected, P::pf15bit))
            << samples << " x " << bits;
    }
}

TEST(ColorManager, RowConversions)
{
    const Bytes zeros(6), sevens(6, 7), spare(24, 0xEE);
    // What, schemes, bits, count, mask, source planes, target before and after, the set-up error.
    const std::tuple<const char*, TColorSchemeCode, TColorSchemeCode, int, int, int, uint8_t, std::vector<Bytes>, Bytes,
                     Bytes, const char*>
        cases[] = {
        {"fresh", schRGB, schBGR, 8, 8, 2, 0xFF, {{1, 2, 3, 4, 5, 6}}, zeros, {3, 2, 1, 6, 5, 4}, ""},
        {"RGBA source: alpha skipped", schRGBA, schBGR, 8, 8, 2, 0xFF, {{1, 2, 3, 99, 4, 5, 6, 99}}, zeros,
         {3, 2, 1, 6, 5, 4}, ""},
        {"BGRA target: fourth byte kept", schRGB, schBGRA, 8, 8, 2, 0xFF, {{1, 2, 3, 4, 5, 6}},
         {0, 0, 0, 77, 0, 0, 0, 77}, {3, 2, 1, 77, 6, 5, 4, 77}, ""},
        {"planar", schRGB, schBGR, 8, 8, 2, 0xFF, {{1, 4}, {2, 5}, {3, 6}}, zeros, {3, 2, 1, 6, 5, 4}, ""},
        {"12 bits: no converter, nothing written", schRGB, schBGR, 12, 8, 2, 0xFF, {Bytes(12, 1)}, sevens, sevens, ""},
        // The interlace mask skips target pixels without using up source pixels.
        {"interlace mask", schRGB, schRGB, 8, 8, 8, 0xAA, {{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}}, spare,
         {10, 11, 12, 0xEE, 0xEE, 0xEE, 13, 14, 15, 0xEE, 0xEE, 0xEE,
          16, 17, 18, 0xEE, 0xEE, 0xEE, 19, 20, 21, 0xEE, 0xEE, 0xEE}, ""},
        {"1-bit indices", schIndexed, schIndexed, 1, 8, 8, 0xFF, {{0x80}}, Bytes(8), {255, 0, 0, 0, 0, 0, 0, 0}, ""},
        {"4-bit indices", schIndexed, schIndexed, 4, 8, 2, 0xFF, {{0xF7}}, Bytes(2), {255, 119}, ""},
        {"packed into 4 bits, the spare half kept", schIndexed, schIndexed, 8, 4, 3, 0xFF, {{255, 17, 0}},
         {0, 0xAB}, {0xF1, 0x0B}, ""},
        {"equal depths copy whole bytes", schIndexed, schIndexed, 4, 4, 3, 0xFF, {{0x12, 0x3F}}, Bytes(2),
         {0x12, 0x3F}, ""},
        {"grey as indices", schGray, schGray, 1, 8, 2, 0xFF, {{0x40}}, Bytes(2), {0, 255}, ""},
        {"BGRA to RGBA, 16 to 8 bits", schBGRA, schRGBA, 16, 8, 1, 0xFF, {{0, 0x10, 0, 0x20, 0, 0x30, 0, 0x40}},
         Bytes(4), {47, 31, 15, 63}, ""},
        // Schemes and depths without a conversion: nothing is written.
        {"grey to grey with alpha", schGray, schGrayAlpha, 8, 8, 1, 0xFF, {zeros}, sevens, sevens, kIndexedError},
        {"RGB to indices", schRGB, schIndexed, 8, 8, 1, 0xFF, {zeros}, sevens, sevens, kIndexedError},
        {"indices to BGR", schIndexed, schBGR, 8, 8, 1, 0xFF, {zeros}, sevens, sevens, kIndexedError},
        {"CMY", schCMY, schBGR, 8, 8, 1, 0xFF, {zeros}, sevens, sevens, kNoMethod},
        {"unknown", schUnknown, schBGR, 8, 8, 1, 0xFF, {zeros}, sevens, sevens, kNoMethod},
        {"RGB to CMYK: only RGB or BGR targets", schRGB, schCMYK, 8, 8, 1, 0xFF, {zeros}, sevens, sevens, kNoMethod},
        {"grey 16 to 4 bits", schGray, schGray, 16, 4, 1, 0xFF, {zeros}, sevens, sevens, kNoMethod},
    };
    for (const auto& [what, source, target, fromBits, toBits, count, mask, planes, before, after, error] : cases) {
        TColorManager cm = ColorManagerFor(source, target, fromBits, toBits);
        const std::vector<std::span<const uint8_t>> rows(planes.begin(), planes.end());
        Bytes dst = before;
        const auto convert = [&] { cm.ConvertRow(rows, dst, uint32_t(count), mask); };
        EXPECT_EQ(ErrorOf<EColorConversionError>(convert), error) << what;
        EXPECT_EQ(dst, after) << what;
        // A failed preparation is tried again next time.
        EXPECT_EQ(cm.Changed(), std::string(error) == kIndexedError) << what;
    }
    // Grey with alpha to grey mixes nothing indexed: its preparation succeeds.
    TColorManager grey = ColorManagerFor(schGrayAlpha, schGray, 8, 8);
    EXPECT_NO_THROW(grey.PrepareConversion());
    EXPECT_TRUE((grey.SourceOptions & optAlpha) && !(grey.TargetOptions & optAlpha));
}

// Each depth pair with gamma and byte swapping on and off: one RGBA pixel to BGRA, so the colour
// and the alpha converters are both checked. Values worked out by hand: 16 to 8 bits is v div 257,
// 8 to 16 bits v x 257; the gamma table (1 / 2.2) maps 1 -> 21, 18 -> 76, 51 -> 123, 127 -> 186,
// 128 -> 186, 254 -> 255. Alpha never passes the gamma table, nor do 16-bit targets.
TEST(ColorManager, RGBConvertersByDepthAndOptionsAndTheGammaTable)
{
    // Red, green, blue, alpha: 8 bits, and 16 bits little-endian (0x1234, 0x8001, 0xFEFF, 0x4000; swapped
    // 0x3412, 0x0180, 0xFFFE, 0x0040).
    const uint8_t in8[] = {0x12, 0x80, 0xFE, 0x40}, in16[] = {0x34, 0x12, 0x01, 0x80, 0xFF, 0xFE, 0x00, 0x40};
    using Pixel = std::array<unsigned, 4>; // red, green, blue, alpha
    // Source and target bits, gamma, the pixel without and with byte swapping.
    const std::tuple<int, int, bool, Pixel, Pixel> cases[] = {
        {8, 8, false, {0x12, 0x80, 0xFE, 0x40}, {0x12, 0x80, 0xFE, 0x40}},
        {8, 8, true, {76, 186, 255, 0x40}, {76, 186, 255, 0x40}},
        {8, 16, false, {0x1212, 0x8080, 0xFEFE, 0x4040}, {0x1212, 0x8080, 0xFEFE, 0x4040}},
        {8, 16, true, {0x4C4C, 0xBABA, 0xFFFF, 0x4040}, {0x4C4C, 0xBABA, 0xFFFF, 0x4040}},
        {16, 8, false, {18, 127, 254, 63}, {51, 1, 254, 0}},
        {16, 8, true, {76, 186, 255, 63}, {123, 21, 255, 0}},
        {16, 16, false, {0x1234, 0x8001, 0xFEFF, 0x4000}, {0x3412, 0x0180, 0xFFFE, 0x0040}},
        {16, 16, true, {0x1234, 0x8001, 0xFEFF, 0x4000}, {0x3412, 0x0180, 0xFFFE, 0x0040}},
    };
    for (const auto& [sourceBits, targetBits, gamma, plain, swapped] : cases)
        for (bool swap : {false, true}) {
            TColorManager cm = ColorManagerFor(schRGBA, schBGRA, sourceBits, targetBits);
            cm.SourceOptions = swap ? optSwapBytes : 0;
            cm.TargetOptions = gamma ? optApplyGamma : 0;
            uint8_t dst[8] = {};
            const std::span<const uint8_t> row[] = {sourceBits == 8 ? std::span<const uint8_t>(in8) : in16};
            cm.ConvertRow(row, dst, 1, 0xFF);
            for (int channel = 0; channel < 4; ++channel) {
                const int at = (channel == 3 ? 3 : 2 - channel) * targetBits / 8; // BGRA order
                const unsigned got = targetBits == 8 ? dst[at] : dst[at] | dst[at + 1] << 8;
                EXPECT_EQ(got, (swap ? swapped : plain)[channel])
                    << sourceBits << "->" << targetBits << " gamma " << gamma << " swap " << swap;
            }
        }

    // 255 x (i / 255)^(1 / 2.2) rounded, worked out by hand; a table for a low depth covers only the
    // target's range: 15 x (i / 15)^(1 / 2.2). Zeros mean the default gammas 1 and 2.2.
    const std::tuple<float, float, int, std::vector<std::pair<int, int>>> tables[] = { // gammas, bits, index -> value
        {0, 0, 8, {{0, 0}, {1, 21}, {2, 28}, {8, 53}, {16, 72}, {64, 136}, {128, 186}, {192, 224}, {255, 255}}},
        {2.2f, 1.0f, 8, {{1, 21}, {254, 255}}},
        {1.0f, 2.2f, 4, {{0, 0}, {1, 4}, {2, 6}, {7, 11}, {8, 11}, {12, 14}, {13, 14}, {14, 15}, {15, 15}}},
        {1.0f, 1.0f, 4, {{0, 0}, {1, 1}, {7, 7}, {15, 15}}},
    };
    for (const auto& [mainGamma, displayGamma, bits, points] : tables) {
        TColorManager cm = ColorManagerFor(schRGB, schRGB, bits, bits);
        cm.SetGamma(mainGamma, displayGamma);
        for (const auto& [index, value] : points) EXPECT_EQ(cm.GammaTable()[index], value) << index;
    }
}
