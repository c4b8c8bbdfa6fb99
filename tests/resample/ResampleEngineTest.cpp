#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "ResampleTestUtil.h"
#include "platform/Exceptions.h"
#include "platform/MainThread.h"
#include "resample/AreaResample.h"
#include "resample/FilterResample.h"
#include "resample/Resample.h"
#include "resample/ResampleEngine.h"

namespace {

std::string RefusalOf(TBitmap& src, TBitmap& dst, int method)
{
    try {
        Resample(src, dst, method, 256, {});
    } catch (const EInvalidGraphicOperation& e) {
        return e.what();
    }
    return "";
}

TEST(Resample, EmptyBitmapsAndUnknownMethodsAreRefusedBeforeAnythingIsTouched)
{
    TBitmap src(8, 8, TPixelFormat::pf8bit), empty, dst(4, 4);
    EXPECT_EQ(RefusalOf(src, empty, 2), "Result bitmap is not created");
    EXPECT_EQ(RefusalOf(empty, dst, 2), "Source bitmap is not created");
    EXPECT_NE(RefusalOf(src, dst, 7), "");
    EXPECT_NE(RefusalOf(src, dst, -1), "");
    EXPECT_EQ(src.PixelFormat(), TPixelFormat::pf8bit);
}

TEST(Resample, ChoosesBetweenTheReducerAndTheFilter)
{
    const TBitmap picture = TestPicture(40, 30, 4);
    // Width, height, and 1 where the reducer serves (no side larger than the source's).
    const int cases[][3] = {{40, 30, 1}, {20, 15, 1}, {40, 10, 1}, {50, 20, 0}, {20, 31, 0}};
    for (auto c : cases) {
        TBitmap src = picture, got(c[0], c[1]), want(c[0], c[1]);
        Resample(src, got, 3, 200, {});
        if (c[2])
            AreaResample(picture, want, 200, {});
        else
            FilterResample(picture, want, 2, 200, {});
        EXPECT_TRUE(SamePixels(got, want)) << c[0] << "x" << c[1];
    }
    // Equal size at full fidelity: the reducer copies the picture.
    TBitmap src = picture, same(40, 30);
    Resample(src, same, 3, 256, {});
    EXPECT_TRUE(SamePixels(same, picture));
}

TEST(Resample, ConvertsBothBitmapsTo24Bits)
{
    TBitmap src(6, 4, TPixelFormat::pf8bit), dst(3, 2, TPixelFormat::pf32bit);
    for (int y = 0; y < 4; ++y) std::memset(src.ScanLine(y), 100, 6);
    Resample(src, dst, 3, 256, {});
    EXPECT_EQ(src.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(dst.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(RowValues(dst), (std::vector<int>{100, 100}));
}

// Runs an engine to its end on a queue the test pumps.
struct EngineRun
{
    TQueueInvoker invoker;
    std::vector<int> percents;
    int ends = 0;
    bool aborted = false, failed = false;
    std::string message;
    bool terminateOnFirstProgress = false, terminated = false;
    std::function<void()> beforePumping;

    void Run(TBitmap& src, TBitmap& dst, int method, int fidelity)
    {
        auto onProgress = [this](TWorkerThread* sender, uint8_t op, int percent) {
            EXPECT_EQ(op, 2);
            EXPECT_TRUE(invoker.IsMainThread());
            percents.push_back(percent);
            if (terminateOnFirstProgress && !terminated) {
                sender->Terminate();
                terminated = true;
            }
        };
        auto onEnd = [this](TWorkerThread* t) {
            auto* engine = static_cast<TResampleEngine*>(t);
            ++ends;
            aborted = engine->Aborted();
            failed = engine->Failed();
            message = engine->FatalMessage();
        };
        new TResampleEngine(&src, &dst, method, fidelity, onProgress, {}, onEnd, &invoker);
        if (beforePumping) beforePumping();
        for (int i = 0; i < 3000 && ends == 0; ++i)
            invoker.ProcessEvents(10);
        // The engine frees itself through one more queued call.
        for (int i = 0; i < 5; ++i)
            invoker.ProcessEvents(5);
    }
};

TEST(ResampleEngine, RunsAndReportsOnTheMainThread)
{
    TBitmap picture = TestPicture(300, 200, 8);
    TBitmap src = picture, dst(450, 300);
    EngineRun run;
    run.Run(src, dst, 2, 256);
    EXPECT_EQ(run.ends, 1);
    EXPECT_FALSE(run.aborted);
    EXPECT_FALSE(run.failed);
    ASSERT_FALSE(run.percents.empty());
    for (size_t i = 1; i < run.percents.size(); ++i)
        EXPECT_GE(run.percents[i], run.percents[i - 1]);
    TBitmap want(450, 300);
    FilterResample(picture, want, 2, 256, {});
    EXPECT_TRUE(SamePixels(dst, want));
}

TEST(ResampleEngine, AStopRequestAbortsWithoutFurtherProgress)
{
    TBitmap src = TestPicture(600, 400, 2), dst(1800, 1200);
    EngineRun run;
    run.terminateOnFirstProgress = true;
    run.Run(src, dst, 2, 256);
    EXPECT_EQ(run.ends, 1);
    EXPECT_TRUE(run.terminated);
    EXPECT_EQ(run.percents.size(), 1u); // nothing reported after the request
    EXPECT_TRUE(run.aborted);
    EXPECT_TRUE(run.failed);
}

TEST(ResampleEngine, AnEmptyTargetFails)
{
    TBitmap src = TestPicture(10, 10, 2), dst;
    EngineRun run;
    run.Run(src, dst, 3, 256);
    EXPECT_EQ(run.ends, 1);
    EXPECT_TRUE(run.failed);
    EXPECT_FALSE(run.aborted);
    EXPECT_EQ(run.message, "Result bitmap is not created");
    EXPECT_TRUE(run.percents.empty());
}

TEST(ResampleEngine, ConvertsTheSourceBeforeTheWorkerStarts)
{
    TBitmap src(16, 16, TPixelFormat::pf8bit), dst(8, 8);
    EngineRun run;
    // Checked before the main thread has served anything: the conversion happened in the constructor.
    run.beforePumping = [&] { EXPECT_EQ(src.PixelFormat(), TPixelFormat::pf24bit); };
    run.Run(src, dst, 3, 256);
    EXPECT_EQ(run.ends, 1);
}

} // namespace
