// The encoder driver: what it takes from the image and the run, what it writes, how it reports
// progress and how it fails.
#include <gtest/gtest.h>

#include <tuple>

#include "EncoderTestUtil.h"
#include "JpegFixtures.h"
#include "ProgressTestClock.h"
#include "SelectionTestUtil.h"
#include "codec/JpegEncode.h"
#include "codec/JpegProgress.h"

namespace {

using progress_test::FastProgressClock;
using progress_test::RecordProgressCalls;
using TEvents = std::vector<progress_test::TProgressRecord>;

} // namespace

// Densities and restart intervals outside the library's ranges are clamped; a density below 1 in
// either direction is written as a 1:1 aspect without a unit and reads back as 96 dpi.
TEST(JpegEncode, FilesCarryTheImageSettings)
{
    TBitmap src = PhotoLikePicture(90, 70, 1);
    struct TCase { bool Grey, Progressive; int Subsampling; int32_t Restart, X, Y; int Unit, FileX, FileY, Dri, ReadX, ReadY; };
    const TCase cases[] = {
        {false, false, 0, 0, 300, 150, 1, 300, 150, 0, 300, 150},
        {false, true, 1, -5, 0, 300, 0, 1, 1, 0, 96, 96},
        {true, false, 0, 3, 72, -4, 0, 1, 1, 3, 96, 96},
        {false, false, 2, 70000, 70000, 1, 1, 65535, 1, 65535, 65535, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Grey << c.Progressive << c.Subsampling << " " << c.Restart << " " << c.X << "x" << c.Y);
        TJPEGImage image;
        image.SourceBitmap = &src;
        image.SetSubsampling(c.Subsampling);
        std::tie(image.Grayscale, image.ProgressiveEncoding, image.RestartInterval, image.XDensity, image.YDensity) =
            std::tuple(c.Grey, c.Progressive, c.Restart, c.X, c.Y);
        TMemoryStream s;
        image.SaveToStream(s); // compresses first
        const std::vector<uint8_t> file(s.Memory(), s.Memory() + s.Size());
        const auto markers = fixtures::MarkersBeforeScan(file);
        const auto dri = std::find_if(markers.begin(), markers.end(), [](auto& m) { return m.Code == 0xDD; });
        const int fileDri = dri == markers.end() ? 0 : uint8_t(dri->Payload[0]) << 8 | uint8_t(dri->Payload[1]);
        // SOI, APP0 marker and length, "JFIF\0", version 1.1, then unit and densities.
        ASSERT_GT(file.size(), 20u);
        EXPECT_EQ(std::tuple(file[13], file[14] << 8 | file[15], file[16] << 8 | file[17], fileDri),
                  std::tuple(c.Unit, c.FileX, c.FileY, c.Dri));
        TJPEGImage back;
        fixtures::LoadInto(back, file);
        back.EnsureBitmap(); // the decode reads the coding settings
        EXPECT_EQ(std::tuple(back.Width(), back.Height(), back.Grayscale, back.ProgressiveEncoding, back.RestartInterval),
                  std::tuple(90, 70, c.Grey, c.Progressive, c.Dri));
        EXPECT_EQ(std::pair(back.XDensity, back.YDensity), std::pair(c.ReadX, c.ReadY));
        if (!c.Grey) { EXPECT_EQ(back.GetSubsampling(), c.Subsampling); }
    }
    // Comment and APP12 lines in order, empty lines left out.
    std::vector<std::pair<int, std::string>> texts;
    for (const auto& m : fixtures::MarkersBeforeScan(EncodeImage(src, [](TJPEGImage& image) {
             image.Comments.SetText("a\r\n\r\nb");
             image.AppTexts.SetText("\r\nx\r\ny");
         })))
        if (m.Code == 0xFE || m.Code == 0xEC) texts.emplace_back(m.Code, m.Payload);
    EXPECT_EQ(texts, (std::vector<std::pair<int, std::string>>{{0xFE, "a"}, {0xFE, "b"}, {0xEC, "x"}, {0xEC, "y"}}));
}

// The source bitmap is encoded when it has a size, else the image's own bitmap, else nothing happens
// (other pixel formats: the pinned outputs). Encoding installs a fresh data object: a copy sharing
// the old one keeps its bytes and fields.
TEST(JpegEncode, InputChoiceAndReencoding)
{
    TBitmap first = PhotoLikePicture(64, 48, 5), second = PhotoLikePicture(30, 20, 6), empty;
    TJPEGImage a;
    a.SourceBitmap = &first;
    a.CompressImage();
    TJPEGImage b;
    b.Assign(a);
    const std::vector<uint8_t> kept = CompressedBytes(b);
    a.SourceBitmap = &second;
    a.Grayscale = true;
    a.CompressImage();
    EXPECT_EQ(CompressedBytes(b), kept);
    EXPECT_EQ(std::tuple(b.Data->Width, b.Data->Height, b.Data->Grayscale), std::tuple(64, 48, false));
    EXPECT_EQ(std::tuple(a.Data->Width, a.Data->Grayscale), std::tuple(30, true));
    b.Assign(PhotoLikePicture(12, 8, 4));
    b.SourceBitmap = &empty;
    EncodeJpeg(b);
    EXPECT_EQ(b.Data->Width, 12);
    TJPEGImage none;
    TEvents events;
    RecordProgressCalls(none, events);
    auto before = none.Data;
    EncodeJpeg(none);
    EXPECT_EQ(std::tuple(none.Data, events.empty()), std::tuple(before, true));
}

