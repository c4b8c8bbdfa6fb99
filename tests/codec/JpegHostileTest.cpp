// Hostile JPEG files found by fuzzing the decoder (tests/fuzz/fuzz_jpeg.cpp) and crafted by hand:
// tiny files that made it allocate far beyond the pixel limit, keep it busy for minutes or fill the
// message list with millions of warnings. Each is made here from a small file of the library's.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "JpegFixtures.h"
#include "codec/JPEGImage.h"
#include "codec/JpegDecode.h"
#include "platform/Exceptions.h"

using fixtures::MakeJpeg;

namespace {

struct TPixelLimitScope
{
    explicit TPixelLimitScope(int64_t limit) { TBitmap::SetPixelLimit(limit); }
    ~TPixelLimitScope() { TBitmap::SetPixelLimit(Saved); }
    int64_t Saved = TBitmap::PixelLimit();
};

// The file with the frame header claiming width x height pixels; full444 makes every component 1 x 1.
std::vector<uint8_t> WithFrame(std::vector<uint8_t> f, int width, int height, bool full444 = false)
{
    const size_t p = fixtures::MarkerOffset(f, {0xC0, 0xC1, 0xC2});
    EXPECT_NE(p, 0u);
    f[p + 5] = uint8_t(height >> 8);
    f[p + 6] = uint8_t(height);
    f[p + 7] = uint8_t(width >> 8);
    f[p + 8] = uint8_t(width);
    if (full444) f[p + 11] = 0x11;
    return f;
}

// A progressive file whose last scan is repeated so that it holds `scans` scans in all.
std::vector<uint8_t> WithScanCount(const std::vector<uint8_t>& f, int scans)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i + 1 < f.size(); ++i)
        if (f[i] == 0xFF && f[i + 1] == 0xDA) starts.push_back(i);
    const size_t eoi = f.size() - 2;
    std::vector<uint8_t> out(f.begin(), f.begin() + std::ptrdiff_t(eoi));
    for (int i = int(starts.size()); i < scans; ++i)
        out.insert(out.end(), f.begin() + std::ptrdiff_t(starts.back()), f.begin() + std::ptrdiff_t(eoi));
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

TBitmap* LoadAndDecode(TJPEGImage& image, const std::vector<uint8_t>& file)
{
    fixtures::LoadInto(image, file);
    return image.EnsureBitmap();
}

} // namespace

// A header's size is checked before anything is allocated. A file of several scans is held whole
// as coefficients (2 bytes a sample) while it is read, whatever the scale: the full size must pass
// the pixel limit, and coefficients and bitmap together the memory budget (6 bytes a pixel at the
// limit). A 750-byte file claiming 16000 x 16000 pixels took close to 1 GB at 1/8 scale.
TEST(JpegHostile, FullSizeOfMultiScanFileIsCheckedAtEveryScale)
{
    TPixelLimitScope limit(int64_t(1) << 20);
    struct TCase { bool Progressive; int Width, Height; uint8_t Scale; bool Full444; bool Refused; };
    const TCase cases[] = {
        {true, 2048, 2048, 3, false, true},   // 4 M pixels, 256 x 256 at 1/8
        {true, 1024, 1024, 3, false, false},  // exactly at the pixel limit
        {true, 1024, 1024, 0, false, false},  // 3 + 3 bytes a pixel: exactly at the memory budget
        {true, 1024, 1024, 3, true, true},    // 6 bytes a pixel of coefficients at 4:4:4, and the bitmap
        {false, 2048, 2048, 3, false, false}, // sequential: only the output counts
        {true, 60000, 60000, 0, false, true}, // the bitmap alone is far too large
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Progressive << " " << c.Width << " scale " << int(c.Scale) << " " << c.Full444);
        const std::vector<uint8_t> f = WithFrame(MakeJpeg({.Progressive = c.Progressive}), c.Width, c.Height, c.Full444);
        for (bool display : {false, true}) {
            TJPEGImage image;
            image.SetScale(c.Scale);
            image.ProgressiveDisplay = display;
            if (c.Refused) {
                EXPECT_THROW(LoadAndDecode(image, f), EOutOfResources);
                EXPECT_EQ(std::tuple(image.Data->Width, image.Bitmap == nullptr), std::tuple(c.Width, true));
            } else {
                TBitmap* bmp = LoadAndDecode(image, f); // truncated data: the rest is grey
                ASSERT_NE(bmp, nullptr);
                EXPECT_EQ(bmp->Width(), c.Width >> c.Scale);
            }
        }
    }
    const std::vector<uint8_t> f = WithFrame(MakeJpeg({.Progressive = true}), 1024, 1024, true);
    EXPECT_EQ(fixtures::MessageOf<EOutOfResources>([&] { TJPEGImage image; LoadAndDecode(image, f); }),
              "Decoding needs 9 MB, more than the limit of 6 MB");
}

