// The BMP reader against files written by independent tools, the writer by round trips, and the
// bit-field and palette rules on hand-built files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "BmpTestFiles.h"
#include "platform/Bitmap.h"
#include "platform/BmpFile.h"
#include "platform/Exceptions.h"
#include "platform/Stream.h"

using namespace bmptest;

namespace {
const std::string FixtureDir = std::string(QM_FIXTURES_DIR) + "/bmp/";

struct TFixture
{
    std::string Name;
    std::string Format;
};

std::vector<TFixture> Manifest()
{
    std::vector<TFixture> list;
    std::ifstream f(FixtureDir + "MANIFEST");
    TFixture e;
    while (f >> e.Name >> e.Format)
        list.push_back(e);
    return list;
}

const char* FormatName(TPixelFormat f)
{
    switch (f) {
    case TPixelFormat::pf1bit:
        return "pf1bit";
    case TPixelFormat::pf4bit:
        return "pf4bit";
    case TPixelFormat::pf8bit:
        return "pf8bit";
    case TPixelFormat::pf15bit:
        return "pf15bit";
    case TPixelFormat::pf16bit:
        return "pf16bit";
    case TPixelFormat::pf24bit:
        return "pf24bit";
    case TPixelFormat::pf32bit:
        return "pf32bit";
    }
    return "?";
}
} // namespace

TEST(BmpFile, FixturesMatchTheToolsPixels)
{
    auto list = Manifest();
    ASSERT_GE(list.size(), 40u) << "MANIFEST missing or short in " << FixtureDir;
    size_t onDisk = 0;
    for (const auto& entry : std::filesystem::directory_iterator(FixtureDir)) {
        if (entry.path().extension() == ".bmp") ++onDisk;
    }
    EXPECT_EQ(onDisk, list.size()) << "every fixture is listed in MANIFEST";
    for (const TFixture& fx : list) {
        SCOPED_TRACE(fx.Name);
        TBitmap bmp;
        ASSERT_NO_THROW(LoadBmpFromFile(bmp, FixtureDir + fx.Name + ".bmp"));
        EXPECT_STREQ(FormatName(bmp.PixelFormat()), fx.Format.c_str());
        if (TBitmap::BitsPerPixel(bmp.PixelFormat()) <= 8) {
            EXPECT_EQ(bmp.Palette().size(), size_t(1) << TBitmap::BitsPerPixel(bmp.PixelFormat()));
        }
        TBitmap ref = ReadPpm(FixtureDir + fx.Name + ".ppm");
        ASSERT_FALSE(ref.Empty()) << "reference picture missing";
        EXPECT_EQ(FirstDifference(bmp.To24(), ref), "");
    }
}

TEST(BmpFile, ReadsFromTheStreamPosition)
{
    Bytes file = ReadFile(FixtureDir + "im_pal8_rle.bmp");
    Bytes prefixed(37, 0xEE);
    prefixed.insert(prefixed.end(), file.begin(), file.end());
    TMemoryStream s(prefixed);
    s.SetPosition(37);
    TBitmap a, b;
    LoadBmpFromStream(a, s);
    LoadBmpFromFile(b, FixtureDir + "im_pal8_rle.bmp");
    EXPECT_EQ(FirstDifference(a.To24(), b.To24()), "");
}

TEST(BmpFile, MissingFileRaisesOpenError)
{
    TBitmap bmp;
    EXPECT_THROW(LoadBmpFromFile(bmp, FixtureDir + "no_such_file.bmp"), EFOpenError);
}

// ---- writer ------------------------------------------------------------------------------------

namespace {
// A bitmap of the given format with varied pixel bytes (and a palette for indexed formats).
TBitmap Pattern(TPixelFormat format, int w, int h, size_t paletteSize)
{
    TBitmap bmp(w, h, format);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bmp.ScanLine(y);
        for (size_t i = 0; i < bmp.Stride(); ++i)
            row[i] = uint8_t(i * 31 + y * 17 + (i >> 3));
    }
    std::vector<TRGBQuad> pal(paletteSize);
    for (size_t i = 0; i < pal.size(); ++i)
        pal[i] = {uint8_t(i * 3), uint8_t(255 - i), uint8_t(i * 7), 0};
    if (paletteSize) bmp.SetPalette(pal);
    bmp.Modified();
    return bmp;
}

TBitmap RoundTrip(const TBitmap& bmp)
{
    TMemoryStream s;
    SaveBmpToStream(bmp, s);
    s.SetPosition(0);
    TBitmap back;
    LoadBmpFromStream(back, s);
    return back;
}
} // namespace

