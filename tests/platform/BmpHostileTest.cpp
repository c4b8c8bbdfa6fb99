// The BMP reader on damaged and hostile input: every failure is EInvalidGraphic with a clear text
// (or EOutOfResources for a picture over the pixel limit), never a crash, overrun or hang. Damaged
// variants of every fixture are loaded here as well as by the BMP fuzz target, which needs clang and
// runs for a capped time: a regression is caught by ctest alone.
#include <gtest/gtest.h>

#include <random>

#include "BmpTestFiles.h"
#include "platform/Exceptions.h"

using namespace bmptest;

namespace {
// An RLE file (8 bits: RLE8, 4 bits: RLE4) of the given size around the compressed data.
Bytes Rle(int bits, int w, int h, Bytes data)
{
    return TBmpRecipe{.Width = w, .Height = h, .BitCount = uint16_t(bits), .Compression = bits == 8 ? 1u : 2u,
                      .ClrUsed = 2, .Palette = {0x000000, 0xFFFFFF}, .Pixels = std::move(data)}
        .Build();
}

// A 24-bit file of the given size, changed by the function before it is built.
template <class F> Bytes Rgb24(int w, int h, F change)
{
    TBmpRecipe s{.Width = w, .Height = h, .Pixels = Bytes(size_t(TBitmap::RowBytes(w, 24) * h), 0x40)};
    change(s);
    return s.Build();
}
Bytes Rgb24(int w, int h) { return Rgb24(w, h, [](TBmpRecipe&) {}); }

Bytes BitFields16(std::vector<uint32_t> masks)
{
    return TBmpRecipe{
        .Width = 2, .Height = 1, .BitCount = 16, .Compression = 3, .Masks = masks, .Pixels = {1, 2, 3, 4}}
        .Build();
}

Bytes Cut(Bytes b, size_t drop) { return b.resize(b.size() - drop), b; }

TEST(BmpHostile, DamagedFilesRaiseInvalidGraphic)
{
    const Bytes core16 = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0,  26, 0, 0, 0, 12,
                          0,   0,   0, 1, 0, 1, 0, 1, 0, 16, 0,  0, 0, 0, 0};
    using S = TBmpRecipe;
    // each damaged file with the text its message must contain
    const std::pair<Bytes, const char*> cases[] = {
        {{}, "too short for a bitmap file header"},
        {{'B', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0}, "does not start with \"BM\""},
        {Rgb24(2, 2, [](S& s) { s.HeaderSize = 20; }), "unknown information header size 20"},
        {Cut(Rgb24(2, 2), 16 + 30), "ends inside the headers"},
        {Rgb24(2, 2, [](S& s) { s.Width = 0; }), "picture size 0 x 2"},
        {Rgb24(2, 2, [](S& s) { s.Width = -2; }), "picture size -2 x 2"},
        {Rgb24(2, 2, [](S& s) { s.Height = 0; }), "picture size 2 x 0"},
        {Rgb24(2, 2, [](S& s) { s.Height = INT32_MIN; }), "picture size 2 x -2147483648"},
        {Rgb24(2, 2, [](S& s) { s.Planes = 2; }), "2 colour planes"},
        {Rgb24(2, 2, [](S& s) { s.BitCount = 2; }), "2 bits per pixel"},
        {core16, "16 bits per pixel is not valid in an OS/2 bitmap"},
        {Rgb24(2, 2, [](S& s) { s.BitCount = 4, s.Compression = 1; }), "RLE8 compression with 4 bits"},
        {Rgb24(2, 2, [](S& s) { s.BitCount = 8, s.Compression = 2; }), "RLE4 compression with 8 bits"},
        {Rle(8, 2, -2, {0, 1}), "cannot be stored top-down"},
        {Rgb24(2, 2, [](S& s) { s.Compression = 3, s.Masks = {0xFF, 0xFF00, 0xFF0000}; }),
         "bit field compression with 24 bits"},
        {Rgb24(2, 2, [](S& s) { s.Compression = 4; }), "compression method 4 is not supported"},
        {Rgb24(2, 2, [](S& s) { s.HeaderSize = 64, s.BitCount = 16, s.Compression = 3; }), "OS/2 Huffman"},
        {BitFields16({0xF00F, 0x0F00, 0x00F0}), "do not fit 16-bit pixels"}, // a hole
        {BitFields16({0xFF00, 0x0FF0, 0x000F}), "do not fit 16-bit pixels"}, // overlapping
        {BitFields16({0x1F0000, 0x07E0, 0x001F}), "do not fit 16-bit pixels"}, // past 16 bits
        {BitFields16({0, 0, 0}), "select no colour"},
        {Cut(BitFields16({0xF800, 0x07E0, 0x001F}), 14), "ends inside the bit field masks"},
        {Rgb24(2, 2, [](S& s) { s.OffBits = 30; }), "offset 30 lies inside the headers"},
        {Rgb24(2, 2, [](S& s) { s.OffBits = 0x7FFFFFFF; }), "is beyond the end of the file"},
        {Cut(Rgb24(3, 5), 1), "pixel data is truncated"},
        {Rgb24(2, 2, [](S& s) { s.Width = 0x7FFFFFFF, s.Height = 0x7FFFFFFF; }), "pixel data is truncated"},
        {Cut(Rgb24(2, 2, [](S& s) { s.BitCount = 8, s.OffBits = 0, s.Palette.assign(256, 1); }), 8 + 4 * 200),
         "pixel data is truncated"}, // the palette cut off
        {Rle(8, 5, 2, {9, 1, 0, 1}), "RLE run of 9 pixels at column 0 passes the end of row 0"},
        {Rle(8, 2, 2, {1, 1, 0, 5, 1, 1, 1, 1, 1, 0, 0, 1}), "RLE run of 5 pixels at column 1"}, // a literal
        {Rle(4, 3, 1, {9, 0x11, 0, 1}), "RLE run of 9 pixels"},
        {Rle(8, 4, 2, {0, 2, 5, 0, 0, 1}), "RLE delta (5, 0) from (0, 0) leaves the picture"},
        {Rle(8, 4, 2, {0, 2, 0, 2, 0, 1}), "RLE delta (0, 2) from (0, 0) leaves the picture"},
        {Rle(8, 4, 1, {0, 0, 4, 1, 0, 1}), "continues past the top of the picture"},
        {Rle(8, 4, 1, {0, 0, 0, 0, 0, 1}), "end-of-row code past the top"},
        {Rle(8, 4, 2, {4, 1, 0, 0, 4, 1}), "ends without an end-of-bitmap code"},
        {Rle(8, 8, 1, {0, 6, 1, 1, 1}), "ends inside a literal run"},
        {Rle(8, 8, 2, {0, 2, 1}), "ends inside a delta code"},
        {Rle(8, 8, 2, {0}), "ends without an end-of-bitmap code"}, // an odd byte count
    };
    for (const auto& [file, text] : cases) {
        SCOPED_TRACE(text);
        TBitmap bmp(3, 3, TPixelFormat::pf8bit);
        const uint64_t generation = bmp.Generation();
        try {
            LoadBytes(bmp, file);
            ADD_FAILURE() << "loaded";
        } catch (const EInvalidGraphic& e) {
            std::string msg = e.what();
            EXPECT_EQ(msg.rfind("Bitmap image is not valid: ", 0), 0u) << msg;
            EXPECT_NE(msg.find(text), std::string::npos) << msg;
        }
        EXPECT_TRUE(bmp.Width() == 3 && bmp.PixelFormat() == TPixelFormat::pf8bit &&
                    bmp.Generation() == generation)
            << "the bitmap is left as it was";
    }
}

