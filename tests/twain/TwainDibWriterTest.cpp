// Writing acquired DIBs as bitmap files: the file header's offsets and sizes worked out by hand,
// DIBs whose headers claim more than their block, failures of the file, and a round trip through
// the program's BMP reader.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>

#include "platform/Bitmap.h"
#include "platform/BmpFile.h"
#include "platform/Stream.h"
#include "platform/TempFolder.h"
#include "twain/TwainDibWriter.h"
#include "twain/TwainMemory.h"

namespace {

struct TDibFields
{
    int32_t Width;
    int32_t Height;
    uint16_t Bits;
    uint32_t Compression = 0;
    uint32_t SizeImage = 0;
    uint32_t ClrUsed = 0;
    uint32_t HeaderSize = 40;
};

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
{
    uint32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
}

// A DIB block of exactly `blockSize` bytes with the header filled in and the rest patterned.
TW_HANDLE MakeDib(const TDibFields& s, size_t blockSize)
{
    std::vector<uint8_t> b(blockSize);
    for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i * 7 + 1);
    if (blockSize >= 40) {
        Put32(b, 0, s.HeaderSize);
        Put32(b, 4, uint32_t(s.Width));
        Put32(b, 8, uint32_t(s.Height));
        const uint16_t planes = 1;
        std::memcpy(&b[12], &planes, 2);
        std::memcpy(&b[14], &s.Bits, 2);
        Put32(b, 16, s.Compression);
        Put32(b, 20, s.SizeImage);
        Put32(b, 24, 0);
        Put32(b, 28, 0);
        Put32(b, 32, s.ClrUsed);
        Put32(b, 36, 0);
    }
    TW_HANDLE h = TwainAllocBlock(b.size());
    std::memcpy(TwainLockBlock(h), b.data(), b.size());
    return h;
}

std::vector<uint8_t> ReadFile(const std::string& name)
{
    std::ifstream f(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class TScriptedSaveDialog : public ITwainSaveDialog
{
public:
    std::optional<std::string> AskFileName() override
    {
        ++Asked;
        return Answer;
    }
    std::optional<std::string> Answer;
    int Asked = 0;
};

} // namespace

TEST(TwainDibWriter, FileHeaderOffsetsAndSizes)
{
    struct TCase
    {
        const char* Name;
        TDibFields Dib;
        size_t Block;
        uint32_t OffBits;
        uint32_t FileSize;
    };
    const TCase cases[] = {
        // width 3 x 24 bits = 9 bytes, padded to 12; 2 rows
        {"24-bit, width 3", {3, 2, 24}, 40 + 24, 54, 54 + 24},
        // 256 colours of 4 bytes; 5 pixels padded to 8; 3 rows
        {"8-bit, all colours", {5, 3, 8}, 40 + 1024 + 24, 1078, 1078 + 24},
        // 2 colours; 17 pixels = 3 bytes, padded to 4; 4 rows
        {"1-bit, 2 colours", {17, 4, 1, 0, 0, 2}, 40 + 8 + 16, 62, 62 + 16},
        // 16-bit bit fields: three masks follow the 40-byte header; 2 pixels = 4 bytes
        {"16-bit bit fields", {2, 1, 16, 3, 4}, 40 + 12 + 4, 66, 66 + 4},
        // rows stored top-down count by their number
        {"negative height", {3, -2, 24}, 40 + 24, 54, 54 + 24},
        // a longer header counts its own size
        {"108-byte header", {1, 1, 32, 0, 0, 0, 108}, 108 + 4, 14 + 108, 14 + 108 + 4},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TW_HANDLE dib = MakeDib(c.Dib, c.Block);
        std::vector<uint8_t> dibBytes(static_cast<uint8_t*>(TwainLockBlock(dib)),
                                      static_cast<uint8_t*>(TwainLockBlock(dib)) + c.Block);
        TMemoryStream out;
        ASSERT_EQ(TWAIN_WriteDibToHandle(dib, out), 0);
        const std::vector<uint8_t>& file = out.Data();
        ASSERT_EQ(file.size(), c.FileSize);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Get32(file, 2), c.FileSize);
        EXPECT_EQ(Get32(file, 6), 0u);
        EXPECT_EQ(Get32(file, 10), c.OffBits);
        // The header's image size is the computed one (compressed DIBs keep theirs); the rest is the DIB as
        // it lies.
        EXPECT_EQ(Get32(file, 14 + 20), c.FileSize - c.OffBits);
        Put32(dibBytes, 20, c.FileSize - c.OffBits);
        EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), dibBytes.begin()));
        TwainFreeBlock(dib);
    }
}

