// TIFF and EPS files built here entry by entry: the directory rules, the colour layouts the loader
// takes or refuses, strips without byte counts, the predictor, and the JPEG strip checks on a fixture
// whose tags are patched.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "PictureFixtures.h"
#include "TestFormats.h"
#include "formats/FormatErrors.h"
#include "formats/TiffGraphic.h"
#include "formats/TiffJpegDecoder.h"

namespace {
// A one-image TIFF: entries (tag -> type, values) and strips stored after them in order; tags 273
// and 279 are filled in from the strips unless given (or left out).
struct TTiffRecipe
{
    bool Big = false;
    std::map<uint16_t, std::pair<uint16_t, std::vector<uint32_t>>> Entries;
    std::vector<Bytes> Strips;
    bool ByteCounts = true;
    bool Offsets = true;

    void Put(Bytes& b, uint32_t v, int n) const
    {
        for (int i = 0; i < n; ++i) b.push_back(uint8_t(Big ? v >> (8 * (n - 1 - i)) : v >> (8 * i)));
    }
    Bytes Build() const
    {
        auto entries = Entries;
        std::vector<uint32_t> counts;
        for (const Bytes& s : Strips) counts.push_back(uint32_t(s.size()));
        if (Offsets && !entries.count(273)) entries[273] = {4, std::vector<uint32_t>(Strips.size(), 0)};
        if (ByteCounts && !entries.count(279)) entries[279] = {4, counts};
        const uint32_t dirSize = 2 + 12 * uint32_t(entries.size()) + 4;
        // Values longer than 4 bytes, then the strips.
        Bytes values;
        std::map<uint16_t, uint32_t> valueAt;
        auto size = [](uint16_t type) { return type == 3 ? 2 : type == 4 ? 4 : type == 5 ? 8 : 1; };
        for (int pass = 0; pass < 2; ++pass) {
            values.clear();
            uint32_t stripAt = 8 + dirSize;
            for (const auto& [tag, e] : entries)
                if (e.second.size() * size(e.first) > 4) stripAt += uint32_t(e.second.size() * size(e.first));
            for (auto& [tag, e] : entries) {
                if (tag == 273 && !Entries.count(273))
                    for (size_t i = 0; i < Strips.size(); ++i) {
                        e.second[i] = stripAt;
                        stripAt += uint32_t(Strips[i].size());
                    }
                if (e.second.size() * size(e.first) <= 4) continue;
                valueAt[tag] = 8 + dirSize + uint32_t(values.size());
                for (uint32_t v : e.second) {
                    Put(values, v, size(e.first) == 8 ? 4 : size(e.first));
                    if (e.first == 5) Put(values, 1, 4); // rationals: the value over 1
                }
            }
        }
        Bytes f = Big ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
        Put(f, 42, 2);
        Put(f, 8, 4);
        Put(f, uint32_t(entries.size()), 2);
        for (const auto& [tag, e] : entries) {
            Put(f, tag, 2);
            Put(f, e.first, 2);
            Put(f, uint32_t(e.second.size()), 4);
            Bytes field;
            if (valueAt.count(tag)) Put(field, valueAt[tag], 4);
            else
                for (uint32_t v : e.second) Put(field, v, size(e.first));
            field.resize(4, 0);
            f.insert(f.end(), field.begin(), field.end());
        }
        Put(f, 0, 4);
        f.insert(f.end(), values.begin(), values.end());
        for (const Bytes& s : Strips) f.insert(f.end(), s.begin(), s.end());
        return f;
    }
};

// An uncompressed picture of the given layout, rows per strip as given (0: no tag).
TTiffRecipe Plain(uint32_t width, uint32_t height, uint32_t photometric, std::vector<uint32_t> bits,
                  std::vector<Bytes> strips, uint32_t rowsPerStrip = 0)
{
    TTiffRecipe r;
    r.Entries[256] = {3, {width}};
    r.Entries[257] = {3, {height}};
    r.Entries[258] = {3, bits};
    r.Entries[259] = {3, {1}};
    r.Entries[262] = {3, {photometric}};
    r.Entries[277] = {3, {uint32_t(bits.size())}};
    if (rowsPerStrip) r.Entries[278] = {4, {rowsPerStrip}};
    r.Strips = std::move(strips);
    return r;
}

struct TLoaded
{
    std::unique_ptr<TTIFFGraphic> Graphic;
    std::string Error;
};

TLoaded Load(const Bytes& file, bool eps = false)
{
    TLoaded out;
    out.Graphic = eps ? std::make_unique<TEPSGraphic>() : std::make_unique<TTIFFGraphic>();
    out.Error = ErrorOf<std::exception>([&] {
        TMemoryStream s(file);
        out.Graphic->LoadFromStream(s);
    });
    return out;
}

std::vector<uint8_t> Row(const TBitmap& bmp, int y, size_t bytes)
{
    return std::vector<uint8_t>(bmp.ScanLine(y), bmp.ScanLine(y) + bytes);
}

const std::string kColorFormat = "Invalid color format in TIF/TIFF file.";
const std::string kNotSupported = "Cannot load image. The compression scheme is not supported for TIF/TIFF files.";
const std::string kSubsampling22 =
    "Cannot load image. YCbCr subsampling 2x2 is not supported for TIF/TIFF files.";
const std::string kNoStrips = "Cannot load image. Strip offsets in TIF/TIFF file are missing.";
} // namespace

