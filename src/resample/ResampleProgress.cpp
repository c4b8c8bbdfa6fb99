#include "resample/ResampleProgress.h"

#include <atomic>

#include "platform/TickCount.h"

namespace {
std::atomic<TResampleTickSource> gTickSource{nullptr};
} // namespace

void SetResampleProgressTickSource(TResampleTickSource Source) { gTickSource = Source; }

uint32_t ResampleProgressNow()
{
    TResampleTickSource source = gTickSource.load();
    return source ? source() : GetTickCount();
}