// Every scan walks the whole picture: a 7 KB file of 499 empty scans over 268 M pixels decoded for
// minutes. The work is bounded in pixels x scans (and at most 500 scans), counted before decoding;
// the largest pictures still decode with a dozen scans.
TEST(JpegHostile, DecodeWorkIsBounded)
{
    struct TCase { int64_t Pixels, Scans; const char* Message; };
    const TCase limits[] = {
        {268419072, 499, "Too much work to decode: 499 scans of 268419072 pixels"},
        {268435456, 12, ""}, {268435456, 14, ""}, // 3.76 x 10^9 pixel-scans
        {268435456, 15, "Too much work to decode: 15 scans of 268435456 pixels"},
        {3072, 500, ""}, {3072, 501, "The file holds more than 500 scans"},
    };
    for (const TCase& c : limits)
        EXPECT_EQ(fixtures::MessageOf<EJPEG>([&] { CheckJpegDecodeWork(c.Pixels, c.Scans); }), *c.Message ? c.Message : "(no exception)");

    const std::vector<uint8_t> f = MakeJpeg({.Progressive = true});
    struct TFileCase { int Width, Height, Scans; const char* Message; };
    const TFileCase files[] = {
        {64, 48, 500, nullptr}, {64, 48, 501, "The file holds more than 500 scans"},
        {64, 48, 3000, "The file holds more than 500 scans"},
        {16384, 16383, 499, "Too much work to decode: 499 scans of 268419072 pixels"},
    };
    for (const TFileCase& c : files) {
        const std::vector<uint8_t> many = WithScanCount(WithFrame(f, c.Width, c.Height), c.Scans);
        for (bool display : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.Scans << (display ? " display" : ""));
            TJPEGImage image;
            image.ProgressiveDisplay = display;
            if (c.Message)
                EXPECT_EQ(fixtures::MessageOf<EJPEG>([&] { LoadAndDecode(image, many); }), c.Message);
            else
                EXPECT_EQ(LoadAndDecode(image, many)->Width(), 64);
        }
    }
}

// Restart markers after every block and no scan data: the library warns once per block. The list
// keeps the first 100 messages and counts the rest in one line.
TEST(JpegHostile, WarningFloodIsCounted)
{
    const std::vector<uint8_t> f = MakeJpeg({.Width = 512, .Height = 512, .Components = 1});
    const size_t sos = fixtures::MarkerOffset(f, {0xDA});
    std::vector<uint8_t> flood(f.begin(), f.begin() + std::ptrdiff_t(sos));
    flood.insert(flood.end(), {0xFF, 0xDD, 0x00, 0x04, 0x00, 0x01}); // restart interval 1
    const size_t sosLength = size_t(f[sos + 2]) << 8 | f[sos + 3];
    flood.insert(flood.end(), f.begin() + std::ptrdiff_t(sos), f.begin() + std::ptrdiff_t(sos + 2 + sosLength));
    flood.insert(flood.end(), {0xFF, 0xD9});
    TJPEGImage image;
    ASSERT_NE(LoadAndDecode(image, flood), nullptr);
    ASSERT_EQ(image.LibraryMessages.Count(), 101);
    std::smatch m;
    const std::string last = image.LibraryMessages[100];
    ASSERT_TRUE(std::regex_match(last, m, std::regex(R"(\.\.\. and (\d+) more warnings)"))) << last;
    EXPECT_GT(std::stoi(m[1]), 3000); // 4096 blocks
}

