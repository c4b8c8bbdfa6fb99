#include "workspace/CompressionWorker.h"

#include "codec/JPEGEngine.h"

namespace {
TCompressionWorkerFactory& Factory()
{
    static TCompressionWorkerFactory factory = NewJpegEngineWorker;
    return factory;
}
} // namespace

TCompressionWorker NewJpegEngineWorker(TJPEGImage* image, TEngineProgressEvent onProgress,
                                       TEngineProgressEvent onSecond)
{
    auto* engine = new TJPEGEngine(image, std::move(onProgress), std::move(onSecond));
    return TCompressionWorker{engine, [engine] { return engine->Cancelled(); }};
}

void SetCompressionWorkerFactory(TCompressionWorkerFactory factory)
{
    Factory() = factory ? std::move(factory) : TCompressionWorkerFactory(NewJpegEngineWorker);
}
const TCompressionWorkerFactory& CompressionWorkerFactory() { return Factory(); }

int ComprPriorityNice(int comprPriority)
{
    switch (comprPriority) {
    case 0: return 19;
    case 1: return 10;
    case 3: return -5;
    case 4: return -10;
    default: return 0;
    }
}