TEST(BmpHostile, PictureOverThePixelLimitIsRefusedBeforeAllocating)
{
    // An RLE file can describe any size in a few bytes: the pixel limit is what stops it.
    TBitmap bmp;
    EXPECT_THROW(LoadBytes(bmp, Rle(8, 0x7FFFFFFF, 0x7FFFFFFF, {0, 1})), EOutOfResources);
    EXPECT_THROW(LoadBytes(bmp, Rle(4, 100000, 100000, {0, 1})), EOutOfResources);
    TPixelLimitGuard limit(1000);
    EXPECT_THROW(LoadBytes(bmp, Rle(8, 40, 26, {0, 1})), EOutOfResources);
    EXPECT_NO_THROW(LoadBytes(bmp, Rle(8, 40, 25, {0, 1})));
    EXPECT_THROW(LoadBytes(bmp, Rgb24(40, 26)), EOutOfResources);
    EXPECT_NO_THROW(LoadBytes(bmp, Rgb24(40, 25)));
}

TEST(BmpHostile, RleRowsMayCoverTheirPadding)
{
    // Width 5 at 8 bits pads to 8 bytes: a run of 8 fits, the pixels past the width are dropped.
    TBitmap bmp;
    LoadBytes(bmp, Rle(8, 5, 2, {8, 1, 0, 0, 3, 1, 0, 5, 0, 0, 2, 2, 2, 0, 0, 1}));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(bmp.ScanLine(y)[x], x < 5 && (y == 1 || x < 3) ? 1 : 0) << x << "," << y;
    // RLE4: width 3 pads to 8 pixels.
    LoadBytes(bmp, Rle(4, 3, 1, {8, 0x10, 0, 1}));
    EXPECT_EQ(bmp.ScanLine(0)[0], 0x10);
    EXPECT_EQ(bmp.ScanLine(0)[1], 0x10);
    // A delta may stop at the end of the padded row.
    EXPECT_NO_THROW(LoadBytes(bmp, Rle(8, 5, 2, {0, 2, 8, 0, 0, 0, 0, 1})));
}

} // namespace

