#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "ResampleTestUtil.h"
#include "platform/Exceptions.h"
#include "platform/MainThread.h"
#include "resample/Resample.h"
#include "resample/ResampleEngine.h"

namespace {

// Refused before anything is touched: unknown methods, a source that is its own target.
TEST(Resample, RefusesWhatItCannotIndex)
{
    TBitmap grey(8, 8, TPixelFormat::pf8bit), dst(4, 4), picture = TestPicture(40, 30, 4);
    for (int method : {-1, 7}) {
        EXPECT_THROW(Resample(grey, dst, method, 256, {}), EInvalidGraphicOperation);
        EXPECT_THROW(FilterResample(picture, dst, method, 256, {}), EInvalidGraphicOperation);
    }
    EXPECT_EQ(grey.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_THROW(FilterResample(picture, picture, 2, 256, {}), EInvalidGraphicOperation);
    EXPECT_THROW(FilterResample(grey, dst, 2, 256, {}), EInvalidGraphicOperation); // not 24-bit
    // An empty source or target is refused with its message, the other bitmap left as it was.
    TBitmap empty;
    for (auto [src, target, message] : {std::tuple(&grey, &empty, "Result bitmap is not created"),
                                        std::tuple(&empty, &dst, "Source bitmap is not created")}) {
        try {
            Resample(*src, *target, 2, 256, {});
            ADD_FAILURE() << message;
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
    EXPECT_EQ(std::tuple(grey.PixelFormat(), dst.Width()), std::tuple(TPixelFormat::pf8bit, 4));
}

// An engine run to its end on a queue the test pumps: a finished run equals the direct call (the
// area reducer when no side grows, the filter otherwise, into a 24-bit target) and reports rising
// percents on the main thread; a stop request aborts with no progress after it; an empty target
// fails with its message. The source is converted before the worker starts.
TEST(ResampleEngine, RunsStopsAndFailsOnTheMainThread)
{
    const std::tuple<int, int, bool, bool, const char*> cases[] = { // target size, stop, failed, message
        {450, 300, false, false, ""}, {200, 200, false, false, ""}, {1800, 1200, true, true, nullptr},
        {0, 0, false, true, "Result bitmap is not created"}};
    for (const auto& [dstW, dstH, stop, failed, message] : cases) {
        TQueueInvoker invoker;
        std::vector<int> percents;
        int ends = 0;
        std::tuple<bool, bool, std::string> outcome; // failed, aborted, message
        TBitmap src(300, 200, TPixelFormat::pf8bit), dst;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x) src.ScanLine(y)[x] = uint8_t(x * 7 + y * y);
        if (dstW) dst = TBitmap(dstW, dstH, TPixelFormat::pf32bit);
        auto onProgress = [&](TWorkerThread* sender, uint8_t op, int percent) {
            EXPECT_EQ(op, 2);
            EXPECT_TRUE(invoker.IsMainThread());
            percents.push_back(percent);
            if (stop) sender->Terminate();
        };
        auto onEnd = [&](TWorkerThread* t) {
            auto* engine = static_cast<TResampleEngine*>(t);
            ++ends;
            outcome = {engine->Failed(), engine->Aborted(), engine->FatalMessage()};
        };
        new TResampleEngine(&src, &dst, 3, 200, onProgress, {}, onEnd, &invoker);
        EXPECT_EQ(src.PixelFormat(), TPixelFormat::pf24bit); // before the main thread served anything
        for (int i = 0; i < 3000 && ends == 0; ++i) invoker.ProcessEvents(10);
        for (int i = 0; i < 5; ++i) invoker.ProcessEvents(5); // the engine frees itself through one more call
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(outcome, std::tuple(failed, stop, message ? message : std::get<2>(outcome)));
        EXPECT_TRUE(!stop || percents.size() == 1); // nothing reported after a stop request
        if (!failed) {
            ASSERT_FALSE(percents.empty());
            EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
            EXPECT_TRUE(SamePixels(dst, Resized(src, dstW, dstH, dstW > 300 ? 2 : AreaMethod, 200)));
        }
    }
}

} // namespace
