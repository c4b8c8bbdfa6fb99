// The JPEG graphic's own operations: ratios, sharing, settings groups, sizes, streams, run ownership.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "JpegFixtures.h"
#include "codec/JPEGImage.h"
#include "platform/Exceptions.h"

using namespace fixtures;

namespace {
TJpegRecipe Recipe(int width, int height)
{
    TJpegRecipe r;
    r.Width = width;
    r.Height = height;
    return r;
}

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
    struct Case { size_t size; float target; int want; } cases[] = {
        {3000, 0, 10},    // r = 10: Round(2) x 5
        {600, 0, 50},     // r = 50 is not above 50: Round(10) x 5
        {500, 0, 60},     // r = 60: Round(6) x 10
        {2400, 0, 10},    // r = 12.5: Round(2.5) is 2 (half to even)
        {4000, 0, 8},     // r = 7.5: Round is 8
        {300000, 0, 1},   // r = 0.1: at least 1
        {272, 0, 110},    // r = 110.3: Round(11.03) x 10
        {3000, 12.5f, 12}, // a target wins: Round(12.5) = 12
        {0, 0, 20},       // no data
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
    TJPEGImage a, b;
    LoadInto(a, MakeJpeg({}));
    a.EnsureBitmap();
    a.LumQuality = 90;
    b.Assign(a);
    EXPECT_TRUE(b.Equals(a) && a.Equals(b));
    ASSERT_TRUE(b.HasBitmap());
    EXPECT_EQ(std::tuple(b.LumQuality, b.Bitmap.get() != a.Bitmap.get(), b.Width()), std::tuple(50, true, 64));

    const std::vector<uint8_t> before = a.GetJpegStream()->Data();
    LoadInto(b, MakeJpeg(Recipe(30, 20)));
    EXPECT_FALSE(b.Equals(a) || b.HasBitmap()); // the old bitmap belonged to the old data
    EXPECT_EQ(std::tuple(a.GetJpegStream()->Data() == before, a.Data->Width, b.Width()), std::tuple(true, 64, 30));

    // Taking over data without a bitmap drops a bitmap that showed other data.
    TJPEGImage c, d;
    c.Assign(TBitmap(7, 7));
    d.Data = a.Data;
    c.Assign(d);
    EXPECT_EQ(std::tuple(c.HasBitmap(), c.Width(), c.Equals(TJPEGImage())), std::tuple(false, 64, false));
    // At a reduced scale the size is read again from the data taken over, not kept from the old.
    TJPEGImage e;
    e.SetScale(1);
    LoadInto(e, MakeJpeg(Recipe(30, 20)));
    EXPECT_EQ(e.GetWidth(), 15);
    e.Assign(d);
    EXPECT_EQ(std::tuple(e.Width(), e.Height()), std::tuple(32, 24));
    // A bitmap without data; an empty bitmap is an empty picture.
    e.Assign(TBitmap(5, 4));
    EXPECT_EQ(std::tuple(e.Empty(), e.Width(), e.EnsureBitmap() == e.Bitmap.get()), std::tuple(false, 5, true));
    e.Assign(TBitmap(0, 0));
    EXPECT_TRUE(e.Empty());
}

TEST(JPEGImage, WriteDataAndReadDataRoundTrip)
{
    TJPEGImage a, b;
    LoadInto(a, MakeJpeg({}));
    TMemoryStream out;
    a.WriteData(out);
    EXPECT_EQ(out.Size(), 4 + a.GetJpegDataSize());
    out.SetPosition(0);
    b.ReadData(out);
    EXPECT_EQ(std::tuple(b.GetJpegStream()->Data() == a.GetJpegStream()->Data(), b.Data->Height), std::tuple(true, 48));
    // A length beyond the stream is refused before anything is allocated for it.
    TMemoryStream bogus(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
    EXPECT_THROW(b.ReadData(bogus), EReadError);
    TMemoryStream negative(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_THROW(b.ReadData(negative), EReadError);
}

// Each group resets its settings and reports whether anything changed; only the low 7 bits count.
// A filter group without an active filter reports false but still resets strengths and radius.
TEST(JPEGImage, ResetSettingsGroups)
{
    struct Case { int Group; std::function<void(TJPEGImage&)> Change; bool Changed; std::function<bool(TJPEGImage&)> Reset; };
    const Case cases[] = {
        {0x80, [](TJPEGImage& i) { i.ChromQuality = 20; }, true, [](TJPEGImage& i) { return i.ChromQuality == 50; }},
        {1, [](TJPEGImage& i) { i.SelThreshold = 10; }, true, [](TJPEGImage& i) { return i.SelThreshold == 50; }},
        {2, [](TJPEGImage&) {}, false, [](TJPEGImage&) { return true; }},
        {3, [](TJPEGImage& i) { i.SelQualityEqualizerBands[0] = 1; }, true,
         [](TJPEGImage& i) { return i.SelQualityEqualizerBands[0] == 0; }},
        {4, [](TJPEGImage& i) { i.FilterValues[2] = 7; i.FilterRadius = 2; }, false,
         [](TJPEGImage& i) { return i.FilterValues[2] == 50 && i.FilterRadius == 5; }},
        {5, [](TJPEGImage& i) { i.SelActiveFilter = 3; }, true, [](TJPEGImage& i) { return i.SelActiveFilter == 0; }},
        {6, [](TJPEGImage& i) { i.LumQuality = 1; }, false, [](TJPEGImage& i) { return i.LumQuality == 1; }},
    };
    for (const Case& c : cases) {
        TJPEGImage image;
        c.Change(image);
        EXPECT_EQ(image.ResetSettings(c.Group), c.Changed) << c.Group;
        EXPECT_TRUE(c.Reset(image)) << c.Group;
    }
}

TEST(JPEGImage, FitDecodeScale)
{
    struct Case { int w, h, boxW, boxH, scale; } cases[] = {
        {0, 0, 100, 100, 0},      // nothing stored: no scale
        {1000, 600, 601, 217, 0}, // 1000 x 0.6 = 600, 600 x 0.6 x 0.6 = 216
        {1000, 600, 600, 217, 1}, // box not above 600
        {1000, 600, 301, 109, 1}, // 300 and Round(108) = 108
        {1000, 600, 151, 55, 2},  // 150 and Round(54) = 54
        {1000, 600, 150, 55, 3},
        {600, 1000, 217, 601, 0}, // portrait: 600 x 0.6 x 0.6 = 216, 1000 x 0.6 = 600
    };
    for (const Case& c : cases) {
        TJPEGImage image;
        SetData(image, c.w, c.h, 100);
        EXPECT_EQ(image.FitDecodeScale(c.boxW, c.boxH), c.scale != 0) << c.boxW << "x" << c.boxH;
        EXPECT_EQ(image.Scale, c.scale) << c.boxW << "x" << c.boxH;
    }
}

TEST(JPEGImage, CopySettingsFrom)
{
    TJPEGImage image, src;
    src.XDensity = 300;
    src.Comments.SetText("a\r\n\r\nb");
    src.RestartInterval = 4;
    src.Data->Grayscale = true;
    src.ProgressiveEncoding = true;
    image.CopySettingsFrom(src, false);
    EXPECT_EQ(std::tuple(image.XDensity, image.Comments.Count()), std::tuple(300, 0));
    image.CopySettingsFrom(src, true);
    EXPECT_EQ(image.Comments.Lines(), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(std::tuple(image.RestartInterval, image.Grayscale, image.ProgressiveEncoding), std::tuple(4, true, true));
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