TEST(TiffGraphic, DirectoryValuesAndDefaults)
{
    // Big-endian, YCbCr subsampling (2, 1) as two SHORTs inside the entry, centimetres, no tag 278.
    TTiffRecipe r = Plain(2, 3, 6, {8, 8, 8}, {Bytes(18, 128)});
    r.Big = true;
    r.Entries[530] = {3, {2, 1}};
    r.Entries[296] = {3, {3}};
    r.Entries[282] = {5, {100}};
    r.Entries[283] = {5, {100}};
    TTIFFGraphic g;
    TMemoryStream s(r.Build());
    ASSERT_TRUE(g.ReadImageProperties(s, 0));
    const auto& p = g.ImageProperties;
    EXPECT_EQ(p.YCbCrSubsampling, (std::vector<uint8_t>{2, 1}));
    EXPECT_EQ(p.RowsPerStrip, std::vector<uint32_t>{3});
    EXPECT_FLOAT_EQ(p.XResolution, 254.0f);
    EXPECT_FLOAT_EQ(p.YResolution, 254.0f);
    EXPECT_EQ(p.Options & ImageOption::BigEndian, ImageOption::BigEndian);

    // Photometric 2: three samples RGB, four RGBA; rows per strip 0xFFFFFFFF is the whole height.
    const std::tuple<std::vector<uint32_t>, uint32_t, TColorSchemeCode> schemes[] = {
        {{8, 8, 8}, 0xFFFFFFFF, schRGB}, {{8, 8, 8, 8}, 1, schRGBA}};
    for (const auto& [bits, rows, scheme] : schemes) {
        TTIFFGraphic h;
        TMemoryStream t(Plain(2, 3, 2, bits, {Bytes(24, 0)}, rows).Build());
        ASSERT_TRUE(h.ReadImageProperties(t, 0));
        EXPECT_EQ(h.ImageProperties.ColorScheme, scheme);
        EXPECT_EQ(h.ImageProperties.RowsPerStrip, std::vector<uint32_t>{rows == 1 ? 1u : 3u});
    }
}

