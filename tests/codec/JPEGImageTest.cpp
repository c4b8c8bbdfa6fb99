// The JPEG graphic's own operations: ratios, sharing, settings groups, sizes, streams.
#include <gtest/gtest.h>

#include <functional>

#include "JpegFixtures.h"
#include "codec/JPEGImage.h"
#include "platform/Exceptions.h"

using namespace fixtures;

namespace {

// Installs size bytes of stand-in data for a w x h picture.
void SetData(TJPEGImage& image, int w, int h, size_t size)
{
    auto data = std::make_shared<TJPEGData>();
    data->Data = std::make_unique<TMemoryStream>(std::vector<uint8_t>(size, 0xAB));
    data->Width = w;
    data->Height = h;
    image.Data = data;
}

} // namespace

TEST(JPEGImage, RoundedRatio)
{
    struct Case { int w, h; size_t size; float target; int want; } cases[] = {
        {100, 100, 3000, 0, 10},   // r = 10: Round(2) x 5
        {100, 100, 600, 0, 50},    // r = 50 is not above 50: Round(10) x 5
        {100, 100, 500, 0, 60},    // r = 60: Round(6) x 10
        {100, 100, 2400, 0, 10},   // r = 12.5: Round(2.5) is 2 (half to even)
        {100, 100, 4000, 0, 8},    // r = 7.5: Round is 8
        {100, 100, 300000, 0, 1},  // r = 0.1: at least 1
        {100, 100, 272, 0, 110},   // r = 110.3: Round(11.03) x 10
        {100, 100, 3000, 12.5f, 12}, // a target wins: Round(12.5) = 12
        {100, 100, 0, 0, 20},      // no data
    };
    for (const Case& c : cases) {
        TJPEGImage image;
        if (c.size) SetData(image, c.w, c.h, c.size);
        image.ComprRatio = c.target;
        EXPECT_EQ(image.RoundedRatio(), c.want) << c.size << " " << c.target;
    }
}

TEST(JPEGImage, Emptiness)
{
    TJPEGImage image;
    EXPECT_EQ(std::pair(image.Empty(), image.Width()), std::pair(true, 0));
    image.Assign(TBitmap(5, 4));
    EXPECT_EQ(std::pair(image.Empty(), image.Width()), std::pair(false, 5));
    EXPECT_EQ(image.EnsureBitmap(), image.Bitmap.get()); // nothing to decode: the bitmap itself
    TBitmap copy;
    image.AssignTo(copy);
    EXPECT_EQ(copy.Height(), 4);
    image.Assign(TBitmap(0, 0));
    EXPECT_TRUE(image.Empty());
}

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

TEST(JPEGImage, AssignSharesDataAndLoadingAgainSeparates)
{
    TJPEGImage a, b;
    LoadInto(a, MakeJpeg({}));
    a.EnsureBitmap();
    a.LumQuality = 90;
    b.Assign(a);
    EXPECT_TRUE(b.Equals(a) && a.Equals(b));
    EXPECT_EQ(b.LumQuality, 50); // settings are not copied
    ASSERT_TRUE(b.HasBitmap());
    EXPECT_NE(b.Bitmap.get(), a.Bitmap.get());
    EXPECT_EQ(b.Width(), 64);

    const std::vector<uint8_t> before = a.GetJpegStream()->Data();
    TJpegRecipe recipe;
    recipe.Width = 30;
    LoadInto(b, MakeJpeg(recipe));
    EXPECT_FALSE(b.Equals(a));
    EXPECT_EQ(a.GetJpegStream()->Data(), before);
    EXPECT_EQ(a.Data->Width, 64);
    EXPECT_FALSE(b.HasBitmap()); // the old bitmap belonged to the old data
    EXPECT_EQ(b.Width(), 30);

    // Taking over data without a bitmap drops a bitmap that showed other data.
    TJPEGImage c;
    c.Assign(TBitmap(7, 7));
    TJPEGImage d;
    d.Data = a.Data;
    c.Assign(d);
    EXPECT_FALSE(c.HasBitmap());
    EXPECT_EQ(c.Width(), 64);
    EXPECT_FALSE(c.Equals(TJPEGImage()));

    // At a reduced scale the size is read again from the data taken over, not kept from the old.
    TJPEGImage e;
    e.SetScale(1);
    recipe.Height = 20;
    LoadInto(e, MakeJpeg(recipe));
    EXPECT_EQ(e.Width(), 15);
    e.Assign(d);
    EXPECT_EQ(e.Width(), 32);
    EXPECT_EQ(e.Height(), 24);
}

