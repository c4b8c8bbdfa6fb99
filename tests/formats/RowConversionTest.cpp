#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "TestFormats.h"
#include "formats/ColorManager.h"

namespace {
using Planes = std::vector<std::span<const uint8_t>>;
const std::string kNoMethod = "Color conversion failed. Could not find a proper method.";
constexpr uint8_t kCanary = 0xA5;
// The column masks of the seven passes of an Adam7 interlaced row, then every pixel. These read the
// same from either end, so masks that do not (and none) follow.
constexpr uint8_t kMasks[] = {0x80, 0x08, 0x88, 0x22, 0xAA, 0x55, 0xFF, 0xC1, 0x3A, 0x00};

bool HasAlpha(TColorSchemeCode s) { return s == schGrayAlpha || s == schRGBA || s == schBGRA; }
bool IsColourSpace(TColorSchemeCode s) { return s == schCMYK || s == schCIELab || s == schYCbCr || s == schPhotoYCC; }
bool IsRGBFamily(TColorSchemeCode s) { return s >= schRGB && s <= schBGRA; }

enum class TOutcome { Converts, WritesNothing, NoMethod };

bool Packed(int d) { return d == 1 || d == 2 || d == 4 || d == 8; }
bool Wide(int d) { return d == 8 || d == 16; }

// What a row of the scheme and depth pair does: indices and grey of 1, 2, 4 or 8 bits pack; 16 bits
// pair with packed depths for indices and with 8 bits for grey; everything else is 8 or 16 bits.
TOutcome OutcomeOf(TColorSchemeCode source, int s, int t)
{
    const auto converts = [](bool yes) { return yes ? TOutcome::Converts : TOutcome::WritesNothing; };
    switch (source) {
    case schIndexed:
        if (s == 16 || t == 16) return converts((s == 16 || Packed(s)) && (t == 16 || Packed(t)));
        return converts(Packed(s) && Packed(t));
    case schGray:
        if (s == 16 || t == 16) return s < 8 || t < 8 ? TOutcome::NoMethod : converts(Wide(s) && Wide(t));
        return converts(Packed(s) && Packed(t));
    case schGrayAlpha: return Wide(s) && Wide(t) ? TOutcome::Converts : TOutcome::NoMethod;
    default: return converts(Wide(s) && Wide(t));
    }
}

// Sample i of a row of samples of `depth` bits: packed from the high bits of each byte, or 16-bit
// words stored low byte first (high byte first when swapped).
unsigned ReadSample(std::span<const uint8_t> row, uint64_t i, int depth, bool swapped)
{
    if (depth == 16) {
        const unsigned low = row[2 * i], high = row[2 * i + 1];
        return swapped ? low << 8 | high : high << 8 | low;
    }
    const uint64_t bit = i * depth;
    return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
}

void WriteSample(Bytes& row, uint64_t i, int depth, unsigned v)
{
    if (depth == 16) {
        row[2 * i] = uint8_t(v);
        row[2 * i + 1] = uint8_t(v >> 8);
        return;
    }
    const uint64_t bit = i * depth;
    const unsigned shift = 8 - depth - unsigned(bit % 8), field = (1u << depth) - 1;
    row[bit / 8] = uint8_t((row[bit / 8] & ~(field << shift)) | (v << shift));
}

unsigned Swapped(unsigned w) { return (w >> 8 | w << 8) & 0xFFFF; }

// A value of one depth at another: v x (2^to - 1) / (2^from - 1), truncated.
unsigned Rescale(unsigned v, int from, int to) { return unsigned(uint64_t(v) * ((1u << to) - 1) / ((1u << from) - 1)); }

uint64_t BytesOf(uint64_t pixels, int samples, int depth) { return (pixels * samples * depth + 7) / 8; }

struct TRowCase
{
    TColorSchemeCode Source, Target;
    int S, T;
    bool Swap, Gamma;
    uint8_t Mask;
    uint32_t Count;
};

// The row the case should leave in `target` (converted pixels written, the rest as they were) and,
// for the colour-space schemes whose values are checked elsewhere, which bytes hold converted colours
// (not compared here).
void ExpectedRow(const TRowCase& c, const uint8_t* gamma, std::span<const uint8_t> source, Bytes& target,
                 std::vector<bool>& unchecked)
{
    const int inSamples = SamplesOf(c.Source), outSamples = SamplesOf(c.Target);
    const auto colour = [&](unsigned v) { // RGB-family colour sample
        if (c.S == 8 && c.T == 16) return c.Swap ? Swapped((c.Gamma ? gamma[v] : v) * 257) : (c.Gamma ? gamma[v] : v) * 257;
        if (c.S == 16 && c.T == 8) return c.Gamma ? unsigned(gamma[v / 257]) : v / 257;
        return c.S == 8 && c.Gamma ? gamma[v] : v;
    };
    const auto alpha = [&](unsigned v) {
        if (c.S == 8 && c.T == 16) return c.Swap ? Swapped(v * 257) : v * 257;
        return c.S == 16 && c.T == 8 ? v / 257 : v;
    };
    if ((c.Source == schIndexed || c.Source == schGray) && c.S == c.T && c.S <= 8 && c.Mask == 0xFF) {
        // Whole bytes are copied, the spare bits of the last one included.
        std::copy(source.begin(), source.begin() + ptrdiff_t(BytesOf(c.Count, 1, c.S)), target.begin());
        return;
    }
    uint64_t k = 0; // source pixels used
    for (uint32_t i = 0; i < c.Count; ++i) {
        if (!(c.Mask & (0x80 >> (i % 8)))) continue;
        if (c.Source == schIndexed || c.Source == schGray || c.Source == schGrayAlpha) {
            const bool swapIn = c.Swap && c.S == 16;
            unsigned v = Rescale(ReadSample(source, k * inSamples, c.S, swapIn), c.S, c.T);
            if (c.Source == schIndexed && c.Swap && c.T == 16 && c.S != 16) v = Swapped(v);
            WriteSample(target, i, c.T, v);
        } else if (IsRGBFamily(c.Source)) {
            const bool bgrIn = c.Source == schBGR || c.Source == schBGRA;
            const bool bgrOut = c.Target == schBGR || c.Target == schBGRA;
            for (int ch = 0; ch < 3; ++ch) { // red, green, blue
                const unsigned v = ReadSample(source, k * inSamples + (bgrIn ? 2 - ch : ch), c.S, c.Swap);
                WriteSample(target, uint64_t(i) * outSamples + (bgrOut ? 2 - ch : ch), c.T, colour(v));
            }
            if (HasAlpha(c.Source) && HasAlpha(c.Target))
                WriteSample(target, uint64_t(i) * outSamples + 3, c.T,
                            alpha(ReadSample(source, k * inSamples + 3, c.S, c.Swap)));
        } else {
            for (int ch = 0; ch < 3; ++ch)
                for (int b = 0; b < c.T / 8; ++b) unchecked[(size_t(i) * outSamples + ch) * (c.T / 8) + b] = true;
        }
        ++k;
    }
}

uint64_t ConvertedOf(uint32_t count, uint8_t mask)
{
    uint64_t n = 0;
    for (uint32_t i = 0; i < count; ++i) n += (mask >> (7 - i % 8)) & 1;
    return n;
}

// The same source split into one plane per sample (8 or 16 bits each).
std::vector<Bytes> PlanesOf(const Bytes& interleaved, int samples, int depth)
{
    const size_t width = size_t(depth / 8), pixels = interleaved.size() / (samples * width);
    std::vector<Bytes> planes(size_t(samples), Bytes(pixels * width));
    for (size_t p = 0; p < pixels; ++p)
        for (int s = 0; s < samples; ++s)
            for (size_t b = 0; b < width; ++b)
                planes[size_t(s)][p * width + b] = interleaved[(p * samples + size_t(s)) * width + b];
    return planes;
}

// Converts one row of the case from random samples into a random target followed by canary bytes and
// checks it; false when the case converts nothing.
bool CheckRow(const TRowCase& c, std::mt19937& random)
{
    const std::string what = std::to_string(c.Source) + "->" + std::to_string(c.Target) + " " +
                             std::to_string(c.S) + "->" + std::to_string(c.T) + " swap " + std::to_string(c.Swap) +
                             " gamma " + std::to_string(c.Gamma) + " mask " + std::to_string(c.Mask) + " count " +
                             std::to_string(c.Count);
    TColorManager cm = ColorManagerFor(c.Source, c.Target, c.S, c.T);
    cm.SourceOptions = c.Swap ? optSwapBytes : 0;
    cm.TargetOptions = c.Gamma ? optApplyGamma : 0;
    const uint64_t pixels = ConvertedOf(c.Count, c.Mask);
    Bytes source(BytesOf(pixels, SamplesOf(c.Source), c.S));
    for (auto& b : source) b = uint8_t(random());
    const size_t targetBytes = BytesOf(c.Count, SamplesOf(c.Target), c.T);
    Bytes before(targetBytes + 8, kCanary);
    for (size_t i = 0; i < targetBytes; ++i) before[i] = uint8_t(random());
    const auto run = [&](const Planes& planes, size_t targetSize, Bytes& target) {
        return ErrorOf<EColorConversionError>(
            [&] { cm.ConvertRow(planes, std::span<uint8_t>(target.data(), targetSize), c.Count, c.Mask); });
    };

    Bytes got = before;
    const std::string error = run({source}, targetBytes, got);
    const TOutcome outcome = OutcomeOf(c.Source, c.S, c.T);
    EXPECT_EQ(error, outcome == TOutcome::NoMethod ? kNoMethod : "") << what;
    if (outcome != TOutcome::Converts) {
        EXPECT_EQ(got, before) << what;
        return false;
    }
    Bytes expected = before;
    std::vector<bool> unchecked(expected.size());
    ExpectedRow(c, cm.GammaTable(), source, expected, unchecked);
    for (size_t i = 0; i < got.size(); ++i)
        if (!unchecked[i] && got[i] != expected[i]) {
            ADD_FAILURE() << what << " byte " << i << ": " << int(got[i]) << ", not " << int(expected[i]);
            break;
        }

    // A byte short anywhere: refused before the row is touched.
    Bytes untouched = before;
    if (pixels > 0) {
        EXPECT_NE(run({std::span(source).first(source.size() - 1)}, targetBytes, untouched), "") << what;
    }
    EXPECT_NE(run({source}, targetBytes - 1, untouched), "") << what;

    // The same samples in planes give the same row; a short plane is refused when the row reads it
    // (an alpha plane without a target alpha is not read).
    if (IsColourSpace(c.Source) || IsRGBFamily(c.Source)) {
        const std::vector<Bytes> split = PlanesOf(source, SamplesOf(c.Source), c.S);
        Bytes fromPlanes = before;
        EXPECT_EQ(run(Planes(split.begin(), split.end()), targetBytes, fromPlanes), "") << what;
        EXPECT_EQ(fromPlanes, got) << what << " planar";
        Planes shortPlane(split.begin(), split.end());
        const bool alphaUnread = HasAlpha(c.Source) && !HasAlpha(c.Target);
        if (pixels > 0 && !alphaUnread) {
            shortPlane.back() = shortPlane.back().first(shortPlane.back().size() - 1);
            EXPECT_NE(run(shortPlane, targetBytes, untouched), "") << what;
        }
    }
    EXPECT_EQ(untouched, before) << what;
    return true;
}
} // namespace