TEST(TiffGraphic, RefusedLayoutsGiveTheirMessages)
{
    auto without = [](TTiffRecipe r, uint16_t tag) { r.Entries.erase(tag); return r; };
    auto with = [](TTiffRecipe r, uint16_t tag, uint16_t type, std::vector<uint32_t> v) {
        r.Entries[tag] = {type, std::move(v)};
        return r;
    };
    const TTiffRecipe grey = Plain(4, 2, 1, {8}, {Bytes(8, 7)});
    TTiffRecipe noOffsets = grey;
    noOffsets.Offsets = false;
    const std::pair<Bytes, std::string> cases[] = {
        {without(grey, 259).Build(), kNotSupported}, // no compression tag
        {with(grey, 259, 3, {4}).Build(), kNotSupported}, // group 4
        {with(with(Plain(8, 2, 0, {1}, {Bytes(2, 0)}), 259, 3, {3}), 292, 4, {1}).Build(), kNotSupported}, // 2-D G3
        {Plain(4, 2, 1, {12}, {Bytes(12, 0)}).Build(), kColorFormat},          // 12-bit grey
        {Plain(4, 2, 2, {8, 8}, {Bytes(16, 0)}).Build(), kColorFormat},        // RGB with two samples
        {Plain(4, 2, 2, {4, 4, 4}, {Bytes(12, 0)}).Build(), kColorFormat},     // 4-bit RGB
        {Plain(4, 2, 5, {8, 8, 8}, {Bytes(24, 0)}).Build(), kColorFormat},     // CMYK with three samples
        {Plain(4, 2, 3, {16}, {Bytes(16, 0)}).Build(), kColorFormat},          // 16-bit indices
        {Plain(4, 2, 3, {8, 8}, {Bytes(16, 0)}).Build(), kColorFormat},        // indices with a second sample
        {Plain(4, 2, 3, {4}, {Bytes(4, 0)}).Build(), "Cannot load image. Palette in TIF/TIFF file is invalid."},
        {with(Plain(4, 2, 3, {4}, {Bytes(4, 0)}), 320, 3, std::vector<uint32_t>(47, 0)).Build(),
         "Cannot load image. Palette in TIF/TIFF file is invalid."}, // 3 x 16 values needed
        {Plain(2, 2, 6, {8, 8, 8}, {Bytes(12, 0)}).Build(), kSubsampling22}, // YCbCr subsampled by default
        {with(Plain(2, 2, 6, {8, 8, 8}, {Bytes(12, 0)}), 530, 3, {2, 1}).Build(),
         "Cannot load image. YCbCr subsampling 2x1 is not supported for TIF/TIFF files."},
        {with(with(grey, 259, 3, {5}), 317, 3, {2}).Build(), ""},           // predictor on LZW: fine
        {with(with(Plain(8, 2, 1, {4}, {Bytes(8, 0)}), 259, 3, {32773}), 317, 3, {2}).Build(),
         "Cannot load image. A predictor on 4-bit samples is not supported for TIF/TIFF files."},
        // Tiles of 12 one-bit pixels end inside a byte.
        {with(with(Plain(12, 2, 1, {1}, {Bytes(4, 0)}), 322, 3, {12}), 323, 3, {2}).Build(),
         "Cannot load image. Tiles whose width is not a whole number of bytes are not supported for "
         "TIF/TIFF files."},
        // No strip offsets, too few for the planes, no tile offsets: nothing to read.
        {noOffsets.Build(), kNoStrips},
        {with(with(Plain(2, 1, 2, {8, 8, 8}, {Bytes(6, 9)}), 284, 3, {2}), 273, 4, {8, 8}).Build(),
         kNoStrips},
        {with(with(noOffsets, 322, 3, {16}), 323, 3, {16}).Build(),
         "Cannot load image. Tile offsets in TIF/TIFF file are missing."},
        {with(grey, 256, 3, {0}).Build(), "Cannot load image. Invalid or unexpected TIF/TIFF image format."},
        // Width given as a list of two: sizes come only from single values.
        {with(grey, 256, 3, {4, 4}).Build(), "Cannot load image. Invalid or unexpected TIF/TIFF image format."},
    };
    for (const auto& [file, error] : cases) EXPECT_EQ(Load(file).Error, error);

    // A list whose values would lie past the file's end.
    Bytes file = with(grey, 258, 3, {8, 8, 8, 8}).Build();
    file.resize(file.size() - 10);
    EXPECT_EQ(Load(file).Error, "Stream read error");
}