TEST(JPEGImage, WriteDataAndReadDataRoundTrip)
{
    TJPEGImage a;
    LoadInto(a, MakeJpeg({}));
    TMemoryStream out;
    a.WriteData(out);
    EXPECT_EQ(out.Size(), 4 + a.GetJpegDataSize());
    out.SetPosition(0);
    TJPEGImage b;
    b.ReadData(out);
    EXPECT_EQ(b.GetJpegStream()->Data(), a.GetJpegStream()->Data());
    EXPECT_EQ(b.Data->Height, 48);

    TMemoryStream empty;
    TJPEGImage().WriteData(empty);
    EXPECT_EQ(empty.Size(), 4);

    // A length beyond the stream is refused before anything is allocated for it.
    TMemoryStream bogus(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
    EXPECT_THROW(b.ReadData(bogus), EReadError);
    TMemoryStream negative(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_THROW(b.ReadData(negative), EReadError);
}

TEST(JPEGImage, Subsampling)
{
    TJPEGImage image;
    const int wantH[][3] = {{2, 1, 1}, {1, 1, 1}, {1, 2, 2}};
    for (int mode : {1, 2, 0}) {
        image.SetSubsampling(mode);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(image.SamplingFactors[size_t(c)].H, wantH[mode][c]);
        EXPECT_EQ(image.GetSubsampling(), mode);
    }
    image.SetSubsampling(1);
    image.SetSubsampling(3); // no such mode: unchanged
    EXPECT_EQ(image.GetSubsampling(), 1);
    image.Grayscale = true;
    EXPECT_EQ(image.GetSubsampling(), 0);
}

// Each group resets its settings and reports whether anything changed; only the low 7 bits count.
// A filter group without an active filter reports false but still resets strengths and radius.
TEST(JPEGImage, ResetSettingsGroups)
{
    struct Case { int Group; std::function<void(TJPEGImage&)> Change; bool Changed; std::function<bool(TJPEGImage&)> Reset; };
    const Case cases[] = {
        {0, [](TJPEGImage&) {}, false, [](TJPEGImage&) { return true; }},
        {0x80, [](TJPEGImage& i) { i.ChromQuality = 20; }, true, [](TJPEGImage& i) { return i.ChromQuality == 50; }},
        {1, [](TJPEGImage& i) { i.SelThreshold = 10; }, true, [](TJPEGImage& i) { return i.SelThreshold == 50; }},
        {2, [](TJPEGImage& i) { i.QualityEqualizerBands[4] = -3; }, true,
         [](TJPEGImage& i) { return i.QualityEqualizerBands[4] == 0; }},
        {2, [](TJPEGImage&) {}, false, [](TJPEGImage&) { return true; }},
        {3, [](TJPEGImage& i) { i.SelQualityEqualizerBands[0] = 1; }, true,
         [](TJPEGImage& i) { return i.SelQualityEqualizerBands[0] == 0; }},
        {4, [](TJPEGImage& i) { i.FilterValues[2] = 7; i.FilterRadius = 2; }, false,
         [](TJPEGImage& i) { return i.FilterValues[2] == 50 && i.FilterRadius == 5; }},
        {5, [](TJPEGImage& i) { i.SelActiveFilter = 3; i.SelFilterRadius = 8; }, true,
         [](TJPEGImage& i) { return i.SelActiveFilter == 0 && i.SelFilterRadius == 5; }},
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
    TJPEGImage empty;
    EXPECT_FALSE(empty.FitDecodeScale(100, 100));
    EXPECT_EQ(empty.Scale, 0);
    EXPECT_FALSE(empty.NeedHeader);

    struct Case { int w, h, boxW, boxH, scale; } cases[] = {
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

TEST(JPEGImage, SmallSettersAndCopies)
{
    TJPEGImage image;
    image.SetCompressionRatio(12.5f); // half to even
    image.SetCompressionRatio(0);     // no target: the display keeps the last one
    EXPECT_EQ(image.DisplayRatio, 12);
    // Outside the five kinds and bands: ignored.
    image.SetFilterValue(6, 1);
    image.SetFilterValue(0, 1);
    EXPECT_EQ(image.GetFilterValue(0), 0);
    EXPECT_EQ(image.GetSelEqualizerBand(5), 0);

    TJPEGImage src;
    src.XDensity = 300;
    src.Comments.SetText("a\r\n\r\nb");
    src.RestartInterval = 4;
    src.Data->Grayscale = true;
    src.ProgressiveEncoding = true;
    image.CopySettingsFrom(src, false);
    EXPECT_EQ(image.XDensity, 300);
    EXPECT_EQ(image.Comments.Count(), 0);
    image.CopySettingsFrom(src, true);
    EXPECT_EQ(image.Comments.Lines(), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(image.RestartInterval, 4);
    EXPECT_TRUE(image.Grayscale);
    EXPECT_TRUE(image.ProgressiveEncoding);
}
