// GIF files built here block by block, their image data coded with clear codes so frequent that the
// string table never reaches the next code width: every code is a plain index of the first width.
#include <gtest/gtest.h>

#include "TestFormats.h"
#include "formats/GifGraphic.h"

namespace {
// LZW data of the indices at the given minimum code size, least significant bit first, as sub-blocks.
Bytes ImageData(const Bytes& indices, uint8_t codeSize)
{
    const int width = codeSize + 1, clear = 1 << codeSize;
    // After a clear, k codes fill entries up to clear + k; the width grows once 2 x clear - 1 is filled.
    const size_t perClear = size_t(std::max(1, clear - 2));
    Bytes packed;
    uint32_t acc = 0;
    int bits = 0;
    auto put = [&](int code) {
        acc |= uint32_t(code) << bits;
        for (bits += width; bits >= 8; bits -= 8, acc >>= 8) packed.push_back(uint8_t(acc));
    };
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % perClear == 0) put(clear);
        put(indices[i]);
    }
    put(clear + 1);
    if (bits > 0) packed.push_back(uint8_t(acc));
    Bytes out = {codeSize};
    for (size_t i = 0; i < packed.size(); i += 255) {
        const size_t n = std::min<size_t>(255, packed.size() - i);
        out.push_back(uint8_t(n));
        out.insert(out.end(), packed.begin() + std::ptrdiff_t(i), packed.begin() + std::ptrdiff_t(i + n));
    }
    out.push_back(0);
    return out;
}

struct TGif
{
    std::string Signature = "GIF89a";
    uint16_t ScreenWidth = 0, ScreenHeight = 0;
    uint8_t ScreenFlags = 0x81; // global table of 4 entries
    Bytes GlobalTable = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    Bytes BeforeImage;
    bool Image = true;
    uint16_t Width = 0, Height = 0;
    uint8_t ImageFlags = 0;
    Bytes LocalTable;
    Bytes Data;

    Bytes Build() const
    {
        Bytes f(Signature.begin(), Signature.end());
        auto le = [&](uint16_t v) { f.push_back(uint8_t(v)); f.push_back(uint8_t(v >> 8)); };
        le(ScreenWidth);
        le(ScreenHeight);
        f.insert(f.end(), {ScreenFlags, 0, 0});
        f.insert(f.end(), GlobalTable.begin(), GlobalTable.end());
        f.insert(f.end(), BeforeImage.begin(), BeforeImage.end());
        if (Image) {
            f.push_back(0x2C);
            le(0);
            le(0);
            le(Width);
            le(Height);
            f.push_back(ImageFlags);
            f.insert(f.end(), LocalTable.begin(), LocalTable.end());
            f.insert(f.end(), Data.begin(), Data.end());
        }
        f.push_back(0x3B);
        return f;
    }
};

std::unique_ptr<TLoadedGraphic<TGIFGraphic>> Load(const Bytes& file) { return LoadGraphic<TGIFGraphic>(file); }

TGif Picture(uint16_t w, uint16_t h, const Bytes& indices, uint8_t codeSize = 2)
{
    TGif g;
    g.ScreenWidth = w;
    g.ScreenHeight = h;
    g.Width = w;
    g.Height = h;
    g.Data = ImageData(indices, codeSize);
    return g;
}
} // namespace

TEST(GifGraphic, RowsTablesAndExtensions)
{
    const Bytes indices = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2, 3, 3, 0, 0, 2, 0, 2, 0};
    struct TCase
    {
        const char* What;
        TGif Gif;
        std::vector<int> RowOrder; // file row k lands on bitmap row RowOrder[k]
    };
    TGif lower = Picture(4, 5, indices);
    lower.Signature = "gif87a";
    TGif width0 = Picture(4, 5, indices);
    width0.Width = 0;
    TGif extensions = Picture(4, 5, indices);
    // An unknown label with sub-blocks, a comment, a graphic control block, a stray byte.
    extensions.BeforeImage = {0x21, 0x77, 3, 'a', 'b', 'c', 2, 'd', 'e', 0, 0x21, 0xFE, 2, 'h', 'i', 0,
                              0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x00};
    TGif interlaced = Picture(4, 5, indices);
    interlaced.ImageFlags = 0x40;
    TGif codeSize4 = Picture(4, 5, indices, 4);
    const TCase cases[] = {
        {"lower-case signature", lower, {0, 1, 2, 3, 4}},
        {"width 0 takes the screen's", width0, {0, 1, 2, 3, 4}},
        {"extensions passed over", extensions, {0, 1, 2, 3, 4}},
        {"interlaced", interlaced, {0, 4, 2, 1, 3}},
        {"code size 4", codeSize4, {0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        auto l = Load(c.Gif.Build());
        ASSERT_EQ(l->Error, "");
        const TBitmap& b = l->Graphic.Bitmap();
        ASSERT_EQ(std::tuple(b.Width(), b.Height(), b.PixelFormat()), std::tuple(4, 5, TPixelFormat::pf8bit));
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(Bytes(b.ScanLine(c.RowOrder[size_t(k)]), b.ScanLine(c.RowOrder[size_t(k)]) + 4),
                      Bytes(indices.begin() + 4 * k, indices.begin() + 4 * k + 4))
                << k;
        EXPECT_EQ(b.Palette()[1], (TRGBQuad{0, 0, 255, 0}));
    }
}

TEST(GifGraphic, PalettesAndRefusedCodeSizes)
{
    // A local table (flags 0x87: 256 entries) replaces the global one and sets 8 bits per sample.
    TGif local = Picture(2, 1, {1, 0});
    local.ImageFlags = 0x87;
    local.LocalTable = Bytes(768, 0);
    local.LocalTable[3] = 9;
    auto l = Load(local.Build());
    ASSERT_EQ(l->Error, "");
    EXPECT_EQ(l->Graphic.ImageProperties.BitsPerSample, 8);
    EXPECT_EQ(l->Graphic.Bitmap().Palette()[1], (TRGBQuad{0, 0, 9, 0}));

    // Neither table: grey levels.
    TGif bare = Picture(2, 1, {1, 3});
    bare.ScreenFlags = 0;
    bare.GlobalTable.clear();
    l = Load(bare.Build());
    ASSERT_EQ(l->Error, "");
    EXPECT_EQ(l->Graphic.Bitmap().Palette()[3], (TRGBQuad{3, 3, 3, 0}));

    // Only extensions and the trailer: an empty picture with the global palette.
    TGif none = Picture(2, 1, {});
    none.Image = false;
    l = Load(none.Build());
    EXPECT_EQ(l->Error, "");
    EXPECT_TRUE(l->Graphic.Empty());

    for (uint8_t size : {uint8_t(0), uint8_t(12), uint8_t(255)}) {
        TGif bad = Picture(2, 1, {1, 0});
        bad.Data[0] = size;
        EXPECT_EQ(Load(bad.Build())->Error, "Cannot load image. Compression error found in GIF file.") << int(size);
    }
}
