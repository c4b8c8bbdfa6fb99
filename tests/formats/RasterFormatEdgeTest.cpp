// Edge cases of the raster formats, in files built here byte by byte: what each reader refuses and
// with which message, what it reads past, and the cases where a careless reader loses or invents
// pixels. Expected pixels are worked out by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "TestFormats.h"
#include "formats/AutodeskGraphic.h"
#include "formats/BitmapGraphic.h"
#include "formats/CutGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/FormatErrors.h"
#include "formats/PcdGraphic.h"
#include "formats/PcxGraphic.h"
#include "formats/PpmGraphic.h"
#include "formats/PsdGraphic.h"
#include "formats/PspGraphic.h"
#include "formats/RlaGraphic.h"
#include "formats/SgiGraphic.h"
#include "formats/TargaGraphic.h"

namespace {

// Appends numbers of either byte order.
struct TBuilder
{
    Bytes Data;
    TBuilder& Be16(unsigned v) { return Put({uint8_t(v >> 8), uint8_t(v)}); }
    TBuilder& Be32(uint32_t v) { return Put({uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}); }
    TBuilder& Le16(unsigned v) { return Put({uint8_t(v), uint8_t(v >> 8)}); }
    TBuilder& Le32(uint32_t v) { return Put({uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
    TBuilder& Text(const std::string& s) { return Put(Bytes(s.begin(), s.end())); }
    TBuilder& Put(const Bytes& b)
    {
        Data.insert(Data.end(), b.begin(), b.end());
        return *this;
    }
    TBuilder& Zeros(size_t n) { return Put(Bytes(n, 0)); }
};

template <class G> std::unique_ptr<G> Load(const Bytes& data)
{
    auto g = std::make_unique<G>();
    TMemoryStream s(data);
    g->LoadFromStream(s);
    return g;
}

template <class G> std::string LoadError(const Bytes& data)
{
    return ErrorOf<EInvalidGraphic>([&] { Load<G>(data); });
}

template <class G> bool Sniffs(const Bytes& data)
{
    TMemoryStream s(data);
    s.SetPosition(0);
    const bool yes = G::CanLoad(s);
    EXPECT_EQ(s.Position(), 0);
    return yes;
}

// Pixel (x, y) as red, green, blue.
std::array<int, 3> Rgb(const TBitmap& b, int x, int y)
{
    std::vector<uint8_t> row(size_t(b.Width()) * 3);
    b.RowTo24(y, row.data());
    return {row[size_t(x) * 3 + 2], row[size_t(x) * 3 + 1], row[size_t(x) * 3]};
}

// A Photoshop file: header, colour mode data, no resources or layers, raw planes.
Bytes Psd(unsigned channels, unsigned depth, unsigned mode, int w, int h, const Bytes& colourData, const Bytes& planes,
          unsigned compression = 0)
{
    TBuilder b;
    b.Text("8BPS").Be16(1).Zeros(6).Be16(channels).Be32(uint32_t(h)).Be32(uint32_t(w)).Be16(depth).Be16(mode);
    b.Be32(uint32_t(colourData.size())).Put(colourData).Be32(0).Be32(0).Be16(compression).Put(planes);
    return b.Data;
}

const std::string kPsdColour = "Invalid color format in PSD or PDD file.";

} // namespace

TEST(PsdFormat, RefusesWhatItCannotShow)
{
    const Bytes planes(4 * 2 * 2 * 60, 0);
    struct Case
    {
        const char* What;
        unsigned Channels, Depth, Mode;
        size_t ColourData;
        unsigned Compression;
        std::string Message;
    } cases[] = {
        {"RGB with two channels", 2, 8, 3, 0, 0, kPsdColour},
        {"57 channels", 57, 8, 1, 0, 0, kPsdColour},
        {"4 bits", 1, 4, 1, 0, 0, kPsdColour},
        {"grey of 1 bit", 1, 1, 1, 0, 0, kPsdColour},
        {"bitmap of 8 bits", 1, 8, 0, 0, 0, kPsdColour},
        {"palette of 767 bytes", 1, 8, 2, 767, 0, kPsdColour},
        {"CMYK with three channels", 3, 8, 4, 0, 0, kPsdColour},
        {"mode 5", 1, 8, 5, 0, 0, kPsdColour},
        {"zip compression", 3, 8, 3, 0, 2, "Cannot load image. The compression scheme is not supported for PSD or PDD files."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadError<TPSDGraphic>(Psd(c.Channels, c.Depth, c.Mode, 2, 2, Bytes(c.ColourData, 0), planes, c.Compression)),
                  c.Message)
            << c.What;
    // 56 channels are fine: the first three are the colours.
    EXPECT_EQ(LoadError<TPSDGraphic>(Psd(56, 8, 3, 2, 2, {}, Bytes(56 * 4, 7))), "");
}

TEST(PsdFormat, LowerCaseSignatureSniffsButDoesNotLoad)
{
    Bytes file = Psd(3, 8, 3, 1, 1, {}, {1, 2, 3});
    EXPECT_TRUE(Sniffs<TPSDGraphic>(file));
    std::memcpy(file.data(), "8bps", 4);
    EXPECT_TRUE(Sniffs<TPSDGraphic>(file));
    EXPECT_EQ(LoadError<TPSDGraphic>(file), "Cannot load image. Invalid or unexpected PSD or PDD image format.");
}

TEST(PsdFormat, ModesTakeOnlyTheirOwnPlanes)
{
    // Grey with an extra (alpha) channel: one 8-bit plane, the second ignored.
    auto g = Load<TPSDGraphic>(Psd(2, 8, 1, 2, 1, {}, {10, 200, 99, 99}));
    EXPECT_EQ(g->Bitmap().PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(Rgb(g->Bitmap(), 1, 0), (std::array<int, 3>{200, 200, 200}));
    // RGB with 4 channels keeps the fourth as alpha.
    g = Load<TPSDGraphic>(Psd(4, 8, 3, 1, 1, {}, {1, 2, 3, 4}));
    ASSERT_EQ(g->Bitmap().PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(Bytes(g->Bitmap().ScanLine(0), g->Bitmap().ScanLine(0) + 4), (Bytes{3, 2, 1, 4}));
    // CMYK: a stored 255 is no ink, 0 full ink; cyan full and the rest none gives (0, 255, 255).
    g = Load<TPSDGraphic>(Psd(5, 8, 4, 1, 1, {}, {0, 255, 255, 255, 17}));
    EXPECT_EQ(Rgb(g->Bitmap(), 0, 0), (std::array<int, 3>{0, 255, 255}));
    // Bitmap mode: 10 pixels take 2 bytes a row, 1 is black.
    g = Load<TPSDGraphic>(Psd(1, 1, 0, 10, 1, {}, {0x80, 0x40}));
    ASSERT_EQ(g->Bitmap().PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(Rgb(g->Bitmap(), 0, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(Rgb(g->Bitmap(), 1, 0), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(Rgb(g->Bitmap(), 9, 0), (std::array<int, 3>{0, 0, 0}));
    // Run-length 16-bit grey: the counts are bytes, a row unpacks to Width x 2 bytes.
    TBuilder rle;
    rle.Be16(5).Be16(2).Put({0x03, 0x12, 0x34, 0x80, 0x00}).Put({0xFD, 0x40});
    const Bytes file = Psd(1, 16, 1, 2, 2, {}, {}, 1);
    Bytes withData = file;
    withData.insert(withData.end(), rle.Data.begin(), rle.Data.end());
    g = Load<TPSDGraphic>(withData);
    // 0x1234 -> 0x1234 x 255 / 65535 = 18, 0x8000 -> 127; the second row is 0x4040 twice -> 64.
    EXPECT_EQ(Rgb(g->Bitmap(), 0, 0)[0], 18);
    EXPECT_EQ(Rgb(g->Bitmap(), 1, 0)[0], 127);
    EXPECT_EQ(Rgb(g->Bitmap(), 1, 1)[0], 64);
}

// ---- Targa ----

namespace {
Bytes TargaHeader(unsigned mapType, unsigned type, unsigned first, unsigned length, unsigned entry, int w, int h,
                  unsigned depth, unsigned descriptor)
{
    TBuilder b;
    b.Put({0, uint8_t(mapType), uint8_t(type)}).Le16(first).Le16(length).Put({uint8_t(entry)});
    b.Le16(0).Le16(0).Le16(unsigned(w)).Le16(unsigned(h)).Put({uint8_t(depth), uint8_t(descriptor)});
    return b.Data;
}
} // namespace

TEST(TargaFormat, HeadersOutsideTheKnownOnesLoadNothing)
{
    struct Case
    {
        const char* What;
        Bytes Header;
    } cases[] = {
        {"type 4", TargaHeader(0, 4, 0, 0, 0, 2, 2, 24, 0)},
        {"depth 12", TargaHeader(0, 2, 0, 0, 0, 2, 2, 12, 0)},
        {"map of 8-bit entries", TargaHeader(1, 1, 0, 2, 8, 2, 2, 8, 0)},
        {"colour-mapped without a map", TargaHeader(0, 1, 0, 0, 0, 2, 2, 8, 0)},
        {"map type 2", TargaHeader(2, 2, 0, 0, 24, 2, 2, 24, 0)},
        {"grey of 16 bits", TargaHeader(0, 3, 0, 0, 0, 2, 2, 16, 0)},
    };
    for (const auto& c : cases) {
        Bytes file = c.Header;
        file.resize(file.size() + 64, 0x55);
        std::unique_ptr<TTargaGraphic> g;
        EXPECT_NO_THROW(g = Load<TTargaGraphic>(file)) << c.What;
        EXPECT_TRUE(g && g->Empty()) << c.What;
    }
    // A true-colour file whose map entry size is 0 is no Targa to sniffing, but loads.
    Bytes file = TargaHeader(0, 2, 0, 0, 0, 1, 1, 24, 0);
    file.insert(file.end(), {1, 2, 3, 0});
    EXPECT_FALSE(Sniffs<TTargaGraphic>(file));
    EXPECT_EQ(Rgb(Load<TTargaGraphic>(file)->Bitmap(), 0, 0), (std::array<int, 3>{3, 2, 1}));
}

TEST(TargaFormat, MapsAreReadPastAndPlacedFromTheirFirstIndex)
{
    // A 15-bit map of 2 entries from index 254 (the second entry would be 256: dropped), and a
    // bottom-up picture of two rows.
    Bytes file = TargaHeader(1, 1, 254, 3, 15, 1, 2, 8, 0);
    TBuilder map;
    map.Le16(0x7C00).Le16(0x03E0).Le16(0x001F); // red, green, blue
    file.insert(file.end(), map.Data.begin(), map.Data.end());
    file.insert(file.end(), {255, 254});        // bottom row 255, top row 254
    const auto g = Load<TTargaGraphic>(file);
    EXPECT_EQ(Rgb(g->Bitmap(), 0, 0), (std::array<int, 3>{255, 0, 0})); // 31 of 31 is full
    EXPECT_EQ(Rgb(g->Bitmap(), 0, 1), (std::array<int, 3>{0, 255, 0}));
    // Run-length data cut short: the rows it reaches, the rest black.
    file = TargaHeader(0, 10, 0, 0, 0, 2, 2, 24, 0x20);
    file.insert(file.end(), {0x81, 9, 8, 7});
    const auto cut = Load<TTargaGraphic>(file);
    EXPECT_EQ(Rgb(cut->Bitmap(), 1, 0), (std::array<int, 3>{7, 8, 9}));
    EXPECT_EQ(Rgb(cut->Bitmap(), 1, 1), (std::array<int, 3>{0, 0, 0}));
}

TEST(TargaFormat, WriterRoundTrips)
{
    TScratchFolder tmp;
    const bool haveConvert = std::system("convert -version >/dev/null 2>&1") == 0;
    for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
                                TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        SCOPED_TRACE(TBitmap::BitsPerPixel(format));
        TBitmap source(13, 5, format);
        if (TBitmap::BitsPerPixel(format) <= 8) {
            std::vector<TRGBQuad> palette;
            for (int i = 0; i < (1 << TBitmap::BitsPerPixel(format)); ++i)
                palette.push_back(TRGBQuad{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3), 0});
            source.SetPalette(palette);
        }
        for (int y = 0; y < 5; ++y)
            for (size_t i = 0; i < source.Stride(); ++i) source.ScanLine(y)[i] = uint8_t(i < 4 ? 0x11 * y : i * 37 + y);
        source.Modified();
        if (format == TPixelFormat::pf15bit)
            for (int y = 0; y < 5; ++y)
                for (size_t i = 1; i < source.Stride(); i += 2) source.ScanLine(y)[i] &= 0x7F;
        TTargaGraphic writer;
        TBitmapGraphic picture(source);
        writer.Assign(picture);
        TMemoryStream stream;
        writer.SaveToStream(stream);
        const Bytes written(stream.Data().begin(), stream.Data().end());
        ASSERT_GT(written.size(), 18u);
        // Depth in the header: 16 for 15-bit pictures, 24 for 5-6-5 ones, 8 with a 256-entry map.
        const unsigned bits = TBitmap::BitsPerPixel(format);
        const unsigned expectedDepth = bits <= 8                         ? 8
                                       : format == TPixelFormat::pf15bit ? 16
                                       : format == TPixelFormat::pf16bit ? 24
                                                                         : bits;
        EXPECT_EQ(written[16], expectedDepth);
        EXPECT_EQ(written[17], 0x20);
        if (bits <= 8) {
            EXPECT_EQ(written[5] | written[6] << 8, 256);
        }
        const TBitmap expected = source.To24();
        const auto back = Load<TTargaGraphic>(written);
        const TBitmap ours = back->Bitmap().To24();
        ASSERT_EQ(ours.Width(), 13);
        for (int y = 0; y < 5; ++y)
            EXPECT_EQ(0, std::memcmp(ours.ScanLine(y), expected.ScanLine(y), 13 * 3)) << "row " << y;
        if (!haveConvert) continue;
        const std::string tga = tmp.Write("w.tga", written), ppm = tmp.Path("w.ppm");
        ASSERT_EQ(std::system(("convert " + tga + " -depth 8 " + ppm).c_str()), 0);
        std::ifstream f(ppm, std::ios::binary);
        std::string magic;
        int w, h, max;
        f >> magic >> w >> h >> max;
        f.get();
        Bytes rgb(13 * 5 * 3);
        f.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x)
                for (int c = 0; c < 3; ++c)
                    // ImageMagick widens 5-bit values its own way: within a level of ours.
                    EXPECT_LE(std::abs(rgb[size_t(y * 13 + x) * 3 + size_t(c)] - expected.ScanLine(y)[x * 3 + 2 - c]),
                              format == TPixelFormat::pf15bit ? 1 : 0)
                        << "ImageMagick, pixel " << x << "," << y;
    }
}

// ---- Dr. Halo CUT ----

TEST(CutFormat, PaletteFilesAreCutToWhatTheyHold)
{
    // 300 colours claimed, entries 0..299 written across blocks: cut to 256; entry 77 is the first
    // that would cross byte 506 of the first block and starts the second block instead.
    Bytes pal(2048, 0);
    pal[12] = (300 - 1) & 0xFF;
    pal[13] = (300 - 1) >> 8;
    size_t pos = 40;
    for (int i = 0; i < 300; ++i) {
        if (pos % 512 + 6 > 506) pos = (pos / 512 + 1) * 512;
        if (pos + 6 > pal.size()) break;
        pal[pos] = uint8_t(i);
        pal[pos + 2] = uint8_t(i + 1);
        pal[pos + 4] = uint8_t(i + 2);
        pos += 6;
    }
    auto palette = TCUTGraphic::ReadPaletteFile(pal);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[77], (TRGBQuad{79, 78, 77, 0}));
    EXPECT_EQ(pal[512], 77); // where entry 77 was put by hand
    // A file that ends inside entry 3 gives three entries.
    palette = TCUTGraphic::ReadPaletteFile(Bytes(pal.begin(), pal.begin() + 40 + 3 * 6 + 4));
    EXPECT_EQ(palette.size(), 3u);
    EXPECT_TRUE(TCUTGraphic::ReadPaletteFile(Bytes(10, 0)).empty());
}

TEST(CutFormat, NeverSniffedAndFindsItsPaletteInAnyCase)
{
    TScratchFolder tmp;
    const Bytes cut = {2, 0, 1, 0, 0, 0, 5, 0, 0x82, 9, 0};
    EXPECT_FALSE(Sniffs<TCUTGraphic>(cut));
    const std::string upper = tmp.Write("PIC.CUT", cut);
    EXPECT_EQ(TCUTGraphic::FindPaletteFile(upper), "");
    tmp.Write("PIC.PAL", Bytes(512, 0));
    EXPECT_EQ(TCUTGraphic::FindPaletteFile(upper), tmp.Path("PIC.PAL"));
    EXPECT_EQ(TCUTGraphic::FindPaletteFile(tmp.Path("pic.cut")), "");
    // Without a palette file the indices show as a grey ramp: the run of two 9s.
    TCUTGraphic g;
    TMemoryStream s(cut);
    g.LoadFromStream(s);
    EXPECT_EQ(Rgb(g.Bitmap(), 1, 0), (std::array<int, 3>{9, 9, 9}));
}

// ---- SGI ----

namespace {
Bytes SgiHeader(unsigned storage, unsigned bpc, unsigned dimension, int w, int h, unsigned z)
{
    TBuilder b;
    b.Be16(474).Put({uint8_t(storage), uint8_t(bpc)}).Be16(dimension).Be16(unsigned(w)).Be16(unsigned(h)).Be16(z);
    b.Zeros(512 - b.Data.size());
    return b.Data;
}
} // namespace

TEST(SgiFormat, ChannelCountsAndRowTables)
{
    const std::string invalid = "Cannot load image. Invalid or unexpected sgi, bw or rgb(a) image format.";
    for (unsigned z : {0u, 5u}) {
        Bytes f = SgiHeader(0, 1, 3, 1, 1, z);
        f.resize(f.size() + 16, 1);
        EXPECT_EQ(LoadError<TSGIGraphic>(f), invalid) << z;
    }
    // Two channels: the first shown as grey.
    Bytes f = SgiHeader(0, 1, 3, 2, 1, 2);
    f.insert(f.end(), {40, 80, 200, 200});
    const auto g = Load<TSGIGraphic>(f);
    EXPECT_EQ(g->Bitmap().PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(Rgb(g->Bitmap(), 1, 0), (std::array<int, 3>{80, 80, 80}));
    // 16-bit run-length rows: the length counts bytes (10 for three codes and the end), samples
    // reduced to 8 bits.
    const Bytes rle = {0x00, 0x82, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x01, 0x12, 0x34, 0x00, 0x00};
    Bytes g16 = SgiHeader(1, 2, 2, 3, 1, 1);
    TBuilder t16;
    t16.Be32(520).Be32(10);
    g16.insert(g16.end(), t16.Data.begin(), t16.Data.end());
    g16.insert(g16.end(), rle.begin(), rle.end());
    const auto grey16 = Load<TSGIGraphic>(g16);
    // Copy 0xFFFF, 0x8000, then repeat 0x1234 once: 255, 127, 18.
    EXPECT_EQ(Rgb(grey16->Bitmap(), 0, 0)[0], 255);
    EXPECT_EQ(Rgb(grey16->Bitmap(), 1, 0)[0], 127);
    EXPECT_EQ(Rgb(grey16->Bitmap(), 2, 0)[0], 18);
    // A row offset past the file's end.
    Bytes bad = g16;
    bad[515] = 0xFF;
    EXPECT_EQ(LoadError<TSGIGraphic>(bad), "Stream read error in sgi, bw or rgb(a) file.");
}

// ---- Alias/Wavefront ----

namespace {
Bytes Rla(const std::string& type, unsigned colours, unsigned mattes, unsigned bits)
{
    Bytes h(740, 0);
    auto be16 = [&](size_t at, unsigned v) {
        h[at] = uint8_t(v >> 8);
        h[at + 1] = uint8_t(v);
    };
    be16(10, 0); // active right: one pixel wide
    be16(14, 0); // active top: one line
    be16(20, colours);
    be16(22, mattes);
    be16(26, 0xFFFE);
    std::memcpy(&h[580], type.data(), type.size());
    be16(658, bits);
    // One line: offset 744, then each channel as a run of 1 of value 50 + c.
    h.insert(h.end(), {0, 0, 0x02, 0xE8});
    for (unsigned c = 0; c < colours + mattes; ++c) h.insert(h.end(), {0, 2, 0, uint8_t(50 + c)});
    return h;
}
} // namespace

TEST(RlaFormat, OnlyRgbOfUpTo8BitsLoads)
{
    struct Case
    {
        const char* What;
        Bytes File;
        bool Sniffed, Loaded;
    } cases[] = {
        {"rgb", Rla("rgb", 3, 0, 8), true, true},
        {"RGB with a matte", Rla("RGB", 3, 1, 8), true, true},
        {"xyz", Rla("xyz", 3, 0, 8), true, false},
        {"two mattes", Rla("rgb", 3, 2, 8), true, false},
        {"four colour channels", Rla("rgb", 4, 0, 8), true, false},
        {"16 bits", Rla("rgb", 3, 0, 16), true, false},
        {"cmy", Rla("cmy", 3, 0, 8), false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sniffs<TRLAGraphic>(c.File), c.Sniffed) << c.What;
        std::unique_ptr<TRLAGraphic> g;
        EXPECT_NO_THROW(g = Load<TRLAGraphic>(c.File)) << c.What;
        EXPECT_EQ(g && !g->Empty(), c.Loaded) << c.What;
        if (g && !g->Empty()) {
            EXPECT_EQ(Rgb(g->Bitmap(), 0, 0), (std::array<int, 3>{50, 51, 52})) << c.What;
        }
    }
}

// ---- Portable maps ----

TEST(PnmFormat, HeadersAndSamples)
{
    const std::string invalid = "Cannot load image. Invalid or unexpected PBM, PGM or PPM image format.";
    const std::string shortData = "Stream read error in PPM file.";
    struct Case
    {
        const char* What;
        std::string File;
        std::string Error;
        std::vector<int> Grey; // the first samples shown, when it loads
    } cases[] = {
        {"maximum 0", "P2 2 1 0\n0 0\n", invalid, {}},
        {"type 7", "P7 2 1 255\n0 0\n", invalid, {}},
        {"ten digits", "P2 1234567890 1 255\n0\n", invalid, {}},
        {"P5 cut short", "P5 4 1 255\n\x01\x02", shortData, {}},
        {"P2 cut short", "P2 3 1 255\n1 2", shortData, {}},
        {"maximum 15", "P2 3 1 15\n15 7 0\n", "", {255, 119, 0}},
        {"maximum 65535, two bytes", std::string("P5 2 1 65535\n\x80\x00\xFF\xFF", 17), "", {128, 255}},
        {"above the maximum", "P2 2 1 100\n150 50\n", "", {255, 128}},
        {"comment inside the numbers", "P2\n# c\n2 # w\n1\n255\n9 8\n", "", {9, 8}},
    };
    for (const auto& c : cases) {
        const Bytes data(c.File.begin(), c.File.end());
        EXPECT_EQ(LoadError<TPPMGraphic>(data), c.Error) << c.What;
        if (!c.Error.empty()) continue;
        const auto g = Load<TPPMGraphic>(data);
        for (size_t x = 0; x < c.Grey.size(); ++x) EXPECT_EQ(Rgb(g->Bitmap(), int(x), 0)[0], c.Grey[x]) << c.What;
    }
    EXPECT_FALSE(Sniffs<TPPMGraphic>(Bytes{'P', '7', ' ', '1', ' ', '1', ' ', '1', '\n', '0', '\n'}));
    // A P4 row of 10 pixels takes 2 bytes; 1 is black.
    const auto bits = Load<TPPMGraphic>(Bytes{'P', '4', ' ', '1', '0', ' ', '2', '\n', 0x80, 0x40, 0x00, 0xC0});
    EXPECT_EQ(Rgb(bits->Bitmap(), 0, 0)[0], 0);
    EXPECT_EQ(Rgb(bits->Bitmap(), 9, 0)[0], 0);
    EXPECT_EQ(Rgb(bits->Bitmap(), 1, 0)[0], 255);
    EXPECT_EQ(Rgb(bits->Bitmap(), 8, 1)[0], 0);
    EXPECT_EQ(Rgb(bits->Bitmap(), 0, 1)[0], 255);
}

// ---- PCX ----

namespace {
Bytes PcxHeader(unsigned bits, unsigned planes, int xMax, int yMax, unsigned bytesPerLine, unsigned encoding,
                unsigned paletteInfo = 1, int xMin = 0)
{
    Bytes h(128, 0);
    h[4] = uint8_t(xMin);
    h[0] = 10;
    h[1] = 5;
    h[2] = uint8_t(encoding);
    h[3] = uint8_t(bits);
    h[8] = uint8_t(xMax);
    h[9] = uint8_t(xMax >> 8);
    h[10] = uint8_t(yMax);
    h[11] = uint8_t(yMax >> 8);
    h[65] = uint8_t(planes);
    h[66] = uint8_t(bytesPerLine);
    h[67] = uint8_t(bytesPerLine >> 8);
    h[68] = uint8_t(paletteInfo);
    return h;
}
} // namespace

TEST(PcxFormat, LayoutsAndTheirChecks)
{
    const std::string colour = "Invalid color format in PCX file.";
    struct Case
    {
        const char* What;
        Bytes Header;
        std::string Error;
    } cases[] = {
        {"maximum below minimum", PcxHeader(8, 1, 4, 0, 2, 0, 1, 5), "Cannot load image. Invalid or unexpected PCX or SCR image format."},
        {"line shorter than the row", PcxHeader(8, 1, 9, 0, 8, 0), colour},
        {"two planes of 4 bits", PcxHeader(4, 2, 1, 0, 2, 0), colour},
        {"four planes of 8 bits", PcxHeader(8, 4, 1, 0, 2, 0), colour},
    };
    for (const auto& c : cases) {
        Bytes f = c.Header;
        f.resize(f.size() + 64, 0);
        EXPECT_EQ(LoadError<TPCXGraphic>(f), c.Error) << c.What;
    }
    // 30 x 30 raw 8-bit pixels and no palette mark: all 900 bytes are pixels, the picture has no palette.
    Bytes f = PcxHeader(8, 1, 29, 29, 30, 0);
    for (int i = 0; i < 900; ++i) f.push_back(uint8_t(i % 11 == 0 ? 13 : i % 200));
    const auto g = Load<TPCXGraphic>(f);
    EXPECT_TRUE(g->Bitmap().Palette().empty());
    EXPECT_EQ(g->Bitmap().ScanLine(29)[29], 899 % 200);
    EXPECT_EQ(g->Bitmap().ScanLine(1)[1], 31);
    // 4 planes of 1 bit: plane 0 gives the lowest bit; colours from the header.
    Bytes planes = PcxHeader(1, 4, 1, 0, 2, 0);
    planes[16 + 3 * 5] = 200;  // entry 5 red
    planes[16 + 3 * 10 + 1] = 100; // entry 10 green
    planes.insert(planes.end(), {0x80, 0, 0x40, 0, 0x80, 0, 0x40, 0}); // pixel 0: 1 + 4 = 5; pixel 1: 2 + 8 = 10
    const auto four = Load<TPCXGraphic>(planes);
    EXPECT_EQ(four->Bitmap().PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(Rgb(four->Bitmap(), 0, 0), (std::array<int, 3>{200, 0, 0}));
    EXPECT_EQ(Rgb(four->Bitmap(), 1, 0), (std::array<int, 3>{0, 100, 0}));
}

// ---- Paint Shop Pro ----

namespace {
Bytes PspBlock(unsigned id, const Bytes& data)
{
    TBuilder b;
    b.Text("~BK").Put({0}).Le16(id).Le32(uint32_t(data.size())).Put(data);
    return b.Data;
}
// A version 5 RGB file of one pixel with the given channel types (channel i of type t holds
// 10 t + 5 + i), compression 0 or 3.
Bytes Psp(const std::vector<unsigned>& channels, unsigned compression)
{
    TBuilder attrs;
    attrs.Le32(46).Le32(1).Le32(1).Zeros(8).Put({0}).Le16(compression).Le16(24).Le16(1).Le32(0).Put({0}).Zeros(14);
    TBuilder layer;
    layer.Le32(4 + 2 + 115).Le16(0).Put({1}).Zeros(114).Le32(8).Le16(1).Le16(unsigned(channels.size()));
    for (size_t i = 0; i < channels.size(); ++i) {
        const unsigned type = channels[i];
        TBuilder ch;
        ch.Le32(16).Le32(1).Le32(1).Le16(0).Le16(type).Put({uint8_t(10 * type + 5 + i)});
        layer.Put(PspBlock(5, ch.Data));
    }
    TBuilder file;
    file.Text("Paint Shop Pro Image File\n\x1a").Zeros(5).Le16(5).Le16(0);
    file.Put(PspBlock(0, attrs.Data)).Put(PspBlock(3, PspBlock(4, layer.Data)));
    return file.Data;
}
} // namespace

TEST(PspFormat, ChannelsAndCompression)
{
    const auto g = Load<TPSPGraphic>(Psp({1, 2, 3, 7}, 0)); // a channel type above 3 is passed over
    EXPECT_EQ(Rgb(g->Bitmap(), 0, 0), (std::array<int, 3>{15, 26, 37}));
    EXPECT_EQ(g->Bitmap().PixelFormat(), TPixelFormat::pf24bit);
    // A repeated channel type: the first counts.
    EXPECT_EQ(Rgb(Load<TPSPGraphic>(Psp({1, 1, 2, 3}, 0))->Bitmap(), 0, 0), (std::array<int, 3>{15, 27, 38}));
    // A composite fourth channel is the alpha.
    const auto rgba = Load<TPSPGraphic>(Psp({1, 2, 3, 0}, 0));
    ASSERT_EQ(rgba->Bitmap().PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(rgba->Bitmap().ScanLine(0)[3], 8);
    EXPECT_EQ(LoadError<TPSPGraphic>(Psp({1, 3}, 0)), "Invalid color format in PSP file.");
    EXPECT_EQ(LoadError<TPSPGraphic>(Psp({1, 2, 3}, 3)),
              "Cannot load image. The compression scheme is not supported for PSP files.");
    // A layer block whose length passes the file's end is not read.
    Bytes cut = Psp({1, 2, 3}, 0);
    cut.pop_back();
    EXPECT_EQ(LoadError<TPSPGraphic>(cut), "Invalid color format in PSP file.");
}

// ---- Photo-CD ----

TEST(PcdFormat, RotationsTurnThePicture)
{
    const Bytes pack = [] {
        std::ifstream f(std::string(QM_FIXTURES_DIR) + "/pcd/landscape.pcd", std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(f), {});
    }();
    ASSERT_GT(pack.size(), 3586u);
    auto turned = [&](uint8_t rotation) {
        Bytes b = pack;
        b[3586] = uint8_t((b[3586] & ~3) | rotation);
        return Load<TPCDGraphic>(b)->Bitmap().To24();
    };
    const TBitmap upright = turned(0);
    ASSERT_EQ(upright.Width(), 768);
    ASSERT_EQ(upright.Height(), 512);
    const TBitmap quarterLeft = turned(1), half = turned(2), quarterRight = turned(3);
    ASSERT_EQ(quarterLeft.Width(), 512);
    ASSERT_EQ(quarterLeft.Height(), 768);
    ASSERT_EQ(quarterRight.Width(), 512);
    ASSERT_EQ(half.Width(), 768);
    int wrong = 0;
    for (int y = 0; y < 512; y += 7)
        for (int x = 0; x < 768; x += 5) {
            const uint8_t* p = upright.ScanLine(y) + x * 3;
            wrong += std::memcmp(p, quarterLeft.ScanLine(767 - x) + y * 3, 3) != 0;
            wrong += std::memcmp(p, quarterRight.ScanLine(x) + (511 - y) * 3, 3) != 0;
            wrong += std::memcmp(p, half.ScanLine(511 - y) + (767 - x) * 3, 3) != 0;
        }
    EXPECT_EQ(wrong, 0);
}

// ---- The registry ----

TEST(RasterFormatRegistry, ExtensionsClassesAndSniffing)
{
    const auto& list = FileFormatList();
    struct Case
    {
        const char* Extension;
        const TGraphicClass& Class;
        const char* Description; // what the picture registry shows
    } cases[] = {
        {"win", TTargaGraphic::Class(), "Truevision Targa"}, {"vst", TTargaGraphic::Class(), "Truevision Targa"},
        {"vda", TTargaGraphic::Class(), "Truevision Targa"}, {"tga", TTargaGraphic::Class(), "Truevision Targa"},
        {"icb", TTargaGraphic::Class(), "Truevision Targa"}, {"pcx", TPCXGraphic::Class(), "ZSoft Paintbrush (PCX)"},
        {"pcc", TPCXGraphic::Class(), "ZSoft Paintbrush (PCX)"}, {"rpf", TRLAGraphic::Class(), "Alias/Wavefront"},
        {"rla", TRLAGraphic::Class(), "Alias/Wavefront"}, {"sgi", TSGIGraphic::Class(), "SGI true color images"},
        {"rgba", TSGIGraphic::Class(), "SGI true color images with alpha"},
        {"rgb", TSGIGraphic::Class(), "SGI true color images"}, {"bw", TSGIGraphic::Class(), "SGI black/white images"},
        {"psd", TPSDGraphic::Class(), "Adobe Photoshop"}, {"pdd", TPSDGraphic::Class(), "Adobe Photoshop"},
        {"ppm", TPPMGraphic::Class(), "Portable pixel map images"},
        {"pgm", TPPMGraphic::Class(), "Portable gray map images"},
        {"pbm", TPPMGraphic::Class(), "Portable bitmap images"}, {"cel", TAutodeskGraphic::Class(), "Autodesk"},
        {"pic", TAutodeskGraphic::Class(), "Autodesk"}, {"pcd", TPCDGraphic::Class(), "Kodak Photo-CD"},
        {"cut", TCUTGraphic::Class(), "Dr. Halo"}, {"psp", TPSPGraphic::Class(), "Paint Shop Pro"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(list.FindPictureClass(c.Extension), &c.Class) << c.Extension;
        const auto& formats = list.PictureFormats();
        const auto it = std::find_if(formats.begin(), formats.end(), [&](const TPictureFormat& f) { return f.Extension == c.Extension; });
        ASSERT_NE(it, formats.end()) << c.Extension;
        EXPECT_EQ(it->Description, c.Description) << c.Extension;
    }
    // Classes are asked in registration order: Targa first, CUT never.
    std::vector<std::string> order;
    for (int i = 0; i < list.ClassCount(); ++i) order.push_back(list.ClassEntry(i).GraphicClass->ClassName);
    auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
    const char* const sequence[] = {"TTargaGraphic", "TPCXGraphic", "TRLAGraphic", "TSGIGraphic", "TPSDGraphic",
                                    "TPPMGraphic", "TAutodeskGraphic", "TPCDGraphic", "TCUTGraphic", "TPSPGraphic"};
    for (size_t i = 1; i < std::size(sequence); ++i) EXPECT_LT(at(sequence[i - 1]), at(sequence[i])) << sequence[i];
    // Each fixture is found by its content, except CUT.
    struct Sniff
    {
        const char* File;
        const TGraphicClass* Class;
    } sniffs[] = {{"psd/im_rgb_rle.psd", &TPSDGraphic::Class()}, {"psp/v3_rgb_raw.psp", &TPSPGraphic::Class()},
                  {"pcx/im_rgb.pcx", &TPCXGraphic::Class()},     {"tga/map300.tga", &TTargaGraphic::Class()},
                  {"sgi/im_rle.sgi", &TSGIGraphic::Class()},     {"rla/rgb.rla", &TRLAGraphic::Class()},
                  {"autodesk/animator.cel", &TAutodeskGraphic::Class()}, {"pnm/nb_p6.ppm", &TPPMGraphic::Class()},
                  {"pcd/overview.pcd", &TPCDGraphic::Class()},   {"cut/halo.cut", nullptr},
                  {"pcx/v3_packed2.pcx", &TPCXGraphic::Class()}};
    for (const auto& s : sniffs)
        EXPECT_EQ(list.GraphicFromContent(std::string(QM_FIXTURES_DIR) + "/" + s.File), s.Class) << s.File;
    // Content tests at their limits, on files without a name: a GIF needs 23 bytes.
    Bytes gif22 = {'G', 'I', 'F', '8', '9', 'a'}, targa15 = TargaHeader(0, 2, 0, 0, 16, 1, 1, 15, 0);
    gif22.resize(22, 0);
    Bytes gif23 = gif22;
    gif23.push_back(0);
    targa15.resize(20, 0);
    const std::pair<Bytes, std::string> contents[] = {
        {gif22, "none"}, {gif23, "TGIFGraphic"}, {targa15, "TTargaGraphic"}};
    for (const auto& [data, name] : contents) {
        TMemoryStream s(data);
        const TGraphicClass* found = list.GraphicFromContent(s);
        EXPECT_EQ(found ? found->ClassName : "none", name);
    }
}
