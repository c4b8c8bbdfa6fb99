// The encoder's stage cache: a run that reuses the kept stages writes the same bytes as a cold
// encode, and every input of the front end invalidates what was kept.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "EncoderTestUtil.h"
#include "SelectionTestUtil.h"
#include "codec/JPEGImage.h"
#include "codec/JpegEncode.h"
#include "codec/StageCache.h"

TEST(StageCache, CachedRunsEqualColdEncodes)
{
    TBitmap src = PhotoLikePicture(203, 151, 21);
    TBitmap other = PhotoLikePicture(203, 151, 22);
    // Changes from a plain image, or (Filtered) from one with an area and both filters on.
    struct TCase
    {
        const char* Name;
        std::function<void(TJPEGImage&)> Change;
        bool FeedsFrontEnd, Filtered = false;
    };
    auto filtered = [](TJPEGImage& im) {
        im.SelectiveCompression = true;
        AddSelectionArea(im, skRectangle, 100000, 200000, 600000, 700000);
        im.ActiveFilter = 5;
        im.SetFilterValue(5, 60);
        im.SelActiveFilter = 3;
        im.SetSelFilterValue(3, 80);
    };
    const TCase cases[] = {
        {"quality", [](TJPEGImage& im) { im.LumQuality = 85; im.ChromQuality = 12; }, false},
        {"band", [](TJPEGImage& im) { im.QualityEqualizerBands[2] = -30; }, false},
        {"full control", [](TJPEGImage& im) { im.EqualizerFullControl = true; im.QualityEqualizerBands = {9, 9, 9, 0, 0}; }, false},
        {"ratio", [](TJPEGImage& im) { im.SetCompressionRatio(18); }, false},
        {"progressive", [](TJPEGImage& im) { im.ProgressiveEncoding = true; }, false},
        {"plain coding", [](TJPEGImage& im) { im.OptimizeCoding = false; }, false},
        {"restart", [](TJPEGImage& im) { im.RestartInterval = 3; }, false},
        {"comments", [](TJPEGImage& im) { im.Comments.SetText("one\r\ntwo"); im.AppTexts.SetText("app"); }, false},
        {"density", [](TJPEGImage& im) { im.XDensity = 300; }, false},
        {"areas, selection off", [](TJPEGImage& im) { AddSelectionArea(im, skRectangle, 0, 0, 500000, 500000); }, false},
        {"filter on", [](TJPEGImage& im) { im.ActiveFilter = 2; im.SetFilterValue(2, 40); }, true},
        {"grey", [](TJPEGImage& im) { im.Grayscale = true; }, true},
        {"sampling", [](TJPEGImage& im) { im.SetSubsampling(1); }, true},
        {"smoothing", [](TJPEGImage& im) { im.Smoothing = 30; }, true},
        {"selection on, no filter", [](TJPEGImage& im) { im.SelectiveCompression = true; AddSelectionArea(im, skRectangle, 0, 0, 500000, 500000); }, false},
        {"threshold", [](TJPEGImage& im) { im.SelectiveCompression = true; im.SelThreshold = 0; }, false},
        {"selection on, main filter", [](TJPEGImage& im) { im.ActiveFilter = 5; im.SetFilterValue(5, 60); im.SelectiveCompression = true; AddSelectionArea(im, skRectangle, 0, 0, 500000, 500000); }, true},
        {"selection filter", [](TJPEGImage& im) { im.SelectiveCompression = true; AddSelectionArea(im, skRectangle, 0, 0, 500000, 500000); im.SelActiveFilter = 3; im.SetSelFilterValue(3, 70); }, true},
        {"source pixels", [&](TJPEGImage&) { src.ScanLine(7)[9] = 3; src.Modified(); }, true},
        {"other source", [&](TJPEGImage& im) { im.SetSourceBitmap(&other); }, true},
        {"quality, filtered", [](TJPEGImage& im) { im.LumQuality = 30; }, false, true},
        {"selection qualities, filtered", [](TJPEGImage& im) { im.SelLumQuality = 10; im.SelChromQuality = 1; }, false, true},
        {"ratio, filtered", [](TJPEGImage& im) { im.SetCompressionRatio(15); }, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TJPEGImage warm;
        warm.SetSourceBitmap(&src);
        if (c.Filtered) filtered(warm);
        warm.CompressImage();
        ASSERT_EQ(warm.StageCache().Stores(), 1u);
        c.Change(warm);
        warm.CompressImage();
        const uint64_t stores = warm.StageCache().Stores();
        // A ratio search computes the front end at most once, whatever the number of trials.
        EXPECT_EQ(stores, c.FeedsFrontEnd ? 2u : 1u);

        // The same runs with nothing kept between them.
        TJPEGImage cold;
        cold.SetSourceBitmap(&src);
        if (c.Filtered) filtered(cold);
        cold.CompressImage();
        c.Change(cold);
        cold.ReleaseStageCache();
        cold.CompressImage();
        ASSERT_GT(warm.GetJpegDataSize(), 0);
        EXPECT_EQ(cold.TrialCount, warm.TrialCount);
        EXPECT_EQ(CompressedBytes(warm), CompressedBytes(cold));
    }
}

TEST(StageCache, AreasCountWhenAFilterReadsTheMask)
{
    TBitmap src = PhotoLikePicture(96, 64, 23);
    TJPEGImage im;
    im.SetSourceBitmap(&src);
    im.SelectiveCompression = true;
    AddSelectionArea(im, skRectangle, 0, 0, 400000, 400000);
    im.CompressImage();
    im.SelLumQuality = 90; // a quality of the selection: quantisation only
    im.CompressImage();
    AddSelectionArea(im, skRectangle, 500000, 500000, 900000, 900000); // no filter reads the mask: quantisation only
    im.SelThreshold = 80;
    im.CompressImage();
    EXPECT_EQ(im.StageCache().Stores(), 1u);
    im.SelActiveFilter = 1;
    im.SetSelFilterValue(1, 20);
    im.CompressImage();
    EXPECT_EQ(im.StageCache().Stores(), 2u);
    AddSelectionArea(im, skRectangle, 100000, 600000, 300000, 900000);
    im.CompressImage();
    EXPECT_EQ(im.StageCache().Stores(), 3u);
}

TEST(StageCache, MemoryGoesWithTheSource)
{
    TBitmap src = PhotoLikePicture(64, 64, 24);
    TJPEGImage im;
    im.SetSourceBitmap(&src);
    im.CompressImage();
    EXPECT_FALSE(im.StageCache().Empty());
    im.SetSourceBitmap(&src); // the same picture keeps it
    EXPECT_FALSE(im.StageCache().Empty());
    im.SetSourceBitmap(nullptr);
    EXPECT_TRUE(im.StageCache().Empty());
    im.SetSourceBitmap(&src);
    im.CompressImage();
    im.ReleaseStageCache();
    EXPECT_TRUE(im.StageCache().Empty());
}

TEST(StageCache, CoefficientMemoryServesTheEncodesOfOneRunAndGoesWithThePlanes)
{
    TBitmap src = PhotoLikePicture(64, 64, 24);
    TJPEGImage im;
    im.SetSourceBitmap(&src);
    // An encode (a trial of a search) keeps the memory for the next one.
    EncodeJpeg(im);
    TStageCache& cache = im.StageCache();
    std::unique_ptr<TCoefficientStore> lent = cache.TakeCoefficients();
    ASSERT_TRUE(lent);
    EXPECT_GE(lent->Capacity[0], size_t(64 / 8 * 64 / 8));
    EXPECT_FALSE(cache.TakeCoefficients()); // one encode at a time
    im.WorkProfile.LumQuality = 20; // an encode meanwhile codes in memory of its own, and keeps that
    EncodeJpeg(im);
    EXPECT_TRUE(cache.TakeCoefficients());
    cache.KeepCoefficients(std::move(lent));
    // A whole run, a search too, frees it when it ends; the planes stay.
    for (float ratio : {0.0f, 15.0f}) {
        im.SetCompressionRatio(ratio);
        im.CompressImage();
        EXPECT_FALSE(cache.Empty()) << ratio;
        EXPECT_FALSE(cache.TakeCoefficients()) << ratio;
    }
    EncodeJpeg(im);
    im.ReleaseStageCache();
    EXPECT_FALSE(cache.TakeCoefficients());
    cache.KeepCoefficients(std::make_unique<TCoefficientStore>()); // no planes: nothing is kept
    EXPECT_FALSE(cache.TakeCoefficients());
}
