#pragma once
// A stand-in for the compression engine in the tests: it compresses the image and decodes the
// result like the program's engine, reports through synchronised calls, and can be held at a gate
// before it compresses, where a stop request is honoured (the run then counts as cancelled).
#include <atomic>
#include <chrono>
#include <thread>

#include "codec/JPEGImage.h"
#include "platform/WorkerThread.h"
#include "workspace/CompressionWorker.h"

class TTestCompressionEngine : public TWorkerThread
{
public:
    static inline std::atomic<bool> GateOpen{true};
    static inline std::atomic<int> Running{0};

    TTestCompressionEngine(TJPEGImage* image, TEngineProgressEvent onProgress)
        : FImage(image), FOnProgress(std::move(onProgress))
    {
        FreeOnTerminate = true;
    }
    std::atomic<bool> Cancelled{false};

    static void Install()
    {
        SetCompressionWorkerFactory([](TJPEGImage* image, TEngineProgressEvent p, TEngineProgressEvent) {
            auto* e = new TTestCompressionEngine(image, std::move(p));
            return TCompressionWorker{e, [e] { return e->Cancelled.load(); }};
        });
    }

protected:
    void Execute() override
    {
        ++Running;
        struct TDone
        {
            ~TDone() { --Running; }
        } done;
        while (!GateOpen.load() && !Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (Terminated()) {
            Cancelled = true;
            return;
        }
        Synchronize([this] { FOnProgress(this, 0, 50); });
        FImage->CompressImage();
        if (Terminated()) return;
        FImage->EnsureBitmap();
        Synchronize([this] { FOnProgress(this, 1, 100); });
    }

private:
    TJPEGImage* FImage;
    TEngineProgressEvent FOnProgress;
};
