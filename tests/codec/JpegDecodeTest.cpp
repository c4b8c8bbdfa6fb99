// Decoding and header reading: texts, density, scale, grey and 8-bit output, progressive display,
// and files that are damaged or of a kind the decoder cannot show.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "EncoderTestUtil.h"
#include "JpegFixtures.h"
#include "ProgressTestClock.h"
#include "SelectionTestUtil.h"
#include "codec/JPEGImage.h"
#include "codec/JpegDecode.h"
#include "platform/Exceptions.h"
#include "support/LibraryCodec.h"

using fixtures::LoadInto;
using fixtures::MakeJpeg;
using fixtures::TJpegRecipe;

namespace {
struct TEvent { TProgressStage Stage; int Percent; bool Redraw; TRect R; };

// A recipe of the given size, components and progression (the other fields as they default).
TJpegRecipe Recipe(int width, int height, int components = 3, bool progressive = false)
{
    TJpegRecipe r;
    r.Width = width;
    r.Height = height;
    r.Components = components;
    r.Progressive = progressive;
    return r;
}

void Record(TJPEGImage& image, std::vector<TEvent>& events)
{
    image.OnProgress = [&](TGraphic*, TProgressStage st, int pc, bool redraw, const TRect& r, const std::string&) {
        events.push_back({st, pc, redraw, r});
    };
}
} // namespace

TEST(JpegDecode, TextsAndDensityRules)
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
        recipe.Comments = {"first", "second line", "third"};
        recipe.App12 = {"Ducky text"};
        TJPEGImage image;
        image.DensityUnit = 7;
        image.Comments.Add("stale");
        LoadInto(image, MakeJpeg(recipe));
        ASSERT_NE(image.EnsureBitmap(), nullptr);
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << " " << c.x << "x" << c.y);
        EXPECT_EQ(std::tuple(image.DensityUnit, image.XDensity, image.YDensity), std::tuple(1, c.wantX, c.wantY));
        EXPECT_EQ(image.Comments.Lines(), recipe.Comments);
        EXPECT_EQ(image.AppTexts.Lines(), recipe.App12);
    }
}

// Our encoder and the library reference write the same JFIF resolution; one below 1 in either
// direction is written as a 1:1 aspect without a unit and comes back as 96 dpi.
TEST(JpegDecode, DensityRoundTrip)
{
    struct Case { int64_t x, y; int unit, fileX, fileY, readX, readY; } cases[] = {
        {300, 150, 1, 300, 150, 300, 150}, {0, 300, 0, 1, 1, 96, 96}, {72, -4, 0, 1, 1, 96, 96},
        {70000, 1, 1, 65535, 1, 65535, 1},
    };
    const TBitmap picture(16, 16, TPixelFormat::pf24bit);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "x" << c.y);
        TJPEGImage image;
        image.SetSourceBitmap(&picture);
        image.XDensity = int32_t(c.x);
        image.YDensity = int32_t(c.y);
        image.CompressImage();
        const std::vector<uint8_t> file = CompressedBytes(image);
        ASSERT_GT(file.size(), 20u);
        // SOI, APP0 marker and length, "JFIF\0", version 1.1, then unit and densities.
        EXPECT_EQ(std::tuple(int(file[13]), file[14] << 8 | file[15], file[16] << 8 | file[17]),
                  std::tuple(c.unit, c.fileX, c.fileY));
        TEncodeParams params = IdentityParams();
        params.Coding.XDensity = c.x;
        params.Coding.YDensity = c.y;
        const std::vector<uint8_t> reference = LibraryEncode(picture, params);
        EXPECT_TRUE(std::equal(file.begin(), file.begin() + 18, reference.begin()));
        TJPEGImage read;
        LoadInto(read, file);
        read.EnsureBitmap();
        EXPECT_EQ(std::tuple(read.DensityUnit, read.XDensity, read.YDensity), std::tuple(1, c.readX, c.readY));
    }
}

TEST(JpegDecode, ScaleGivesTheReducedSizeBeforeAndAfterDecoding)
{
    TJPEGImage image;
    LoadInto(image, MakeJpeg(Recipe(1000, 600)));
    struct Case { uint8_t scale; int w, h; } cases[] = {{3, 125, 75}, {1, 500, 300}, {2, 250, 150}, {0, 1000, 600}};
    for (const Case& c : cases) {
        image.SetScale(c.scale);
        // From the header: the const getters change nothing, GetWidth keeps what it read.
        EXPECT_EQ(std::tuple(image.Width(), image.Height(), image.NeedHeader), std::tuple(c.w, c.h, true));
        EXPECT_EQ(std::tuple(image.GetWidth(), image.NeedHeader, image.HasBitmap()), std::tuple(c.w, c.scale == 0, false));
        TBitmap* bmp = image.EnsureBitmap();
        ASSERT_NE(bmp, nullptr);
        EXPECT_EQ(std::pair(bmp->Width(), bmp->Height()), std::pair(c.w, c.h));
    }
}

