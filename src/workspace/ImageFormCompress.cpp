// Compression control of the image window: the change counter, when a run is due, starting and
// stopping the workers, and taking their results on the main thread.
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "controls/EnhScrollBox.h"
#include "formats/BitmapGraphic.h"
#include "platform/Exceptions.h"
#include "platform/TickCount.h"
#include "platform/WorkerThread.h"
#include "resample/ResampleEngine.h"
#include "resample/ResizeTarget.h"
#include "workspace/CompressionWorker.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"

namespace {
uint32_t (*gTickSource)() = nullptr;
uint32_t Now() { return gTickSource ? gTickSource() : GetTickCount(); }
} // namespace

void TImageForm::SetTickSource(uint32_t (*source)()) { gTickSource = source; }

void TImageForm::MarkParamsChanged(bool changed)
{
    if (changed) {
        LastChangeTick = Now();
        ++PendingChanges;
    } else {
        PendingChanges = 0;
    }
    LastRunStopped = false;
    if (PendingChanges <= 1) StateChange(1);
}

bool TImageForm::AutoCompressDue() const
{
    if (Busy || FClosed) return false;
    if (PendingChanges <= 0) return false;
    if (LastRunStopped && !ForceRun) return false;
    return TickDistance(LastChangeTick, Now()) > ImageWindowPrefs().ComprDelay || ForceRun;
}

void TImageForm::StartCompression()
{
    // A window that is closing (a failed reload closes it, too) starts nothing more.
    if (Busy || FClosed) return;
    const TBitmap* source = SourceBitmap();
    if (!ProfileResizeDone && source &&
        !ResizeIsNoOp(Image->ResamplingOptions, source->Width(), source->Height())) {
        ProfileResizeDone = true;
        StartResampling(false, nullptr);
        return;
    }
    try {
        const TCompressionWorkerFactory& factory = CompressionWorkerFactory();
        PendingChanges = 1;
        Busy = true;
        ProgressOperation = 0;
        FStopRequested = false;
        Image->SetSourceBitmap(source);
        // The worker decodes the new result into a bitmap of its own; the view keeps showing the
        // previous one, which the image gives up for the run.
        FShownResult = std::move(Image->Bitmap);
        TCompressionWorker worker = factory(
            Image.get(), [this](TWorkerThread* s, uint8_t op, int pc) { OnEngineProgress(s, op, pc); },
            [](TWorkerThread*, uint8_t, int) {});
        if (!worker.Thread) throw EInvalidOperation("No compression engine");
        JPEGEngine = worker.Thread;
        std::function<bool()> cancelled = worker.Cancelled;
        JPEGEngine->OnTerminate = [this, cancelled](TWorkerThread* w) { CompressionDone(w, cancelled); };
        JPEGEngine->SetNiceValue(ComprPriorityNice(ImageWindowPrefs().ComprPriority));
        JPEGEngine->Start();
    } catch (...) {
        if (JPEGEngine && !JPEGEngine->Started()) delete JPEGEngine;
        JPEGEngine = nullptr;
        Busy = false;
        if (FShownResult && !Image->Bitmap) Image->Bitmap = std::move(FShownResult);
        FShownResult.reset();
        // Automatic runs wait for the next change instead of failing again at every timer tick.
        ForceRun = false;
        LastRunStopped = true;
        ShowWarning(this, SNotEnoughResources);
    }
}

void TImageForm::StartResampling(bool explicitResize, std::function<void(TImageForm*)> callback)
{
    if (Busy || FClosed) return;
    OnResampled = std::move(callback);
    Busy = true;
    ProgressOperation = 2;
    try {
        TResamplingOptions options = explicitResize ? ResizeOptions : Image->ResamplingOptions;
        TBitmap* source = ResampleSource();
        if (!source) throw EInvalidGraphic("The picture is empty");
        ResampledBitmap = CreateResizedBitmap(options, source->Width(), source->Height());
        // The engine reads the source while it runs; the window does not change it meanwhile.
        ResampleEngine = new TResampleEngine(
            source, ResampledBitmap.get(), options.Method, options.Fidelity,
            [this](TWorkerThread* s, uint8_t op, int pc) { OnEngineProgress(s, op, pc); },
            [](TWorkerThread*, uint8_t, int) {}, [this](TWorkerThread* w) { ResamplingDone(w); });
    } catch (...) {
        ResampleEngine = nullptr;
        ResampledBitmap.reset();
        FResampleSource.reset();
        Busy = false;
        ShowWarning(this, SNotEnoughResources);
    }
}

