#pragma once
// Runs one resampling on a thread of its own for an image window: progress to the main thread,
// cancel by Terminate().
#include <atomic>
#include <cstdint>

#include "platform/Bitmap.h"
#include "platform/EngineProgress.h"
#include "platform/WorkerThread.h"

class TResampleEngine final : public TWorkerThread
{
  public:
    // Created on the main thread; converts Src to 24 bits per pixel there, then starts at once and
    // frees itself after OnEnd (the end handler, run on the main thread) has run. Src and Dst stay
    // the caller's; the main thread leaves both alone until the end handler. Dst is already sized.
    TResampleEngine(TBitmap* Src, TBitmap* Dst, int Method, int Fidelity, TEngineProgressEvent OnProgress,
                    TEngineProgressEvent OnSecond, std::function<void(TWorkerThread*)> OnEnd,
                    IMainThreadInvoker* invoker = nullptr, int Threads = 0);

    // The run was cancelled by Terminate().
    bool Aborted() const { return FAbortedRun.load(); }
    // The run ended with an exception, a cancel included (FatalMessage() has the text of an error).
    bool Failed() const { return FFailedRun.load(); }
    // The last percentage handed to the main thread.
    int Percent() const { return FPercent; }

  protected:
    void Execute() override;

  private:
    void EngineProgress(float Fraction);
    void DoEngineProgress();

    TBitmap* FSrc;
    TBitmap* FDst;
    TEngineProgressEvent FOnProgress;
    TEngineProgressEvent FOnSecond; // kept for the creator; never called
    int FPercent = 0;
    int FMethod;
    int FFidelity;
    int FThreads;
    uint32_t FLastTick = 0;
    std::atomic<bool> FAbortedRun{false};
    std::atomic<bool> FFailedRun{false};
};