namespace {

// The header of a grey progressive file up to its first scan, with the frame claiming width x height
// and the restart interval given, followed by `scans` copies of the first scan's header without data
// (the scan count in front of the reserved marker 0x05 whose length field claims 0xFFFF bytes).
std::vector<uint8_t> EmptyScans(int width, int height, int restartInterval, int scans, int beforeReserved)
{
    const std::vector<uint8_t> f = WithFrame(MakeJpeg({.Components = 1, .Progressive = true}), width, height);
    const size_t sos = fixtures::MarkerOffset(f, {0xDA});
    const size_t sosLength = size_t(f[sos + 2]) << 8 | f[sos + 3];
    std::vector<uint8_t> out(f.begin(), f.begin() + std::ptrdiff_t(sos));
    out.insert(out.end(), {0xFF, 0xDD, 0x00, 0x04, uint8_t(restartInterval >> 8), uint8_t(restartInterval)});
    for (int i = 0; i < scans; ++i) {
        if (i == beforeReserved) out.insert(out.end(), {0xFF, 0x05, 0xFF, 0xFF});
        out.insert(out.end(), f.begin() + std::ptrdiff_t(sos),
                   f.begin() + std::ptrdiff_t(sos + 2 + sosLength));
    }
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

} // namespace

// The count of scans before decoding reads the stream as the decoder does: met where a restart is
// due, a reserved marker (0x02-0xBF) has no length the decoder uses; it skips to the next marker and
// reads the scans behind it. Counted by a length field, the scans behind 0xFF05 0xFFFF were missed
// and the memory of the whole picture was taken before the in-decode checks stopped the file.
TEST(JpegHostile, ScansBehindAReservedMarkerAreCountedBeforeDecoding)
{
    using B = std::vector<uint8_t>;
    const B sos = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};
    const auto cat = [](std::initializer_list<B> parts) {
        B out;
        for (const B& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const std::tuple<const char*, B, int64_t> cases[] = {
        {"reserved 0x05 with a huge length",
         cat({{0xFF, 0xD8}, sos, {0x12, 0xFF, 0x05, 0xFF, 0xFF}, sos, sos}), 3},
        {"reserved 0xBF whose length covers a scan", cat({sos, {0xFF, 0xBF, 0x00, 0x0C}, sos}), 2},
        {"reserved 0x02 right before a scan", cat({sos, {0xFF, 0x02}, sos, {0xFF, 0xFF}, sos}), 3},
        {"an application segment is skipped by its length", cat({{0xFF, 0xE1, 0x00, 0x0C}, sos, sos}), 1},
        {"stuffed zeros and restarts inside scan data", cat({sos, {0x12, 0xFF, 0x00, 0xFF, 0xD0, 0x34}, sos}),
         2},
        {"the end-of-image marker ends the count", cat({sos, {0xFF, 0xD9}, sos}), 1},
        {"a scan header cut after its marker", {0xFF, 0xDA, 0x00}, 0},
        {"no data", {}, 0},
    };
    for (const auto& [name, bytes, scans] : cases)
        EXPECT_EQ(CountJpegScans(bytes.data(), bytes.size()), scans) << name;

    // 12000 x 11200 pixels: 134.4 M pixels may take 29 scans. All 40 scans are counted before
    // decoding; in the decode the first scan over the budget would be the 30th.
    const std::vector<uint8_t> hidden = EmptyScans(12000, 11200, 0xFFFF, 40, 1);
    EXPECT_EQ(CountJpegScans(hidden.data(), hidden.size()), 40);
    TJPEGImage image;
    EXPECT_EQ(fixtures::MessageOf<EJPEG>([&] { LoadAndDecode(image, hidden); }),
              "Too much work to decode: 40 scans of 134400000 pixels");
    EXPECT_EQ(image.Bitmap, nullptr);
}

// A 7 KB progressive file of 2048 x 2048 pixels, restart interval 1 and 499 empty scans is within the
// pixel-scan budget, but the library warns at each of its 65536 blocks in every scan: 32 M warnings
// took seconds. The decode stops at a million warnings; a few damaged restarts still load.
TEST(JpegHostile, WarningsCountIntoTheWork)
{
    const std::vector<uint8_t> flood = EmptyScans(2048, 2048, 1, 499, -1);
    EXPECT_LT(flood.size(), 8000u);
    for (bool display : {false, true}) {
        TJPEGImage image;
        image.ProgressiveDisplay = display;
        EXPECT_EQ(fixtures::MessageOf<EJPEG>([&] { LoadAndDecode(image, flood); }),
                  "The file is too damaged to decode: more than 1000000 warnings")
            << display;
    }
    // 16 empty scans of 65536 blocks: 1048576 block warnings, with the scan warnings over the bound;
    // 15 scans stay under it and decode (grey).
    EXPECT_EQ(fixtures::MessageOf<EJPEG>([&] {
                  TJPEGImage image;
                  LoadAndDecode(image, EmptyScans(2048, 2048, 1, 16, -1));
              }),
              "The file is too damaged to decode: more than 1000000 warnings");
    TJPEGImage image;
    ASSERT_NE(LoadAndDecode(image, EmptyScans(2048, 2048, 1, 15, -1)), nullptr);
    EXPECT_EQ(image.Bitmap->Width(), 2048);
}
