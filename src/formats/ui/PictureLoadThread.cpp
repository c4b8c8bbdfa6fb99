#include "formats/ui/PictureLoadThread.h"

#include "controls/BitmapImage.h"
#include "formats/PictureLoader.h"
#include "formats/ui/PreviewFrames.h"
#include "platform/Bitmap.h"

std::atomic<int> TPictureLoadThread::FLive{0};

TPictureResult LoadDialogPicture(const TPictureRequest& request)
{
    TPictureResult result;
    result.FileName = request.FileName;
    result.Picture = std::make_unique<TPicture>();
    bool loaded = false;
    try {
        LoadPicture(*result.Picture, request.FileName, request.FitToBox, request.BoxWidth, request.BoxHeight,
                    result.Info);
        loaded = true;
    } catch (const std::exception& e) {
        result.Error = e.what();
    } catch (...) {
        result.Error = "Unknown error";
    }
    if (!loaded || !result.Info.PictureInfoValid) {
        TImageFileInfo kept;
        kept.FileName = request.FileName;
        if (loaded) {
            kept.FileSize = result.Info.FileSize;
            kept.Created = result.Info.Created;
            kept.Modified = result.Info.Modified;
            kept.FileInfoValid = result.Info.FileInfoValid;
        }
        result.Info = kept;
        result.Picture->SetGraphic(nullptr);
        return result;
    }
    if (request.BoxWidth < 1 || request.BoxHeight < 1) return result;
    try {
        const TBitmap* bitmap = result.Picture->Graphic()->GetBitmap();
        if (!bitmap || bitmap->Width() < 1 || bitmap->Height() < 1) return result;
        result.PreviewPlace = PreviewRect(result.Info.Width, result.Info.Height, request.BoxWidth, request.BoxHeight);
        // Scaled in 32-bit pixels: Qt's smooth scaling is fastest there.
        result.Preview = BitmapAsQImage(*bitmap)
                             .convertToFormat(QImage::Format_RGB32)
                             .scaled(result.PreviewPlace.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } catch (const std::exception& e) {
        // The picture loaded but cannot be shown: the panel says why.
        result.Error = e.what();
        result.Preview = QImage();
        result.PreviewPlace = QRect();
    }
    return result;
}

TPictureLoadThread::TPictureLoadThread(TPictureLoadFn load, IMainThreadInvoker* invoker)
    : TWorkerThread(invoker), FLoad(std::move(load))
{
    ++FLive;
    FreeOnTerminate = true;
}

TPictureLoadThread::~TPictureLoadThread() { --FLive; }

void TPictureLoadThread::Request(TPictureRequest request)
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FWaiting = std::move(request);
    }
    FWake.notify_one();
}

void TPictureLoadThread::Stop()
{
    OnResult = nullptr;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FWaiting.reset();
        Terminate();
    }
    FWake.notify_one();
    // Never started: nothing will free it from the thread's side.
    if (!Started()) delete this;
}

void TPictureLoadThread::Execute()
{
    for (;;) {
        TPictureRequest request;
        {
            std::unique_lock<std::mutex> lock(FMutex);
            FWake.wait(lock, [this] { return Terminated() || FWaiting.has_value(); });
            if (Terminated()) return;
            request = std::move(*FWaiting);
            FWaiting.reset();
        }
        TPictureResult result;
        try {
            result = FLoad(request);
        } catch (const std::exception& e) {
            result = TPictureResult();
            result.Error = e.what();
        }
        result.FileName = request.FileName;
        if (Terminated()) return;
        Synchronize([this, &result] {
            if (OnResult) OnResult(result);
        });
    }
}