TEST(TiffGraphic, StripsAndRowsAreBounded)
{
    // 3 x 5 grey, two rows per strip, but only two strips: the fifth row stays 0.
    TTiffRecipe r = Plain(3, 5, 1, {8}, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}, 2);
    TLoaded l = Load(r.Build());
    ASSERT_EQ(l.Error, "");
    const TBitmap& b = l.Graphic->Bitmap();
    EXPECT_EQ(Row(b, 3, 3), (std::vector<uint8_t>{10, 11, 12}));
    EXPECT_EQ(Row(b, 4, 3), (std::vector<uint8_t>{0, 0, 0}));

    // A last strip holding more rows than are left: the rows past the picture are not used.
    r = Plain(3, 3, 1, {8}, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 99, 99, 99}}, 2);
    l = Load(r.Build());
    ASSERT_EQ(l.Error, "");
    EXPECT_EQ(Row(l.Graphic->Bitmap(), 2, 3), (std::vector<uint8_t>{7, 8, 9}));

    // PackBits strips without byte counts: each runs to the next strip, the last to the file's end.
    // Row 0: a literal of three; row 1: 5 repeated three times.
    r = Plain(3, 2, 1, {8}, {{2, 10, 20, 30}, {0xFE, 5}}, 1);
    r.Entries[259] = {3, {32773}};
    r.ByteCounts = false;
    l = Load(r.Build());
    ASSERT_EQ(l.Error, "");
    EXPECT_EQ(Row(l.Graphic->Bitmap(), 0, 3), (std::vector<uint8_t>{10, 20, 30}));
    EXPECT_EQ(Row(l.Graphic->Bitmap(), 1, 3), (std::vector<uint8_t>{5, 5, 5}));
}

