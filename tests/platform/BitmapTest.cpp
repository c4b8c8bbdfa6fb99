// TBitmap: sizes and row padding, the pixel limit, conversion to 24 bits and generation numbers.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <tuple>

#include "BmpTestFiles.h"
#include "platform/Exceptions.h"

using bmptest::TPixelLimitGuard;
using PF = TPixelFormat;

namespace {
// Rows are padded to four bytes, rows outside raise. Sizes whose byte count would overflow or pass
// the pixel limit are refused before allocating; a refused resize leaves the bitmap as it was.
TEST(Bitmap, RowsArePaddedAndOversizedPicturesRefusedWithoutAllocating)
{
    const std::tuple<PF, int, size_t> cases[] = {
        {PF::pf1bit, 32, 4},  {PF::pf1bit, 33, 8},  {PF::pf4bit, 9, 8},     {PF::pf8bit, 5, 8},
        {PF::pf15bit, 3, 8},  {PF::pf24bit, 5, 16}, {PF::pf24bit, 33, 100}, {PF::pf32bit, 3, 12}};
    for (const auto& [format, width, stride] : cases) {
        TBitmap bmp(width, 3, format);
        EXPECT_EQ(bmp.Stride(), stride) << int(format) << " width " << width;
        EXPECT_EQ(bmp.ScanLine(2) - bmp.ScanLine(0), ptrdiff_t(2 * stride));
    }
    EXPECT_EQ(TBitmap::RowBytes(0x7FFFFFFF, 32), int64_t(0x7FFFFFFF) * 4); // 64-bit row sizes
    TBitmap two(2, 2);
    EXPECT_THROW(two.ScanLine(-1), EInvalidGraphicOperation);
    EXPECT_THROW(static_cast<const TBitmap&>(two).ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(two.SetPalette(std::vector<TRGBQuad>(257)), EInvalidGraphicOperation);
    EXPECT_THROW(TBitmap(0x7FFFFFFF, 0x7FFFFFFF), EOutOfResources);
    EXPECT_THROW(TBitmap::CheckSize(-1, 5, 24), EOutOfResources);
    {
        TPixelLimitGuard none(INT64_MAX);
        EXPECT_THROW(TBitmap::CheckSize(0x7FFFFFFF, 0x7FFFFFFF, 32), EOutOfResources);
    }
    TPixelLimitGuard limit(100);
    EXPECT_NO_THROW(TBitmap::CheckSize(10, 10, 32));
    EXPECT_THROW(TBitmap::CheckSize(10, 11, 32), EOutOfResources);
    TBitmap bmp(5, 5, PF::pf8bit);
    bmp.ScanLine(4)[4] = 9;
    const uint64_t generation = bmp.Generation();
    EXPECT_THROW(bmp.SetSize(20, 20), EOutOfResources);
    EXPECT_EQ(bmp.ScanLine(4)[4], 9);
    EXPECT_EQ(bmp.Generation(), generation);
}

// Indexed pixels without a palette take the default one (1 bit: black and white, 4 and 8 bits: a
// grey ramp); an index past a short palette is black. (Every format against independent tools: the
// BMP fixtures.)
TEST(Bitmap, ConvertTo24UsesDefaultPalettesAndEveryChangeGivesANewGeneration)
{
    const std::vector<TRGBQuad> pal = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}};
    const std::tuple<TPixelFormat, uint8_t, bool, std::vector<uint8_t>> cases[] = {
        {PF::pf1bit, 0x80, false, {255, 255, 255, 0, 0, 0}},
        {PF::pf4bit, 0x1F, false, {17, 17, 17, 255, 255, 255}},
        {PF::pf4bit, 0x2F, true, {70, 80, 90, 0, 0, 0}},
        {PF::pf8bit, 128, false, {128, 128, 128, 0, 0, 0}},
        {PF::pf8bit, 3, true, {0, 0, 0, 10, 20, 30}}};
    for (const auto& [format, byte, palette, expected] : cases) {
        TBitmap bmp(2, 1, format);
        bmp.ScanLine(0)[0] = byte;
        if (palette) bmp.SetPalette(pal);
        bmp.ConvertTo24();
        EXPECT_EQ(std::vector<uint8_t>(bmp.ScanLine(0), bmp.ScanLine(0) + 6), expected) << int(format);
    }
    // Every change, a conversion in place too, gives a new generation; a new size has zero pixels.
    TBitmap a(3, 3), b(3, 3);
    uint64_t last = a.Generation();
    EXPECT_NE(last, b.Generation());
    for (const auto& change : std::vector<std::function<void()>>{
             [&] { a.Modified(); }, [&] { a.SetSize(4, 3); }, [&] { a.SetPixelFormat(PF::pf8bit); },
             [&] { a.SetPalette({{1, 2, 3, 0}}); }, [&] { a.ConvertTo24(); }}) {
        change();
        EXPECT_NE(a.Generation(), last);
        last = a.Generation();
    }
    (void)a.ScanLine(0); // reading and setting the same size are no changes
    a.SetSize(4, 3);
    EXPECT_EQ(a.Generation(), last);
    std::memset(b.Bits(), 7, b.ByteSize());
    b.SetSize(5, 4);
    EXPECT_EQ(std::vector<uint8_t>(b.Bits(), b.Bits() + b.ByteSize()), std::vector<uint8_t>(b.ByteSize()));
}
} // namespace
