// The JPEG graphic's own operations: ratios, sharing, settings groups, sizes, streams, run ownership.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "JpegFixtures.h"
#include "codec/JPEGImage.h"
#include "platform/Exceptions.h"

using namespace fixtures;

namespace {
// Installs size bytes of stand-in data for a w x h picture.
void SetData(TJPEGImage& image, int w, int h, size_t size)
{
    image.Data = std::make_shared<TJPEGData>();
    image.Data->Data = std::make_unique<TMemoryStream>(std::vector<uint8_t>(size, 0xAB));
    image.Data->Width = w;
    image.Data->Height = h;
}
} // namespace

TEST(JPEGImage, RoundedRatio)
{
    // r = 10: Round(2) x 5; r = 50 is not above 50: Round(10) x 5; r = 60: Round(6) x 10; r = 12.5: Round(2.5)
    // is 2 x 5; r = 7.5 rounds to 8; r = 0.1: at least 1; r = 110.3: Round(11.03) x 10; a target wins; no data.
    struct Case { size_t size; float target; int want; } cases[] = {
        {3000, 0, 10}, {600, 0, 50}, {500, 0, 60}, {2400, 0, 10}, {4000, 0, 8},
        {300000, 0, 1}, {272, 0, 110}, {3000, 12.5f, 12}, {0, 0, 20},
    };
    for (const Case& c : cases) {
        TJPEGImage image;
        if (c.size) SetData(image, 100, 100, c.size);
        image.ComprRatio = c.target;
        EXPECT_EQ(image.RoundedRatio(), c.want) << c.size << " " << c.target;
    }
}

TEST(JPEGImage, AssignSharesDataAndLoadingAgainSeparates)
{
    TJPEGImage a, b, e;
    LoadInto(a, MakeJpeg({}));
    a.EnsureBitmap();
    b.Assign(a);
    ASSERT_TRUE(b.Equals(a) && a.Equals(b) && b.HasBitmap());
    EXPECT_NE(b.Bitmap.get(), a.Bitmap.get());
    TJpegRecipe small;
    small.Width = 30;
    LoadInto(b, MakeJpeg(small));
    EXPECT_FALSE(b.Equals(a) || b.HasBitmap()); // the old bitmap belonged to the old data
    EXPECT_EQ(std::tuple(a.Data->Width, b.Width()), std::tuple(64, 30));
    // At a reduced scale the size is read again from the data taken over, not kept from the old.
    e.SetScale(1);
    LoadInto(e, MakeJpeg(small));
    EXPECT_EQ(e.GetWidth(), 15);
    e.Assign(a);
    EXPECT_EQ(std::tuple(e.HasBitmap(), e.GetWidth(), e.Height()), std::tuple(true, 64, 48));
    e.FreeBitmap();
    EXPECT_EQ(std::tuple(e.Width(), e.Height()), std::tuple(32, 24));
    // A bitmap without data; an empty bitmap is an empty picture.
    e.Assign(TBitmap(5, 4));
    EXPECT_EQ(std::tuple(e.Empty(), e.Width(), e.EnsureBitmap() == e.Bitmap.get()), std::tuple(false, 5, true));
    e.Assign(TBitmap(0, 0));
    EXPECT_TRUE(e.Empty());
}

TEST(JPEGImage, WriteDataAndReadData)
{
    TJPEGImage a, b;
    LoadInto(a, MakeJpeg({}));
    TMemoryStream out;
    a.WriteData(out);
    out.SetPosition(0);
    b.ReadData(out);
    EXPECT_EQ(std::tuple(out.Size(), b.GetJpegStream()->Data() == a.GetJpegStream()->Data()),
              std::tuple(4 + a.GetJpegDataSize(), true));
    // A length beyond the stream is refused before anything is allocated for it.
    for (uint8_t top : {0x7F, 0xFF}) {
        TMemoryStream bogus(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, top, 1, 2, 3});
        EXPECT_THROW(b.ReadData(bogus), EReadError);
    }
}

TEST(JPEGImage, FitDecodeScale)
{
    // Full size needs a box above 1000 x 0.6 = 600 by 600 x 0.6 x 0.6 = 216; half size above 300 by
    // Round(108); a quarter above 150 by Round(54); portrait the other way round; nothing stored: no scale.
    struct Case { int w, h, boxW, boxH, scale; } cases[] = {
        {0, 0, 100, 100, 0},     {1000, 600, 601, 217, 0}, {1000, 600, 600, 217, 1}, {1000, 600, 301, 109, 1},
        {1000, 600, 151, 55, 2}, {1000, 600, 150, 55, 3},  {600, 1000, 217, 601, 0},
    };
    for (const Case& c : cases) {
        TJPEGImage image;
        SetData(image, c.w, c.h, 100);
        EXPECT_EQ(image.FitDecodeScale(c.boxW, c.boxH), c.scale != 0) << c.boxW << "x" << c.boxH;
        EXPECT_EQ(image.Scale, c.scale) << c.boxW << "x" << c.boxH;
    }
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
    EXPECT_EQ(std::tuple(image.RunInProgress(), image.MayUseRunFields(), workerMay), std::tuple(true, false, true));
    image.EndRun();
    EXPECT_EQ(std::tuple(image.RunInProgress(), image.MayUseRunFields()), std::tuple(false, true));
}
