// Decoding and header reading: texts, density, scale, grey and 8-bit output, progressive display,
// and files that are damaged, hostile or of a kind the decoder cannot show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "JpegFixtures.h"
#include "codec/JPEGImage.h"
#include "codec/JpegDecode.h"
#include "ProgressTestClock.h"
#include "codec/JpegProgress.h"
#include "platform/Exceptions.h"

using fixtures::MakeJpeg;
using fixtures::TJpegRecipe;
using fixtures::LoadInto;

namespace {

struct TEvent { TProgressStage Stage; int Percent; bool Redraw; TRect R; };

using progress_test::FastProgressClock;

} // namespace

TEST(JpegDecode, CommentAndApp12MarkersBecomeLinesInFileOrder)
{
    TJpegRecipe recipe;
    recipe.Comments = {"first", "second line", "third"};
    recipe.App12 = {"Ducky text"};
    TJPEGImage image;
    image.Comments.Add("stale");
    LoadInto(image, MakeJpeg(recipe));
    ASSERT_NE(image.EnsureBitmap(), nullptr);
    EXPECT_EQ(image.Comments.Lines(), (std::vector<std::string>{"first", "second line", "third"}));
    EXPECT_EQ(image.AppTexts.Lines(), (std::vector<std::string>{"Ducky text"}));
}

TEST(JpegDecode, DensityRules)
{
    struct Case { bool jfif; int unit, x, y, wantX, wantY; } cases[] = {
        {true, 2, 100, 100, 254, 254}, // dots per centimetre
        {true, 2, 118, 39, 300, 99},   // 299.72 and 99.06 rounded
        {true, 0, 3, 2, 96, 96},       // aspect ratio only
        {true, 1, 72, 300, 72, 300},
        {true, 1, 0, 300, 96, 96},     // a zero density
        {false, 1, 72, 72, 96, 96},    // no JFIF header at all
    };
    for (const Case& c : cases) {
        TJpegRecipe recipe;
        recipe.WriteJfif = c.jfif;
        recipe.DensityUnit = c.unit;
        recipe.XDensity = c.x;
        recipe.YDensity = c.y;
        TJPEGImage image;
        image.DensityUnit = 7;
        LoadInto(image, MakeJpeg(recipe));
        image.EnsureBitmap();
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << " " << c.x << "x" << c.y);
        EXPECT_EQ(std::tuple(image.DensityUnit, image.XDensity, image.YDensity), std::tuple(1, c.wantX, c.wantY));
    }
}

TEST(JpegDecode, ScaleGivesTheReducedSizeBeforeAndAfterDecoding)
{
    TJpegRecipe recipe;
    recipe.Width = 1000;
    recipe.Height = 600;
    TJPEGImage image;
    LoadInto(image, MakeJpeg(recipe));
    struct Case { uint8_t scale; int w, h; } cases[] = {{3, 125, 75}, {1, 500, 300}, {2, 250, 150}, {0, 1000, 600}};
    for (const Case& c : cases) {
        image.SetScale(c.scale);
        EXPECT_EQ(std::pair(image.Width(), image.Height()), std::pair(c.w, c.h)) << int(c.scale); // from the header
        EXPECT_FALSE(image.HasBitmap());
        TBitmap* bmp = image.EnsureBitmap();
        ASSERT_NE(bmp, nullptr);
        EXPECT_EQ(std::pair(bmp->Width(), bmp->Height()), std::pair(c.w, c.h));
    }
}

// Grey files give grey 24-bit pixels; colour pixels come in blue, green, red order.
TEST(JpegDecode, PixelsOfGreyAndColourFiles)
{
    for (int components : {1, 3}) {
        TJpegRecipe recipe;
        recipe.Components = components;
        recipe.Quality = 100;
        TJPEGImage image;
        LoadInto(image, MakeJpeg(recipe));
        EXPECT_EQ(image.Data->Grayscale, components == 1);
        TBitmap* bmp = image.EnsureBitmap();
        ASSERT_NE(bmp, nullptr);
        EXPECT_EQ(image.Grayscale, components == 1);
        EXPECT_EQ(bmp->PixelFormat(), TPixelFormat::pf24bit);
        long errRGB = 0, errBGR = 0, differing = 0;
        for (int y = 0; y < bmp->Height(); ++y)
            for (int x = 0; x < bmp->Width(); ++x) {
                const uint8_t* p = bmp->ScanLine(y) + 3 * x;
                if (components == 1) {
                    ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
                    differing += std::abs(int(p[0]) - int(fixtures::Sample(x, y, 0))) > 16;
                } else
                    for (int c = 0; c < 3; ++c) {
                        errBGR += std::abs(int(p[2 - c]) - int(fixtures::Sample(x, y, c)));
                        errRGB += std::abs(int(p[c]) - int(fixtures::Sample(x, y, c)));
                    }
            }
        if (components == 1) {
            EXPECT_LT(differing, bmp->Width() * bmp->Height() / 20);
        } else {
            EXPECT_LT(errBGR * 4, errRGB);
        }
    }
}

