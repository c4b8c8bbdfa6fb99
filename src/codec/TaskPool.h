#pragma once
// A small pool of worker threads that runs the indices 0..count-1 of a task, the calling thread
// taking part, and returns when all are done. Kept alive between calls so that many short calls
// (a few rows each) do not pay for starting threads.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TTaskPool
{
  public:
    // A pool of `threads` threads in all, the caller's included (threads - 1 workers).
    explicit TTaskPool(int threads);
    ~TTaskPool();
    TTaskPool(const TTaskPool&) = delete;
    TTaskPool& operator=(const TTaskPool&) = delete;

    // The thread count asked for (fewer run if the system refused some).
    int Threads() const { return FThreads; }

    // Runs fn(0) .. fn(count - 1) spread over the threads; the first exception is passed on after
    // all have ended. Not re-entrant: one Run at a time.
    void Run(int count, const std::function<void(int)>& fn);

  private:
    void Work();
    void Drain(const std::function<void(int)>* fn, int count);

    int FThreads = 1;
    std::vector<std::thread> FWorkers;
    std::mutex FLock;
    std::condition_variable FStart, FDone;
    const std::function<void(int)>* FJob = nullptr;
    int FCount = 0;
    std::atomic<int> FNext{0};
    uint64_t FGeneration = 0;
    size_t FFinished = 0;
    bool FStop = false;
    std::exception_ptr FError;
};
