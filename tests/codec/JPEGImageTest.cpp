// The JPEG graphic's own operations: sharing, sizes, streams, run ownership.
#include <gtest/gtest.h>

#include <tuple>
#include <thread>

#include "JpegFixtures.h"
#include "codec/JPEGImage.h"
#include "platform/Exceptions.h"

using namespace fixtures;
using std::tuple;

TEST(JPEGImage, AssignSharesDataLoadingAgainSeparatesAndWriteDataReadsBack)
{
    TJPEGImage a, b, e;
    LoadInto(a, MakeJpeg({}));
    a.EnsureBitmap();
    b.Assign(a);
    ASSERT_TRUE(b.Equals(a) && a.Equals(b) && b.HasBitmap());
    EXPECT_NE(b.Bitmap.get(), a.Bitmap.get());
    const std::vector<uint8_t> small = MakeJpeg({.Width = 30});
    LoadInto(b, small);
    EXPECT_FALSE(b.Equals(a) || b.HasBitmap()); // the old bitmap belonged to the old data
    EXPECT_EQ(tuple(a.Data->Width, b.Width()), tuple(64, 30));
    // At a reduced scale the size is read again from the data taken over, not kept from the old.
    e.SetScale(1);
    LoadInto(e, small);
    EXPECT_EQ(e.GetWidth(), 15);
    e.Assign(a);
    EXPECT_EQ(tuple(e.HasBitmap(), e.GetWidth(), e.Height()), tuple(true, 64, 48));
    e.FreeBitmap();
    EXPECT_EQ(tuple(e.Width(), e.Height()), tuple(32, 24));
    // A bitmap without data; an empty bitmap is an empty picture.
    e.Assign(TBitmap(5, 4));
    EXPECT_EQ(tuple(e.Empty(), e.Width(), e.EnsureBitmap() == e.Bitmap.get()), tuple(false, 5, true));
    e.Assign(TBitmap(0, 0));
    EXPECT_TRUE(e.Empty());
    // WriteData's length and bytes come back; a length beyond the stream is refused before allocating.
    TMemoryStream out, bogus(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 1}), negative(std::vector<uint8_t>(4, 0xFF));
    a.WriteData(out);
    out.SetPosition(0);
    b.ReadData(out);
    EXPECT_EQ(tuple(out.Size(), b.GetJpegStream()->Data() == a.GetJpegStream()->Data()), tuple(4 + a.GetJpegDataSize(), true));
    EXPECT_THROW(b.ReadData(bogus), EReadError);
    EXPECT_THROW(b.ReadData(negative), EReadError);
}

// While a compression run is in progress only the run's worker thread may use the fields it writes.
TEST(JPEGImage, RunFieldsBelongToTheRunningWorker)
{
    TJPEGImage image;
    EXPECT_TRUE(image.MayUseRunFields());
    image.BeginRun();
    bool workerMay = false;
    std::thread worker([&] {
        image.ClaimRun();
        workerMay = image.MayUseRunFields();
    });
    worker.join();
    EXPECT_EQ(tuple(image.RunInProgress(), image.MayUseRunFields(), workerMay), tuple(true, false, true));
    image.EndRun();
    EXPECT_EQ(tuple(image.RunInProgress(), image.MayUseRunFields()), tuple(false, true));
}

// The ratio shown for an image: the target when one is set, else from the data size, in steps of 10
// above 50, of 5 above 8 and of 1 below, at least 1; no data gives 20.
TEST(JPEGImage, RoundedRatio)
{
    // 100 x 100 pixels, 30000 bytes. r = 10: Round(2) x 5; r = 50 is not above 50: Round(10) x 5;
    // r = 60: Round(6) x 10; r = 12.5: Round(2.5) is 2, x 5; r = 7.5 rounds to 8; r = 0.1: at least 1;
    // r = 110.3: Round(11.03) x 10; a target of 12.5 wins and rounds to 12; no data.
    struct Case
    {
        size_t size;
        float target;
        int want;
    } cases[] = {
        {3000, 0, 10},  {600, 0, 50},  {500, 0, 60},      {2400, 0, 10}, {4000, 0, 8},
        {300000, 0, 1}, {272, 0, 110}, {3000, 12.5f, 12}, {0, 0, 20},
    };
    for (const Case& c : cases) {
        TJPEGImage image;
        image.Data->Data = c.size ? std::make_unique<TMemoryStream>(std::vector<uint8_t>(c.size)) : nullptr;
        image.Data->Width = image.Data->Height = 100;
        image.ComprRatio = c.target;
        EXPECT_EQ(image.RoundedRatio(), c.want) << c.size << " " << c.target;
        EXPECT_EQ(image.RoundedRatioFor(c.target), c.want) << c.size << " " << c.target;
    }
}

// The decode scale for a preview box: full size needs a box above 1000 x 0.6 = 600 by 600 x 0.6 x 0.6 =
// 216; half size above 300 by Round(108); a quarter above 150 by Round(54); portrait the other way
// round; nothing stored: no scale.
TEST(JPEGImage, FitDecodeScale)
{
    struct Case
    {
        int w, h, boxW, boxH, scale;
    } cases[] = {
        {0, 0, 100, 100, 0},     {1000, 600, 601, 217, 0}, {1000, 600, 600, 217, 1}, {1000, 600, 301, 109, 1},
        {1000, 600, 151, 55, 2}, {1000, 600, 150, 55, 3},  {600, 1000, 217, 601, 0},
    };
    for (const Case& c : cases) {
        TJPEGImage image;
        image.Data->Data = std::make_unique<TMemoryStream>(std::vector<uint8_t>(100));
        std::tie(image.Data->Width, image.Data->Height) = std::tuple(c.w, c.h);
        EXPECT_EQ(image.FitDecodeScale(c.boxW, c.boxH), c.scale != 0) << c.boxW << "x" << c.boxH;
        EXPECT_EQ(image.Scale, c.scale) << c.boxW << "x" << c.boxH;
    }
}

// The size of a JPEG image comes from its data: setting it is refused with a clear message.
TEST(JPEGImage, SizeCannotBeSet)
{
    TJPEGImage image;
    for (auto set : {&TJPEGImage::SetWidth, &TJPEGImage::SetHeight})
        try {
            (image.*set)(10);
            ADD_FAILURE();
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), "Cannot change the size of a JPEG image");
        }
}

// The three subsampling modes as the components' horizontal factors; an unknown mode changes
// nothing; a grey image reports mode 0.
TEST(JPEGImage, Subsampling)
{
    TJPEGImage image;
    const int wantH[][3] = {{2, 1, 1}, {1, 1, 1}, {1, 2, 2}};
    for (int mode : {1, 2, 0}) {
        image.SetSubsampling(mode);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(image.SamplingFactors[size_t(c)].H, wantH[mode][c]);
        EXPECT_EQ(image.GetSubsampling(), mode);
    }
    image.SetSubsampling(1);
    image.SetSubsampling(3);
    EXPECT_EQ(image.GetSubsampling(), 1);
    image.Grayscale = true;
    EXPECT_EQ(image.GetSubsampling(), 0);
}
