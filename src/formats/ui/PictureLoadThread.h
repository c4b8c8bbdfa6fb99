#pragma once
// The picture dialogs' loader: one worker thread that loads the selected file and scales it to the
// preview, so that the dialog never waits for a file. A request made while another one still waits
// replaces it; the result reaches the main thread through Synchronize and the dialog drops a result
// for a name that is no longer selected.
//
// The dialog never joins the worker (it may be waiting in Synchronize): Stop() clears the result
// handler and asks the worker to end, and the worker frees itself on the main thread once it has.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <QColor>
#include <QImage>
#include <QRect>

#include "formats/ImageFileInfo.h"
#include "formats/Picture.h"
#include "platform/WorkerThread.h"

struct TPictureRequest
{
    std::string FileName;
    bool FitToBox = false; // decode a JPEG at the reduced scale that fits the box
    int BoxWidth = 0, BoxHeight = 0;
};

struct TPictureResult
{
    std::string FileName;                // the name of the request
    std::unique_ptr<TPicture> Picture;   // the loaded picture; empty when nothing loaded
    TImageFileInfo Info;                 // what the panel shows
    std::string Error;                   // the load error, empty when the picture loaded
    QImage Preview;                      // the picture scaled to PreviewPlace's size
    QRect PreviewPlace;                  // where the preview sits in the box
};

using TPictureLoadFn = std::function<TPictureResult(const TPictureRequest&)>;

// Loads a file as the dialogs do: LoadPicture (with the box while the preview is on); a file that
// did not load keeps only its name, one whose class the format table does not know keeps its file
// fields; then, for a valid picture with a box, the preview scaled into its place in the box.
TPictureResult LoadDialogPicture(const TPictureRequest& request);

class TPictureLoadThread : public TWorkerThread
{
public:
    explicit TPictureLoadThread(TPictureLoadFn load = LoadDialogPicture, IMainThreadInvoker* invoker = nullptr);
    ~TPictureLoadThread() override;

    // Main thread: load this file next; a request still waiting is replaced.
    void Request(TPictureRequest request);
    // Main thread: drop every result from now on and let the worker end and free itself.
    void Stop();
    // Runs on the main thread with each result (unless stopped).
    std::function<void(TPictureResult& result)> OnResult;

    // Workers of this class not yet freed (for checking that none is left behind).
    static int LiveCount() { return FLive.load(); }

protected:
    void Execute() override;

private:
    TPictureLoadFn FLoad;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::optional<TPictureRequest> FWaiting;
    static std::atomic<int> FLive;
};