namespace {

// Loads a damaged file: success or the documented exceptions only; returns whether it loaded.
bool LoadDamaged(const Bytes& file, const std::string& what)
{
    try {
        return Loaded(file).To24().Width() > 0; // touches every pixel
    } catch (const EInvalidGraphic&) {
    } catch (const EOutOfResources&) {
    } catch (const std::exception& e) {
        ADD_FAILURE() << what << ": unexpected exception " << e.what();
    }
    return false;
}

void Set32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

} // namespace

// Every length through the headers, the palette and the first pixels, then a coarse grid; and byte
// changes, half of them in the headers, some as whole 32-bit fields with edge values.
TEST(BmpHostile, CorruptionSweepOverAllFixtures)
{
    TPixelLimitGuard limit(1 << 22); // keeps the allocations of damaged RLE headers small
    const uint32_t edges[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFF, 0x10000, 3, 255, 256};
    int files = 0, loaded = 0;
    std::mt19937 rng(20261206);
    for (const auto& [name, format] : FixtureList()) {
        const Bytes file = ReadFileBytes(FixtureDir + name + ".bmp");
        ASSERT_GT(file.size(), 54u) << name;
        ++files;
        const size_t offBits = std::min<size_t>(file.size(), file[10] | file[11] << 8 | file[12] << 16);
        const size_t step = std::max<size_t>(1, file.size() / 97);
        for (size_t len = 0; len < file.size(); len += len < offBits + 64 ? 1 : step)
            loaded += LoadDamaged(Bytes(file.begin(), file.begin() + std::ptrdiff_t(len)),
                                  name + " cut at " + std::to_string(len));
        for (int v = 0; v < 300; ++v) {
            Bytes d = file;
            for (int c = 0, changes = 1 + int(rng() % 3); c < changes; ++c) {
                const size_t at = rng() % ((rng() & 1) ? std::min<size_t>(d.size(), 70) : d.size());
                const uint32_t kind = rng() % 3;
                if (kind == 0)
                    d[at] ^= uint8_t(1u << (rng() % 8));
                else if (kind == 1)
                    d[at] = uint8_t(rng());
                else if (at + 4 <= d.size())
                    Set32(d, at, edges[rng() % std::size(edges)]);
            }
            loaded += LoadDamaged(d, name + " variant " + std::to_string(v));
        }
    }
    EXPECT_GE(files, 40);
    EXPECT_GT(loaded, 0);
}