TEST(BmpFile, RoundTripKeepsPixels)
{
    struct TCase
    {
        TPixelFormat Format;
        size_t Palette;
        TPixelFormat Written;
    };
    const TCase cases[] = {
        {TPixelFormat::pf24bit, 0, TPixelFormat::pf24bit}, {TPixelFormat::pf8bit, 256, TPixelFormat::pf8bit},
        {TPixelFormat::pf8bit, 40, TPixelFormat::pf8bit},  {TPixelFormat::pf8bit, 0, TPixelFormat::pf8bit},
        {TPixelFormat::pf4bit, 16, TPixelFormat::pf4bit},  {TPixelFormat::pf4bit, 0, TPixelFormat::pf4bit},
        {TPixelFormat::pf1bit, 2, TPixelFormat::pf1bit},   {TPixelFormat::pf1bit, 0, TPixelFormat::pf1bit},
        {TPixelFormat::pf15bit, 0, TPixelFormat::pf24bit}, {TPixelFormat::pf16bit, 0, TPixelFormat::pf24bit},
        {TPixelFormat::pf32bit, 0, TPixelFormat::pf24bit},
    };
    for (const TCase& c : cases)
        for (int w : {1, 2, 3, 7, 13, 33}) {
            SCOPED_TRACE(std::string(FormatName(c.Format)) + " palette " + std::to_string(c.Palette) +
                         " width " + std::to_string(w));
            TBitmap bmp = Pattern(c.Format, w, 5, c.Palette);
            TBitmap back = RoundTrip(bmp);
            EXPECT_EQ(back.PixelFormat(), c.Written);
            EXPECT_EQ(FirstDifference(back.To24(), bmp.To24()), "");
            if (c.Written == TPixelFormat::pf8bit && c.Palette == 256) {
                // indices and palette come back as they were
                for (int y = 0; y < 5; ++y)
                    EXPECT_EQ(0, memcmp(back.ScanLine(y), bmp.ScanLine(y), size_t(w)));
                EXPECT_EQ(back.Palette(), bmp.Palette());
            }
        }
}

TEST(BmpFile, WrittenHeaderFields)
{
    TBitmap bmp = Pattern(TPixelFormat::pf8bit, 13, 7, 20);
    TMemoryStream s;
    SaveBmpToStream(bmp, s);
    const Bytes& d = s.Data();
    auto u32 = [&](size_t at) {
        return uint32_t(d[at] | d[at + 1] << 8 | d[at + 2] << 16 | uint32_t(d[at + 3]) << 24);
    };
    auto u16 = [&](size_t at) { return unsigned(d[at] | d[at + 1] << 8); };
    ASSERT_GE(d.size(), 54u);
    EXPECT_EQ(d[0], 'B');
    EXPECT_EQ(d[1], 'M');
    EXPECT_EQ(u32(2), d.size());      // bfSize
    EXPECT_EQ(u32(10), 54u + 20 * 4); // bfOffBits after 20 palette entries
    EXPECT_EQ(u32(14), 40u);          // BITMAPINFOHEADER
    EXPECT_EQ(int32_t(u32(22)), 7);   // positive height: bottom-up
    EXPECT_EQ(u16(26), 1u);           // planes
    EXPECT_EQ(u16(28), 8u);           // bits
    EXPECT_EQ(u32(30), 0u);           // BI_RGB
    EXPECT_EQ(u32(34), 16u * 7);      // image size: 13 bytes padded to 16
    EXPECT_EQ(u32(38), 2835u);
    EXPECT_EQ(u32(42), 2835u);
    EXPECT_EQ(u32(46), 20u); // colours used
    EXPECT_EQ(d.size(), 54u + 80 + 16 * 7);
    // the bottom row comes first
    EXPECT_EQ(0, memcmp(d.data() + u32(10), bmp.ScanLine(6), 13));
}

TEST(BmpFile, EmptyBitmapIsNotSaved)
{
    TBitmap empty;
    TMemoryStream s;
    EXPECT_THROW(SaveBmpToStream(empty, s), EInvalidGraphicOperation);
    EXPECT_EQ(s.Size(), 0);
}

