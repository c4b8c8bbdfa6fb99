// The compression worker: its phases, stopping, failures and the hand-over of its results, with a
// queue standing in for the main thread's event loop.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "EncoderTestUtil.h"
#include "codec/JPEGEngine.h"
#include "ProgressTestClock.h"
#include "codec/JpegProgress.h"
#include "platform/Exceptions.h"
#include "platform/MainThread.h"

namespace {

using progress_test::FastProgressClock;

struct TRunResult
{
    std::atomic<bool> Freed{false};
    bool Ended = false;
    bool Cancelled = false;
    int64_t SizeAtEnd = -1;
    bool BitmapAtEnd = false;
    std::vector<std::pair<int, int>> Events; // (operation, percent)
};

// An engine that tells when it has freed itself: the test's invoker must outlive it.
class TTestEngine : public TJPEGEngine
{
public:
    TTestEngine(TJPEGImage* image, TEngineProgressEvent onProgress, IMainThreadInvoker* invoker,
                std::atomic<bool>& freed)
        : TJPEGEngine(image, std::move(onProgress), nullptr, invoker), FFreed(freed)
    {
    }
    ~TTestEngine() override { FFreed = true; }

private:
    std::atomic<bool>& FFreed;
};

// Starts an engine on image; onEvent runs on the main thread for every progress report.
TJPEGEngine* StartEngine(TQueueInvoker& invoker, TJPEGImage& image, TRunResult& result,
                         std::function<void(TJPEGEngine*, int op)> onEvent = nullptr)
{
    auto* engine = new TTestEngine(
        &image,
        [&result, onEvent](TWorkerThread* sender, uint8_t op, int percent) {
            result.Events.emplace_back(op, percent);
            if (onEvent) onEvent(static_cast<TJPEGEngine*>(sender), op);
        },
        &invoker, result.Freed);
    engine->OnTerminate = [&result, &image](TWorkerThread* w) {
        result.Ended = true;
        result.Cancelled = static_cast<TJPEGEngine*>(w)->Cancelled();
        result.SizeAtEnd = image.GetJpegDataSize();
        result.BitmapAtEnd = image.HasBitmap();
    };
    engine->Start();
    return engine;
}

bool Pump(TQueueInvoker& invoker, const TRunResult& result)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    // The engine frees itself after its completion handler.
    while (!result.Freed && std::chrono::steady_clock::now() < deadline) invoker.ProcessEvents(10);
    return result.Ended && result.Freed;
}

int Count(const TRunResult& r, int op)
{
    int n = 0;
    for (auto& e : r.Events) n += e.first == op;
    return n;
}

} // namespace

TEST(JPEGEngine, CompressesDecodesAndHandsTheBitmapOver)
{
    FastProgressClock clock;
    TQueueInvoker invoker;
    TBitmap src = PhotoLikePicture(320, 240, 11);
    TJPEGImage image;
    image.SetSourceBitmap(&src);
    image.PixelFormat8Bit = false;
    image.LumQuality = 70;
    TRunResult r;
    StartEngine(invoker, image, r, [&](TJPEGEngine* e, int) {
        // The view may paint the image's bitmap at any time: the worker never writes it.
        EXPECT_FALSE(image.HasBitmap());
        // Settings changed during the run do not reach it.
        image.LumQuality = 5;
        EXPECT_EQ(e->Image(), &image);
    });
    ASSERT_TRUE(Pump(invoker, r));
    EXPECT_FALSE(r.Cancelled);
    EXPECT_TRUE(r.BitmapAtEnd);
    EXPECT_GT(Count(r, 0), 0);
    EXPECT_GT(Count(r, 1), 0);
    ASSERT_TRUE(image.HasBitmap());
    EXPECT_EQ(image.Bitmap->Width(), 320);
    EXPECT_EQ(image.WorkProfile.LumQuality, 70);

    TJPEGImage cold;
    cold.SetSourceBitmap(&src);
    cold.LumQuality = 70;
    cold.CompressImage();
    ASSERT_EQ(cold.GetJpegDataSize(), image.GetJpegDataSize());
    EXPECT_EQ(0, std::memcmp(cold.GetJpegStream()->Memory(), image.GetJpegStream()->Memory(),
                             size_t(cold.GetJpegDataSize())));
    // The image's own progress handler is back.
    int own = 0;
    image.OnProgress = nullptr;
    image.OnProgress = [&](TGraphic*, TProgressStage, int, bool, const TRect&, const std::string&) { ++own; };
    image.CompressImage();
    EXPECT_GT(own, 0);
}

