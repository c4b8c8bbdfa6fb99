#include "workspace/CompressionWorker.h"

namespace {
TCompressionWorkerFactory& Factory()
{
    static TCompressionWorkerFactory factory;
    return factory;
}
} // namespace

void SetCompressionWorkerFactory(TCompressionWorkerFactory factory) { Factory() = std::move(factory); }
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
