#include "platform/MainThread.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <iterator>

namespace {
std::atomic<IMainThreadInvoker*> gInvoker{nullptr};
}

IMainThreadInvoker* MainThreadInvoker() { return gInvoker.load(); }
void SetMainThreadInvoker(IMainThreadInvoker* invoker) { gInvoker.store(invoker); }

void TQueueInvoker::Send(const std::function<void()>& fn)
{
    if (IsMainThread()) {
        fn();
        return;
    }
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::exception_ptr error;
    Post([&] {
        try {
            fn();
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(m);
        done = true;
        cv.notify_one();
    });
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [&] { return done; });
    if (error) std::rethrow_exception(error);
}

void TQueueInvoker::Post(std::function<void()> fn)
{
    std::lock_guard<std::mutex> lock(FMutex);
    FQueue.push_back(std::move(fn));
    FQueued.notify_all();
}

int TQueueInvoker::ProcessPending()
{
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        batch.swap(FQueue);
    }
    int served = 0;
    while (!batch.empty()) {
        std::function<void()> fn = std::move(batch.front());
        batch.pop_front();
        try {
            fn();
        } catch (...) {
            // Keep the calls not yet served (a worker may be waiting on one of them) ahead of
            // anything queued meanwhile, then let the caller see the failure.
            std::lock_guard<std::mutex> lock(FMutex);
            FQueue.insert(FQueue.begin(), std::make_move_iterator(batch.begin()),
                          std::make_move_iterator(batch.end()));
            throw;
        }
        ++served;
    }
    return served;
}

void TQueueInvoker::ProcessEvents(int timeoutMs)
{
    if (ProcessPending() > 0) return;
    std::unique_lock<std::mutex> lock(FMutex);
    FQueued.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                     [&] { return !FQueue.empty(); });
    lock.unlock();
    ProcessPending();
}
