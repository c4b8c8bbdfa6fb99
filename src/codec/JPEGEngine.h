#pragma once
// TJPEGEngine: one compression run of one image on a thread of its own. Phase 0 compresses the
// image (with the target-ratio search when a target is set), phase 1 decodes the result for
// display. Progress goes to the owner through synchronised calls on the main thread.
//
// The settings of the run are copied from the image when the engine is created (main thread), so
// the owner may go on changing them. The decode goes into a bitmap of the engine's own; it becomes
// the image's display bitmap on the main thread, before the completion handler runs, and only if
// the image still holds the data that was decoded. The image itself stays the owner's: it must
// outlive the run (StopAndWait ends a run early). From creation until the completion handler the
// image's run-owned fields are the worker's (TJPEGImage::BeginRun, ClaimRun, EndRun).
//
// Stopping (Terminate) takes effect only while compressing, at the next running progress event of
// the encoder: Cancelled() is then true, the image keeps the data it had and no decode runs.
// Decoding is never interrupted.
#include <atomic>
#include <cstdint>
#include <memory>

#include "codec/JPEGImage.h"
#include "codec/JpegEncode.h"
#include "platform/EngineProgress.h"
#include "platform/WorkerThread.h"

class TJPEGEngine : public TWorkerThread
{
public:
    // Main thread. Created suspended with FreeOnTerminate set; the caller sets the nice value and
    // OnTerminate, then calls Start().
    TJPEGEngine(TJPEGImage* image, TEngineProgressEvent onProgress, TEngineProgressEvent onSecond,
                IMainThreadInvoker* invoker = nullptr);
    ~TJPEGEngine() override;

    TJPEGImage* Image() const { return FImage; }
    TEngineProgressEvent OnProgress; // (engine, 0 compress / 1 decode, percent), main thread
    TEngineProgressEvent OnSecond;   // kept for the owner; never called
    uint8_t Percent() const { return FPercent.load(); }
    uint8_t Phase() const { return FPhase.load(); }
    // A stop request was honoured during compression.
    bool Cancelled() const { return FCancelled.load(); }

    // Main thread: asks the run to stop and serves the main thread's calls until it has ended and
    // its completion handler has run; after that the engine no longer touches the image. With
    // FreeOnTerminate the object may be gone when this returns. Not to be called from the
    // engine's own progress or completion handlers.
    void StopAndWait();

protected:
    void Execute() override;
    void DoTerminate() override;

private:
    void EngineProgress(TProgressStage stage, int percent);
    void SyncProgress();

    TJPEGImage* FImage;
    TEncodeRun FRun;                          // the run's settings, copied at creation
    TJPEGImage FView;                         // decodes the result with the image's display options
    std::shared_ptr<TJPEGData> FDecodedData;  // the data FView decoded
    TGraphic::TProgressEvent FImageProgress;  // the image's own handler, reinstated at the end
    std::atomic<uint8_t> FPercent{0};
    std::atomic<uint8_t> FPhase{0};
    std::atomic<bool> FCancelled{false};
    std::atomic<bool> FRunFailed{false};
    std::shared_ptr<std::atomic<bool>> FEnded; // outlives the object for StopAndWait
};
