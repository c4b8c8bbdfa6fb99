// Hostile JPEG files found by fuzzing the decoder (tests/fuzz/fuzz_jpeg.cpp): tiny files that made
// it allocate far beyond the pixel limit or keep it busy for a very long time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JpegFixtures.h"
#include "codec/JPEGImage.h"
#include "codec/JpegDecode.h"
#include "platform/Exceptions.h"

using fixtures::MakeJpeg;
using fixtures::TJpegRecipe;

namespace {

struct TJpegPixelLimitScope
{
    explicit TJpegPixelLimitScope(int64_t limit) { TBitmap::SetPixelLimit(limit); }
    ~TJpegPixelLimitScope() { TBitmap::SetPixelLimit(Saved); }
    int64_t Saved = TBitmap::PixelLimit();
};

// The file with the frame header claiming width x height pixels.
std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> f, int width, int height)
{
    const size_t p = fixtures::MarkerOffset(f, {0xC0, 0xC1, 0xC2});
    EXPECT_NE(p, 0u);
    f[p + 5] = uint8_t(height >> 8);
    f[p + 6] = uint8_t(height);
    f[p + 7] = uint8_t(width >> 8);
    f[p + 8] = uint8_t(width);
    return f;
}

// A progressive file whose last scan is repeated so that it holds `scans` scans in all.
std::vector<uint8_t> WithScanCount(const std::vector<uint8_t>& f, int scans)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i + 1 < f.size(); ++i)
        if (f[i] == 0xFF && f[i + 1] == 0xDA) starts.push_back(i);
    EXPECT_GE(starts.size(), 2u);
    const size_t eoi = f.size() - 2;
    std::vector<uint8_t> out(f.begin(), f.begin() + std::ptrdiff_t(eoi));
    for (int i = int(starts.size()); i < scans; ++i)
        out.insert(out.end(), f.begin() + std::ptrdiff_t(starts.back()), f.begin() + std::ptrdiff_t(eoi));
    out.push_back(0xFF);
    out.push_back(0xD9);
    return out;
}

TBitmap* LoadAndDecode(TJPEGImage& image, const std::vector<uint8_t>& file)
{
    fixtures::LoadInto(image, file);
    return image.EnsureBitmap();
}

} // namespace

// A header's size is checked before anything is allocated. A progressive file is held whole at full
// size while it is read, so a reduced scale must not let a header far beyond the pixel limit through
// (a 750-byte file claiming 16000 x 16000 pixels took close to 1 GB at 1/8 scale; 65535 x 65535
// asked for 25 GB). A sequential file needs no such buffer and still decodes at the reduced scale.
TEST(JpegHostile, FullSizeOfMultiScanFileIsCheckedAtEveryScale)
{
    TJpegPixelLimitScope limit(int64_t(1) << 20);
    struct TCase { bool Progressive; int Width, Height; uint8_t Scale; bool Refused; };
    const TCase cases[] = {
        {true, 2048, 2048, 3, true},    // 4 M pixels, 256 x 256 at 1/8
        {true, 1024, 1024, 3, false},   // exactly at the limit
        {false, 2048, 2048, 3, false},  // sequential: only the output counts
        {true, 60000, 60000, 0, true},  // the bitmap alone is far too large
        {true, 60000, 60000, 3, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Progressive) + " " + std::to_string(c.Width) + " scale " + std::to_string(c.Scale));
        TJpegRecipe recipe;
        recipe.Progressive = c.Progressive;
        const std::vector<uint8_t> f = WithFrameSize(MakeJpeg(recipe), c.Width, c.Height);
        for (bool display : {false, true}) {
            TJPEGImage image;
            image.SetScale(c.Scale);
            image.ProgressiveDisplay = display;
            if (c.Refused) {
                EXPECT_THROW(LoadAndDecode(image, f), EOutOfResources);
                EXPECT_EQ(image.Data->Width, c.Width);
                EXPECT_EQ(image.Bitmap, nullptr);
            } else {
                TBitmap* bmp = LoadAndDecode(image, f); // truncated data: the rest is grey
                ASSERT_NE(bmp, nullptr);
                EXPECT_EQ(bmp->Width(), c.Width / 8);
            }
        }
    }
}

// Every scan walks the whole picture: a 1 MB file of tiny scans kept the decoder busy for half an
// hour at the default limit. More than 500 scans are refused; fewer decode as before.
TEST(JpegHostile, ScanCountIsBounded)
{
    TJpegRecipe recipe;
    recipe.Progressive = true;
    const std::vector<uint8_t> f = MakeJpeg(recipe);
    struct TCase { int Scans; bool Refused; };
    for (const TCase& c : {TCase{500, false}, TCase{501, true}, TCase{3000, true}}) {
        const std::vector<uint8_t> many = WithScanCount(f, c.Scans);
        for (bool display : {false, true}) {
            SCOPED_TRACE(std::to_string(c.Scans) + (display ? " display" : ""));
            TJPEGImage image;
            image.ProgressiveDisplay = display;
            if (c.Refused) {
                try {
                    LoadAndDecode(image, many);
                    ADD_FAILURE() << "no exception";
                } catch (const EJPEG& e) {
                    EXPECT_STREQ(e.what(), "The file holds more than 500 scans");
                }
            } else {
                TBitmap* bmp = LoadAndDecode(image, many);
                ASSERT_NE(bmp, nullptr);
                EXPECT_EQ(bmp->Width(), 64);
            }
        }
    }
}