// Grey files give grey 24-bit pixels; colour pixels come in blue, green, red order.
TEST(JpegDecode, PixelsOfGreyAndColourFiles)
{
    for (int components : {1, 3}) {
        TJPEGImage image;
        image.Palette = {{1, 2, 3, 0}}; // dropped for colour output
        TJpegRecipe recipe = Recipe(64, 48, components);
        recipe.Quality = 100;
        LoadInto(image, MakeJpeg(recipe));
        TBitmap* bmp = image.EnsureBitmap();
        ASSERT_NE(bmp, nullptr);
        EXPECT_EQ(std::tuple(image.Data->Grayscale, image.Grayscale, bmp->PixelFormat(), image.Palette.empty()),
                  std::tuple(components == 1, components == 1, TPixelFormat::pf24bit, true));
        long errRGB = 0, errBGR = 0, notGrey = 0;
        for (int y = 0; y < bmp->Height(); ++y)
            for (int x = 0; x < bmp->Width(); ++x) {
                const uint8_t* p = bmp->ScanLine(y) + 3 * x;
                notGrey += p[0] != p[1] || p[1] != p[2];
                for (int c = 0; c < 3; ++c) {
                    const int want = fixtures::Sample(x, y, components == 1 ? 0 : c);
                    errBGR += std::abs(p[2 - c] - want);
                    errRGB += std::abs(p[c] - want);
                }
            }
        EXPECT_EQ(notGrey == 0, components == 1);
        EXPECT_LT(errBGR, 2L * 3 * bmp->Width() * bmp->Height()); // a mean error below 2
        if (components == 3) {
            EXPECT_LT(errBGR * 4, errRGB);
        }
    }
}

TEST(JpegDecode, EightBitOutputWithDerivedAndGivenPalettes)
{
    for (bool progressiveDisplay : {false, true})
        for (bool twoPass : {false, true}) {
            SCOPED_TRACE(testing::Message() << "progressive display " << progressiveDisplay << " two-pass " << twoPass);
            TJPEGImage image;
            image.PixelFormat8Bit = true;
            image.ProgressiveDisplay = progressiveDisplay;
            image.TwoPassQuantize = twoPass;
            image.DesiredColors = 64;
            int changes = 0;
            image.OnChange = [&](TJPEGImage*) { ++changes; };
            LoadInto(image, MakeJpeg(Recipe(64, 48, 3, true)));
            TPaletteEntries given;
            for (int i = 0; i < 16; ++i) given.push_back({uint8_t(i * 17), uint8_t(255 - i * 17), uint8_t(i * 8), 0});
            for (const TPaletteEntries* palette : {static_cast<const TPaletteEntries*>(nullptr), &std::as_const(given)}) {
                if (palette) image.SetPalette(*palette); // frees the bitmap: its palette differed
                changes = 0;
                TBitmap* bmp = image.EnsureBitmap();
                ASSERT_NE(bmp, nullptr);
                const size_t n = bmp->Palette().size();
                EXPECT_EQ(std::tuple(bmp->PixelFormat(), n >= 2 && n <= 64, changes), std::tuple(TPixelFormat::pf8bit, true, palette ? 0 : 1));
                if (palette) {
                    EXPECT_EQ(bmp->Palette(), given);
                }
                for (int y = 0; y < bmp->Height(); ++y)
                    for (int x = 0; x < bmp->Width(); ++x) ASSERT_LT(bmp->ScanLine(y)[x], n);
            }
        }
}

TEST(JpegDecode, ProgressiveDisplaySendsRedrawEventsForEachScan)
{
    // display on, off, and a clock that stands still: no call is 120 ms after the first.
    for (int mode : {0, 1, 2}) {
        progress_test::FastProgressClock clock;
        if (mode == 2) SetJpegProgressTickSource([]() -> uint32_t { return 5000; });
        TJPEGImage image;
        image.ProgressiveDisplay = mode != 1;
        LoadInto(image, MakeJpeg(Recipe(256, 256, 3, true)));
        EXPECT_TRUE(image.ProgressiveEncoding);
        std::vector<TEvent> events;
        Record(image, events);
        image.EnsureBitmap();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(std::tuple(events.front().Stage, events.back().Stage, events.back().Percent),
                  std::tuple(TProgressStage::psStarting, TProgressStage::psEnding, 100));
        int redraws = 0, lastPercent = -1;
        for (size_t i = 1; i + 1 < events.size(); ++i) {
            const TEvent& e = events[i];
            EXPECT_EQ(e.Stage, TProgressStage::psRunning);
            EXPECT_NE(e.Percent, lastPercent); // only on a change of percent
            lastPercent = e.Percent;
            if (e.Redraw) {
                ++redraws;
                EXPECT_EQ(std::tuple(e.R.Left, e.R.Right, e.R.Height() >= 4, e.R.Bottom <= 256),
                          std::tuple(0, 256, true, true));
            }
        }
        EXPECT_GE(redraws, mode == 0 ? 10 : mode == 1 ? 1 : 0); // a simple progression has ten scans, each drawn
        if (mode == 2) {
            EXPECT_EQ(events.size(), 2u);
        }
    }
}

