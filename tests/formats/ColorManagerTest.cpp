#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "formats/ColorManager.h"
#include "platform/Round.h"

namespace {
std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EColorConversionError& e) {
        return e.what();
    }
    return "";
}

const char* kIndexedError = "Conversion between indexed and non-indexed pixel formats is not supported.";
const char* kNoMethod = "Color conversion failed. Could not find a proper method.";
} // namespace

TEST(ColorManager, SetUpErrorsSayWhyAndKeepTheState)
{
    TColorManager cm;
    cm.SetSourceBitsPerSample(5); // every depth 1..16 is accepted
    for (int bad : {0, 17}) {
        EXPECT_EQ(ErrorOf([&] { cm.SetSourceBitsPerSample(bad); }),
                  "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
        EXPECT_EQ(ErrorOf([&] { cm.SetTargetBitsPerSample(bad); }),
                  "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
    }
    for (int bad : {0, 5})
        EXPECT_EQ(ErrorOf([&] { cm.SetTargetSamplesPerPixel(bad); }),
                  "Sample count per pixel does not correspond to the given color scheme.");
    EXPECT_EQ(cm.SourceBitsPerSample(), 5);
    EXPECT_EQ(cm.TargetBitsPerSample(), 8);
    EXPECT_EQ(cm.TargetSamplesPerPixel(), 3);

    EXPECT_EQ(ErrorOf([&] { cm.SetYCbCrSubsampling({0.3f}, 2, 4); }),
              "Vertical subsampling value must be <= horizontal subsampling value.");
    EXPECT_EQ(ErrorOf([&] { cm.SetYCbCrSubsampling({0.3f}, 3, 1); }),
              "Subsampling value is invalid. Allowed are 1, 2 and 4.");
    EXPECT_FLOAT_EQ(cm.YCbCrCoefficients()[0], 0.299f);
    EXPECT_EQ(cm.HSubsampling(), 1);
}

TEST(ColorManager, SchemePairs)
{
    struct Case
    {
        TColorSchemeCode source, target;
        int sourceBits, targetBits;
        const char* error; // "" = a conversion is chosen
    } cases[] = {
        {schRGB, schBGR, 8, 8, ""},
        {schBGRA, schRGBA, 16, 8, ""},
        {schGray, schGrayAlpha, 8, 8, kIndexedError},
        {schRGB, schIndexed, 8, 8, kIndexedError},
        {schIndexed, schBGR, 8, 8, kIndexedError},
        {schIndexed, schIndexed, 4, 8, ""},
        {schGray, schGray, 1, 8, ""},
        {schCMY, schBGR, 8, 8, kNoMethod},
        {schUnknown, schBGR, 8, 8, kNoMethod},
        {schRGB, schCMYK, 8, 8, kNoMethod}, // no conversion into a target that is not RGB or BGR
        {schGray, schGray, 16, 4, kNoMethod},
    };
    for (const auto& c : cases) {
        TColorManager cm;
        cm.SetSourceScheme(c.source);
        cm.SetTargetScheme(c.target);
        cm.SetSourceBitsPerSample(c.sourceBits);
        cm.SetTargetBitsPerSample(c.targetBits);
        uint8_t src[8] = {}, dst[8] = {};
        std::string error = ErrorOf([&] { cm.ConvertRow({src}, dst, 1, 0xFF); });
        EXPECT_EQ(error, c.error) << int(c.source) << " -> " << int(c.target);
        if (std::string(c.error) == kIndexedError) { // a failed preparation is retried next time
            EXPECT_TRUE(cm.Changed());
        }
    }
    // Grey with alpha to grey mixes nothing indexed: its preparation succeeds.
    TColorManager grey;
    grey.SetSourceScheme(schGrayAlpha);
    grey.SetTargetScheme(schGray);
    EXPECT_NO_THROW(grey.PrepareConversion());
    EXPECT_TRUE(grey.SourceOptions & optAlpha);
    EXPECT_FALSE(grey.TargetOptions & optAlpha);
}

// Rows through a fresh manager (RGB to BGR, 8 bits) with a few settings changed. A sample count
// follows the scheme: 1 for indexed, 4 with alpha, else 3.
TEST(ColorManager, RowConversions)
{
    using Bytes = std::vector<uint8_t>;
    const Bytes zeros(6), sevens(6, 7), spare(24, 0xEE);
    const struct
    {
        const char* what;
        TColorSchemeCode source, target;
        int sourceBits, targetBits, count;
        uint8_t mask;
        std::vector<Bytes> planes;
        Bytes before, after;
    } cases[] = {
        {"fresh", schRGB, schBGR, 8, 8, 2, 0xFF, {{1, 2, 3, 4, 5, 6}}, zeros, {3, 2, 1, 6, 5, 4}},
        {"RGBA source: alpha skipped", schRGBA, schBGR, 8, 8, 2, 0xFF, {{1, 2, 3, 99, 4, 5, 6, 99}}, zeros,
         {3, 2, 1, 6, 5, 4}},
        {"BGRA target: fourth byte kept", schRGB, schBGRA, 8, 8, 2, 0xFF, {{1, 2, 3, 4, 5, 6}},
         {0, 0, 0, 77, 0, 0, 0, 77}, {3, 2, 1, 77, 6, 5, 4, 77}},
        {"planar", schRGB, schBGR, 8, 8, 2, 0xFF, {{1, 4}, {2, 5}, {3, 6}}, zeros, {3, 2, 1, 6, 5, 4}},
        {"16 bits, div 257", schRGB, schBGR, 16, 8, 2, 0xFF, {{0x34, 0x12, 0xFF, 0xFF, 0, 1, 0, 0, 1, 1, 0xFF, 0xFE}},
         zeros, {0, 255, 18, 254, 1, 0}},
        {"12 bits: no converter, nothing written", schRGB, schBGR, 12, 8, 2, 0xFF, {Bytes(12, 1)}, sevens, sevens},
        // The interlace mask skips target pixels without using up source pixels.
        {"interlace mask", schRGB, schRGB, 8, 8, 8, 0xAA, {{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}}, spare,
         {10, 11, 12, 0xEE, 0xEE, 0xEE, 13, 14, 15, 0xEE, 0xEE, 0xEE,
          16, 17, 18, 0xEE, 0xEE, 0xEE, 19, 20, 21, 0xEE, 0xEE, 0xEE}},
        {"1-bit indices", schIndexed, schIndexed, 1, 8, 8, 0xFF, {{0x80}}, Bytes(8), {255, 0, 0, 0, 0, 0, 0, 0}},
        {"4-bit indices", schIndexed, schIndexed, 4, 8, 2, 0xFF, {{0xF7}}, Bytes(2), {255, 119}},
        {"packed into 4 bits, the spare half kept", schIndexed, schIndexed, 8, 4, 3, 0xFF, {{255, 17, 0}},
         {0, 0xAB}, {0xF1, 0x0B}},
        {"equal depths copy whole bytes", schIndexed, schIndexed, 4, 4, 3, 0xFF, {{0x12, 0x3F}}, Bytes(2),
         {0x12, 0x3F}},
    };
    const auto samples = [](TColorSchemeCode s) { return s == schIndexed ? 1 : s == schRGBA || s == schBGRA ? 4 : 3; };
    for (const auto& c : cases) {
        TColorManager cm;
        cm.SetSourceScheme(c.source);
        cm.SetTargetScheme(c.target);
        cm.SetSourceSamplesPerPixel(samples(c.source));
        cm.SetTargetSamplesPerPixel(samples(c.target));
        cm.SetSourceBitsPerSample(c.sourceBits);
        cm.SetTargetBitsPerSample(c.targetBits);
        std::vector<const uint8_t*> planes;
        for (const auto& p : c.planes) planes.push_back(p.data());
        Bytes dst = c.before;
        cm.ConvertRow(planes, dst.data(), uint32_t(c.count), c.mask);
        EXPECT_EQ(dst, c.after) << c.what;
    }
}

TEST(ColorManager, GammaTableRoundsHalfToEvenAndFitsLowDepths)
{
    TColorManager cm;
    for (int i : {0, 1, 64, 128, 255})
        EXPECT_EQ(cm.GammaTable()[i], Round(255 * std::pow(i / 255.0, double(1.0f / 2.2f)))) << i;
    TColorManager other;
    other.SetGamma(0, 0); // zeros mean the defaults
    EXPECT_EQ(std::memcmp(cm.GammaTable(), other.GammaTable(), 256), 0);

    // Low-depth target: the table covers 0..2^bits-1 and answers in that range.
    TColorManager low;
    low.SetSourceBitsPerSample(4);
    low.SetTargetBitsPerSample(4);
    low.SetGamma(1.0f, 1.0f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(low.GammaTable()[i], i);
}

TEST(ColorManager, PixelFormatFor)
{
    struct Case
    {
        int samples, bits;
        std::optional<TPixelFormat> expected;
    } cases[] = {
        {1, 1, TPixelFormat::pf1bit}, {1, 2, TPixelFormat::pf4bit}, {1, 4, TPixelFormat::pf4bit},
        {1, 6, std::nullopt},         {1, 8, TPixelFormat::pf8bit}, {1, 16, TPixelFormat::pf8bit},
        {3, 5, TPixelFormat::pf15bit}, {3, 8, TPixelFormat::pf24bit}, {4, 8, TPixelFormat::pf32bit},
        {4, 4, std::nullopt},          {2, 8, std::nullopt},
    };
    for (const auto& c : cases) {
        TColorManager cm;
        cm.SetTargetSamplesPerPixel(c.samples);
        cm.SetTargetBitsPerSample(c.bits);
        EXPECT_EQ(cm.PixelFormatFor(1), c.expected) << c.samples << " x " << c.bits;
        EXPECT_EQ(cm.PixelFormatFor(0), TPixelFormat::pf24bit);
    }
}

// Each depth pair with gamma and byte swapping on and off: one RGBA pixel to BGRA, so the colour
// and the alpha converters are both checked. Alpha never passes the gamma table.
TEST(ColorManager, RGBConvertersByDepthAndOptions)
{
    auto swap16 = [](unsigned v) { return ((v & 0xFF) << 8) | (v >> 8); };
    for (int sourceBits : {8, 16})
        for (int targetBits : {8, 16})
            for (bool gamma : {false, true})
                for (bool swap : {false, true}) {
                    TColorManager cm;
                    cm.SetSourceScheme(schRGBA);
                    cm.SetTargetScheme(schBGRA);
                    cm.SetSourceSamplesPerPixel(4);
                    cm.SetTargetSamplesPerPixel(4);
                    cm.SetSourceBitsPerSample(sourceBits);
                    cm.SetTargetBitsPerSample(targetBits);
                    cm.SourceOptions = swap ? optSwapBytes : 0;
                    cm.TargetOptions = gamma ? optApplyGamma : 0;
                    const unsigned in[4] = {0x12, 0x80, 0xFE, 0x40}; // red, green, blue, alpha (8-bit)
                    const unsigned in16[4] = {0x1234, 0x8001, 0xFEFF, 0x4000};
                    uint8_t src[8] = {}, dst[8] = {};
                    for (int c = 0; c < 4; ++c) {
                        if (sourceBits == 8) {
                            src[c] = uint8_t(in[c]);
                        } else {
                            const uint16_t w = uint16_t(in16[c]);
                            std::memcpy(src + 2 * c, &w, 2);
                        }
                    }
                    cm.ConvertRow({src}, dst, 1, 0xFF);
                    for (int c = 0; c < 4; ++c) {
                        const bool alpha = c == 3;
                        unsigned expected;
                        if (sourceBits == 8) {
                            unsigned v = gamma && !alpha ? cm.GammaTable()[in[c]] : in[c];
                            expected = targetBits == 8 ? v : (swap ? swap16(v * 257) : v * 257);
                        } else {
                            unsigned v = swap ? swap16(in16[c]) : in16[c];
                            expected = targetBits == 16 ? v : (gamma && !alpha ? cm.GammaTable()[v / 257] : v / 257);
                        }
                        const int position = alpha ? 3 : 2 - c; // BGRA order
                        unsigned got = dst[position];
                        if (targetBits == 16) {
                            uint16_t w;
                            std::memcpy(&w, dst + 2 * position, 2);
                            got = w;
                        }
                        EXPECT_EQ(got, expected) << sourceBits << "->" << targetBits << " gamma " << gamma
                                                 << " swap " << swap << " sample " << c;
                    }
                }
}
