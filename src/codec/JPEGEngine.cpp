#include "codec/JPEGEngine.h"

#include <algorithm>

#include "codec/JpegDecode.h"
#include "platform/Exceptions.h"
#include "platform/MainThread.h"

TJPEGEngine::TJPEGEngine(TJPEGImage* image, TEngineProgressEvent onProgress, TEngineProgressEvent onSecond,
                         IMainThreadInvoker* invoker)
    : TWorkerThread(invoker), OnProgress(std::move(onProgress)), OnSecond(std::move(onSecond)), FImage(image),
      FEnded(std::make_shared<std::atomic<bool>>(false))
{
    if (!image) throw EInvalidOperation("No image to compress");
    FreeOnTerminate = true;
    FRun = TakeEncodeRun(*image);

    // What the decoder reads besides the data.
    FView.Scale = image->Scale;
    FView.PixelFormat8Bit = image->PixelFormat8Bit;
    FView.Palette = image->Palette;
    FView.QuantizeColors = image->QuantizeColors;
    FView.DesiredColors = image->DesiredColors;
    FView.DitherMode = image->DitherMode;
    FView.TwoPassQuantize = image->TwoPassQuantize;
    FView.FastDecode = image->FastDecode;
    FView.ProgressiveDisplay = image->ProgressiveDisplay;
    FView.BlockSmoothing = image->BlockSmoothing;
    FView.DCTMethod = image->DCTMethod;
    FView.TraceLevel = image->TraceLevel;
    FView.OnProgress = [this](TGraphic*, TProgressStage stage, int percent, bool, const TRect&, const std::string&) {
        EngineProgress(stage, percent);
    };

    FImageProgress = image->OnProgress;
    image->OnProgress = [this](TGraphic*, TProgressStage stage, int percent, bool, const TRect&,
                               const std::string&) { EngineProgress(stage, percent); };
    image->BeginRun();
}

TJPEGEngine::~TJPEGEngine()
{
    // A run that never started still hands the image its own handler back.
    if (!Started() && FImage) {
        FImage->OnProgress = FImageProgress;
        FImage->EndRun();
    }
}

void TJPEGEngine::Execute()
{
    FImage->ClaimRun();
    try {
        FPhase = 0;
        FImage->CompressImage(FRun);
        if (Terminated()) return;
        FPhase = 1;
        // The data this worker has just installed; the main thread does not replace it during a run.
        FDecodedData = FImage->Data;
        if (!FDecodedData || !FDecodedData->Data) return;
        FView.Data = FDecodedData;
        DecodeJpeg(FView);
    } catch (...) {
        // Not reported: the image is left without a display bitmap.
        FView.FreeBitmap();
        FDecodedData.reset();
        FRunFailed = true;
    }
}

void TJPEGEngine::DoTerminate()
{
    FImage->EndRun();
    FImage->OnProgress = FImageProgress;
    if (FRunFailed) {
        FImage->FreeBitmap();
    } else if (FView.Bitmap && FDecodedData && FImage->Data == FDecodedData) {
        FImage->Bitmap = std::move(FView.Bitmap);
        if (FView.PaletteModified) {
            FImage->PaletteModified = true;
            FImage->Changed();
        }
    }
    FView.FreeBitmap();
    FEnded->store(true);
    TWorkerThread::DoTerminate();
}

void TJPEGEngine::EngineProgress(TProgressStage stage, int percent)
{
    if (FCancelled) return;
    if (Terminated() && stage == TProgressStage::psRunning && FPhase == 0) {
        FCancelled = true;
        throw EAbort();
    }
    FPercent = uint8_t(std::clamp(percent, 0, 100));
    Synchronize([this] { SyncProgress(); });
}

void TJPEGEngine::SyncProgress()
{
    if (OnProgress) OnProgress(this, FPhase, FPercent);
}

void TJPEGEngine::StopAndWait()
{
    Terminate();
    if (!Started()) return;
    std::shared_ptr<std::atomic<bool>> ended = FEnded;
    IMainThreadInvoker* invoker = Invoker();
    while (!ended->load()) invoker->ProcessEvents(10);
}
