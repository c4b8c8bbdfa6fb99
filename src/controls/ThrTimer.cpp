#include "controls/ThrTimer.h"

#include <chrono>
#include <thread>

#include "common/CommLib.h"
#include "platform/Exceptions.h"
#include "platform/TickCount.h"

namespace {
// Below normal workers; it only sleeps and compares, and its handler runs on the main thread.
constexpr int KTimerNice = 10;
}

TExtTimer::TExtTimer(int32_t interval, TNotifyEvent onTimer, IMainThreadInvoker* invoker, TTickSource tickSource)
    : TWorkerThread(invoker), FInterval(interval), FOnTimer(std::move(onTimer)),
      FTickSource(tickSource ? std::move(tickSource) : TTickSource(&GetTickCount))
{
    SetNiceValue(KTimerNice);
    Start();
}

TExtTimer::~TExtTimer()
{
    Terminate();
    WaitFor();
}

bool TExtTimer::IsDue(uint32_t lastTick, uint32_t now, int32_t interval)
{
    return TickDistance(lastTick, now) > int64_t(interval);
}

void TExtTimer::Execute()
{
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        uint32_t now = FTickSource();
        if (IsDue(LastTick(), now, FInterval)) {
            FLastTick.store(now, std::memory_order_relaxed);
            Synchronize([this] { Fire(); });
        }
    } while (!Terminated());
}

void TExtTimer::Fire()
{
    if (!FOnTimer) return;
    // A failing handler is reported like any failing event handler; the timer goes on.
    try {
        FOnTimer(this);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        ShowError(nullptr, e.what());
    }
}
