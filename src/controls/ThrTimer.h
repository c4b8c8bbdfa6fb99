#pragma once
// A periodic timer that waits on a thread of its own and runs its handler on the main thread, so
// that ticks keep coming while the main thread sits in a modal loop or pumps events.
//
// The thread wakes every 10 ms and fires when more than Interval ms have passed since the last
// firing (the first firing comes at the first check). Firing blocks the thread until the main
// thread has run the handler, so ticks never queue up or overlap, and the handler's own time counts
// towards the next interval. The 32-bit tick count may wrap: the distance is taken as the absolute
// value of the signed 32-bit difference.
#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/WorkerThread.h"

class TExtTimer : public TWorkerThread
{
public:
    using TNotifyEvent = std::function<void(TExtTimer* sender)>;
    using TTickSource = std::function<uint32_t()>;

    // Starts at once, at a low priority. onTimer may be empty (the timer then runs and calls
    // nothing). tickSource defaults to the system tick count; invoker to the program's.
    TExtTimer(int32_t interval, TNotifyEvent onTimer, IMainThreadInvoker* invoker = nullptr,
              TTickSource tickSource = {});
    // Stops the thread and waits for it, serving the main thread's calls meanwhile.
    ~TExtTimer() override;

    int32_t Interval() const { return FInterval; }
    // The tick count of the last firing (0 before the first).
    uint32_t LastTick() const { return FLastTick.load(std::memory_order_relaxed); }

    // True when a firing is due at now after one at lastTick.
    static bool IsDue(uint32_t lastTick, uint32_t now, int32_t interval);

protected:
    void Execute() override;

private:
    void Fire();

    const int32_t FInterval;
    const TNotifyEvent FOnTimer;
    const TTickSource FTickSource;
    std::atomic<uint32_t> FLastTick{0}; // written by the timer thread, read by anyone
};