// Every scheme pair over every depth pair 1..16, with byte swapping and gamma on and off, under the
// Adam7 column masks, a full row and others: buffers exactly as large as the row needs, followed by
// canary bytes. Pixels the mask skips keep their contents; one byte less in a source plane or the
// target is refused with the target untouched; a depth pair without a conversion writes nothing.
TEST(RowConversion, SchemesDepthsOptionsAndMasksOnExactBuffers)
{
    const std::pair<TColorSchemeCode, TColorSchemeCode> schemes[] = {
        {schIndexed, schIndexed}, {schGray, schGray},   {schGrayAlpha, schGray}, {schRGB, schBGR},
        {schRGB, schRGB},         {schRGBA, schBGRA},   {schRGB, schRGBA},       {schBGRA, schRGB},
        {schBGR, schBGRA},        {schCMYK, schBGR},    {schCMYK, schRGBA},      {schCIELab, schRGB},
        {schCIELab, schBGRA},     {schYCbCr, schBGR},   {schYCbCr, schRGBA},     {schPhotoYCC, schBGRA},
        {schPhotoYCC, schRGB},
    };
    std::mt19937 random(21);
    int converted = 0;
    for (const auto& [source, target] : schemes)
        for (int s = 1; s <= 16; ++s)
            for (int t = 1; t <= 16; ++t)
                for (int options = 0; options < (OutcomeOf(source, s, t) == TOutcome::Converts ? 4 : 1); ++options)
                    for (uint8_t mask : kMasks)
                        for (uint32_t count : {1u, 13u})
                            converted += CheckRow({source, target, s, t, bool(options & 1), bool(options & 2), mask,
                                                   count}, random);
    EXPECT_GT(converted, 5000);
}

