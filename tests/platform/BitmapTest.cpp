// TBitmap: sizes and row padding, the pixel limit, conversion to 24 bits and generation numbers.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>

#include "BmpTestFiles.h"
#include "platform/Exceptions.h"

using bmptest::TPixelLimitGuard;
using PF = TPixelFormat;

namespace {
TEST(Bitmap, RowsArePaddedToFourBytesChangesGiveZeroPixelsAndRowsOutsideRaise)
{
    struct TCase
    {
        TPixelFormat Format;
        int Width;
        size_t Stride;
    };
    const TCase cases[] = {
        {PF::pf1bit, 1, 4},  {PF::pf1bit, 32, 4},  {PF::pf1bit, 33, 8},   {PF::pf4bit, 7, 4},
        {PF::pf4bit, 9, 8},  {PF::pf8bit, 4, 4},   {PF::pf8bit, 5, 8},    {PF::pf15bit, 3, 8},
        {PF::pf16bit, 2, 4}, {PF::pf24bit, 1, 4},  {PF::pf24bit, 5, 16},  {PF::pf24bit, 33, 100},
        {PF::pf32bit, 3, 12},
    };
    for (const TCase& c : cases) {
        TBitmap bmp(c.Width, 3, c.Format);
        EXPECT_EQ(bmp.Stride(), c.Stride) << int(c.Format) << " width " << c.Width;
        EXPECT_EQ(bmp.ByteSize(), c.Stride * 3);
        EXPECT_EQ(bmp.ScanLine(2) - bmp.ScanLine(0), ptrdiff_t(2 * c.Stride));
    }
    EXPECT_EQ(TBitmap::RowBytes(0x7FFFFFFF, 32), int64_t(0x7FFFFFFF) * 4); // 64-bit row sizes

    // size and format changes give zero pixels; rows outside the picture raise
    TBitmap bmp(4, 2, PF::pf8bit);
    EXPECT_FALSE(bmp.Empty());
    std::memset(bmp.ScanLine(1), 7, 4);
    bmp.SetSize(5, 3);
    EXPECT_EQ(bmp.Width(), 5);
    EXPECT_EQ(bmp.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(bmp.ScanLine(y)[x], 0);
    bmp.SetPixelFormat(PF::pf24bit);
    EXPECT_EQ(bmp.Stride(), 16u);
    bmp.SetWidth(0);
    EXPECT_TRUE(bmp.Empty());
    EXPECT_TRUE(TBitmap().Empty());

    TBitmap two(2, 2);
    EXPECT_THROW(two.ScanLine(-1), EInvalidGraphicOperation);
    EXPECT_THROW(two.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(static_cast<const TBitmap&>(two).ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(two.SetPalette(std::vector<TRGBQuad>(257)), EInvalidGraphicOperation);
}

TEST(Bitmap, PixelLimitRefusesOversizedPicturesWithoutAllocating)
{
    // A size that could not be allocated at all: only the check can produce EOutOfResources.
    EXPECT_THROW(TBitmap(0x7FFFFFFF, 0x7FFFFFFF), EOutOfResources);
    EXPECT_THROW(TBitmap::CheckSize(-1, 5, 24), EOutOfResources);
    EXPECT_THROW(TBitmap::CheckSize(int64_t(1) << 32, 1, 8), EOutOfResources);
    {
        // Without a pixel limit the byte count itself must not overflow.
        TPixelLimitGuard none(INT64_MAX);
        EXPECT_THROW(TBitmap::CheckSize(0x7FFFFFFF, 0x7FFFFFFF, 32), EOutOfResources);
    }
    TPixelLimitGuard limit(100);
    EXPECT_NO_THROW(TBitmap::CheckSize(10, 10, 32));
    EXPECT_THROW(TBitmap::CheckSize(10, 11, 32), EOutOfResources);
    EXPECT_THROW(TBitmap::CheckSize(101, 1, 1), EOutOfResources);
    // a refused resize leaves the bitmap as it was
    TBitmap bmp(5, 5, PF::pf8bit);
    bmp.ScanLine(4)[4] = 9;
    const uint64_t generation = bmp.Generation();
    EXPECT_THROW(bmp.SetSize(20, 20), EOutOfResources);
    EXPECT_EQ(bmp.Width(), 5);
    EXPECT_EQ(bmp.ScanLine(4)[4], 9);
    EXPECT_EQ(bmp.Generation(), generation);
}

TEST(Bitmap, ConvertTo24FromEveryFormat)
{
    const std::vector<TRGBQuad> pal = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}};
    struct TCase
    {
        const char* Name;
        TPixelFormat Format;
        std::vector<uint8_t> Row; // row 0 bytes
        bool Palette;
        std::vector<std::array<int, 3>> Expected; // blue, green, red of the first pixels
    };
    const TCase cases[] = {
        {"1-bit", PF::pf1bit, {0x5A}, true, {{10, 20, 30}, {40, 50, 60}, {10, 20, 30}, {40, 50, 60}}},
        {"1-bit default", PF::pf1bit, {0x80}, false, {{255, 255, 255}, {0, 0, 0}}},
        // high nibble first; index 15 is past the palette: black
        {"4-bit", PF::pf4bit, {0x21, 0xF0}, true, {{70, 80, 90}, {40, 50, 60}, {0, 0, 0}, {10, 20, 30}}},
        {"4-bit default ramp", PF::pf4bit, {0x1F}, false, {{17, 17, 17}, {255, 255, 255}}},
        {"8-bit", PF::pf8bit, {2, 0, 200}, true, {{70, 80, 90}, {10, 20, 30}, {0, 0, 0}}},
        {"8-bit ramp", PF::pf8bit, {0, 128, 255}, false, {{0, 0, 0}, {128, 128, 128}, {255, 255, 255}}},
        // 1-5-5-5: white, pure blue (ignoring the top bit), red 3 -> 24, green 16 -> 132
        {"15-bit", PF::pf15bit, {0xFF, 0x7F, 0x1F, 0x80, 0x00, 0x0C, 0x00, 0x02}, false,
         {{255, 255, 255}, {255, 0, 0}, {0, 0, 24}, {0, 132, 0}}},
        // 5-6-5: white, green 63, green 1 -> 4, red 16 -> 132
        {"16-bit", PF::pf16bit, {0xFF, 0xFF, 0xE0, 0x07, 0x20, 0x00, 0x00, 0x80}, false,
         {{255, 255, 255}, {0, 255, 0}, {0, 4, 0}, {0, 0, 132}}},
        {"24-bit", PF::pf24bit, {1, 2, 3, 4, 5, 6}, false, {{1, 2, 3}, {4, 5, 6}}},
        // the fourth byte is dropped
        {"32-bit", PF::pf32bit, {1, 2, 3, 99, 4, 5, 6, 77}, false, {{1, 2, 3}, {4, 5, 6}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap bmp(int(c.Expected.size()), 2, c.Format);
        std::memcpy(bmp.ScanLine(0), c.Row.data(), c.Row.size());
        if (c.Palette) bmp.SetPalette(pal);
        TBitmap copy = bmp.To24();
        ASSERT_EQ(copy.PixelFormat(), PF::pf24bit);
        for (size_t x = 0; x < c.Expected.size(); ++x) {
            const uint8_t* p = copy.ScanLine(0) + 3 * x;
            EXPECT_EQ((std::array<int, 3>{p[0], p[1], p[2]}), c.Expected[x]) << "pixel " << x;
        }
        // in place gives the same, with a new generation when the format changed
        const uint64_t before = bmp.Generation();
        bmp.ConvertTo24();
        EXPECT_EQ(bmp.PixelFormat(), PF::pf24bit);
        EXPECT_EQ(std::memcmp(bmp.Bits(), copy.Bits(), copy.ByteSize()), 0);
        EXPECT_EQ(bmp.Generation() != before, c.Format != PF::pf24bit);
    }
}

TEST(Bitmap, GenerationChangesWithEveryModification)
{
    TBitmap a(3, 3), b(3, 3);
    EXPECT_NE(a.Generation(), b.Generation());
    uint64_t last = a.Generation();
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"Modified", [&] { a.Modified(); }},
        {"SetSize", [&] { a.SetSize(4, 3); }},
        {"SetPixelFormat", [&] { a.SetPixelFormat(PF::pf8bit); }},
        {"SetPalette", [&] { a.SetPalette({{1, 2, 3, 0}}); }},
        {"ConvertTo24", [&] { a.ConvertTo24(); }},
    };
    for (const auto& [what, change] : changes) {
        change();
        EXPECT_NE(a.Generation(), last) << what;
        EXPECT_NE(a.Generation(), b.Generation()) << what;
        last = a.Generation();
    }
    // reading does not count as a change; setting the same size does not either
    (void)a.ScanLine(0);
    a.SetSize(4, 3);
    EXPECT_EQ(a.Generation(), last);
}
} // namespace
