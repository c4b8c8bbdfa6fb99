// The compression worker: its phases, stopping, failures and the hand-over of its results, with a
// queue standing in for the main thread's event loop.
#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

#include "EncoderTestUtil.h"
#include "SelectionTestUtil.h"
#include "codec/JPEGEngine.h"
#include "ProgressTestClock.h"
#include "platform/Exceptions.h"
#include "platform/MainThread.h"

namespace {

using progress_test::FastProgressClock;

struct TRunResult
{
    std::atomic<bool> Freed{false};
    bool Ended = false, Cancelled = false, BitmapAtEnd = false;
    int64_t SizeAtEnd = -1;
    std::vector<std::pair<int, int>> Events; // (operation, percent)
};

// An engine that tells when it has freed itself: the test's invoker must outlive it.
class TTestEngine : public TJPEGEngine
{
public:
    TTestEngine(TJPEGImage* image, TEngineProgressEvent onProgress, IMainThreadInvoker* invoker, std::atomic<bool>& freed)
        : TJPEGEngine(image, std::move(onProgress), nullptr, invoker), FFreed(freed) {}
    ~TTestEngine() override { FFreed = true; }

private:
    std::atomic<bool>& FFreed;
};

// Starts an engine on image; onEvent runs on the main thread for every progress report.
TJPEGEngine* StartEngine(TQueueInvoker& invoker, TJPEGImage& image, TRunResult& result,
                         std::function<void(TJPEGEngine*, int op)> onEvent = nullptr)
{
    auto* engine = new TTestEngine(&image, [&result, onEvent](TWorkerThread* sender, uint8_t op, int percent) {
        result.Events.emplace_back(op, percent);
        if (onEvent) onEvent(static_cast<TJPEGEngine*>(sender), op);
    }, &invoker, result.Freed);
    engine->OnTerminate = [&result, &image](TWorkerThread* w) {
        result.Ended = true;
        result.Cancelled = static_cast<TJPEGEngine*>(w)->Cancelled();
        result.SizeAtEnd = image.GetJpegDataSize();
        result.BitmapAtEnd = image.HasBitmap();
    };
    engine->Start();
    return engine;
}

// Runs the main thread's queue until the engine has ended and freed itself (after its completion handler).
bool Pump(TQueueInvoker& invoker, const TRunResult& result)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!result.Freed && std::chrono::steady_clock::now() < deadline) invoker.ProcessEvents(10);
    return result.Ended && result.Freed;
}

int Count(const TRunResult& r, int op)
{
    return int(std::count_if(r.Events.begin(), r.Events.end(), [op](auto& e) { return e.first == op; }));
}

// A photo of 320 x 240 and an image over it, with every progress call let through.
class JPEGEngine : public ::testing::Test
{
protected:
    void SetUp() override { Image.SetSourceBitmap(&Src); }
    FastProgressClock Clock;
    TQueueInvoker Invoker;
    TBitmap Src = PhotoLikePicture(320, 240, 11);
    TJPEGImage Image;
    TRunResult R;
};

} // namespace

TEST_F(JPEGEngine, CompressesDecodesAndHandsTheBitmapOver)
{
    Image.PixelFormat8Bit = false;
    Image.LumQuality = 70;
    StartEngine(Invoker, Image, R, [&](TJPEGEngine* e, int) {
        // The view may paint the image's bitmap at any time: the worker never writes it.
        EXPECT_FALSE(Image.HasBitmap());
        // Settings changed during the run do not reach it.
        Image.LumQuality = 5;
        EXPECT_EQ(e->Image(), &Image);
    });
    ASSERT_TRUE(Pump(Invoker, R));
    EXPECT_EQ(std::tuple(R.Cancelled, R.BitmapAtEnd, Count(R, 0) > 0, Count(R, 1) > 0), std::tuple(false, true, true, true));
    ASSERT_TRUE(Image.HasBitmap());
    EXPECT_EQ(std::pair(Image.Bitmap->Width(), int(Image.WorkProfile.LumQuality)), std::pair(320, 70));
    EXPECT_EQ(EncodeImage(Src, [](TJPEGImage& cold) { cold.LumQuality = 70; }), CompressedBytes(Image));
    // The image's own progress handler is back, after a run and after an engine that never started.
    int own = 0;
    Image.OnProgress = [&](TGraphic*, TProgressStage, int, bool, const TRect&, const std::string&) { ++own; };
    Image.CompressImage();
    EXPECT_GT(own, 0);
    delete new TJPEGEngine(&Image, nullptr, nullptr, &Invoker);
    own = 0;
    Image.CompressImage();
    EXPECT_GT(own, 0);
}

// Terminate during the decode lets it finish; terminate during compression (one encode or a
// search) keeps the old data, or none, exactly, and skips the decode; a failed decode leaves no bitmap, not even the
// previous result's.
TEST_F(JPEGEngine, TerminateFailStopAndDropInEitherPhase)
{
    struct TCase { const char* Name; int Op; bool Throw; float Ratio; bool Cancelled, Bitmap, HadData = true; };
    const TCase cases[] = {{"terminate in decode", 1, false, 0, false, true},
                           {"failure in decode", 1, true, 0, false, false},
                           {"terminate in compression", 0, false, 0, true, false},
                           {"terminate in a search", 0, false, 30, true, false},
                           {"terminate in a search, no data before", 0, false, 30, true, false, false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TJPEGImage image;
        image.SetSourceBitmap(&Src);
        if (c.HadData) image.CompressImage();
        if (c.Throw) image.EnsureBitmap();
        auto old = image.Data;
        image.LumQuality = 20;
        image.SetCompressionRatio(c.Ratio);
        TRunResult r;
        StartEngine(Invoker, image, r, [&c](TJPEGEngine* e, int op) {
            if (op != c.Op) return;
            if (c.Throw) throw EOutOfResources("no memory for the display");
            e->Terminate();
        });
        ASSERT_TRUE(Pump(Invoker, r));
        EXPECT_EQ(std::tuple(r.Cancelled, r.BitmapAtEnd, image.Data == old, Count(r, 1) == 0, r.SizeAtEnd > 0),
                  std::tuple(c.Cancelled, c.Bitmap, c.Cancelled, c.Cancelled, c.HadData));
    }
    // Stop before the first report, during compression, during decoding.
    for (int stopAt : {0, 1, 2}) {
        auto image = std::make_unique<TJPEGImage>();
        image->SetSourceBitmap(&Src);
        image->SetCompressionRatio(stopAt == 1 ? 25.0f : 0.0f);
        TRunResult r;
        int seen = 0;
        TJPEGEngine* engine = StartEngine(Invoker, *image, r, [&](TJPEGEngine*, int op) {
            if (op == 1) ++seen;
        });
        if (stopAt == 2)
            while (seen == 0 && !r.Ended) Invoker.ProcessEvents(10);
        else if (stopAt == 1)
            Invoker.ProcessEvents(10);
        if (!r.Ended) engine->StopAndWait();
        EXPECT_TRUE(r.Ended);
        image.reset(); // the owner drops the image at once
        EXPECT_TRUE(Pump(Invoker, r));
    }
}