TEST(BmpFile, SaveToFileReplacesTheTargetOnlyWhenDone)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("qm_bmp_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string target = (dir / "pic.bmp").string();
    {
        std::ofstream f(target, std::ios::binary);
        f << "old contents";
    }
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    TBitmap bmp = Pattern(TPixelFormat::pf24bit, 9, 4, 0);
    SaveBmpToFile(bmp, target);
    // the replaced file's permissions are kept
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    TBitmap back;
    LoadBmpFromFile(back, target);
    EXPECT_EQ(FirstDifference(back, bmp), "");
    // a failed save leaves the file as it was and no temporary file behind
    EXPECT_THROW(SaveBmpToFile(TBitmap(), target), EInvalidGraphicOperation);
    LoadBmpFromFile(back, target);
    EXPECT_EQ(FirstDifference(back, bmp), "");
    EXPECT_THROW(SaveBmpToFile(bmp, (dir / "missing" / "pic.bmp").string()), EFCreateError);
    // a new file gets the usual permissions, not a temporary file's private ones
    std::string fresh = (dir / "new.bmp").string();
    SaveBmpToFile(bmp, fresh);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(unsigned(fs::status(fresh).permissions() & fs::perms::all), 0666u & ~unsigned(mask));
    fs::remove(fresh);
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(dir))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1u);
    fs::remove_all(dir);
}

// ---- bit fields and palettes on hand-built files --------------------------------------------------

namespace {
// One row of 16- or 32-bit pixels with the given masks (after a 40-byte header).
TBitmap LoadBitFields(int bits, std::vector<uint32_t> masks, const std::vector<uint32_t>& pixels)
{
    TBmpRecipe recipe;
    recipe.Width = int32_t(pixels.size());
    recipe.Height = 1;
    recipe.BitCount = uint16_t(bits);
    recipe.Compression = masks.size() == 4 ? 6 : 3;
    recipe.Masks = std::move(masks);
    for (uint32_t p : pixels)
        (bits == 16 ? Put16 : Put32)(recipe.Pixels, p);
    while (recipe.Pixels.size() % 4)
        recipe.Pixels.push_back(0);
    TBitmap bmp;
    Load(bmp, recipe.Build());
    return bmp;
}

TRGBQuad Pixel32(const TBitmap& bmp, int x)
{
    const uint8_t* p = bmp.ScanLine(0) + 4 * x;
    return {p[0], p[1], p[2], p[3]};
}
} // namespace

TEST(BmpFile, BitFieldChannelsWidenExactly)
{
    struct TCase
    {
        const char* Name;
        int Bits;
        std::vector<uint32_t> Masks; // red, green, blue [, alpha]
        uint32_t Pixel;
        TRGBQuad Expected; // blue, green, red, alpha
    };
    const TCase cases[] = {
        // 4-bit channels: 15 is white, 1 is 17
        {"4444 max", 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, 0xFFFF, {255, 255, 255, 255}},
        {"4444 ones", 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, 0x1111, {17, 17, 17, 17}},
        {"4444 mixed", 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, 0x08C3, {51, 204, 136, 0}},
        // 3-3-2 in the low byte, no alpha: 7 -> 255, 3 -> 109, 1 (2 bits) -> 85
        {"332", 16, {0x00E0, 0x001C, 0x0003}, 0x00E1, {85, 0, 255, 0}},
        {"332 mid", 16, {0x00E0, 0x001C, 0x0003}, 0x006E, {170, 109, 109, 0}},
        // 5-5-5 stored with swapped red and blue masks
        {"555 swapped", 16, {0x001F, 0x03E0, 0x7C00}, 0x7C03, {255, 0, 24, 0}},
        // 10-bit channels round to nearest: 1023 -> 255, 512 -> 128 (127.62), 2 -> 0 (0.4985), 3 -> 1
        {"101010",
         32,
         {0x3FF00000, 0x000FFC00, 0x000003FF},
         (1023u << 20) | (512u << 10) | 2,
         {0, 128, 255, 0}},
        {"101010 low",
         32,
         {0x3FF00000, 0x000FFC00, 0x000003FF},
         (3u << 20) | (1u << 10) | 1023,
         {255, 0, 1, 0}},
        {"2-bit alpha", 32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, 0x80000000, {0, 0, 0, 170}},
        // 8-bit channels in an unusual order, alpha in the low byte
        {"8888 rgba",
         32,
         {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF},
         0x11223344,
         {0x33, 0x22, 0x11, 0x44}},
        // a single-bit channel is 0 or 255; a missing channel reads as 0
        {"1-bit", 16, {0x8000, 0x4000, 0}, 0x8000, {0, 0, 255, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap bmp = LoadBitFields(c.Bits, c.Masks, {0, c.Pixel, 0});
        ASSERT_EQ(bmp.PixelFormat(), TPixelFormat::pf32bit);
        EXPECT_EQ(Pixel32(bmp, 1), c.Expected);
        EXPECT_EQ(Pixel32(bmp, 0), (TRGBQuad{0, 0, 0, 0}));
    }
}

TEST(BmpFile, NativeSixteenBitLayoutsStayPacked)
{
    TBitmap a = LoadBitFields(16, {0xF800, 0x07E0, 0x001F}, {0x1234, 0xFFFF});
    EXPECT_EQ(a.PixelFormat(), TPixelFormat::pf16bit);
    EXPECT_EQ(a.ScanLine(0)[0], 0x34);
    EXPECT_EQ(a.ScanLine(0)[1], 0x12);
    TBitmap b = LoadBitFields(16, {0x7C00, 0x03E0, 0x001F, 0x8000}, {0x1234, 0xFFFF});
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf15bit);
    // uncompressed 16-bit is 5-5-5
    TBmpRecipe recipe;
    recipe.Width = 1;
    recipe.Height = 1;
    recipe.BitCount = 16;
    recipe.Pixels = {0x1F, 0x7C, 0, 0}; // red 31, blue 31
    TBitmap c;
    Load(c, recipe.Build());
    EXPECT_EQ(c.PixelFormat(), TPixelFormat::pf15bit);
    TBitmap c24 = c.To24();
    const uint8_t* p = c24.ScanLine(0);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 255);
}