TEST(JpegDecode, EightBitOutputWithDerivedAndGivenPalettes)
{
    for (bool progressiveDisplay : {false, true})
        for (bool twoPass : {false, true}) {
            SCOPED_TRACE(testing::Message() << "progressive display " << progressiveDisplay << " two-pass " << twoPass);
            TJpegRecipe recipe;
            recipe.Progressive = true;
            TJPEGImage image;
            image.PixelFormat8Bit = true;
            image.ProgressiveDisplay = progressiveDisplay;
            image.TwoPassQuantize = twoPass;
            image.DesiredColors = 64;
            int changes = 0;
            image.OnChange = [&](TJPEGImage*) { ++changes; };
            LoadInto(image, MakeJpeg(recipe));
            changes = 0;
            TBitmap* bmp = image.EnsureBitmap();
            ASSERT_NE(bmp, nullptr);
            EXPECT_EQ(bmp->PixelFormat(), TPixelFormat::pf8bit);
            size_t n = bmp->Palette().size();
            EXPECT_GE(n, 2u);
            EXPECT_LE(n, 64u);
            EXPECT_EQ(changes, 1);
            for (int y = 0; y < bmp->Height(); ++y)
                for (int x = 0; x < bmp->Width(); ++x) EXPECT_LT(bmp->ScanLine(y)[x], n);

            // A given palette is used as it is.
            TPaletteEntries given;
            for (int i = 0; i < 16; ++i) given.push_back({uint8_t(i * 17), uint8_t(255 - i * 17), uint8_t(i * 8), 0});
            image.SetPalette(given);
            EXPECT_FALSE(image.HasBitmap()); // the bitmap's palette differed
            bmp = image.EnsureBitmap();
            EXPECT_EQ(bmp->Palette(), given);
            for (int y = 0; y < bmp->Height(); ++y)
                for (int x = 0; x < bmp->Width(); ++x) EXPECT_LT(bmp->ScanLine(y)[x], 16);
        }
}

TEST(JpegDecode, PaletteIsDroppedForColourOutput)
{
    TJPEGImage image;
    LoadInto(image, MakeJpeg(TJpegRecipe{}));
    image.Palette = {{1, 2, 3, 0}};
    image.EnsureBitmap();
    EXPECT_TRUE(image.Palette.empty());
    EXPECT_EQ(image.Bitmap->PixelFormat(), TPixelFormat::pf24bit);
}

TEST(JpegDecode, ProgressiveDisplaySendsRedrawEventsForEachScan)
{
    FastProgressClock clock;
    TJpegRecipe recipe;
    recipe.Width = 256;
    recipe.Height = 256;
    recipe.Progressive = true;
    for (bool display : {true, false}) {
        TJPEGImage image;
        image.ProgressiveDisplay = display;
        LoadInto(image, MakeJpeg(recipe));
        EXPECT_TRUE(image.ProgressiveEncoding);
        std::vector<TEvent> events;
        image.OnProgress = [&](TGraphic*, TProgressStage st, int pc, bool redraw, const TRect& r, const std::string&) {
            events.push_back({st, pc, redraw, r});
        };
        image.EnsureBitmap();
        ASSERT_GE(events.size(), 3u);
        EXPECT_EQ(events.front().Stage, TProgressStage::psStarting);
        EXPECT_EQ(events.back().Stage, TProgressStage::psEnding);
        EXPECT_EQ(events.back().Percent, 100);
        int redraws = 0, lastPercent = -1;
        for (size_t i = 1; i + 1 < events.size(); ++i) {
            const TEvent& e = events[i];
            EXPECT_EQ(e.Stage, TProgressStage::psRunning);
            EXPECT_NE(e.Percent, lastPercent); // only on a change of percent
            lastPercent = e.Percent;
            EXPECT_GE(e.Percent, 0);
            EXPECT_LE(e.Percent, 100);
            if (e.Redraw) {
                ++redraws;
                EXPECT_EQ(e.R.Left, 0);
                EXPECT_EQ(e.R.Right, 256);
                EXPECT_GE(e.R.Height(), 4);
                EXPECT_LE(e.R.Bottom, 256);
            }
        }
        if (display)
            EXPECT_GE(redraws, 10) << "a simple progression has ten scans, each drawn";
        else
            EXPECT_GE(redraws, 1);
    }
}

