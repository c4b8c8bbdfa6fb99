#include "controls/ThrTimer.h"

#include <chrono>
#include <thread>

#include "common/CommLib.h"
#include "platform/Exceptions.h"
#include "platform/TickCount.h"

namespace {
constexpr int KTimerNice = 10; // below every worker; the handler runs on the main thread anyway
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
        if (IsDue(FLastTick, now, FInterval)) {
            FLastTick = now;
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
