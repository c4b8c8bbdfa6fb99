#pragma once
// How an image window gets its compression worker: a thread, created suspended for one image, that
// compresses it and decodes the result, reports progress to the main thread and frees itself when
// it has ended. The program's compression engine (TJPEGEngine) is the default; tests may install
// another factory.
#include <functional>

#include "platform/EngineProgress.h"

class TJPEGImage;
class TWorkerThread;

struct TCompressionWorker
{
    TWorkerThread* Thread = nullptr; // created suspended with FreeOnTerminate set
    // Whether the run ended by a stop request; read in the completion handler, while Thread lives.
    std::function<bool()> Cancelled;
};

using TCompressionWorkerFactory =
    std::function<TCompressionWorker(TJPEGImage* image, TEngineProgressEvent onProgress, TEngineProgressEvent onSecond)>;

// nullptr restores the default.
void SetCompressionWorkerFactory(TCompressionWorkerFactory factory);
const TCompressionWorkerFactory& CompressionWorkerFactory();
// The default: a TJPEGEngine.
TCompressionWorker NewJpegEngineWorker(TJPEGImage* image, TEngineProgressEvent onProgress,
                                       TEngineProgressEvent onSecond);

// The nice value of a worker for the ComprPriority preference: 0 lowest, 1 lower, 2 normal,
// 3 higher, 4 highest; any other value normal.
int ComprPriorityNice(int comprPriority);