TEST(JPEGEngine, TerminateDuringDecodeLetsTheDecodeFinish)
{
    FastProgressClock clock;
    TQueueInvoker invoker;
    TBitmap src = PhotoLikePicture(320, 240, 12);
    TJPEGImage image;
    image.SetSourceBitmap(&src);
    TRunResult r;
    StartEngine(invoker, image, r, [](TJPEGEngine* e, int op) {
        if (op == 1) e->Terminate();
    });
    ASSERT_TRUE(Pump(invoker, r));
    ASSERT_GT(Count(r, 1), 0);
    EXPECT_FALSE(r.Cancelled);
    EXPECT_TRUE(r.BitmapAtEnd);
    EXPECT_GT(r.SizeAtEnd, 0);
}

TEST(JPEGEngine, TerminateDuringCompressionKeepsTheOldDataAndSkipsTheDecode)
{
    FastProgressClock clock;
    TQueueInvoker invoker;
    TBitmap src = PhotoLikePicture(320, 240, 13);
    for (float target : {0.0f, 30.0f}) {
        TJPEGImage image;
        image.SetSourceBitmap(&src);
        image.CompressImage();
        auto old = image.Data;
        image.LumQuality = 20;
        image.SetCompressionRatio(target);
        TRunResult r;
        StartEngine(invoker, image, r, [](TJPEGEngine* e, int op) {
            if (op == 0) e->Terminate();
        });
        ASSERT_TRUE(Pump(invoker, r));
        EXPECT_TRUE(r.Cancelled) << target;
        EXPECT_EQ(image.Data, old) << target;
        EXPECT_EQ(Count(r, 1), 0) << target;
        EXPECT_FALSE(image.HasBitmap()) << target;
    }
}

TEST(JPEGEngine, FailureInDecodeLeavesNoBitmap)
{
    FastProgressClock clock;
    TQueueInvoker invoker;
    TBitmap src = PhotoLikePicture(320, 240, 14);
    TJPEGImage image;
    image.SetSourceBitmap(&src);
    image.CompressImage();
    image.EnsureBitmap(); // a bitmap of the previous result
    ASSERT_TRUE(image.HasBitmap());
    image.LumQuality = 90;
    TRunResult r;
    StartEngine(invoker, image, r, [](TJPEGEngine*, int op) {
        if (op == 1) throw EOutOfResources("no memory for the display");
    });
    ASSERT_TRUE(Pump(invoker, r));
    EXPECT_FALSE(r.Cancelled);
    EXPECT_FALSE(r.BitmapAtEnd);
    EXPECT_GT(r.SizeAtEnd, 0);
}

TEST(JPEGEngine, StopAndDropAtAnyPoint)
{
    FastProgressClock clock;
    TQueueInvoker invoker;
    TBitmap src = PhotoLikePicture(400, 300, 15);
    // Stop before the first report, during compression, during decoding.
    for (int stopAt : {0, 1, 2}) {
        auto image = std::make_unique<TJPEGImage>();
        image->SetSourceBitmap(&src);
        image->SetCompressionRatio(stopAt == 1 ? 25.0f : 0.0f);
        TRunResult r;
        int seen = 0;
        TJPEGEngine* engine = StartEngine(invoker, *image, r, [&](TJPEGEngine*, int op) {
            if (op == 1) ++seen;
        });
        if (stopAt == 2)
            while (seen == 0 && !r.Ended) invoker.ProcessEvents(10);
        else if (stopAt == 1)
            invoker.ProcessEvents(10);
        if (!r.Ended) engine->StopAndWait();
        EXPECT_TRUE(r.Ended);
        image.reset(); // the owner drops the image at once
        EXPECT_TRUE(Pump(invoker, r));
    }
}

TEST(JPEGEngine, AnEngineNeverStartedGivesTheImageBack)
{
    TQueueInvoker invoker;
    TJPEGImage image;
    int own = 0;
    image.OnProgress = [&](TGraphic*, TProgressStage, int, bool, const TRect&, const std::string&) { ++own; };
    delete new TJPEGEngine(&image, nullptr, nullptr, &invoker);
    TBitmap src = PhotoLikePicture(64, 64, 1);
    image.SetSourceBitmap(&src);
    image.CompressImage();
    EXPECT_GT(own, 0);
}