// Hand-worked rows of the packed and 16-bit index conversions.
TEST(RowConversion, IndexedRowsOfSixteenBits)
{
    // Source and target bits, swap, count, mask, source, target before and after.
    const std::tuple<const char*, int, int, bool, uint32_t, uint8_t, Bytes, Bytes, Bytes> cases[] = {
        // Words 0xFFFF, 0x0000, 0x8000, 0x4444, 0x1111 to 4 bits: 15, 0, 7, 4, 1; the third byte
        // keeps its low half.
        {"16 to 4 bits, five pixels", 16, 4, false, 5, 0xFF, {0xFF, 0xFF, 0, 0, 0, 0x80, 0x44, 0x44, 0x11, 0x11},
         {0, 0, 0x0C}, {0xF0, 0x74, 0x1C}},
        {"16 to 1 bit, swapped bytes", 16, 1, true, 3, 0xFF, {0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF}, {0x1F}, {0x3F}},
        {"2 to 16 bits", 2, 16, false, 3, 0xFF, {0b11'01'10'00}, Bytes(6), {0xFF, 0xFF, 0x55, 0x55, 0xAA, 0xAA}},
        {"1 to 16 bits, swapped, every other pixel", 1, 16, true, 4, 0xAA, {0b10'00'00'00}, Bytes(8, 7),
         {0xFF, 0xFF, 7, 7, 0, 0, 7, 7}},
        {"16 to 16, swapped", 16, 16, true, 2, 0xFF, {0x12, 0x34, 0x56, 0x78}, Bytes(4), {0x34, 0x12, 0x78, 0x56}},
        {"16 to 16, copied under a mask", 16, 16, false, 3, 0x55, {0x12, 0x34}, Bytes(6, 9), {9, 9, 0x12, 0x34, 9, 9}},
        {"equal depths copy the spare bits of the last byte", 2, 2, false, 5, 0xFF, {0xE4, 0x1B}, Bytes(2),
         {0xE4, 0x1B}},
    };
    for (const auto& [what, s, t, swap, count, mask, source, before, after] : cases) {
        TColorManager cm = ColorManagerFor(schIndexed, schIndexed, s, t);
        cm.SourceOptions = swap ? optSwapBytes : 0;
        Bytes target = before;
        cm.ConvertRow({source}, target, count, mask);
        EXPECT_EQ(target, after) << what;
    }

    // Grey of 16 bits with alpha reads every second word.
    TColorManager grey = ColorManagerFor(schGrayAlpha, schGray, 16, 8);
    const Bytes greyAlpha = {0x00, 0x80, 0xFF, 0xFF, 0xFF, 0x10, 0x00, 0x00};
    Bytes target(2);
    grey.ConvertRow({greyAlpha}, target, 2, 0xFF);
    EXPECT_EQ(target, Bytes({127, 16}));
}

// CMYK and YCbCr samples converted to RGB by Pillow (fixtures/conversions/make_conversions.py): every
// result within one level, for 8-bit data and for the same data widened to 16 bits, into 8- and
// 16-bit targets, interleaved and planar.
TEST(RowConversion, CMYKAndYCbCrMatchAnIndependentConverter)
{
    const std::pair<const char*, TColorSchemeCode> fixtures[] = {{"cmyk_rgb.bin", schCMYK}, {"ycbcr_rgb.bin", schYCbCr}};
    for (const auto& [name, scheme] : fixtures) {
        std::ifstream file(std::string(QM_FIXTURES_DIR) + "/conversions/" + name, std::ios::binary);
        const Bytes data((std::istreambuf_iterator<char>(file)), {});
        const size_t samples = size_t(SamplesOf(scheme)), pixels = data.size() / (samples + 3);
        ASSERT_GT(pixels, 1000u) << name;
        const Bytes in8(data.begin(), data.begin() + ptrdiff_t(pixels * samples));
        const Bytes reference(data.begin() + ptrdiff_t(pixels * samples), data.end());
        // Widened to 16 bits: v x 257; for 16-bit YCbCr into 16 bits, whose chroma is centred on 32768,
        // chroma v x 257 - 128, so that (c - 32768) is 257 (v - 128).
        Bytes in16(in8.size() * 2), centred16(in8.size() * 2);
        for (size_t i = 0; i < in8.size(); ++i) {
            in16[2 * i] = in16[2 * i + 1] = in8[i];
            const unsigned centred = i % 3 == 0 || in8[i] == 0 ? in8[i] * 257u : in8[i] * 257u - 128;
            centred16[2 * i] = uint8_t(centred);
            centred16[2 * i + 1] = uint8_t(centred >> 8);
        }
        for (int s : {8, 16})
            for (int t : {8, 16})
                for (bool planar : {false, true}) {
                    TColorManager cm = ColorManagerFor(scheme, schRGB, s, t);
                    const Bytes& in = s == 8 ? in8 : scheme == schYCbCr && t == 16 ? centred16 : in16;
                    const std::vector<Bytes> split = PlanesOf(in, int(samples), s);
                    Bytes out(pixels * 3 * size_t(t / 8));
                    if (planar)
                        cm.ConvertRow(Planes(split.begin(), split.end()), out, uint32_t(pixels), 0xFF);
                    else
                        cm.ConvertRow({in}, out, uint32_t(pixels), 0xFF);
                    int worst = 0;
                    for (size_t i = 0; i < pixels * 3; ++i) {
                        const int value = t == 8 ? out[i] : (out[2 * i] | out[2 * i + 1] << 8) / 257;
                        worst = std::max(worst, std::abs(value - int(reference[i])));
                    }
                    EXPECT_LE(worst, 1) << name << " " << s << "->" << t << (planar ? " planar" : "");
                }
    }
}

// Hand-worked pixels of CMYK, CIE L*a*b*, YCbCr and PhotoYCC (results to BGR bytes or words).
TEST(RowConversion, ColourSpacePixels)
{
    using Words = std::vector<unsigned>;
    const auto bytes = [](const Words& words, int bits) {
        Bytes b;
        for (unsigned w : words) {
            b.push_back(uint8_t(w));
            if (bits == 16) b.push_back(uint8_t(w >> 8));
        }
        return b;
    };
    // What, scheme, bits in and out, source options, samples, blue, green, red.
    const std::tuple<const char*, TColorSchemeCode, int, int, TConversionOptions, Words, Words> cases[] = {
        {"CMYK: full black", schCMYK, 8, 8, 0, {10, 200, 90, 255}, {0, 0, 0}},
        {"CMYK: no ink", schCMYK, 8, 8, 0, {0, 0, 0, 0}, {255, 255, 255}},
        // 255 - (C - C x K / 255 + K), truncated: 100 -> 136, 50 -> 180, 220 -> 30
        {"CMYK", schCMYK, 8, 8, 0, {100, 50, 220, 30}, {30, 180, 136}},
        {"CMYK 16 bits", schCMYK, 16, 16, 0, {0, 65535, 32768, 0}, {32767, 0, 65535}},
        // Words stored high byte first: 0x0080 in memory is 0x8000 (32768).
        {"CMYK 16 bits swapped", schCMYK, 16, 16, optSwapBytes, {0, 65535, 0x0080, 0}, {32767, 0, 65535}},
        // X = Y = Z = 1
        {"L*a*b* white", schCIELab, 8, 8, 0, {100, 0, 0}, {255, 255, 255}},
        // Below a lightness of 8 the linear branch gives 1.41 (the cube branch 1.51).
        {"L*a*b* dark, linear branch", schCIELab, 8, 8, 0, {5, 0, 0}, {1, 1, 1}},
        {"L*a*b* dark with chroma", schCIELab, 8, 8, 0, {5, 40, uint8_t(-40)}, {9, 0, 6}},
        {"L*a*b* chroma", schCIELab, 8, 8, 0, {50, 20, uint8_t(-30)}, {101, 40, 53}},
        {"L*a*b* chroma around 128", schCIELab, 8, 8, optLabChromaOffset, {50, 148, 98}, {101, 40, 53}},
        {"L*a*b* lightness 0..255", schCIELab, 8, 8, optLabByteRange, {128, 0, 0}, {47, 47, 47}},
        {"L*a*b* lightness 255 of 255", schCIELab, 8, 8, optLabByteRange, {255, 0, 0}, {255, 255, 255}},
        {"L*a*b* beyond the gamut", schCIELab, 8, 8, 0, {60, uint8_t(-128), 127}, {0, 120, 0}},
        {"L*a*b* to 16 bits", schCIELab, 8, 16, 0, {100, 0, 0}, {65535, 65535, 65535}},
        {"L*a*b* 16 bits", schCIELab, 16, 8, 0, {65535, 20 * 256, 65536 - 30 * 256}, {255, 233, 255}},
        {"L*a*b* 16 bits around 32768", schCIELab, 16, 8, optLabChromaOffset, {65535, 32768, 32768},
         {255, 255, 255}},
        {"L*a*b* 16 bits swapped", schCIELab, 16, 8, optSwapBytes, {65535, 0x0014, 0x00E2}, {255, 233, 255}},
        {"YCbCr grey", schYCbCr, 8, 8, 0, {77, 128, 128}, {77, 77, 77}},
        {"PhotoYCC grey", schPhotoYCC, 8, 8, 0, {77, 156, 137}, {77, 77, 77}},
        // Y + 1.402 (Cr - 32768), Y - 0.71414 (Cr - 32768) - 0.34414 (Cb - 32768), Y + 1.772 (Cb - 32768)
        {"YCbCr 16 bits", schYCbCr, 16, 16, 0, {30000, 50000, 20000}, {60535, 33188, 12099}},
        {"YCbCr 16 bits, clamped", schYCbCr, 16, 16, 0, {65535, 0, 65535}, {7470, 53412, 65535}},
        {"YCbCr 16 bits swapped", schYCbCr, 16, 16, optSwapBytes, {0x3075, 0x50C3, 0x204E},
         {60535, 33188, 12099}},
        {"PhotoYCC 16 bits", schPhotoYCC, 16, 16, 0, {20000, 30000, 40000}, {4785, 27068, 35895}},
        // 1.3584 x 65535 is beyond the range: clamped, not wrapped to 23487.
        {"PhotoYCC 16 bits, clamped", schPhotoYCC, 16, 16, 0, {65535, 40092, 35209}, {65535, 65535, 65535}},
    };
    for (const auto& [what, scheme, s, t, options, in, bgr] : cases) {
        TColorManager cm = ColorManagerFor(scheme, schBGRA, s, t);
        cm.SourceOptions = options;
        Bytes target(size_t(4 * t / 8), 0x77);
        const Bytes source = bytes(in, s);
        cm.ConvertRow({source}, target, 1, 0xFF);
        Words expected = bgr;
        expected.push_back(t == 8 ? 0x77 : 0x7777); // alpha kept
        EXPECT_EQ(target, bytes(expected, t)) << what;
    }
}

// Faulty set-ups stay finite: gammas and luma weights that are not positive finite numbers, or so
// extreme that the exponent or the tables overflow.
TEST(RowConversion, ExtremeGammasAndLumaWeights)
{
    constexpr float nan = std::numeric_limits<float>::quiet_NaN(), huge = std::numeric_limits<float>::max();
    // Gammas, then the table at 0, 1, 128, 254, 255.
    const std::tuple<float, float, std::array<int, 5>> gammas[] = {
        {nan, nan, {0, 21, 186, 255, 255}},    // the defaults 1.0 and 2.2
        {1e-30f, 1e-30f, {0, 0, 0, 0, 255}},   // exponent infinite
        {huge, huge, {0, 255, 255, 255, 255}}, // exponent 0
        {-1, 1, {0, 1, 128, 254, 255}},        // 1.0 and 1.0
    };
    for (const auto& [mainGamma, displayGamma, table] : gammas) {
        TColorManager cm;
        cm.SetGamma(mainGamma, displayGamma);
        const int at[] = {0, 1, 128, 254, 255};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(cm.GammaTable()[at[i]], table[size_t(i)]) << mainGamma << " " << at[i];
    }

    // Weights that are not positive finite numbers take their defaults.
    TColorManager cm = ColorManagerFor(schYCbCr, schRGB, 8, 8);
    cm.SetYCbCrSubsampling({nan, 0, -1}, 1, 1);
    EXPECT_EQ(std::tuple(cm.YCbCrCoefficients()[0], cm.YCbCrCoefficients()[1], cm.YCbCrCoefficients()[2]),
              std::tuple(0.299f, 0.587f, 0.114f));
    const Bytes pixel = {200, 50, 220};
    Bytes target(3);
    cm.ConvertRow({pixel}, target, 1, 0xFF);
    // 200 + round(1.402 x 92) -> 255; 200 - round(0.71414 x 92) + round(0.34414 x 78) = 161;
    // 200 - round(1.772 x 78) = 62
    EXPECT_EQ(target, Bytes({255, 161, 62}));
    // New weights reach the tables at the next preparation: red is 100 + 1.402 x 72 = 201 until
    // then, 100 + 1.0 x 72 after.
    TColorManager weights = ColorManagerFor(schYCbCr, schRGB, 8, 8);
    const Bytes reddish = {100, 128, 200};
    Bytes rgb(3);
    weights.ConvertRow({reddish}, rgb, 1, 0xFF);
    EXPECT_EQ(rgb[0], 201);
    weights.SetYCbCrSubsampling({0.5f, 0.25f, 0.25f}, 2, 1);
    weights.ConvertRow({reddish}, rgb, 1, 0xFF);
    EXPECT_EQ(rgb[0], 201);
    weights.PrepareConversion();
    weights.ConvertRow({reddish}, rgb, 1, 0xFF);
    EXPECT_EQ(rgb[0], 172);

    // Weights whose tables saturate (and whose green factors are infinite): the sums saturate too,
    // and a pixel without chroma stays grey.
    for (int bits : {8, 16}) {
        TColorManager extreme = ColorManagerFor(schYCbCr, schRGB, bits, 8);
        extreme.SetYCbCrSubsampling({1e30f, 1e-30f, 1e30f}, 1, 1);
        Bytes row;
        for (uint8_t v : {200, 128, 128, 10, 0, 255, 90, 255, 0, 250, 1, 254})
            for (int b = 0; b < bits / 8; ++b) row.push_back(v);
        Bytes out(12);
        extreme.ConvertRow({row}, out, 4, 0xFF);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + 3), Bytes({200, 200, 200})) << bits;
    }
}

// The grey ramps and the palettes of raw palette data.
TEST(RowConversion, Palettes)
{
    const auto grey = [](uint8_t v) { return TRGBQuad{v, v, v, 0}; };
    // Target bits and samples, minimum white, gamma, then the entries (all when few, else a sample).
    const std::tuple<int, int, bool, bool, size_t, std::vector<std::pair<size_t, uint8_t>>> ramps[] = {
        {1, 1, false, false, 2, {{0, 0}, {1, 255}}},
        {1, 1, true, false, 2, {{0, 255}, {1, 0}}},
        {2, 1, false, false, 4, {{0, 0}, {1, 85}, {2, 170}, {3, 255}}},
        {1, 4, false, false, 16, {{1, 17}, {15, 255}}},
        {8, 1, false, true, 256, {{0, 0}, {1, 21}, {128, 186}, {255, 255}}},
        {8, 1, true, false, 256, {{0, 255}, {255, 0}, {128, 127}}},
        {16, 1, false, false, 256, {{200, 200}}},
    };
    for (const auto& [bits, samples, minimumIsWhite, gamma, size, entries] : ramps) {
        TColorManager cm;
        cm.SetTargetBitsPerSample(bits);
        cm.SetTargetSamplesPerPixel(samples);
        cm.TargetOptions = gamma ? optApplyGamma : 0;
        const std::vector<TRGBQuad> palette = cm.CreateGrayPalette(minimumIsWhite);
        ASSERT_EQ(palette.size(), size) << bits << " x " << samples;
        for (const auto& [index, value] : entries) EXPECT_EQ(palette[index], grey(value)) << bits << " " << index;
    }

    const auto rgb = [](uint8_t r, uint8_t g, uint8_t b) { return TRGBQuad{b, g, r, 0}; };
    const Bytes triple8 = {10, 20, 30, 40, 50, 60}, quad8 = {10, 20, 30, 99, 40, 50, 60, 99};
    // Words 0x0A0A, 0x1414, 0x1E1E (10, 20, 30 x 257) and, swapped, 0x0A00, 0x1400, 0x1E00.
    const Bytes triple16 = {10, 10, 20, 20, 30, 30}, swapped16 = {10, 0, 20, 0, 30, 0}, quad16 = {10, 10, 20, 20, 30, 30, 9, 9};
    const Bytes red = {10, 40}, green = {20, 50}, blue = {30, 60};
    const Bytes red16 = {10, 10}, green16 = {20, 20}, blue16 = {30, 30};
    // What, layout, data, count, order flag, swap, gamma, source and target bits, entries.
    const std::tuple<const char*, TRawPaletteLayout, std::vector<Bytes>, uint32_t, bool, bool, bool, int, int,
                     std::vector<TRGBQuad>>
        palettes[] = {
            {"bytes red first", rplInterleaved8Triple, {triple8}, 2, false, false, false, 8, 8,
             {rgb(10, 20, 30), rgb(40, 50, 60)}},
            {"bytes blue first", rplInterleaved8Triple, {triple8}, 2, true, false, false, 8, 8,
             {rgb(30, 20, 10), rgb(60, 50, 40)}},
            {"quads", rplInterleaved8Quad, {quad8}, 2, false, false, false, 8, 8, {rgb(10, 20, 30), rgb(40, 50, 60)}},
            {"planes", rplPlanar8Triple, {red, green, blue}, 2, false, false, false, 8, 8,
             {rgb(10, 20, 30), rgb(40, 50, 60)}},
            {"bytes through the gamma table", rplInterleaved8Triple, {{1, 128, 255}}, 1, false, false, true, 8, 8,
             {rgb(21, 186, 255)}},
            {"words red first", rplInterleaved16Triple, {triple16}, 1, true, false, false, 8, 8, {rgb(10, 20, 30)}},
            {"words blue first", rplInterleaved16Triple, {triple16}, 1, false, false, false, 8, 8, {rgb(30, 20, 10)}},
            {"swapped words", rplInterleaved16Triple, {swapped16}, 1, true, true, false, 8, 8, {rgb(9, 19, 29)}},
            {"word quads", rplInterleaved16Quad, {quad16}, 1, true, false, false, 8, 8, {rgb(10, 20, 30)}},
            {"word planes", rplPlanar16Quad, {red16, green16, blue16}, 1, false, false, false, 8, 8, {rgb(10, 20, 30)}},
            {"unknown layout", TRawPaletteLayout(8), {triple8}, 2, false, false, false, 8, 8, {rgb(0, 0, 0), rgb(0, 0, 0)}},
            // Entries beyond the data stay black: nothing past the data is read.
            {"short data", rplInterleaved8Triple, {{10, 20, 30, 40, 50}}, 3, false, false, false, 8, 8,
             {rgb(10, 20, 30), rgb(0, 0, 0), rgb(0, 0, 0)}},
            {"short plane", rplPlanar8Triple, {red, green, {30}}, 2, false, false, false, 8, 8,
             {rgb(10, 20, 30), rgb(0, 0, 0)}},
            {"two planes", rplPlanar8Triple, {red, green}, 1, false, false, false, 8, 8, {rgb(0, 0, 0)}},
            // 2 bits for a 4-bit bitmap: entries 0..4 copy entry 0, 5..9 entry 1, 10..14 entry 2, 15 entry 3.
            {"2 bits grown to 4", rplInterleaved8Triple, {{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}}, 4, false, false,
             false, 2, 4,
             {rgb(1, 1, 1), rgb(1, 1, 1), rgb(1, 1, 1), rgb(1, 1, 1), rgb(1, 1, 1), rgb(2, 2, 2), rgb(2, 2, 2),
              rgb(2, 2, 2), rgb(2, 2, 2), rgb(2, 2, 2), rgb(3, 3, 3), rgb(3, 3, 3), rgb(3, 3, 3), rgb(3, 3, 3),
              rgb(3, 3, 3), rgb(4, 4, 4)}},
            // 4 bits shrunk to 1: entry 0 and entry 15.
            {"4 bits shrunk to 1", rplInterleaved8Triple, {Bytes(48, 5)}, 16, false, false, false, 4, 1,
             {rgb(5, 5, 5), rgb(5, 5, 5)}},
            // A 16-bit source has no entries to scale to: the palette stays as the data gives it.
            {"16-bit source, 4-bit target", rplInterleaved8Triple, {triple8}, 2, false, false, false, 16, 4,
             {rgb(10, 20, 30), rgb(40, 50, 60)}},
        };
    for (const auto& [what, layout, data, count, orderFlag, swap, gamma, s, t, expected] : palettes) {
        TColorManager cm;
        cm.SetSourceBitsPerSample(s);
        cm.SetTargetBitsPerSample(t);
        cm.SourceOptions = swap ? optSwapBytes : 0;
        cm.TargetOptions = gamma ? optApplyGamma : 0;
        // Each plane in a buffer of its own size, so a read past it is caught by the sanitizers.
        const Planes planes(data.begin(), data.end());
        EXPECT_EQ(cm.CreateColorPalette(planes, layout, count, orderFlag), expected) << what;
    }
    TColorManager cm;
    EXPECT_EQ(cm.CreateColorPalette({Bytes(900, 1)}, rplInterleaved8Triple, 300, false).size(), 256u);
}
