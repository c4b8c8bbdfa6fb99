// The encoder driver: what it takes from the image and the run, what it writes, how it reports
// progress and how it fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "EncoderTestUtil.h"
#include "JpegFixtures.h"
#include "codec/JPEGImage.h"
#include "codec/JpegEncode.h"
#include "ProgressTestClock.h"
#include "codec/JpegProgress.h"
#include "codec/StageCache.h"
#include "platform/Exceptions.h"

namespace {

using progress_test::FastProgressClock;
using progress_test::RecordProgressCalls;
using TEvents = std::vector<progress_test::TProgressRecord>;

// Decodes the image's own stream in a second image and returns it.
std::unique_ptr<TJPEGImage> Reload(TJPEGImage& image)
{
    auto back = std::make_unique<TJPEGImage>();
    TMemoryStream s;
    image.SaveToStream(s);
    s.SetPosition(0);
    back->LoadFromStream(s);
    back->EnsureBitmap();
    return back;
}

long Difference(const TBitmap& a, const TBitmap& b)
{
    long sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width() * 3; ++x) sum += std::abs(int(a.ScanLine(y)[x]) - int(b.ScanLine(y)[x]));
    return sum / (long(a.Width()) * a.Height() * 3);
}

// The picture as grey pixels of its luma.
TBitmap Luma(const TBitmap& src)
{
    TBitmap out(src.Width(), src.Height());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x) {
            const uint8_t* p = src.ScanLine(y) + 3 * x;
            uint8_t v = uint8_t(std::lround(0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2]));
            std::fill_n(out.ScanLine(y) + 3 * x, 3, v);
        }
    return out;
}

} // namespace

TEST(JpegEncode, RoundTripTakesTheImageSettings)
{
    TBitmap src = PhotoLikePicture(90, 70, 1);
    struct Case { bool grey, progressive; int subsampling, restart; } cases[] = {{false, false, 0, 0}, {false, true, 1, 0}, {true, false, 0, 3}, {false, false, 2, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.grey << c.progressive << c.subsampling << c.restart);
        TJPEGImage image;
        image.SourceBitmap = &src;
        image.LumQuality = image.ChromQuality = 90;
        image.Grayscale = c.grey;
        image.ProgressiveEncoding = c.progressive;
        image.SetSubsampling(c.subsampling);
        image.RestartInterval = c.restart;
        image.XDensity = 300;
        image.YDensity = 200;
        image.CompressImage();
        ASSERT_GT(image.GetJpegDataSize(), 0);
        EXPECT_EQ(std::tuple(image.Data->Width, image.Data->Height, image.Data->Grayscale), std::tuple(90, 70, c.grey));
        EXPECT_EQ(image.LastRequest.LumQuality, 90);
        EXPECT_EQ(image.DisplayRatio, image.RoundedRatio());

        auto back = Reload(image);
        EXPECT_EQ(back->Grayscale, c.grey);
        EXPECT_EQ(back->ProgressiveEncoding, c.progressive);
        EXPECT_EQ(back->RestartInterval, c.restart);
        EXPECT_EQ(std::pair(back->XDensity, back->YDensity), std::pair(300, 200));
        if (!c.grey) { EXPECT_EQ(back->GetSubsampling(), c.subsampling); }
        EXPECT_LT(Difference(c.grey ? Luma(src) : src, *back->Bitmap), c.grey ? 4 : 6);
    }
}

TEST(JpegEncode, CommentAndApp12LinesAreWrittenInOrderWithoutEmptyLines)
{
    TBitmap src = PhotoLikePicture(32, 16, 2);
    TJPEGImage image;
    image.SourceBitmap = &src;
    image.Comments.SetText("a\r\n\r\nb");
    image.AppTexts.SetText("\r\nx\r\ny");
    image.CompressImage();
    const std::vector<uint8_t>& file = image.GetJpegStream()->Data();
    std::vector<std::pair<int, std::string>> texts;
    for (const auto& m : fixtures::MarkersBeforeScan(file))
        if (m.first == 0xFE || m.first == 0xEC) texts.push_back(m);
    EXPECT_EQ(texts, (std::vector<std::pair<int, std::string>>{{0xFE, "a"}, {0xFE, "b"}, {0xEC, "x"}, {0xEC, "y"}}));
}

TEST(JpegEncode, OtherPixelFormatsAreEncodedFromA24BitCopy)
{
    TBitmap pal(40, 24, TPixelFormat::pf8bit);
    std::vector<TRGBQuad> entries = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {128, 128, 128, 0}};
    pal.SetPalette(entries);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) pal.ScanLine(y)[x] = uint8_t(x / 10);
    const uint64_t generation = pal.Generation();
    const std::vector<uint8_t> pixels(pal.Bits(), pal.Bits() + pal.ByteSize());

    TJPEGImage image;
    image.SourceBitmap = &pal;
    image.LumQuality = image.ChromQuality = 95;
    image.CompressImage();
    EXPECT_EQ(pal.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(pal.Generation(), generation);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), pal.Bits()));

    auto back = Reload(image);
    EXPECT_LT(Difference(pal.To24(), *back->Bitmap), 8);
}