TEST(TwainDibWriter, AWrongImageSizeIsCorrectedInTheDibToo)
{
    TW_HANDLE dib = MakeDib({3, 2, 24, 0, 999999}, 40 + 24);
    TMemoryStream out;
    ASSERT_EQ(TWAIN_WriteDibToHandle(dib, out), 0);
    uint32_t stored;
    std::memcpy(&stored, static_cast<uint8_t*>(TwainLockBlock(dib)) + 20, 4);
    EXPECT_EQ(stored, 24u);
    EXPECT_EQ(out.Size(), 54 + 24);
    TwainFreeBlock(dib);
}

TEST(TwainDibWriter, DibsThatDoNotFitTheirBlockAreRefused)
{
    struct TCase
    {
        const char* Name;
        TDibFields Dib;
        size_t Block;
    };
    const TCase cases[] = {
        {"one byte short", {3, 2, 24}, 40 + 23},
        {"huge colour count", {1, 1, 8, 0, 0, 0xFFFFFFFFu}, 40 + 1024 + 4},
        {"width x bits overflows 32 bits", {0x7FFFFFFF, 1, 32}, 4096},
        {"height of the most negative value", {1, INT32_MIN, 24}, 4096},
        {"negative width", {-3, 2, 24}, 40 + 24},
        {"compressed without an image size", {4, 4, 8, 1, 0}, 40 + 1024 + 64},
        {"compressed image size beyond the block", {4, 4, 8, 1, 5000}, 40 + 1024 + 64},
        {"header shorter than 40 bytes", {3, 2, 24, 0, 0, 0, 12}, 40 + 24},
        {"header larger than the block", {3, 2, 24, 0, 0, 0, 1000}, 40 + 24},
        {"block shorter than a header", {3, 2, 24}, 20},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TW_HANDLE dib = MakeDib(c.Dib, c.Block);
        TMemoryStream out;
        EXPECT_EQ(TWAIN_WriteDibToHandle(dib, out), -4);
        EXPECT_EQ(out.Size(), 0);
        TwainFreeBlock(dib);
    }
}

TEST(TwainDibWriter, AnswersOfTheFileWriter)
{
    TTempFolder folder;
    TW_HANDLE dib = MakeDib({3, 2, 24}, 40 + 24);
    // A handle that is no block cannot be locked.
    alignas(16) uint8_t notABlock[64] = {};
    EXPECT_EQ(TWAIN_WriteNativeToFile(notABlock, folder.Path() + "/a.bmp"), -3);
    EXPECT_EQ(TWAIN_WriteNativeToFile(nullptr, folder.Path() + "/a.bmp"), -3);
    // A folder that does not exist.
    EXPECT_EQ(TWAIN_WriteNativeToFile(dib, folder.Path() + "/missing/a.bmp"), -2);
    // An invalid DIB leaves an existing file as it was.
    const std::string kept = folder.Path() + "/kept.bmp";
    std::ofstream(kept) << "old";
    TW_HANDLE bad = MakeDib({3, 2, 24}, 40 + 10);
    EXPECT_EQ(TWAIN_WriteNativeToFile(bad, kept), -4);
    EXPECT_EQ(ReadFile(kept), (std::vector<uint8_t>{'o', 'l', 'd'}));
    TwainFreeBlock(bad);

    // An empty name asks; a cancel answers -1, a name is written.
    TScriptedSaveDialog dialog;
    EXPECT_EQ(TWAIN_WriteNativeToFile(dib, ""), -1); // no dialog installed
    SetTwainSaveDialog(&dialog);
    EXPECT_EQ(TWAIN_WriteNativeToFile(dib, ""), -1);
    dialog.Answer = folder.Path() + "/chosen.bmp";
    EXPECT_EQ(TWAIN_WriteNativeToFile(dib, ""), 0);
    EXPECT_EQ(dialog.Asked, 2);
    SetTwainSaveDialog(nullptr);
    EXPECT_EQ(ReadFile(folder.Path() + "/chosen.bmp").size(), 78u);
    TwainFreeBlock(dib);
}

