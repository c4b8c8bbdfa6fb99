#include <gtest/gtest.h>

#include "TestFormats.h"
#include "formats/Decoder.h"
#include "formats/FormatHelpers.h"

// Checked reads and sizes, padded palettes and the decoders' bounded cursors.
TEST(SafeLoad, ChecksDataSizesAndCursors)
{
    TMemoryStream s(Bytes{1, 2, 3, 4, 5});
    EXPECT_EQ(safeload::ReadLongBE(s), 0x01020304u);
    EXPECT_THROW(safeload::ReadWordLE(s), EReadError);
    s.SetPosition(1);
    EXPECT_EQ(safeload::ReadWordLE(s), 0x0302);
    EXPECT_THROW(safeload::ReadBytes(s, 3), EReadError);
    EXPECT_THROW(safeload::ReadBytes(s, uint64_t(1) << 62), EReadError); // checked before allocating
    EXPECT_EQ(safeload::ReadBytes(s, 2), (Bytes{4, 5}));
    EXPECT_EQ(safeload::CheckedMul(uint64_t(1) << 31, 4), uint64_t(1) << 33);
    EXPECT_THROW(safeload::CheckedMul(uint64_t(1) << 32, uint64_t(1) << 32), EOutOfResources);
    EXPECT_THROW(safeload::CheckedAdd(uint64_t(1) << 62, uint64_t(1) << 62), EOutOfResources);

    // Palettes are padded with black to the index range of the depth, or cut to it.
    const std::tuple<size_t, int, size_t> palettes[] = {{2, 8, 256}, {0, 1, 2}, {20, 4, 16}, {3, 24, 0}};
    for (const auto& [given, bits, expected] : palettes) {
        std::vector<TRGBQuad> palette(given, TRGBQuad{1, 2, 3, 0});
        safeload::PadPalette(palette, bits);
        ASSERT_EQ(palette.size(), expected);
        EXPECT_TRUE(expected <= given || palette.back() == TRGBQuad{}) << given;
    }

    uint8_t out[3] = {};
    TDecoderOutput o(out, 3);
    const int64_t whole = o.Fill(7, 2), part = o.Fill(8, 5); // the rest does not fit
    EXPECT_EQ(std::tuple(whole, part, o.Put(9)), std::tuple(2, 1, false));
    EXPECT_EQ(Bytes(out, out + 3), (Bytes{7, 7, 8}));
    const uint8_t in[] = {1};
    TDecoderInput i(in, 1);
    uint8_t v = 0;
    EXPECT_TRUE(i.Next(v) && !i.Next(v));
}

TEST(FormatHelpers, SwapsUpsamplePredictorsAndCompressionCodes)
{
    uint16_t shorts[] = {0x1234, 0xABCD};
    SwapShort(shorts, 2);
    uint32_t longs[] = {0x11223344, 0x01020304};
    SwapLong(longs, 2);
    EXPECT_EQ(std::tuple(shorts[1], longs[1], SwapLong(0x01020304u)), std::tuple(0xCDAB, 0x04030201u, 0x04030201u));

    // One row of two doubles along x and the row below repeats it; 2 x 2 with rows 4 apart: the row
    // between the widened rows averages them (rounding up), the last repeats.
    Bytes plane = {10, 20, 0, 0, 0, 0, 0, 0}, square = {0, 100, 0, 0, 200, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Upsample(2, 1, 4, plane.data(), plane.size());
    EXPECT_EQ(plane, (Bytes{10, 15, 20, 20, 10, 15, 20, 20}));
    Upsample(2, 2, 4, square.data(), square.size());
    EXPECT_EQ(square, (Bytes{0, 50, 100, 100, 100, 85, 70, 70, 200, 120, 40, 40, 200, 120, 40, 40}));
    EXPECT_THROW(Upsample(2, 1, 4, plane.data(), 6), EInvalidGraphicOperation);

    Bytes one = {10, 1, 2, 250, 9}, three = {1, 2, 3, 1, 1, 1, 1, 1, 1}, four = {1, 2, 3, 4, 1, 1};
    HorizontalPredictor1(one.data(), one.size(), 4); // the fifth byte is past the width
    HorizontalPredictor3(three.data(), three.size(), 3);
    HorizontalPredictor4(four.data(), four.size(), 100); // a width beyond the row stops at its end
    EXPECT_EQ(one, (Bytes{10, 11, 13, 7, 9}));
    EXPECT_EQ(three, (Bytes{1, 2, 3, 2, 3, 4, 3, 4, 5}));
    EXPECT_EQ(four, (Bytes{1, 2, 3, 4, 2, 3}));

    // Compression codes from the tags of the TIFF standard.
    using enum TCompressionCode;
    const std::pair<uint32_t, TCompressionCode> cases[] = {
        {1, None},     {5, Lzw},       {8, Deflate},                      {32946, Deflate}, {32773, PackBits},
        {6, OldJpeg}, {4, FaxGroup4}, {32771, FaxModifiedHuffmanWords}, {34661, Jbig},    {99, Unknown}};
    for (const auto& [tag, code] : cases) EXPECT_EQ(CompressionFromTiffTag(tag), code) << tag;
}
