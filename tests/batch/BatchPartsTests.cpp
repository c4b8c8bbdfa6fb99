#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "BatchTestKit.h"
#include "batch/BatchFileOrder.h"
#include "common/BatchProcOptions.h"
#include "batch/BatchThumbnail.h"
#include "platform/BmpFile.h"
#include "platform/TempFolder.h"

// Which sources an earlier file of the list may write: same output folder (as canonical paths) and
// a name the naming rules can form with any number.
TEST(BatchFileOrder, SourcesAnEarlierFileMayWrite)
{
    TTempFolder scratch;
    const std::string s = scratch.Path() + "/s/", d = scratch.Path() + "/d/";
    std::filesystem::create_directories(s);
    std::filesystem::create_directories(d);
    struct TCase
    {
        std::string Earlier, Later;
        void (*Change)(TBatchProcOptions&);
        bool AtRisk;
    };
    const auto none = [](TBatchProcOptions&) {};
    const TCase cases[] = {
        {s + "a.bmp", s + "a.jpg", none, true},
        {s + "a.bmp", s + "a.bmp", none, false},  // a JPEG named .bmp gives .jpg too
        {s + "a.JPEG", s + "a.JPEG", none, true}, // a JPEG keeps a JPEG extension in any case
        {s + "a.jfif", s + "a.jfif", none, true},
        {s + "a.png", s + "a.png", none, false},
        {s + "a.bmp", s + "a.jpeg", none, false},
        {s + "a.bmp", d + "a.jpg", none, false},
        {s + "a.bmp", d + "a.jpg", [](TBatchProcOptions& o) { o.DestFolder = "/nowhere/"; }, false},
        {s + "a.bmp", s + "a.jpg", [](TBatchProcOptions& o) { o.DestFolder = "/nowhere/"; }, false},
        {s + "a.bmp", s + "x_a.jpg", [](TBatchProcOptions& o) { o.PrefixMode = 1; o.PrefixText = "x_"; }, true},
        {s + "a.bmp", s + "a0012.jpg", [](TBatchProcOptions& o) { o.SuffixMode = 2; }, true},
        {s + "a.bmp", s + "a_12.jpg", [](TBatchProcOptions& o) { o.SuffixMode = 2; }, false},
        {s + "a.bmp", s + "a.jpg", [](TBatchProcOptions& o) { o.SuffixMode = 2; }, false},
        {s + "a.bmp", s + "12.jpg", [](TBatchProcOptions& o) { o.KeepOriginalName = false; o.PrefixMode = 2; }, true},
        {s + "a.bmp", s + "1a2.jpg", [](TBatchProcOptions& o) { o.PrefixMode = 2; o.SuffixMode = 2; }, true},
    };
    for (const TCase& c : cases) {
        TBatchProcOptions o;
        c.Change(o);
        EXPECT_EQ(BatchOutputMayOverwrite(c.Earlier, c.Later, o), c.AtRisk) << c.Earlier << " " << c.Later;
        EXPECT_EQ(BatchSourcesAtRisk({c.Earlier, c.Later}, o), (std::vector<bool>{false, c.AtRisk}));
    }
    // A destination folder written another way is the same folder.
    TBatchProcOptions o;
    o.DestFolder = d + "../s/";
    EXPECT_EQ(BatchSourcesAtRisk({d + "a.bmp", s + "b.jpg", s + "a.jpg"}, o), (std::vector<bool>{false, false, true}));
}

