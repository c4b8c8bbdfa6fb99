// Decoding and header reading: texts, density, scale, grey and 8-bit output with progressive display,
// and files that are damaged or of a kind the decoder cannot show.
#include <gtest/gtest.h>

#include <tuple>

#include "EncoderTestUtil.h"
#include "JpegFixtures.h"
#include "ProgressTestClock.h"
#include "SelectionTestUtil.h"
#include "codec/JPEGImage.h"
#include "codec/JpegDecode.h"
#include "platform/Exceptions.h"

using fixtures::LoadInto;
using fixtures::MakeJpeg;
using fixtures::TJpegRecipe;
using std::tuple;

using progress_test::RecordProgressCalls;
using TEvents = std::vector<progress_test::TProgressRecord>;

TEST(JpegDecode, TextsDensityAndScaleFromTheHeader)
{
    // Dots per centimetre (299.72 and 99.06 rounded); aspect ratio only; a zero density; no JFIF header.
    struct Case { bool jfif; int unit, x, y, wantX, wantY; } cases[] = {
        {true, 2, 100, 100, 254, 254}, {true, 2, 118, 39, 300, 99}, {true, 0, 3, 2, 96, 96},
        {true, 1, 72, 300, 72, 300},   {true, 1, 0, 300, 96, 96},   {false, 1, 72, 72, 96, 96},
    };
    for (const Case& c : cases) {
        const TJpegRecipe recipe{.WriteJfif = c.jfif, .DensityUnit = c.unit, .XDensity = c.x, .YDensity = c.y,
                                 .Comments = {"first", "second line", "third"}, .App12 = {"Ducky text"}};
        TJPEGImage image;
        image.DensityUnit = 7;
        image.Comments.Add("stale");
        LoadInto(image, MakeJpeg(recipe));
        ASSERT_NE(image.EnsureBitmap(), nullptr);
        EXPECT_EQ(tuple(image.DensityUnit, image.XDensity, image.YDensity, image.Comments.Lines(), image.AppTexts.Lines()),
                  tuple(1, c.wantX, c.wantY, recipe.Comments, recipe.App12)) << c.unit << " " << c.x << "x" << c.y;
    }
    // The reduced size of a scale, before and after decoding.
    TJPEGImage image;
    LoadInto(image, MakeJpeg({.Width = 1000, .Height = 600}));
    struct TScale { uint8_t scale; int w, h; } scales[] = {{3, 125, 75}, {1, 500, 300}, {2, 250, 150}, {0, 1000, 600}};
    for (const TScale& c : scales) {
        image.SetScale(c.scale);
        // From the header: the const getters change nothing, GetWidth keeps what it read.
        EXPECT_EQ(tuple(image.Width(), image.Height(), image.NeedHeader), tuple(c.w, c.h, true));
        const int width = image.GetWidth();
        EXPECT_EQ(tuple(width, image.NeedHeader, image.HasBitmap()), tuple(c.w, c.scale == 0, false));
        TBitmap* bmp = image.EnsureBitmap();
        EXPECT_EQ(tuple(bmp->Width(), bmp->Height()), tuple(c.w, c.h));
    }
}

// Grey and colour files give the library's own 24-bit pixels (blue, green, red; grey in all three);
// colour quantisation and a palette serve 8-bit output only.
TEST(JpegDecode, GreyColourAndEightBitOutput)
{
    for (int components : {1, 3}) {
        TJPEGImage image;
        image.Palette = {{1, 2, 3, 0}};
        image.QuantizeColors = true;
        const std::vector<uint8_t> file = MakeJpeg({.Components = components});
        LoadInto(image, file);
        TBitmap* bmp = image.EnsureBitmap();
        EXPECT_EQ(tuple(image.Data->Grayscale, image.Grayscale, bmp->PixelFormat(), image.Palette.empty()),
                  tuple(components == 1, components == 1, TPixelFormat::pf24bit, true));
        const TBitmap want = LibraryDecode(file);
        for (int y = 0; y < want.Height(); ++y)
            ASSERT_TRUE(std::equal(want.ScanLine(y), want.ScanLine(y) + 3 * want.Width(), bmp->ScanLine(y))) << y;
    }
    TPaletteEntries given;
    for (int i = 0; i < 16; ++i) given.push_back({uint8_t(i * 17), uint8_t(255 - i * 17), uint8_t(i * 8), 0});
    progress_test::FastProgressClock clock;
    for (int mode = 0; mode < 4; ++mode) { // progressive display and two-pass quantisation on and off
        SCOPED_TRACE(mode);
        TJPEGImage image;
        std::tie(image.PixelFormat8Bit, image.ProgressiveDisplay, image.TwoPassQuantize, image.DesiredColors) =
            tuple(true, mode & 1, mode & 2, 64);
        int changes = 0;
        image.OnChange = [&](TJPEGImage*) { ++changes; };
        LoadInto(image, MakeJpeg({.Progressive = true}));
        TEvents events;
        RecordProgressCalls(image, events);
        for (bool withPalette : {false, true}) {
            if (withPalette) image.SetPalette(given); // frees the bitmap: its palette differed
            changes = 0;
            TBitmap* bmp = image.EnsureBitmap();
            const size_t n = bmp->Palette().size();
            EXPECT_EQ(tuple(bmp->PixelFormat(), n >= 2 && n <= 64, changes, !withPalette || bmp->Palette() == given),
                      tuple(TPixelFormat::pf8bit, true, withPalette ? 0 : 1, true));
            for (int y = 0; y < bmp->Height(); ++y)
                for (int x = 0; x < bmp->Width(); ++x) ASSERT_LT(bmp->ScanLine(y)[x], n);
        }
        // Two decodes: with the display each of the ten scans of a simple progression is redrawn, within
        // the picture.
        int redraws = 0;
        for (const auto& e : events)
            redraws += e.Redraw && e.R.Left == 0 && e.R.Right == 64 && e.R.Height() >= 4 && e.R.Bottom <= 48;
        if (mode & 1) { EXPECT_GE(redraws, 20); }
    }
}