TEST(JpegEncode, InputChoice)
{
    // The source bitmap when it has a size, else the image's own bitmap, else nothing happens.
    TBitmap src = PhotoLikePicture(20, 10, 3);
    TBitmap empty;
    TJPEGImage image;
    image.Assign(PhotoLikePicture(12, 8, 4));
    image.SourceBitmap = &empty;
    EncodeJpeg(image);
    EXPECT_EQ(image.Data->Width, 12);
    image.SourceBitmap = &src;
    EncodeJpeg(image);
    EXPECT_EQ(image.Data->Width, 20);

    TJPEGImage none;
    TEvents events;
    RecordProgressCalls(none, events);
    auto before = none.Data;
    EncodeJpeg(none);
    EXPECT_EQ(none.Data, before);
    EXPECT_TRUE(events.empty());
}

TEST(JpegEncode, ReencodingReplacesTheDataAndCopiesKeepTheirs)
{
    TBitmap first = PhotoLikePicture(64, 48, 5);
    TBitmap second = PhotoLikePicture(30, 20, 6);
    TJPEGImage a;
    a.SourceBitmap = &first;
    a.CompressImage();
    TJPEGImage b;
    b.Assign(a);
    EXPECT_TRUE(b.Equals(a));
    const std::vector<uint8_t> kept = b.GetJpegStream()->Data();

    a.SourceBitmap = &second;
    a.Grayscale = true;
    a.CompressImage();
    EXPECT_FALSE(b.Equals(a));
    EXPECT_EQ(b.GetJpegStream()->Data(), kept);
    // The shared object was not touched.
    EXPECT_EQ(std::tuple(b.Data->Width, b.Data->Height, b.Data->Grayscale), std::tuple(64, 48, false));
    EXPECT_EQ(std::tuple(a.Data->Width, a.Data->Grayscale), std::tuple(30, true));
}

TEST(JpegEncode, FailureLeavesTheImageEmpty)
{
    TBitmap src = PhotoLikePicture(64, 48, 7);
    TJPEGImage image;
    image.SourceBitmap = &src;
    image.CompressImage();
    ASSERT_GT(image.GetJpegDataSize(), 0);
    image.SamplingFactors = {{{4, 4}, {1, 1}, {1, 1}}}; // 18 blocks in an MCU: the library refuses
    TEvents events;
    RecordProgressCalls(image, events);
    EXPECT_NO_THROW(EncodeJpeg(image));
    EXPECT_EQ(image.GetJpegDataSize(), 0);
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.GetJpegStream(), nullptr);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Stage, TProgressStage::psEnding);
    EXPECT_EQ(events.back().Percent, 0);
}

TEST(JpegEncode, CancelPassesOnAndKeepsTheOldData)
{
    FastProgressClock clock;
    TBitmap src = PhotoLikePicture(400, 300, 8);
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
    // CompressImage swallows it.
    EXPECT_NO_THROW(image.CompressImage());
    EXPECT_EQ(image.Data, old);
}

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
        EXPECT_EQ(events.front().Stage, TProgressStage::psStarting);
        EXPECT_EQ(events.front().Percent, 0);
        EXPECT_EQ(events.back().Stage, TProgressStage::psEnding);
        EXPECT_EQ(events.back().Percent, 100);
        int last = 0;
        for (size_t i = 1; i + 1 < events.size(); ++i) {
            EXPECT_EQ(events[i].Stage, TProgressStage::psRunning);
            EXPECT_GT(events[i].Percent, last) << "only on a change, and never back within one encode";
            last = events[i].Percent;
        }
        EXPECT_EQ(image.TrialPercent, 100);
    }
}

TEST(JpegEncode, ProgressFiguresOfThePasses)
{
    // The front end is the first of two passes; a main prefilter makes it the slow one.
    FastProgressClock clock;
    struct Case { bool compressing, filter, progressive; long counter, limit; int completed, total, want; } cases[] = {
        {true, false, false, 50, 100, 0, 2, 25},
        {true, false, false, 50, 100, 1, 2, 75},
        {true, true, false, 50, 100, 0, 2, 47},
        {true, true, false, 50, 100, 1, 2, 97},
        {true, true, true, 100, 100, 0, 2, 85},
        {true, true, true, 50, 100, 1, 2, 92}, // 92.5, half to even
        {false, true, false, 1, 4, 2, 4, 56},  // decoding: passes weigh the same
    };
    for (const Case& c : cases) {
        TJPEGImage image;
        TEvents events;
        RecordProgressCalls(image, events);
        TJpegProgress p;
        p.Image = &image;
        p.Compressing = c.compressing;
        p.MainFilterOn = c.filter;
        p.Progressive = c.progressive;
        ProgressStep(p, 0, 1, 0, 1, nullptr); // the first call only starts the clock
        EXPECT_TRUE(events.empty());
        ProgressStep(p, c.counter, c.limit, c.completed, c.total, nullptr);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].Percent, c.want) << c.counter << "/" << c.limit << " pass " << c.completed;
        ProgressStep(p, c.counter, c.limit, c.completed, c.total, nullptr);
        EXPECT_EQ(events.size(), 1u) << "the same percent again is not reported";
    }
}