TEST(JpegDecode, ThrottleDropsCallsWithin120ms)
{
    // A clock that stands still: no call is 120 ms after the first, so no running events at all.
    SetJpegProgressTickSource([]() -> uint32_t { return 5000; });
    TJPEGImage image;
    LoadInto(image, MakeJpeg(TJpegRecipe{}));
    int running = 0;
    image.OnProgress = [&](TGraphic*, TProgressStage st, int, bool, const TRect&, const std::string&) {
        running += st == TProgressStage::psRunning;
    };
    image.EnsureBitmap();
    SetJpegProgressTickSource(nullptr);
    EXPECT_EQ(running, 0);
}

TEST(JpegDecode, FourComponentFileReadsThreeSamplingPairsAndFailsCleanly)
{
    TJpegRecipe recipe;
    recipe.Components = 4;
    TJPEGImage image;
    image.SamplingFactors = {{{3, 3}, {3, 3}, {3, 3}}};
    LoadInto(image, MakeJpeg(recipe));
    std::vector<TEvent> events;
    image.OnProgress = [&](TGraphic*, TProgressStage st, int pc, bool r, const TRect& rc, const std::string&) {
        events.push_back({st, pc, r, rc});
    };
    // The library cannot show CMYK as RGB; the header is still taken in.
    EXPECT_THROW(image.EnsureBitmap(), EJPEG);
    EXPECT_FALSE(image.HasBitmap());
    EXPECT_EQ(image.Width(), 64); // still the size of the header
    EXPECT_EQ(image.SamplingFactors[0].H, 1);
    EXPECT_EQ(image.SamplingFactors[2].V, 1);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Stage, TProgressStage::psEnding);
    EXPECT_EQ(events.back().Percent, 0);
}

TEST(JpegDecode, DamagedStreams)
{
    std::vector<uint8_t> good = MakeJpeg(TJpegRecipe{});
    std::vector<uint8_t> garbage(500);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37 + 11);
    std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 100);
    std::vector<uint8_t> badMarkerLength = good;
    const size_t dqt = fixtures::MarkerOffset(good, {0xDB});
    ASSERT_NE(dqt, 0u);
    badMarkerLength[dqt + 2] = 0; // the quantisation table marker claims a length of 1
    badMarkerLength[dqt + 3] = 1;

    for (const auto* bad : {&garbage, &headerOnly, &badMarkerLength}) {
        SCOPED_TRACE(bad->size());
        TJPEGImage image;
        EXPECT_THROW(LoadInto(image, *bad), EJPEG); // the header is read while loading
        EXPECT_THROW(image.EnsureBitmap(), EJPEG);
    }
    // Data cut inside the picture: the decoder shows what there is and warns.
    for (bool progressive : {false, true}) {
        TJpegRecipe recipe;
        recipe.Progressive = progressive;
        std::vector<uint8_t> f = MakeJpeg(recipe);
        f.resize(f.size() * 2 / 3);
        TJPEGImage image;
        image.ProgressiveDisplay = progressive;
        LoadInto(image, f);
        ASSERT_NE(image.EnsureBitmap(), nullptr);
        EXPECT_EQ(image.Bitmap->Width(), 64);
        ASSERT_GE(image.LibraryMessages.Count(), 1);
        EXPECT_NE(image.LibraryMessages.Text().find("Premature end of JPEG file"), std::string::npos);
    }
}

TEST(JpegDecode, LibraryMessagesBelongToTheLastHeaderRead)
{
    std::vector<uint8_t> good = MakeJpeg(TJpegRecipe{});
    // Three stray bytes after the JFIF marker: the header read warns about them.
    std::vector<uint8_t> stray = good;
    ASSERT_EQ(stray[3], 0xE0);
    const size_t afterApp0 = 4 + (size_t(stray[4]) << 8 | stray[5]);
    stray.insert(stray.begin() + std::ptrdiff_t(afterApp0), {0x01, 0x02, 0x03});

    TJPEGImage image;
    LoadInto(image, stray);
    ASSERT_EQ(image.LibraryMessages.Count(), 1);
    EXPECT_NE(image.LibraryMessages[0].find("3 extraneous bytes"), std::string::npos) << image.LibraryMessages[0];
    LoadInto(image, good);
    EXPECT_EQ(image.LibraryMessages.Count(), 0);
    // The scaled size is read from the header again: the same rule.
    LoadInto(image, stray);
    image.LibraryMessages.Add("earlier");
    image.SetScale(1);
    EXPECT_EQ(image.Width(), 32);
    EXPECT_EQ(image.LibraryMessages.Count(), 1);
}
