#include <gtest/gtest.h>

#include "formats/Decoder.h"
#include "formats/FormatHelpers.h"
#include "formats/SafeLoad.h"
#include "platform/Exceptions.h"

TEST(SafeLoad, ChecksDataAndSizes)
{
    TMemoryStream s(std::vector<uint8_t>{1, 2, 3, 4, 5});
    EXPECT_EQ(safeload::ReadLongBE(s), 0x01020304u);
    EXPECT_THROW(safeload::ReadWordLE(s), EReadError);
    s.SetPosition(1);
    EXPECT_EQ(safeload::ReadWordLE(s), 0x0302);
    EXPECT_THROW(safeload::ReadBytes(s, 3), EReadError);
    EXPECT_THROW(safeload::ReadBytes(s, uint64_t(1) << 62), EReadError); // checked before allocating
    EXPECT_EQ(safeload::ReadBytes(s, 2), (std::vector<uint8_t>{4, 5}));

    EXPECT_EQ(safeload::CheckedMul(uint64_t(1) << 31, 4), uint64_t(1) << 33);
    EXPECT_THROW(safeload::CheckedMul(uint64_t(1) << 32, uint64_t(1) << 32), EOutOfResources);
    EXPECT_THROW(safeload::CheckedAdd(uint64_t(1) << 62, uint64_t(1) << 62), EOutOfResources);
}

TEST(SafeLoad, PalettesArePaddedToTheIndexRange)
{
    struct Case
    {
        size_t given;
        int bits;
        size_t expected;
    } cases[] = {{2, 8, 256}, {0, 1, 2}, {20, 4, 16}, {3, 24, 0}};
    for (const auto& c : cases) {
        std::vector<TRGBQuad> palette(c.given, TRGBQuad{1, 2, 3, 0});
        safeload::PadPalette(palette, c.bits);
        ASSERT_EQ(palette.size(), c.expected);
        if (c.expected > c.given) {
            EXPECT_EQ(palette.back(), TRGBQuad{}); // black
        }
    }
}

TEST(FormatHelpers, SwapsAndUpsample)
{
    uint16_t shorts[] = {0x1234, 0xABCD};
    SwapShort(shorts, 2);
    EXPECT_EQ(shorts[1], 0xCDAB);
    uint32_t longs[] = {0x11223344, 0x01020304};
    SwapLong(longs, 2);
    EXPECT_EQ(longs[1], 0x04030201u);
    EXPECT_EQ(SwapLong(0x01020304u), 0x04030201u);

    // One row of two doubles along x; the row below repeats it.
    uint8_t plane[8] = {10, 20};
    Upsample(2, 1, 4, plane, sizeof plane);
    EXPECT_EQ(std::vector<uint8_t>(plane, plane + 8), (std::vector<uint8_t>{10, 15, 20, 20, 10, 15, 20, 20}));
    // 2 x 2, rows 4 apart: the row between the widened rows averages them (rounding up), the last repeats.
    uint8_t square[16] = {0, 100, 0, 0, 200, 40};
    Upsample(2, 2, 4, square, sizeof square);
    EXPECT_EQ(std::vector<uint8_t>(square, square + 16),
              (std::vector<uint8_t>{0, 50, 100, 100, 100, 85, 70, 70, 200, 120, 40, 40, 200, 120, 40, 40}));
    uint8_t small[6] = {};
    EXPECT_THROW(Upsample(2, 1, 4, small, sizeof small), EInvalidGraphicOperation);
}

TEST(FormatHelpers, HorizontalPredictors)
{
    uint8_t one[] = {10, 1, 2, 250, 9};
    HorizontalPredictor1(one, sizeof one, 4); // the fifth byte is past the width
    EXPECT_EQ(std::vector<uint8_t>(one, one + 5), (std::vector<uint8_t>{10, 11, 13, 7, 9}));
    uint8_t three[] = {1, 2, 3, 1, 1, 1, 1, 1, 1};
    HorizontalPredictor3(three, sizeof three, 3);
    EXPECT_EQ(std::vector<uint8_t>(three, three + 9), (std::vector<uint8_t>{1, 2, 3, 2, 3, 4, 3, 4, 5}));
    uint8_t four[] = {1, 2, 3, 4, 1, 1};
    HorizontalPredictor4(four, sizeof four, 100); // a width beyond the row stops at its end
    EXPECT_EQ(std::vector<uint8_t>(four, four + 6), (std::vector<uint8_t>{1, 2, 3, 4, 2, 3}));
}

TEST(Decoder, BoundedCursorsAndCompressionCodes)
{
    uint8_t out[3] = {};
    TDecoderOutput o(out, 3);
    EXPECT_EQ(o.Fill(7, 2), 2);
    EXPECT_EQ(o.Fill(8, 5), 1); // the rest does not fit
    EXPECT_FALSE(o.Put(9));
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{7, 7, 8}));
    const uint8_t in[] = {1};
    TDecoderInput i(in, 1);
    uint8_t v = 0;
    EXPECT_TRUE(i.Next(v));
    EXPECT_FALSE(i.Next(v));

    using enum TCompressionCode;
    struct Case
    {
        uint32_t tag;
        TCompressionCode code;
    } cases[] = {{1, None},     {5, Lzw},       {8, Deflate},                      {32946, Deflate}, {32773, PackBits},
                 {6, OldJpeg}, {4, FaxGroup4}, {32771, FaxModifiedHuffmanWords}, {34661, Jbig},    {99, Unknown}};
    for (const auto& c : cases) EXPECT_EQ(CompressionFromTiffTag(c.tag), c.code) << c.tag;
}