TEST(BmpFile, ThirtyTwoBitUncompressedKeepsTheFourthByte)
{
    TBmpRecipe recipe;
    recipe.Width = 2;
    recipe.Height = 1;
    recipe.BitCount = 32;
    recipe.Pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    TBitmap bmp;
    Load(bmp, recipe.Build());
    ASSERT_EQ(bmp.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(Pixel32(bmp, 1), (TRGBQuad{5, 6, 7, 8}));
}

TEST(BmpFile, PaletteSizeRules)
{
    struct TCase
    {
        const char* Name;
        int Bits;
        uint32_t ClrUsed;
        size_t Stored;      // palette entries in the file
        int64_t OffBitsGap; // extra bytes between palette and pixels, or -N: pixels start N entries early
        size_t Read;        // entries taken from the file
    };
    const TCase cases[] = {
        {"all used", 4, 0, 16, 0, 16},
        {"fewer used", 8, 5, 5, 0, 5},
        {"more than the depth allows", 1, 200, 2, 0, 2},
        {"count beyond 256", 8, 0xFFFFFFFF, 256, 0, 256},
        {"pixels start inside the palette", 8, 0, 256, -250, 6},
        {"gap before pixels", 4, 3, 3, 12, 3},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBmpRecipe recipe;
        recipe.Width = 3;
        recipe.Height = 1;
        recipe.BitCount = uint16_t(c.Bits);
        recipe.ClrUsed = c.ClrUsed;
        for (size_t i = 0; i < c.Stored; ++i)
            recipe.Palette.push_back(0x010203u * uint32_t(i + 1) & 0xFFFFFF);
        Bytes pixels = {0xFF, 0xFF, 0xFF, 0xFF};
        recipe.OffBits = 14 + 40 + 4 * int64_t(c.Stored) + (c.OffBitsGap > 0 ? c.OffBitsGap : 4 * c.OffBitsGap);
        if (c.OffBitsGap > 0) recipe.Palette.resize(recipe.Palette.size() + size_t(c.OffBitsGap) / 4, 0x777777);
        Bytes file = recipe.Build();
        file.insert(file.begin() + recipe.OffBits, pixels.begin(), pixels.end());
        TBitmap bmp;
        Load(bmp, file);
        const auto& pal = bmp.Palette();
        ASSERT_EQ(pal.size(), size_t(1) << c.Bits);
        for (size_t i = 0; i < pal.size(); ++i) {
            uint32_t expected = i < c.Read ? (0x010203u * uint32_t(i + 1) & 0xFFFFFF) : 0;
            uint32_t got = uint32_t(pal[i].rgbRed) << 16 | pal[i].rgbGreen << 8 | pal[i].rgbBlue;
            ASSERT_EQ(got, expected) << "entry " << i;
            EXPECT_EQ(pal[i].rgbReserved, 0);
        }
    }
}

TEST(BmpFile, TopDownAndBottomUpGiveTheSamePicture)
{
    TBmpRecipe up;
    up.Width = 2;
    up.Height = 3;
    up.BitCount = 8;
    up.Palette.assign(256, 0);
    up.Pixels = {1, 2, 0, 0, 3, 4, 0, 0, 5, 6, 0, 0}; // bottom row first
    TBmpRecipe down = up;
    down.Height = -3;
    down.Pixels = {5, 6, 0, 0, 3, 4, 0, 0, 1, 2, 0, 0};
    TBitmap a, b;
    Load(a, up.Build());
    Load(b, down.Build());
    ASSERT_EQ(b.Height(), 3);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(a.ScanLine(y)[0], 5 - 2 * y);
        EXPECT_EQ(0, memcmp(a.ScanLine(y), b.ScanLine(y), 2));
    }
}
