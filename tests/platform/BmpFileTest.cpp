// The BMP reader against files written by independent tools, the writer by round trips, and the
// bit-field and palette rules on hand-built files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <tuple>

#include "BmpTestFiles.h"
#include "platform/Exceptions.h"
#include "platform/TempFolder.h"

using namespace bmptest;
using PF = TPixelFormat;

namespace {
const char* const FormatNames[] = {"pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit", "pf32bit"};

// Every fixture loads as the format MANIFEST gives, with the tool's own pixels. Written back after 37
// other bytes and read from there, indexed formats keep their indices and palette, the others come
// back as 24-bit, all with the tool's pixels.
TEST(BmpFile, FixturesMatchTheToolsPixels)
{
    auto list = FixtureList();
    ASSERT_GE(list.size(), 40u) << "MANIFEST missing or short in " << FixtureDir;
    for (const auto& [name, format] : list) {
        SCOPED_TRACE(name);
        TBitmap bmp;
        ASSERT_NO_THROW(LoadBmpFromFile(bmp, FixtureDir + name + ".bmp"));
        EXPECT_EQ(FormatNames[int(bmp.PixelFormat())], format);
        const int bits = TBitmap::BitsPerPixel(bmp.PixelFormat());
        EXPECT_TRUE(bits > 8 || bmp.Palette().size() == size_t(1) << bits);
        TBitmap ref = ReadPpm(FixtureDir + name + ".ppm");
        ASSERT_FALSE(ref.Empty()) << "reference picture missing";
        EXPECT_EQ(FirstDifference(bmp.To24(), ref), "");

        TMemoryStream s(Bytes(37, 0xEE));
        s.SetPosition(37);
        SaveBmpToStream(bmp, s);
        s.SetPosition(37);
        TBitmap back;
        LoadBmpFromStream(back, s);
        EXPECT_EQ(back.PixelFormat(), bits <= 8 ? bmp.PixelFormat() : PF::pf24bit);
        EXPECT_EQ(FirstDifference(back.To24(), ref), "") << "written back";
        if (bits <= 8)
            EXPECT_TRUE(back.Palette() == bmp.Palette() && !memcmp(back.Bits(), bmp.Bits(), bmp.ByteSize()));
    }
    TBitmap missing;
    EXPECT_THROW(LoadBmpFromFile(missing, FixtureDir + "no_such_file.bmp"), EFOpenError);
}

// A bitmap of the given format with varied pixel bytes (and a palette for indexed formats).
TBitmap Pattern(PF format, int w, int h, size_t paletteSize)
{
    TBitmap bmp(w, h, format);
    for (int y = 0; y < h; ++y)
        for (size_t i = 0; i < bmp.Stride(); ++i) bmp.ScanLine(y)[i] = uint8_t(i * 31 + y * 17 + (i >> 3));
    std::vector<TRGBQuad> pal(paletteSize);
    for (size_t i = 0; i < pal.size(); ++i) pal[i] = {uint8_t(i * 3), uint8_t(255 - i), uint8_t(i * 7), 0};
    if (paletteSize) bmp.SetPalette(pal);
    bmp.Modified();
    return bmp;
}

// An indexed bitmap without a palette is written with the default one; the header fields of an
// 8-bit file; the same bytes in a file; a refused save leaves the file and no other behind.
TEST(BmpFile, WriterDefaultPaletteHeaderFieldsAndRefusals)
{
    for (PF format : {PF::pf1bit, PF::pf4bit, PF::pf8bit}) {
        TBitmap noPalette = Pattern(format, 3, 5, 0), back;
        TMemoryStream s;
        SaveBmpToStream(noPalette, s);
        s.SetPosition(0);
        LoadBmpFromStream(back, s);
        EXPECT_EQ(FirstDifference(back.To24(), noPalette.To24()), "") << FormatNames[int(format)];
    }
    TBitmap bmp = Pattern(PF::pf8bit, 13, 7, 20);
    TMemoryStream s;
    SaveBmpToStream(bmp, s);
    const Bytes& d = s.Data();
    ASSERT_EQ(d.size(), 54u + 20 * 4 + 16 * 7); // 13 bytes padded to 16 per row
    // "BM", size, pixel offset, header size, height (bottom-up), planes and bits, BI_RGB, image
    // size, resolution, colours used, each as 32 bits from offset 0, 2, 10, 14, ...
    const uint32_t fields[][2] = {{0, 0x4D42 | uint32_t(d.size()) << 16}, {10, 54 + 80}, {14, 40}, {22, 7},
                                  {26, 1 | 8 << 16}, {30, 0}, {34, 16 * 7}, {38, 2835}, {42, 2835}, {46, 20}};
    for (const auto& f : fields)
        EXPECT_EQ(d[f[0]] | d[f[0] + 1] << 8 | d[f[0] + 2] << 16 | uint32_t(d[f[0] + 3]) << 24, f[1]) << f[0];
    EXPECT_EQ(0, memcmp(d.data() + 54 + 80, bmp.ScanLine(6), 13)); // the bottom row comes first

    TTempFolder dir;
    const std::string target = dir.Path() + "/pic.bmp";
    SaveBmpToFile(bmp, target);
    TMemoryStream none;
    EXPECT_THROW(SaveBmpToStream(TBitmap(), none), EInvalidGraphicOperation);
    EXPECT_EQ(none.Size(), 0);
    EXPECT_THROW(SaveBmpToFile(TBitmap(), target), EInvalidGraphicOperation);
    EXPECT_EQ(ReadFileBytes(target), d);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

// One row of 16- or 32-bit pixels with the given masks (after a 40-byte header).
TBitmap LoadBitFields(int bits, std::vector<uint32_t> masks, const std::vector<uint32_t>& pixels)
{
    TBmpRecipe r{.Width = int32_t(pixels.size()), .Height = 1, .BitCount = uint16_t(bits),
                 .Compression = masks.empty() ? 0u : masks.size() == 4 ? 6u : 3u, .Masks = std::move(masks)};
    for (uint32_t p : pixels) PutLE(r.Pixels, p, bits / 8);
    r.Pixels.resize((r.Pixels.size() + 3) / 4 * 4, 0);
    return Loaded(r);
}

// (The 5-5-5, 5-6-5, 1-5-5-5, 4-4-4-4 and 8-8-8-8 layouts are among the fixtures, as are top-down
// files, short palettes and a gap before the pixels.)
TEST(BmpFile, BitFieldChannelsWidenExactly)
{
    using M = std::vector<uint32_t>;
    const M m332 = {0x00E0, 0x001C, 0x0003}, m10 = {0x3FF00000, 0x000FFC00, 0x000003FF};
    // name, bits per pixel, masks (red, green, blue [, alpha]), pixel, expected blue, green, red, alpha
    const std::tuple<const char*, int, M, uint32_t, TRGBQuad> cases[] = {
        // 3-3-2 in the low byte, no alpha: 7 -> 255, 3 -> 109, 1 (2 bits) -> 85
        {"332", 16, m332, 0x00E1, {85, 0, 255, 0}},
        {"332 mid", 16, m332, 0x006E, {170, 109, 109, 0}},
        {"555 swapped red and blue", 16, {0x001F, 0x03E0, 0x7C00}, 0x7C03, {255, 0, 24, 0}},
        // 10-bit channels round to nearest: 1023 -> 255, 512 -> 128 (127.62), 2 -> 0 (0.4985), 3 -> 1
        {"101010", 32, m10, (1023u << 20) | (512u << 10) | 2, {0, 128, 255, 0}},
        {"101010 low", 32, m10, (3u << 20) | (1u << 10) | 1023, {255, 0, 1, 0}},
        {"2-bit alpha", 32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, 0x80000000, {0, 0, 0, 170}},
        {"8888 rgba", 32, {0xFF000000, 0xFF0000, 0xFF00, 0xFF}, 0x11223344, {0x33, 0x22, 0x11, 0x44}},
        // a single-bit channel is 0 or 255; a missing channel reads as 0
        {"1-bit", 16, {0x8000, 0x4000, 0}, 0x8000, {0, 0, 255, 0}},
        // without masks 32 bits keep every byte (the fourth too)
        {"plain 32", 32, {}, 0x08070605, {5, 6, 7, 8}},
    };
    for (const auto& [name, bits, masks, pixel, expected] : cases) {
        SCOPED_TRACE(name);
        TBitmap bmp = LoadBitFields(bits, masks, {0, pixel, 0});
        ASSERT_EQ(bmp.PixelFormat(), PF::pf32bit);
        const uint8_t* p = bmp.ScanLine(0) + 4;
        EXPECT_EQ((TRGBQuad{p[0], p[1], p[2], p[3]}), expected);
    }
}

} // namespace

// A palette is read up to what the depth allows, never beyond 256 entries whatever the colour count
// says, and never from bytes the pixels start in; entries not read are black.
TEST(BmpFile, PaletteSizeRules)
{
    // Stored: palette entries in the file; Early: the pixels start that many entries before the
    // palette's end; Read: entries taken from the file.
    const std::tuple<const char*, int, uint32_t, size_t, size_t, size_t> cases[] = {
        {"more than the depth allows", 1, 200, 2, 0, 2},
        {"count beyond 256", 8, 0xFFFFFFFF, 256, 0, 256},
        {"pixels start inside the palette", 8, 0, 256, 250, 6},
    };
    auto entry = [](size_t i) { return 0x010203u * uint32_t(i + 1) & 0xFFFFFF; };
    for (const auto& [name, bits, clrUsed, stored, early, read] : cases) {
        SCOPED_TRACE(name);
        TBmpRecipe r{.Width = 3, .Height = 1, .BitCount = uint16_t(bits), .ClrUsed = clrUsed};
        for (size_t i = 0; i < stored; ++i)
            r.Palette.push_back(entry(i));
        r.OffBits = 14 + 40 + 4 * int64_t(stored - early);
        Bytes file = r.Build();
        file.insert(file.begin() + r.OffBits, 4, 0xFF);
        const std::vector<TRGBQuad> pal = Loaded(file).Palette();
        ASSERT_EQ(pal.size(), size_t(1) << bits);
        for (size_t i = 0; i < pal.size(); ++i) {
            uint32_t got = uint32_t(pal[i].rgbRed) << 16 | pal[i].rgbGreen << 8 | pal[i].rgbBlue;
            ASSERT_EQ(got, i < read ? entry(i) : 0) << "entry " << i;
            EXPECT_EQ(pal[i].rgbReserved, 0);
        }
    }
}

// An indexed bitmap without a palette is written with black and white (1 bit) or an even grey ramp:
// 255 / 15 = 17 a step at 4 bits, 1 a step at 8 bits.
TEST(BmpFile, WriterGivesAPalettelessBitmapAGreyRamp)
{
    for (const auto& [format, bits] :
         {std::pair(PF::pf1bit, 1), std::pair(PF::pf4bit, 4), std::pair(PF::pf8bit, 8)}) {
        TMemoryStream s;
        SaveBmpToStream(TBitmap(2, 2, format), s);
        const Bytes& d = s.Data();
        const size_t entries = size_t(1) << bits, step = bits == 1 ? 255 : bits == 4 ? 17 : 1;
        ASSERT_GE(d.size(), 54 + 4 * entries);
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t g = uint8_t(i * step);
            EXPECT_EQ(Bytes(d.begin() + 54 + 4 * std::ptrdiff_t(i), d.begin() + 58 + 4 * std::ptrdiff_t(i)),
                      (Bytes{g, g, g, 0}))
                << bits << " bits, entry " << i;
        }
    }
}
