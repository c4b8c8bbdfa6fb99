#include "twain/SaneThread.h"

#include <chrono>
#include <exception>

#include "platform/MainThread.h"

TSaneThread::TSaneThread() : FThread([this] { Body(); }) {}

TSaneThread::~TSaneThread()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStop = true;
    }
    FChanged.notify_all();
    FThread.join();
}

void TSaneThread::Body()
{
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
        FChanged.wait(lock, [this] { return FStop || !FQueue.empty(); });
        if (FQueue.empty()) return;
        std::function<void()> fn = std::move(FQueue.front());
        FQueue.pop_front();
        FBusy = true;
        lock.unlock();
        fn();
        lock.lock();
        FBusy = false;
        FChanged.notify_all();
        // Wakes a main thread that waits for this call in ProcessEvents.
        if (IMainThreadInvoker* invoker = MainThreadInvoker()) invoker->Post([] {});
    }
}

void TSaneThread::Start(std::function<void()> fn)
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FQueue.push_back(std::move(fn));
    }
    FChanged.notify_all();
}

void TSaneThread::WaitIdle()
{
    IMainThreadInvoker* invoker = MainThreadInvoker();
    const bool serve = invoker != nullptr && invoker->IsMainThread();
    std::unique_lock<std::mutex> lock(FMutex);
    while (FBusy || !FQueue.empty()) {
        if (!serve) {
            FChanged.wait(lock);
            continue;
        }
        lock.unlock();
        invoker->ProcessEvents(50);
        lock.lock();
    }
}

void TSaneThread::Run(const std::function<void()>& fn)
{
    std::exception_ptr error;
    Start([&] {
        try {
            fn();
        } catch (...) {
            error = std::current_exception();
        }
    });
    WaitIdle();
    if (error) std::rethrow_exception(error);
}