TEST(JpegDecode, DamagedStreams)
{
    const std::vector<uint8_t> good = MakeJpeg(TJpegRecipe{});
    std::vector<uint8_t> garbage(500);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37 + 11);
    std::vector<uint8_t> badMarkerLength = good;
    const size_t dqt = fixtures::MarkerOffset(good, {0xDB});
    badMarkerLength[dqt + 2] = 0; // the quantisation table marker claims a length of 1
    badMarkerLength[dqt + 3] = 1;
    for (const auto& bad : {garbage, std::vector<uint8_t>(good.begin(), good.begin() + 100), badMarkerLength}) {
        SCOPED_TRACE(bad.size());
        TJPEGImage image;
        EXPECT_THROW(LoadInto(image, bad), EJPEG); // the header is read while loading
        EXPECT_THROW(image.EnsureBitmap(), EJPEG);
    }
    // An empty file says so, and so does empty data read from a stream.
    TJPEGImage image;
    TMemoryStream zero(std::vector<uint8_t>(4, 0));
    image.ReadData(zero);
    for (const std::function<void()>& load : {std::function<void()>([&] { LoadInto(image, {}); }),
                                              std::function<void()>([&] { image.EnsureBitmap(); })})
        try {
            load();
            ADD_FAILURE() << "no exception";
        } catch (const EJPEG& e) {
            EXPECT_STREQ(e.what(), "The file is empty");
        }
    // Data cut inside the picture: the decoder shows what there is and warns.
    for (bool progressive : {false, true}) {
        std::vector<uint8_t> f = MakeJpeg(Recipe(64, 48, 3, progressive));
        f.resize(f.size() * 2 / 3);
        TJPEGImage cut;
        cut.ProgressiveDisplay = progressive;
        LoadInto(cut, f);
        ASSERT_NE(cut.EnsureBitmap(), nullptr);
        EXPECT_EQ(cut.Bitmap->Width(), 64);
        EXPECT_NE(cut.LibraryMessages.Text().find("Premature end of JPEG file"), std::string::npos);
    }
    // A four-component file cannot be shown as RGB: it fails cleanly, the header still taken in.
    TJPEGImage cmyk;
    cmyk.SamplingFactors = {{{3, 3}, {3, 3}, {3, 3}}};
    LoadInto(cmyk, MakeJpeg(Recipe(64, 48, 4)));
    std::vector<TEvent> events;
    Record(cmyk, events);
    EXPECT_THROW(cmyk.EnsureBitmap(), EJPEG);
    EXPECT_EQ(std::tuple(cmyk.HasBitmap(), cmyk.Width(), cmyk.SamplingFactors[0].H, cmyk.SamplingFactors[2].V),
              std::tuple(false, 64, 1, 1));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(std::tuple(events.back().Stage, events.back().Percent), std::tuple(TProgressStage::psEnding, 0));
}

TEST(JpegDecode, LibraryMessagesBelongToTheLastHeaderRead)
{
    std::vector<uint8_t> good = MakeJpeg(TJpegRecipe{});
    // Three stray bytes after the JFIF marker: the header read warns about them.
    std::vector<uint8_t> stray = good;
    const size_t afterApp0 = 4 + (size_t(stray[4]) << 8 | stray[5]);
    stray.insert(stray.begin() + std::ptrdiff_t(afterApp0), {0x01, 0x02, 0x03});
    TJPEGImage image;
    LoadInto(image, stray);
    ASSERT_EQ(image.LibraryMessages.Count(), 1);
    EXPECT_NE(image.LibraryMessages[0].find("3 extraneous bytes"), std::string::npos) << image.LibraryMessages[0];
    LoadInto(image, good);
    EXPECT_EQ(image.LibraryMessages.Count(), 0);
    // The scaled size kept by GetWidth is read from the header again: the same rule.
    LoadInto(image, stray);
    image.LibraryMessages.Add("earlier");
    image.SetScale(1);
    EXPECT_EQ(image.GetWidth(), 32);
    EXPECT_EQ(image.LibraryMessages.Count(), 1);
}