TEST(JpegEncode, FailureEmptiesTheImageACancelKeepsTheOldDataAndProgressFigures)
{
    FastProgressClock clock;
    TBitmap src = PhotoLikePicture(400, 300, 7);
    TJPEGImage image;
    image.SourceBitmap = &src;
    image.CompressImage();
    auto old = image.Data;
    image.OnProgress = [](TGraphic*, TProgressStage st, int, bool, const TRect&, const std::string&) {
        if (st == TProgressStage::psRunning) throw EAbort();
    };
    image.LumQuality = 10;
    GetSettingsRecord(image, image.WorkProfile);
    EXPECT_THROW(EncodeJpeg(image), EAbort);
    EXPECT_EQ(image.Data, old);
    EXPECT_NO_THROW(image.CompressImage()); // swallowed there
    EXPECT_EQ(image.Data, old);

    image.SamplingFactors = {{{4, 4}, {1, 1}, {1, 1}}}; // 18 blocks in an MCU: the library refuses
    TEvents events;
    RecordProgressCalls(image, events);
    EXPECT_NO_THROW(EncodeJpeg(image));
    EXPECT_EQ(std::tuple(image.Empty(), image.GetJpegStream()), std::tuple(true, nullptr));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(std::tuple(events.back().Stage, events.back().Percent), std::tuple(TProgressStage::psEnding, 0));
    // The front end is the first of two passes; a main prefilter makes it the slow one.
    struct Case { bool compressing, filter, progressive; long counter, limit; int completed, total, want; } cases[] = {
        {true, false, false, 50, 100, 0, 2, 25}, {true, false, false, 50, 100, 1, 2, 75},
        {true, true, false, 50, 100, 0, 2, 47},  {true, true, false, 50, 100, 1, 2, 97},
        {true, true, true, 100, 100, 0, 2, 85},  {true, true, true, 50, 100, 1, 2, 92}, // 92.5, half to even
        {false, true, false, 1, 4, 2, 4, 56},  // decoding: passes weigh the same
    };
    for (const Case& c : cases) {
        TJPEGImage image;
        TEvents events;
        RecordProgressCalls(image, events);
        TJpegProgress p;
        std::tie(p.Image, p.Compressing, p.MainFilterOn, p.Progressive) = std::tuple(&image, c.compressing, c.filter, c.progressive);
        ProgressStep(p, 0, 1, 0, 1, nullptr); // the first call only starts the clock
        EXPECT_TRUE(events.empty());
        ProgressStep(p, c.counter, c.limit, c.completed, c.total, nullptr);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].Percent, c.want) << c.counter << "/" << c.limit << " pass " << c.completed;
        ProgressStep(p, c.counter, c.limit, c.completed, c.total, nullptr);
        EXPECT_EQ(events.size(), 1u) << "the same percent again is not reported";
    }
}

// An 8-bit source is encoded from a 24-bit copy: the source bitmap keeps its format, generation and
// pixels, and the file decodes within 8 on average of the colours its indices stand for.
TEST(JpegEncode, AnEightBitSourceIsLeftAsItWasAndEncodesItsColours)
{
    TBitmap pal(40, 24, TPixelFormat::pf8bit);
    pal.SetPalette({{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {128, 128, 128, 0}});
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            pal.ScanLine(y)[x] = uint8_t(x / 10);
    const uint64_t generation = pal.Generation();
    const std::vector<uint8_t> pixels(pal.Bits(), pal.Bits() + pal.ByteSize());

    TJPEGImage image;
    image.SetSourceBitmap(&pal);
    image.LumQuality = image.ChromQuality = 95;
    image.CompressImage();
    EXPECT_EQ(std::tuple(pal.PixelFormat(), pal.Generation()), std::tuple(TPixelFormat::pf8bit, generation));
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), pal.Bits()));

    TJPEGImage back;
    back.PixelFormat8Bit = false;
    fixtures::LoadInto(back, CompressedBytes(image));
    const TBitmap& got = *back.EnsureBitmap();
    ASSERT_EQ(std::tuple(got.Width(), got.Height(), got.PixelFormat()),
              std::tuple(40, 24, TPixelFormat::pf24bit));
    long sum = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) {
            const TRGBQuad& want = pal.Palette()[size_t(x / 10)];
            const uint8_t* p = got.ScanLine(y) + 3 * x;
            sum +=
                std::abs(p[0] - want.rgbBlue) + std::abs(p[1] - want.rgbGreen) + std::abs(p[2] - want.rgbRed);
        }
    EXPECT_LT(sum / (40 * 24 * 3), 8);
}

// A run reports its start at 0, rising percentages only when they change, and its end at 100.
TEST(JpegEncode, ProgressOfARun)
{
    FastProgressClock clock;
    TBitmap src = PhotoLikePicture(400, 300, 9);
    for (bool progressive : {false, true}) {
        TJPEGImage image;
        image.SourceBitmap = &src;
        image.ProgressiveEncoding = progressive;
        TEvents events;
        RecordProgressCalls(image, events);
        image.CompressImage();
        ASSERT_GE(events.size(), 3u);
        EXPECT_EQ(std::pair(events.front().Stage, events.front().Percent),
                  std::pair(TProgressStage::psStarting, 0));
        EXPECT_EQ(std::pair(events.back().Stage, events.back().Percent),
                  std::pair(TProgressStage::psEnding, 100));
        for (size_t i = 1; i + 1 < events.size(); ++i) {
            EXPECT_EQ(events[i].Stage, TProgressStage::psRunning);
            EXPECT_GT(events[i].Percent, events[i - 1].Percent) << "only on a change, never back";
        }
    }
}
