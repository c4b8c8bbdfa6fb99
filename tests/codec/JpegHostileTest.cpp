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