TEST(TiffGraphic, ColourLayoutsConvertAsTheFileSays)
{
    struct TCase
    {
        const char* What;
        TTiffRecipe Recipe;
        TPixelFormat Format;
        std::vector<uint8_t> FirstRow; // bitmap bytes of row 0
    };
    auto packbitsPredicted = [](TTiffRecipe r) {
        r.Entries[259] = {3, {32773}};
        r.Entries[317] = {3, {2}};
        return r;
    };
    auto planar = [](TTiffRecipe r) { r.Entries[284] = {3, {2}}; return r; };
    // PackBits literal of n bytes: header n - 1.
    auto literal = [](Bytes b) { b.insert(b.begin(), uint8_t(b.size() - 1)); return b; };
    TTiffRecipe greyAlpha = Plain(2, 1, 1, {8, 8}, {{40, 255, 90, 0}});
    greyAlpha.Entries[338] = {3, {2}};
    TTiffRecipe bigRgb16 = packbitsPredicted(Plain(2, 1, 2, {16, 16, 16}, {literal({0x10, 0x00, 0x20, 0x00, 0x30, 0x00,
                                                                                     0x01, 0x00, 0x02, 0x00, 0xFF, 0x00})}));
    bigRgb16.Big = true;
    TTiffRecipe mapped = Plain(4, 1, 3, {2}, {{0x1B}}); // indices 0, 1, 2, 3
    std::vector<uint32_t> map(12, 0);
    map[1] = 0x5555; map[2] = 0xAAAA; map[3] = 0xFFFF; // red ramp; green, blue 0
    mapped.Entries[320] = {3, map};
    const TCase cases[] = {
        // Grey with an extra sample: 8-bit grey, the alpha dropped.
        {"grey+alpha", greyAlpha, TPixelFormat::pf8bit, {40, 90}},
        // Predictor on three 8-bit samples: each adds the same sample of the pixel before.
        {"rgb predictor", packbitsPredicted(Plain(2, 1, 2, {8, 8, 8}, {literal({10, 20, 30, 1, 2, 250})})),
         TPixelFormat::pf24bit, {30, 20, 10, 24, 22, 11}},
        // Predictor on big-endian 16-bit samples, added in file order (0x3000 + 0xFF00 wraps).
        {"rgb16 predictor MM", bigRgb16, TPixelFormat::pf24bit, {47, 31, 15, 46, 33, 16}}, // word / 257
        // Predictor on two samples per pixel (grey with alpha).
        {"grey+alpha predictor", packbitsPredicted(Plain(2, 1, 1, {8, 8}, {literal({40, 255, 5, 1})})),
         TPixelFormat::pf8bit, {40, 45}},
        // Planar RGB: one plane per sample, the predictor per plane.
        {"planar", planar(Plain(2, 1, 2, {8, 8, 8}, {{1, 2}, {3, 4}, {5, 6}})), TPixelFormat::pf24bit,
         {5, 3, 1, 6, 4, 2}},
        {"planar predictor", packbitsPredicted(planar(Plain(2, 1, 2, {8, 8, 8}, {literal({1, 2}), literal({3, 4}),
                                                                                    literal({5, 6})}))),
         TPixelFormat::pf24bit, {5, 3, 1, 11, 7, 3}},
        // 2-bit indices become a 4-bit bitmap whose palette grows to 16 entries.
        {"2-bit palette", mapped, TPixelFormat::pf4bit, {0x05, 0xAF}},
        // 2-bit grey, minimum is white.
        {"2-bit min-is-white", Plain(4, 1, 0, {2}, {{0x1B}}), TPixelFormat::pf4bit, {0x05, 0xAF}},
        // CMYK: K = 255 is black whatever the rest; all 0 is white.
        {"cmyk", Plain(2, 1, 5, {8, 8, 8, 8}, {{9, 80, 200, 255, 0, 0, 0, 0}}), TPixelFormat::pf24bit,
         {0, 0, 0, 255, 255, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TLoaded l = Load(c.Recipe.Build());
        ASSERT_EQ(l.Error, "");
        const TBitmap& b = l.Graphic->Bitmap();
        EXPECT_EQ(b.PixelFormat(), c.Format);
        EXPECT_EQ(Row(b, 0, c.FirstRow.size()), c.FirstRow);
    }
    // The palette of the 2-bit picture: index 5 is entry 1, 10 entry 2, 15 entry 3 (0x5555 / 257 = 85).
    const auto pal = Load(mapped.Build()).Graphic->Bitmap().Palette();
    ASSERT_EQ(pal.size(), 16u);
    EXPECT_EQ(std::tuple(pal[5].rgbRed, pal[10].rgbRed, pal[15].rgbRed, pal[15].rgbGreen), std::tuple(85, 170, 255, 0));
    const auto grey = Load(Plain(4, 1, 0, {2}, {{0x1B}}).Build()).Graphic->Bitmap().Palette();
    EXPECT_EQ(std::tuple(grey[0].rgbRed, grey[5].rgbRed, grey[15].rgbRed), std::tuple(255, 170, 0));
}

TEST(TiffGraphic, YCbCrValuesOutOfRangeTakeTheDefaults)
{
    // Subsampling (3, 1) and coefficients with a zero weight: both fall back, and (2, 2) is refused
    // for uncompressed data.
    TTiffRecipe r = Plain(2, 2, 6, {8, 8, 8}, {Bytes(12, 128)});
    r.Entries[530] = {3, {3, 1}};
    r.Entries[529] = {5, {0, 1, 1}};
    TTIFFGraphic g;
    TMemoryStream s(r.Build());
    ASSERT_TRUE(g.ReadImageProperties(s, 0));
    EXPECT_EQ(g.ImageProperties.YCbCrSubsampling, (std::vector<uint8_t>{2, 2}));
    EXPECT_EQ(Load(r.Build()).Error, kSubsampling22);
    // With (1, 1) and grey chroma every pixel is its luma.
    r.Entries[530] = {3, {1, 1}};
    r.Strips = {{77, 128, 128, 200, 128, 128, 0, 128, 128, 255, 128, 128}};
    TLoaded l = Load(r.Build());
    ASSERT_EQ(l.Error, "");
    EXPECT_EQ(Row(l.Graphic->Bitmap(), 0, 6), (std::vector<uint8_t>{77, 77, 77, 200, 200, 200}));
    EXPECT_EQ(l.Graphic->YCbCrCoefficients(), (std::vector<float>{0.299f, 0.587f, 0.114f}));
}

TEST(TiffGraphic, EpsPreviewMustLieInsideTheFile)
{
    const Bytes tiff = Plain(3, 1, 1, {8}, {{1, 2, 3}}).Build();
    auto eps = [&](uint32_t offset, uint32_t length) {
        Bytes f = {0xC5, 0xD0, 0xD3, 0xC6};
        for (uint32_t v : {30u, 0u, 0u, 0u, offset, length})
            for (int k = 0; k < 4; ++k) f.push_back(uint8_t(v >> (8 * k)));
        f.resize(30, 0);
        f.resize(std::max<size_t>(f.size(), offset), ' ');
        f.insert(f.end(), tiff.begin(), tiff.end());
        return f;
    };
    const std::tuple<Bytes, bool, std::string> cases[] = {
        {eps(40, uint32_t(tiff.size())), true, ""},
        {eps(30, uint32_t(tiff.size())), true, ""},
        {eps(20, uint32_t(tiff.size())), false, "Cannot load image. Invalid or unexpected EPS image format."},
        {eps(40, uint32_t(tiff.size()) + 1), false, "Cannot load image. Invalid or unexpected EPS image format."},
        {eps(40, 0), false, "Cannot load image. Invalid or unexpected EPS image format."},
    };
    for (const auto& [file, accepted, error] : cases) {
        TMemoryStream s(file);
        EXPECT_EQ(TEPSGraphic::CanLoad(s), accepted);
        EXPECT_EQ(s.Position(), 0);
        TLoaded l = Load(file, true);
        EXPECT_EQ(l.Error, error);
        if (accepted) {
            EXPECT_EQ(Row(l.Graphic->Bitmap(), 0, 3), (std::vector<uint8_t>{1, 2, 3}));
        }
    }
    for (size_t k = 0; k < 4; ++k) { // one byte of the signature wrong, each in turn
        Bytes wrong = eps(40, uint32_t(tiff.size()));
        ++wrong[k];
        TMemoryStream s(wrong);
        EXPECT_FALSE(TEPSGraphic::CanLoad(s)) << k;
    }
    // The preview's offsets are its own: a strip offset past the preview is not read from the file.
    Bytes f = eps(40, uint32_t(tiff.size()) - 3);
    EXPECT_EQ(Load(f, true).Error, "Stream read error");
}

namespace {
// A little-endian fixture with one directory entry changed: its first value (in the entry, or the
// first of its list) replaced, or the whole entry rewritten as another tag.
struct TEntryPatch
{
    uint16_t Tag;
    uint32_t Value;
    uint16_t NewTag = 0; // with NewType, NewCount: the entry rewritten
    uint16_t NewType = 0;
    uint32_t NewCount = 0;
};

Bytes Patched(const std::string& fixture, const TEntryPatch& p)
{
    Bytes f = picturefixtures::ReadAll(picturefixtures::FolderPath("tiff") + fixture);
    auto le16 = [&](size_t at) { return uint32_t(f[at] | f[at + 1] << 8); };
    auto le32 = [&](size_t at) { return le16(at) | le16(at + 2) << 16; };
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int k = 0; k < n; ++k) f[at + size_t(k)] = uint8_t(v >> (8 * k));
    };
    const size_t dir = le32(4);
    for (uint32_t i = 0; i < le16(dir); ++i) {
        const size_t e = dir + 2 + 12 * i;
        if (le16(e) != p.Tag) continue;
        if (p.NewTag) {
            put(e, p.NewTag, 2);
            put(e + 2, p.NewType, 2);
            put(e + 4, p.NewCount, 4);
            put(e + 8, p.Value, 4);
            return f;
        }
        const int size = le16(e + 2) == 3 ? 2 : 4;
        put(uint64_t(le32(e + 4)) * size > 4 ? le32(e + 8) : e + 8, p.Value, size);
        return f;
    }
    ADD_FAILURE() << "no tag " << p.Tag;
    return f;
}
} // namespace