namespace {

// A bitmap file header with an information header of the given size (40 or the 12 of the oldest
// kind) holding width and height, written by hand: the estimate reads no further.
void WriteBmpHeader(const std::string& name, uint32_t headerSize, int32_t width, int32_t height)
{
    std::vector<uint8_t> b(14 + headerSize, 0);
    const auto put = [&b](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b[at + size_t(i)] = uint8_t(value >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, uint32_t(b.size()), 4);
    put(10, uint32_t(b.size()), 4);
    put(14, headerSize, 4);
    const int fieldBytes = headerSize == 12 ? 2 : 4;
    put(18, uint32_t(width), fieldBytes);
    put(18 + size_t(fieldBytes), uint32_t(height), fieldBytes);
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

} // namespace

// Pixel memory of a file in flight: 16 bytes a pixel of the header's size, else 16 per file byte.
// A named pipe is not even opened (it would wait for a writer for good).
TEST(BatchFileOrder, MemoryFromHeaders)
{
    TTempFolder scratch;
    const std::string dir = scratch.Path() + "/", fixtures = std::string(QM_FIXTURES_DIR) + "/formats/";
    SaveBmpToFile(TBitmap(100, 50, TPixelFormat::pf24bit), dir + "a.bmp");
    WriteBmpHeader(dir + "w300.bmp", 40, 300, 2);      // 300 x 2 x 16
    WriteBmpHeader(dir + "topdown.bmp", 40, 2, -300);  // rows stored top down: height 300
    WriteBmpHeader(dir + "w70000.bmp", 40, 70000, 1);  // 70000 x 1 x 16
    WriteBmpHeader(dir + "core.bmp", 12, 256, 3);      // 256 x 3 x 16
    WriteBmpHeader(dir + "w2p24.bmp", 40, 1 << 24, 1); // no such picture: the file's 54 bytes x 16
    ASSERT_EQ(::mkfifo((dir + "pipe.bmp").c_str(), 0600), 0);
    TPipeWatch watch(dir + "pipe.bmp");
    std::ofstream(dir + "text.jpg") << "hello";
    const std::vector<uint8_t> cut = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F'}; // a segment longer than the file
    std::ofstream(dir + "cut.jpg", std::ios::binary).write(reinterpret_cast<const char*>(cut.data()), 8);
    const std::pair<std::string, int64_t> cases[] = {
        {dir + "a.bmp", 80000},
        {dir + "w300.bmp", 9600},
        {dir + "topdown.bmp", 9600},
        {dir + "w70000.bmp", 1120000},
        {dir + "core.bmp", 12288},
        {dir + "w2p24.bmp", 864},
        {dir + "pipe.bmp", 0},
        {fixtures + "color_40x24.jpg", 15360},
        {fixtures + "progressive_24x16.jpg", 6144},
        {dir + "text.jpg", 80},
        {dir + "cut.jpg", 128},
        {dir + "missing.bmp", 0},
    };
    for (const auto& [name, bytes] : cases) {
        const int64_t size =
            std::filesystem::is_regular_file(name) ? int64_t(std::filesystem::file_size(name)) : 0;
        EXPECT_EQ(EstimateBatchFileMemory(name, size), bytes) << name;
    }
    EXPECT_FALSE(watch.Opened());
}

namespace {

uint32_t PixelAt(const TBitmap& bmp, int x, int y)
{
    const uint8_t* p = bmp.ScanLine(y) + x * 3;
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// Left half red, right half blue.
TBitmap TwoColours(int w, int h)
{
    TBitmap bmp(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = bmp.ScanLine(y) + x * 3;
            p[2] = x < w / 2 ? 255 : 0;
            p[0] = x < w / 2 ? 0 : 255;
        }
    return bmp;
}

} // namespace

// A 2:1 picture fills 28 x 14 at (1, 8) with a white frame round it on the background; a huge one
// is reduced first and lands alike; without a picture a white patch marks the place.
TEST(BatchThumbnail, FitsFramesAndMarks)
{
    for (const TBitmap& source : {TwoColours(56, 28), TwoColours(4000, 2000)}) {
        TBitmap thumb;
        TRect r;
        DrawBatchThumbnail(thumb, r, &source, 0x123456);
        EXPECT_EQ(r, Rect(1, 8, 29, 22));
        ASSERT_EQ(thumb.Width(), 30);
        EXPECT_EQ(PixelAt(thumb, 0, 0), 0x123456u);
        EXPECT_EQ(PixelAt(thumb, 29, 29), 0x123456u);
        EXPECT_EQ(PixelAt(thumb, 0, 7), 0xFFFFFFu);
        EXPECT_EQ(PixelAt(thumb, 29, 22), 0xFFFFFFu);
        EXPECT_EQ(PixelAt(thumb, 1, 8), 0xFF0000u);
        EXPECT_EQ(PixelAt(thumb, 14, 21), 0xFF0000u);
        EXPECT_EQ(PixelAt(thumb, 15, 8), 0x0000FFu);
        EXPECT_EQ(PixelAt(thumb, 28, 21), 0x0000FFu);
        EXPECT_EQ(PixelAt(thumb, 0, 23), 0x123456u);

        DrawBatchThumbnail(thumb, r, nullptr, 0x123456);
        EXPECT_EQ(r, Rect(3, 8, 28, 24));
        EXPECT_EQ(PixelAt(thumb, 3, 23), 0xFFFFFFu);
        EXPECT_EQ(PixelAt(thumb, 27, 8), 0xFFFFFFu);
        EXPECT_EQ(PixelAt(thumb, 2, 8), 0xFF0000u);  // the old picture beside the patch
        EXPECT_EQ(PixelAt(thumb, 1, 7), 0xFFFFFFu); // the old frame
        EXPECT_EQ(PixelAt(thumb, 28, 21), 0x0000FFu);
    }
}
