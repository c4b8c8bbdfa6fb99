#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/BmpTestFiles.h"
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

// The at-risk list equals the plain comparison of every pair on random lists: every prefix and suffix
// mode, kept and replaced names, mixed extensions and letter case, own folder and another (one with
// dots in its name, one through a link, written with "..", "./", "//", with and without the last
// slash), names without extension, with a trailing dot, hidden ones, "a..b", letters beyond ASCII in
// both cases, texts holding digits and dots, numbers of 1 to 12 digits; names made from earlier ones
// so that real risks are among them.
TEST(BatchFileOrder, AtRiskEqualsEveryPairCompared)
{
    TTempFolder scratch;
    const std::string root = scratch.Path(), s = root + "/s/", d = root + "/d.v1.2/";
    std::filesystem::create_directories(s);
    std::filesystem::create_directories(d);
    std::filesystem::create_directory_symlink(s, root + "/link");
    std::mt19937 rng(7);
    const auto pick = [&rng](const auto& list) { return list[rng() % std::size(list)]; };
    const std::string exts[] = {".jpg", ".JPG", ".jpeg", ".JPEG", ".bmp", ".png", "", ".Jpg", "."};
    const std::string texts[] = {"", "x", "_1", "12", "1.", ".", "x.2"};
    const std::string folders[] = {s, s, d, root + "/link/", root + "//s/", root + "/./d.v1.2/", d + "../s/"};
    const std::string dests[] = {"",          d,          d + "../s/",    "/nowhere/",    root + "/link/",
                                 root + "/link", root + "//s", root + "/./s/", root + "/d.v1.2"};
    const std::string bases[] = {"a", "b1", "1", "a_1", "A", ".hidden", "a..b", "a.", "\xc3\xa9t\xc3\xa9",
                                 "\xc3\x89T\xc3\x89"};
    const auto number = [&rng] { // 1 to 12 digits
        std::string digits;
        for (int n = 1 + int(rng() % 12); n > 0; --n) digits += char('0' + rng() % 10);
        return digits;
    };
    int risks = 0;
    for (int round = 0; round < 150; ++round) {
        TBatchProcOptions o;
        o.KeepOriginalName = rng() % 4 != 0;
        o.PrefixMode = int(rng() % 3);
        o.SuffixMode = int(rng() % 3);
        o.PrefixText = pick(texts);
        o.SuffixText = pick(texts);
        o.DestFolder = pick(dests);
        std::vector<std::string> files, stems;
        for (int i = 0; i < 30; ++i) {
            std::string stem = pick(bases);
            if (!stems.empty() && rng() % 2) { // what a naming rule makes of an earlier name
                const auto part = [&](int mode, const std::string& text) {
                    return mode == 1 ? text : mode == 2 ? number() : std::string();
                };
                stem = part(o.PrefixMode, o.PrefixText) + (o.KeepOriginalName ? pick(stems) : std::string()) +
                       part(o.SuffixMode, o.SuffixText);
            }
            stems.push_back(stem);
            files.push_back(pick(folders) + stem + pick(exts));
        }
        std::vector<bool> pairwise(files.size(), false);
        for (size_t j = 0; j < files.size(); ++j)
            for (size_t i = 0; i < j; ++i)
                pairwise[j] = pairwise[j] || BatchOutputMayOverwrite(files[i], files[j], o);
        risks += int(std::count(pairwise.begin(), pairwise.end(), true));
        ASSERT_EQ(BatchSourcesAtRisk(files, o), pairwise) << round;
    }
    EXPECT_GT(risks, 200);
    // Stop is asked about every 50 ms however long a name takes (names of long digit runs in both
    // numbered modes are read in tens of thousands of ways each), and a yes ends the work.
    std::vector<std::string> digitNames(1100);
    for (std::string& name : digitNames) {
        name = s;
        for (int k = 0; k < 240; ++k) name += char('0' + rng() % 10);
        name += ".jpg";
    }
    TBatchProcOptions numbered;
    numbered.PrefixMode = numbered.SuffixMode = 2;
    std::vector<std::chrono::steady_clock::time_point> asks = {std::chrono::steady_clock::now()};
    BatchSourcesAtRisk(digitNames, numbered, [&asks] {
        asks.push_back(std::chrono::steady_clock::now());
        return asks.size() > 3;
    });
    ASSERT_EQ(asks.size(), 4u);
    for (size_t i = 1; i < asks.size(); ++i) EXPECT_LT(asks[i] - asks[i - 1], std::chrono::milliseconds(500)) << i;
}

// Pixel memory of a file in flight: 16 bytes a pixel of the header's size, else 16 per file byte.
// The headers are made by hand; a 12-byte one holds 16-bit sizes.
TEST(BatchFileOrder, MemoryFromHeaders)
{
    TTempFolder scratch;
    const std::string dir = scratch.Path() + "/", fixtures = std::string(QM_FIXTURES_DIR) + "/formats/";
    SaveBmpToFile(TBitmap(100, 50, TPixelFormat::pf24bit), dir + "a.bmp");
    const auto write = [&dir](const std::string& name, const bmptest::Bytes& b) {
        std::ofstream(dir + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    };
    write("w70000.bmp", bmptest::TBmpRecipe{.Width = 70000, .Height = 1}.Build());
    write("topdown.bmp", bmptest::TBmpRecipe{.Width = 2, .Height = -300}.Build());
    write("w2p24.bmp", bmptest::TBmpRecipe{.Width = 1 << 24, .Height = 1}.Build());
    write("core.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 0, 1, 3, 0, 1, 0, 24, 0});
    std::ofstream(dir + "text.jpg") << "hello";
    const std::vector<uint8_t> cut = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F'}; // a segment longer than the file
    std::ofstream(dir + "cut.jpg", std::ios::binary).write(reinterpret_cast<const char*>(cut.data()), 8);
    const std::pair<std::string, int64_t> cases[] = {
        {dir + "a.bmp", 80000},
        {dir + "w70000.bmp", 1120000},
        {dir + "topdown.bmp", 9600}, // rows stored top down: 2 x 300
        {dir + "core.bmp", 12288},   // 256 x 3
        {dir + "w2p24.bmp", 864},    // no such picture: the file's 54 bytes
        {fixtures + "color_40x24.jpg", 15360},
        {fixtures + "progressive_24x16.jpg", 6144},
        {dir + "text.jpg", 80},
        {dir + "cut.jpg", 128},
        {dir + "missing.bmp", 0},
    };
    for (const auto& [name, bytes] : cases) {
        const int64_t size = std::filesystem::exists(name) ? int64_t(std::filesystem::file_size(name)) : 0;
        EXPECT_EQ(EstimateBatchFileMemory(name, size), bytes) << name;
    }
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