TEST(TwainDibWriter, WrittenFilesReadBackThroughTheBmpReader)
{
    TTempFolder folder;
    // 24 bits, 2 x 2, bottom-up: bottom row blue, green; top row red, white.
    const uint8_t bottom[8] = {255, 0, 0, 0, 255, 0, 0, 0};
    const uint8_t top[8] = {0, 0, 255, 255, 255, 255, 0, 0};
    TW_HANDLE dib = MakeDib({2, 2, 24}, 40 + 16);
    auto* bits = static_cast<uint8_t*>(TwainLockBlock(dib)) + 40;
    std::memcpy(bits, bottom, 8);
    std::memcpy(bits + 8, top, 8);
    const std::string name = folder.Path() + "/rgb.bmp";
    ASSERT_EQ(TWAIN_WriteNativeToFile(dib, name), 0);
    TBitmap bmp;
    LoadBmpFromFile(bmp, name);
    ASSERT_EQ(bmp.Width(), 2);
    ASSERT_EQ(bmp.Height(), 2);
    const auto* row0 = static_cast<const uint8_t*>(bmp.ScanLine(0)); // top
    const auto* row1 = static_cast<const uint8_t*>(bmp.ScanLine(1));
    EXPECT_EQ(std::vector<uint8_t>(row0, row0 + 6), (std::vector<uint8_t>{0, 0, 255, 255, 255, 255}));
    EXPECT_EQ(std::vector<uint8_t>(row1, row1 + 6), (std::vector<uint8_t>{255, 0, 0, 0, 255, 0}));
    TwainFreeBlock(dib);

    // 8 bits with a grey palette of 256 entries.
    TW_HANDLE grey = MakeDib({3, 1, 8}, 40 + 1024 + 4);
    auto* p = static_cast<uint8_t*>(TwainLockBlock(grey)) + 40;
    for (int i = 0; i < 256; ++i) p[4 * i] = p[4 * i + 1] = p[4 * i + 2] = uint8_t(i), p[4 * i + 3] = 0;
    p[1024] = 10, p[1025] = 128, p[1026] = 250;
    ASSERT_EQ(TWAIN_WriteNativeToFile(grey, name), 0);
    LoadBmpFromFile(bmp, name);
    ASSERT_EQ(bmp.PixelFormat(), TPixelFormat::pf8bit);
    const auto* g = static_cast<const uint8_t*>(bmp.ScanLine(0));
    EXPECT_EQ(std::vector<uint8_t>(g, g + 3), (std::vector<uint8_t>{10, 128, 250}));
    TwainFreeBlock(grey);
}

TEST(TwainDibWriter, ColourCountAndPixelAddress)
{
    struct TCase
    {
        const char* Name;
        TDibFields Dib;
        int Colours;
    };
    const TCase cases[] = {
        {"4 bits, none counted", {1, 1, 4}, 16},
        {"8 bits, 3 counted", {1, 1, 8, 0, 0, 3}, 3},
        {"24 bits", {1, 1, 24}, 0},
        {"more than 256 counted", {1, 1, 8, 0, 0, 300}, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TW_HANDLE dib = MakeDib(c.Dib, 40 + 1024 + 4);
        const void* start = TwainLockBlock(dib);
        EXPECT_EQ(TWAIN_DibNumColors(start, 40 + 1024 + 4), c.Colours);
        EXPECT_EQ(TWAIN_DibBits(start, 40 + 1024 + 4),
                  static_cast<const uint8_t*>(start) + 40 + 4 * c.Colours);
        TwainFreeBlock(dib);
    }
    // A 12-byte core header: 2^bits, its bit count at offset 10.
    uint8_t core[12] = {12, 0, 0, 0, 1, 0, 1, 0, 1, 0, 8, 0};
    EXPECT_EQ(TWAIN_DibNumColors(core, sizeof core), 256);
    EXPECT_EQ(TWAIN_DibBits(core, sizeof core), nullptr); // the table lies beyond the 12 bytes
    core[10] = 24;
    EXPECT_EQ(TWAIN_DibNumColors(core, sizeof core), 0);
    EXPECT_EQ(TWAIN_DibNumColors(core, 3), 0);
}