TEST(JpegDecode, DamagedStreamsAndTheMessagesOfTheLastHeaderRead)
{
    const std::vector<uint8_t> good = MakeJpeg(TJpegRecipe{});
    std::vector<uint8_t> badMarkerLength = good;
    const size_t dqt = fixtures::MarkerOffset(good, {0xDB});
    badMarkerLength[dqt + 3] = 1; // the quantisation table marker claims a length of 1
    badMarkerLength[dqt + 2] = 0;
    struct Case { std::vector<uint8_t> File; std::string Message; };
    const Case cases[] = {
        {{0x12, 0x34, 0x56, 0x78}, "Not a JPEG file: starts with 0x12 0x34"},
        {{0xFF}, "Not a JPEG file: starts with 0xff 0xff"},
        {badMarkerLength, "Bogus marker length"},
        // Cut inside the tables: the end-of-image marker the source inserts comes before any frame.
        {std::vector<uint8_t>(good.begin(), good.begin() + 100), "JPEG datastream contains no image"},
        {{}, "The file is empty"}, // not the library's words for the end marker it inserts
    };
    for (const Case& c : cases) {
        TJPEGImage image; // the header is read while loading
        const std::string got = fixtures::MessageOf<EJPEG>([&] { LoadInto(image, c.File); });
        EXPECT_EQ(got, c.Message);
    }
    // Empty data read from a stream cannot be decoded either.
    TJPEGImage image;
    TMemoryStream zero(std::vector<uint8_t>(4, 0));
    image.ReadData(zero);
    EXPECT_THROW(image.EnsureBitmap(), EJPEG);
    // (Data cut inside the picture: the hostile-size table decodes such files, the glue tests every cut.)
    // A four-component file cannot be shown as RGB: it fails cleanly, the header still taken in.
    TJPEGImage cmyk;
    cmyk.SamplingFactors = {{{3, 3}, {3, 3}, {3, 3}}};
    LoadInto(cmyk, MakeJpeg({.Components = 4}));
    TEvents events;
    RecordProgressCalls(cmyk, events);
    EXPECT_THROW(cmyk.EnsureBitmap(), EJPEG);
    EXPECT_EQ(tuple(cmyk.HasBitmap(), cmyk.Width(), cmyk.SamplingFactors[0].H, cmyk.SamplingFactors[2].V),
              tuple(false, 64, 1, 1));
    EXPECT_EQ(tuple(events.back().Stage, events.back().Percent), tuple(TProgressStage::psEnding, 0));
    // Library messages belong to the last header read.
    // Three stray bytes after the JFIF marker: the header read warns about them.
    std::vector<uint8_t> stray = good;
    stray.insert(stray.begin() + 4 + (stray[4] << 8 | stray[5]), {0x01, 0x02, 0x03});
    TJPEGImage warned;
    LoadInto(warned, stray);
    ASSERT_EQ(warned.LibraryMessages.Count(), 1);
    EXPECT_NE(warned.LibraryMessages[0].find("3 extraneous bytes"), std::string::npos) << warned.LibraryMessages[0];
    LoadInto(warned, good);
    EXPECT_EQ(warned.LibraryMessages.Count(), 0);
    // The scaled size kept by GetWidth is read from the header again: the same rule.
    LoadInto(warned, stray);
    warned.LibraryMessages.Add("earlier");
    warned.SetScale(1);
    EXPECT_EQ(warned.GetWidth(), 32);
    EXPECT_EQ(warned.LibraryMessages.Count(), 1);
}

// Progress is reported at most every 120 ms: with a clock that stands still a whole decode reports
// no running event; a step 119 ms after the last report is dropped, one 120 ms after it gets through.
TEST(JpegDecode, ThrottleDropsCallsWithin120ms)
{
    static uint32_t now = 5000;
    SetJpegProgressTickSource([] { return now; });
    struct TRestore
    {
        ~TRestore() { SetJpegProgressTickSource(nullptr); }
    } restore;
    TJPEGImage image;
    LoadInto(image, MakeJpeg(TJpegRecipe{}));
    TEvents events;
    RecordProgressCalls(image, events);
    image.EnsureBitmap();
    for (const auto& e : events)
        EXPECT_NE(e.Stage, TProgressStage::psRunning);

    events.clear();
    TJpegProgress p;
    p.Image = &image;
    ProgressStep(p, 0, 4, 0, 1, nullptr); // the first call starts the clock
    now = 5119;
    ProgressStep(p, 1, 4, 0, 1, nullptr);
    EXPECT_TRUE(events.empty());
    now = 5120;
    ProgressStep(p, 2, 4, 0, 1, nullptr);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(std::tuple(events[0].Stage, events[0].Percent), std::tuple(TProgressStage::psRunning, 50));
}
