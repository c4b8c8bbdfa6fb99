#include "twain/SourceManager.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/MainThread.h"

namespace {

std::atomic<ITwainManagerLoader*> gLoader{nullptr};
std::atomic<ITwainWindowHost*> gHost{nullptr};

std::mutex gEventMutex;
std::condition_variable gEventQueued;
std::deque<TTwainEvent> gEvents;

} // namespace

void SetTwainManagerLoader(ITwainManagerLoader* loader) { gLoader.store(loader); }
ITwainManagerLoader* TwainManagerLoader() { return gLoader.load(); }

void SetTwainWindowHost(ITwainWindowHost* host) { gHost.store(host); }
ITwainWindowHost* TwainWindowHost() { return gHost.load(); }

void TwainPostEvent(const TTwainEvent& event)
{
    {
        std::lock_guard<std::mutex> lock(gEventMutex);
        gEvents.push_back(event);
    }
    gEventQueued.notify_all();
    // An empty call wakes a main thread that waits in ProcessEvents.
    if (IMainThreadInvoker* invoker = MainThreadInvoker()) invoker->Post([] {});
}

bool TwainTakeEvent(TTwainEvent& event)
{
    std::lock_guard<std::mutex> lock(gEventMutex);
    if (gEvents.empty()) return false;
    event = gEvents.front();
    gEvents.pop_front();
    return true;
}

void TwainClearEvents()
{
    std::lock_guard<std::mutex> lock(gEventMutex);
    gEvents.clear();
}

void TwainWaitForEvents(int timeoutMs)
{
    if (IMainThreadInvoker* invoker = MainThreadInvoker()) {
        invoker->ProcessEvents(timeoutMs);
        return;
    }
    std::unique_lock<std::mutex> lock(gEventMutex);
    gEventQueued.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return !gEvents.empty(); });
}
