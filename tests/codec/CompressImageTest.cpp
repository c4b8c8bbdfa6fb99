// The compression run of an image with a target ratio: the real codec as the search's host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "EncoderTestUtil.h"
#include "SelectionTestUtil.h"
#include "codec/JpegEncode.h"
#include "ProgressTestClock.h"

namespace {

using progress_test::FastProgressClock;

} // namespace

TEST(CompressImage, SearchEndsWithinToleranceAndATrialLimitBelowOneMeansOneEncode)
{
    FastProgressClock clock;
    TBitmap src = PhotoLikePicture(160, 120, 3);
    struct Case { float Target; int Limit; } cases[] = {{8, 10}, {15, 10}, {25, 10}, {40, 1}, {40, 0}, {40, -3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Target << " limit " << c.Limit);
        TJPEGImage image;
        image.SetSourceBitmap(&src);
        image.ComprRatioMaxNumAppr = c.Limit;
        image.SetCompressionRatio(c.Target);
        std::vector<int> percents; // of the running encodes: they rise over the whole search
        image.OnProgress = [&](TGraphic*, TProgressStage st, int pc, bool, const TRect&, const std::string&) {
            if (st == TProgressStage::psRunning) percents.push_back(pc);
        };
        image.CompressImage();
        ASSERT_GT(image.GetJpegDataSize(), 0);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()) && percents.back() <= 100);
        EXPECT_EQ(std::tuple(image.RatioSearchActive, image.LastRequest.ComprRatio, image.DisplayRatio),
                  std::tuple(false, c.Target, std::lround(c.Target)));
        if (c.Limit <= 1) {
            EXPECT_EQ(image.TrialCount, 1);
            continue;
        }
        const double ratio = 160.0 * 120 * 3 / double(image.GetJpegDataSize());
        EXPECT_TRUE(std::fabs(ratio - c.Target) <= c.Target * 0.05 && image.TrialCount <= 10) << ratio;
        // WorkProfile holds the settings of the last trial: encoding them again gives the same stream.
        TJPEGImage again;
        again.SetSourceBitmap(&src);
        again.WorkProfile = image.WorkProfile;
        EncodeJpeg(again);
        EXPECT_EQ(CompressedBytes(again), CompressedBytes(image));
    }
}

TEST(CompressImage, CancelledSearchReinstatesThePreviousData)
{
    FastProgressClock clock;
    TBitmap src = PhotoLikePicture(300, 200, 5);
    struct TCase { bool HadData; int CancelInEncode; };
    for (TCase c : {TCase{true, 1}, TCase{true, 3}, TCase{false, 2}}) {
        TJPEGImage image;
        image.SetSourceBitmap(&src);
        if (c.HadData) image.CompressImage();
        auto before = image.Data;
        const int64_t size = image.GetJpegDataSize();
        image.SetCompressionRatio(60);
        image.ComprRatioMaxDiff = 0; // never close enough: every allowed trial runs
        int starts = 0;
        image.OnProgress = [&](TGraphic*, TProgressStage st, int, bool, const TRect&, const std::string&) {
            if (st == TProgressStage::psStarting) ++starts;
            if (st == TProgressStage::psRunning && starts == c.CancelInEncode) throw EAbort();
        };
        const TJPEGProfile lastRequest = image.LastRequest;
        EXPECT_NO_THROW(image.CompressImage());
        EXPECT_EQ(std::tuple(image.Data, image.GetJpegDataSize(), image.LastRequest.ComprRatio, image.TrialCount, image.RatioSearchActive),
                  std::tuple(before, size, lastRequest.ComprRatio, c.CancelInEncode, false)) << c.CancelInEncode;
    }
}