TEST(TiffJpeg, StripsAreCheckedAgainstTheImage)
{
    // tc_jpeg90: YCbCr subsampled 2 x 2, strips of 16 rows over 46 (the last holds 14), tables in 347.
    ASSERT_EQ(Load(picturefixtures::ReadAll(picturefixtures::FolderPath("tiff") + "tc_jpeg90.tif")).Error, "");
    const std::pair<Bytes, std::string> cases[] = {
        // Subsampling (2, 1) in place of the reference black and white (tag 532, just after 530).
        {Patched("tc_jpeg90.tif", {532, 0x00010002, 530, 3, 2}), ImproperSamplingText},
        {Patched("tc_jpeg90.tif", {532, 0x00020002, 530, 3, 2}), ""},
        {Patched("tc_jpeg90.tif", {278, 8}), ImproperStripSizeText}, // 8 rows per strip
        {Patched("tc_jpeg90.tif", {277, 1}), kColorFormat},
    };
    for (const auto& [file, error] : cases) EXPECT_EQ(Load(file).Error, error);

    // Tables that are an image stream: point tag 347 at the first strip.
    Bytes f = picturefixtures::ReadAll(picturefixtures::FolderPath("tiff") + "tc_jpeg90.tif");
    {
        TTIFFGraphic g;
        TMemoryStream s(f);
        ASSERT_TRUE(g.ReadImageProperties(s, 0));
        const uint32_t firstStrip = g.GetValueList(s, 273)[0];
        Bytes bogus = f;
        // Replace the tables' offset by the strip's: the "tables" then hold a whole image.
        const size_t dir = size_t(f[4] | f[5] << 8 | f[6] << 16 | f[7] << 24);
        for (unsigned i = 0; i < unsigned(f[dir] | f[dir + 1] << 8); ++i) {
            const size_t e = dir + 2 + 12 * i;
            if ((f[e] | f[e + 1] << 8) == 347)
                for (int k = 0; k < 4; ++k) bogus[e + 8 + size_t(k)] = uint8_t(firstStrip >> (8 * k));
        }
        EXPECT_EQ(Load(bogus).Error, BogusJpegTablesText);
    }

    // A strip cut short still loads; the early end is kept as a warning, the next strip is whole.
    TTIFFGraphic g;
    TMemoryStream s(f);
    ASSERT_TRUE(g.ReadImageProperties(s, 0));
    const uint32_t count0 = g.GetValueList(s, 279)[0];
    TLoaded l = Load(Patched("tc_jpeg90.tif", {279, count0 / 3}));
    ASSERT_EQ(l.Error, "");
    EXPECT_GE(l.Graphic->LibraryWarnings.IndexOf(JpegUnexpectedEndText), 0);
    const TLoaded whole = Load(f);
    EXPECT_EQ(whole.Graphic->LibraryWarnings.Count(), 0);
    EXPECT_NE(Row(l.Graphic->Bitmap(), 15, 210), Row(whole.Graphic->Bitmap(), 15, 210));
    for (int y = 16; y < 46; ++y) EXPECT_EQ(Row(l.Graphic->Bitmap(), y, 210), Row(whole.Graphic->Bitmap(), y, 210)) << y;
}
