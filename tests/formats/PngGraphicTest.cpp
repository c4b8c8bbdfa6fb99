// PNG files built here chunk by chunk: chunk names and sizes, the colour types and depths the loader
// refuses, the filters worked by hand, the inflate stream across IDAT chunks, and Adam7 passes that
// start past the picture.
#include <gtest/gtest.h>

#include <zlib.h>

#include "TestFormats.h"
#include "formats/PngGraphic.h"

namespace {
void PutBE(Bytes& b, uint32_t v)
{
    for (int i = 3; i >= 0; --i) b.push_back(uint8_t(v >> (8 * i)));
}

Bytes Chunk(const std::string& type, const Bytes& data, int crcDelta = 0)
{
    Bytes c;
    PutBE(c, uint32_t(data.size()));
    c.insert(c.end(), type.begin(), type.end());
    c.insert(c.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (!data.empty()) crc = crc32(crc, data.data(), uInt(data.size()));
    PutBE(c, uint32_t(crc) + uint32_t(crcDelta));
    return c;
}

Bytes Ihdr(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint8_t interlace = 0)
{
    Bytes d;
    PutBE(d, w);
    PutBE(d, h);
    d.insert(d.end(), {depth, type, 0, 0, interlace});
    return Chunk("IHDR", d);
}

Bytes Deflated(const Bytes& raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    compress(out.data(), &size, raw.data(), uLong(raw.size()));
    out.resize(size);
    return out;
}

// Signature, header, the middle chunks, IEND.
Bytes Png(const Bytes& ihdr, std::initializer_list<Bytes> chunks)
{
    Bytes f = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    f.insert(f.end(), ihdr.begin(), ihdr.end());
    for (const Bytes& c : chunks) f.insert(f.end(), c.begin(), c.end());
    const Bytes end = Chunk("IEND", {});
    f.insert(f.end(), end.begin(), end.end());
    return f;
}

std::unique_ptr<TLoadedGraphic<TPNGGraphic>> Load(const Bytes& file) { return LoadGraphic<TPNGGraphic>(file); }

Bytes Row(const TBitmap& b, int y, size_t n) { return Bytes(b.ScanLine(y), b.ScanLine(y) + n); }

// A 2 x 2 RGB picture, rows filtered with none.
const Bytes kRgbRows = {0, 10, 20, 30, 40, 50, 60, 0, 70, 80, 90, 100, 110, 120};
} // namespace

TEST(PngGraphic, ChunkNamesSizesAndChecks)
{
    const Bytes ihdr = Ihdr(2, 2, 8, 2);
    const Bytes idat = Deflated(kRgbRows);
    Bytes longChunk = {0x80, 0, 0, 0, 't', 'E', 'X', 't'};
    const std::pair<Bytes, std::string> cases[] = {
        {Png(ihdr, {Chunk("idat", idat)}), ""},                            // names compare without case
        {Png(ihdr, {Chunk("abCD", {1, 2}), Chunk("IDAT", idat)}), ""},       // ancillary: skipped
        {Png(ihdr, {Chunk("ABCD", {1, 2}), Chunk("IDAT", idat)}),
         "Cannot load PNG image. Unexpected but critical chunk detected."},
        {Png(ihdr, {Chunk("IDAT", idat, 1)}), "Cannot load image. CRC error found in PNG file."},
        {Png(ihdr, {Chunk("PLTE", Bytes(767, 0)), Chunk("IDAT", idat)}),
         "Cannot load image. Palette in PNG file is invalid."},
        {Png(ihdr, {longChunk, Chunk("IDAT", idat)}), "Cannot load image. Invalid or unexpected PNG image format."},
        // A length that passes the file's end.
        {Png(ihdr, {Bytes{0, 0, 0x10, 0, 't', 'E', 'X', 't'}}), "Stream read error"},
        // Empty IDAT chunks between the pieces of the stream are read on.
        {Png(ihdr, {Chunk("IDAT", {}), Chunk("IDAT", Bytes(idat.begin(), idat.begin() + 5)), Chunk("IDAT", {}),
                    Chunk("IDAT", Bytes(idat.begin() + 5, idat.end()))}),
         ""},
        // gAMA of 0 and a wrong-sized tRNS and bKGD are ignored.
        {Png(ihdr, {Chunk("gAMA", {0, 0, 0, 0}), Chunk("tRNS", {1}), Chunk("bKGD", {1, 2, 3}), Chunk("IDAT", idat)}),
         ""},
        // Rows still wanted when the stream has ended, with bytes left in the chunk.
        {Png(ihdr, {Chunk("IDAT", [] { Bytes d = Deflated(Bytes(kRgbRows.begin(), kRgbRows.begin() + 7));
                                       d.push_back(0); return d; }())}),
         "Cannot load image. Extra compressed data found in PNG file."},
        {Png(ihdr, {Chunk("IDAT", Bytes(idat.size(), 0x55))}), "Cannot load image. Compression error found in PNG file."},
        // Chunks after the image data: a palette there changes nothing, a second IDAT run is passed over.
        {Png(ihdr, {Chunk("IDAT", idat), Chunk("tEXt", {'a', 0, 'b'}), Chunk("PLTE", {1, 2, 3}), Chunk("IDAT", idat)}), ""},
    };
    int index = 0;
    for (const auto& [file, error] : cases) {
        SCOPED_TRACE(index++);
        auto l = Load(file);
        EXPECT_EQ(l->Error, error);
        if (error.empty() && l->Error.empty()) {
            EXPECT_EQ(Row(l->Graphic.Bitmap(), 1, 6), (Bytes{90, 80, 70, 120, 110, 100}));
        }
    }
    auto l = Load(Png(ihdr, {Chunk("gAMA", {0, 0, 0, 0}), Chunk("IDAT", idat)}));
    EXPECT_EQ(l->Graphic.ImageProperties.Options & ImageOption::GammaApplied, 0);
}

TEST(PngGraphic, ColourTypesAndDepthsOutsideTheTableAreRefused)
{
    const std::pair<uint8_t, uint8_t> refused[] = {{1, 8}, {5, 8}, {7, 8}, {2, 4}, {0, 3}, {3, 16}, {4, 4}, {6, 2}};
    for (const auto& [type, depth] : refused)
        EXPECT_EQ(Load(Png(Ihdr(2, 2, depth, type), {Chunk("IDAT", Deflated(Bytes(20, 0)))}))->Error,
                  "Invalid color format in PNG file.")
            << int(type) << "/" << int(depth);
    // A palette of more entries than the depth can index.
    EXPECT_EQ(Load(Png(Ihdr(2, 2, 2, 3), {Chunk("PLTE", Bytes(15, 0)), Chunk("IDAT", Deflated(Bytes(4, 0)))}))->Error,
              "Cannot load image. Palette in PNG file is invalid.");
    EXPECT_EQ(Load(Png(Ihdr(2, 2, 2, 3), {Chunk("PLTE", Bytes(12, 0)), Chunk("IDAT", Deflated(Bytes(4, 0)))}))->Error,
              "");
}

TEST(PngGraphic, FiltersWorkedByHand)
{
    // Grey with alpha, 8 bits: 2 bytes a pixel, so the filters reach back two bytes. Row 0 with Sub,
    // row 1 with Average, row 2 with Paeth, row 3 with Up; a filter type of 5 is refused.
    // Row 0 raw: (10, 200) (5, 1) -> (10, 200) (15, 201).
    // Row 1 raw: (4, 0) (1, 2):  first pixel 4 + 10/2 = 9 (alpha 0 + 200/2 = 100); second 1 + (9 + 15)/2 = 13.
    // Row 2 raw: (1, 0) (2, 0):  first pixel 1 + 9 (up) = 10; second Paeth(10, 13, 9) = 13 (p = 14) -> 15.
    // Row 3 raw: (0, 0) (250, 0): up: 10, 15 + 250 = 265 -> 9.
    const Bytes rows = {1, 10, 200, 5, 1, 3, 4, 0, 1, 2, 4, 1, 0, 2, 0, 2, 0, 0, 250, 0};
    auto l = Load(Png(Ihdr(2, 4, 8, 4), {Chunk("IDAT", Deflated(rows))}));
    ASSERT_EQ(l->Error, "");
    const TBitmap& b = l->Graphic.Bitmap();
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    const Bytes grey = {Row(b, 0, 2)[0], Row(b, 0, 2)[1], Row(b, 1, 2)[0], Row(b, 1, 2)[1],
                        Row(b, 2, 2)[0], Row(b, 2, 2)[1], Row(b, 3, 2)[0], Row(b, 3, 2)[1]};
    EXPECT_EQ(grey, (Bytes{10, 15, 9, 13, 10, 15, 10, 9}));
    Bytes bad = rows;
    bad[15] = 5;
    EXPECT_EQ(Load(Png(Ihdr(2, 4, 8, 4), {Chunk("IDAT", Deflated(bad))}))->Error,
              "Cannot load image. Compression error found in PNG file.");
}

TEST(PngGraphic, InterlacedPassesStartingPastThePictureAreSkipped)
{
    // 3 x 1 grey: only pass 1 (pixel 0), pass 4 (pixel 2) and pass 6 (pixel 1) hold pixels; passes 3,
    // 5 and 7 start on rows 4, 2 and 1 and carry nothing.
    const Bytes rows = {0, 11, 0, 33, 0, 22};
    auto l = Load(Png(Ihdr(3, 1, 8, 0, 1), {Chunk("IDAT", Deflated(rows))}));
    ASSERT_EQ(l->Error, "");
    EXPECT_EQ(Row(l->Graphic.Bitmap(), 0, 3), (Bytes{11, 22, 33}));
    // 1 x 3: passes 1 (row 0), 5 (row 2) and 7 (row 1).
    l = Load(Png(Ihdr(1, 3, 8, 0, 1), {Chunk("IDAT", Deflated({0, 11, 0, 33, 0, 22}))}));
    ASSERT_EQ(l->Error, "");
    EXPECT_EQ((Bytes{Row(l->Graphic.Bitmap(), 0, 1)[0], Row(l->Graphic.Bitmap(), 1, 1)[0], Row(l->Graphic.Bitmap(), 2, 1)[0]}),
              (Bytes{11, 22, 33}));
}

TEST(PngGraphic, TransparencyAndBackgroundColours)
{
    const Bytes idat = Deflated(kRgbRows);
    auto l = Load(Png(Ihdr(2, 2, 8, 2), {Chunk("tRNS", {0, 10, 0, 20, 0, 30}), Chunk("bKGD", {0, 1, 0, 2, 0, 3}),
                                           Chunk("IDAT", idat)}));
    ASSERT_EQ(l->Error, "");
    EXPECT_EQ(l->Graphic.TransparentColor, 10u | 20u << 8 | 30u << 16);
    EXPECT_EQ(l->Graphic.BackgroundColor, 1u | 2u << 8 | 3u << 16);
    // Palette picture: the background is its entry's colour; a palette after the image changes nothing.
    l = Load(Png(Ihdr(2, 1, 8, 3), {Chunk("PLTE", {1, 2, 3, 4, 5, 6}), Chunk("bKGD", {1}),
                                      Chunk("IDAT", Deflated({0, 1, 0})), Chunk("PLTE", {9, 9, 9})}));
    ASSERT_EQ(l->Error, "");
    EXPECT_EQ(l->Graphic.BackgroundColor, 4u | 5u << 8 | 6u << 16);
    EXPECT_EQ(Row(l->Graphic.Bitmap(), 0, 2), (Bytes{1, 0}));
    EXPECT_EQ(l->Graphic.Bitmap().Palette()[1], (TRGBQuad{6, 5, 4, 0}));
}
