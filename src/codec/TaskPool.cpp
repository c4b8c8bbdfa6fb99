#include "codec/TaskPool.h"

TTaskPool::TTaskPool(int threads) : FThreads(threads)
{
    try {
        for (int i = 1; i < threads; ++i)
            FWorkers.emplace_back([this] { Work(); });
    } catch (...) {
        // Fewer threads than asked for: the pool works with those it has.
    }
}

TTaskPool::~TTaskPool()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStop = true;
    }
    FStart.notify_all();
    for (auto& t : FWorkers)
        t.join();
}

void TTaskPool::Drain(const std::function<void(int)>* fn, int count)
{
    for (int i; (i = FNext.fetch_add(1)) < count;) {
        try {
            (*fn)(i);
        } catch (...) {
            std::lock_guard<std::mutex> lock(FLock);
            if (!FError) FError = std::current_exception();
        }
    }
}

void TTaskPool::Work()
{
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FStart.wait(lock, [&] { return FStop || FGeneration != seen; });
        if (FStop) return;
        seen = FGeneration;
        const auto* fn = FJob;
        const int count = FCount;
        lock.unlock();
        Drain(fn, count);
        lock.lock();
        // Every worker reports every task, so no worker can still hold this task when Run returns.
        if (++FFinished == FWorkers.size()) FDone.notify_all();
    }
}

void TTaskPool::Run(int count, const std::function<void(int)>& fn)
{
    if (count <= 0) return;
    if (FWorkers.empty() || count == 1) {
        for (int i = 0; i < count; ++i)
            fn(i);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(FLock);
        FJob = &fn;
        FCount = count;
        FNext = 0;
        FFinished = 0;
        FError = nullptr;
        ++FGeneration;
    }
    FStart.notify_all();
    Drain(&fn, count);
    std::unique_lock<std::mutex> lock(FLock);
    FDone.wait(lock, [&] { return FFinished == FWorkers.size(); });
    FJob = nullptr;
    if (FError) {
        std::exception_ptr e = FError;
        FError = nullptr;
        std::rethrow_exception(e);
    }
}
