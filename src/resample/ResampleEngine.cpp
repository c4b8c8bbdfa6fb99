#include "resample/ResampleEngine.h"

#include "platform/Exceptions.h"
#include "platform/Round.h"
#include "platform/TickCount.h"
#include "resample/Resample.h"

TResampleEngine::TResampleEngine(TBitmap* Src, TBitmap* Dst, int Method, int Fidelity,
                                 TEngineProgressEvent OnProgress, TEngineProgressEvent OnSecond,
                                 std::function<void(TWorkerThread*)> OnEnd, IMainThreadInvoker* invoker,
                                 int Threads)
    : TWorkerThread(invoker), FSrc(Src), FDst(Dst), FOnProgress(std::move(OnProgress)),
      FOnSecond(std::move(OnSecond)), FMethod(Method), FFidelity(Fidelity), FThreads(Threads)
{
    // The conversion writes the source: do it here, while the main thread still owns it.
    if (FSrc && !FSrc->Empty()) FSrc->ConvertTo24();
    OnTerminate = std::move(OnEnd);
    FreeOnTerminate = true;
    Start();
}

void TResampleEngine::Execute()
{
    FLastTick = 0;
    try {
        if (!FSrc) throw EInvalidGraphicOperation("Source bitmap is not created");
        if (!FDst) throw EInvalidGraphicOperation("Result bitmap is not created");
        Resample(
            *FSrc, *FDst, FMethod, FFidelity, [this](float f) { EngineProgress(f); }, FThreads);
    } catch (...) {
        FFailedRun.store(true);
        throw; // the worker base keeps the message (and ends a cancel silently)
    }
}

void TResampleEngine::EngineProgress(float Fraction)
{
    if (FAbortedRun.load()) return;
    if (Terminated()) {
        FAbortedRun.store(true);
        throw EAbort();
    }
    const uint32_t now = GetTickCount();
    if (TickDistance(now, FLastTick) > 100) {
        FLastTick = now;
        FPercent = RoundInt(double(Fraction) * 100.0);
        Synchronize([this] { DoEngineProgress(); });
    }
}

void TResampleEngine::DoEngineProgress()
{
    if (FOnProgress) FOnProgress(this, 2, FPercent);
}
