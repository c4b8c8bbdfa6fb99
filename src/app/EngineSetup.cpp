#include "app/EngineSetup.h"

#include "codec/JPEGEngine.h"
#include "workspace/CompressionWorker.h"

void InstallCompressionEngine()
{
    SetCompressionWorkerFactory([](TJPEGImage* image, TEngineProgressEvent onProgress, TEngineProgressEvent onSecond) {
        auto* engine = new TJPEGEngine(image, std::move(onProgress), std::move(onSecond));
        return TCompressionWorker{engine, [engine] { return engine->Cancelled(); }};
    });
}
