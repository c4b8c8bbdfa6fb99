#include "app/InterimEngine.h"

#include "codec/JPEGImage.h"
#include "platform/WorkerThread.h"
#include "workspace/CompressionWorker.h"

namespace {

class TInterimCompressWorker : public TWorkerThread
{
public:
    explicit TInterimCompressWorker(TJPEGImage* image) : FImage(image) { FreeOnTerminate = true; }

protected:
    void Execute() override
    {
        FImage->CompressImage();
        FImage->EnsureBitmap();
    }

private:
    TJPEGImage* FImage;
};

} // namespace

void InstallInterimCompressionWorker()
{
    if (CompressionWorkerFactory()) return; // the real worker is installed
    SetCompressionWorkerFactory([](TJPEGImage* image, TEngineProgressEvent, TEngineProgressEvent) {
        return TCompressionWorker{new TInterimCompressWorker(image), [] { return false; }};
    });
}