TBitmap* TImageForm::ResampleSource()
{
    // The engine converts its source to 24 bits in place: it gets the picture's own bitmap only
    // where the window holds that bitmap as its own and it is 24-bit already (nothing to convert),
    // else a copy, so the picture is never changed behind its graphic's back.
    TGraphic* graphic = FPicture.Graphic();
    TBitmap* own = nullptr;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic))
        own = jpeg->Bitmap.get();
    else if (auto* bitmap = dynamic_cast<TBitmapGraphic*>(graphic))
        own = &bitmap->Bitmap();
    if (own && !own->Empty() && own->PixelFormat() == TPixelFormat::pf24bit) return own;
    const TBitmap* source = SourceBitmap();
    if (!source) return nullptr;
    FResampleSource = std::make_unique<TBitmap>(source->To24());
    return FResampleSource.get();
}

void TImageForm::StopProcessing()
{
    if (!Busy) return;
    if (ProgressOperation == 0 && JPEGEngine) {
        FStopRequested = true;
        JPEGEngine->Terminate();
    } else if (ProgressOperation == 2 && ResampleEngine) {
        ResampleEngine->Terminate();
    }
}

void TImageForm::CompressionDone(TWorkerThread*, const std::function<bool()>& cancelledFn)
{
    bool cancelled = cancelledFn && cancelledFn();
    JPEGEngine = nullptr;
    if (!cancelled) --PendingChanges;
    ForceRun = false;
    Busy = false;
    ProgressPercent = 0;
    ProgressTrialPercent = -1;
    LastRunStopped = cancelled;

    if (cancelled) {
        // A stopped run leaves the encoded data as it was: the previous result stays.
        if (!Image->Bitmap) Image->Bitmap = std::move(FShownResult);
    } else if (!Image->Bitmap && Image->GetJpegDataSize() > 0 && FStopRequested) {
        // Stopped between encoding and decoding: the new data is there, the decode was skipped.
        try {
            Image->EnsureBitmap();
        } catch (...) {
            Image->FreeBitmap();
        }
    }
    FShownResult.reset();
    FStopRequested = false;

    if (!Image->Bitmap) {
        ResultSize = 0;
    } else if (Image->GetJpegDataSize() > 0) {
        ResultSize = Image->GetJpegDataSize();
        if (!cancelled) Saved = false;
    } else {
        ResultSize = 0;
    }
    UpdateResultView();
    UpdateSizeStats();
    ApplyZoom(Zoom);
    ResScrollBox->SetPositions(SrcScrollBox->HorzPosition(), SrcScrollBox->VertPosition());
    StateChange(1);
    if (!Image->Bitmap && !cancelled && !FDestroying) ShowWarning(this, SNotEnoughResources);
}

void TImageForm::ResamplingDone(TWorkerThread* worker)
{
    auto* engine = static_cast<TResampleEngine*>(worker);
    bool aborted = engine->Aborted();
    bool failed = engine->Failed();
    ResampleEngine = nullptr;
    FResampleSource.reset();
    Busy = false;
    ProgressPercent = 0;
    StateChange(1);
    if (failed) {
        ResampledBitmap.reset();
        if (!aborted && !FDestroying) ShowWarning(this, SNotEnoughResources);
    } else if (OnResampled) {
        OnResampled(this);
    } else if (!FDestroying) {
        LoadSourceFromWindow(this, 0);
        if (AutoCompressDue()) StartCompression();
    }
    if (aborted) {
        ForceRun = false;
        ProfileResizeDone = false;
        if (!OnResampled) LastRunStopped = true;
    }
}

void TImageForm::OnEngineProgress(TWorkerThread*, uint8_t operation, int percent)
{
    ProgressPercent = percent;
    ProgressOperation = operation;
    // The worker waits for this call, so the search's figures can be read now (and only now).
    ProgressTrialPercent = operation == 0 && Image->RatioSearchActive ? int32_t(Image->TrialPercent) : -1;
    // The partly decoded result belongs to the worker until the run ends; the view keeps the
    // previous result meanwhile.
    StateChange(1);
}
