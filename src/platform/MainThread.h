#pragma once
// The main-thread invoker: how worker threads reach the main thread. The GUI implements it on its
// event loop; tests use TQueueInvoker and pump it themselves.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class IMainThreadInvoker
{
public:
    virtual ~IMainThreadInvoker() = default;
    // Runs fn on the main thread and returns when it has run (runs it at once on the main thread).
    // An exception thrown by fn is passed back to the caller.
    virtual void Send(const std::function<void()>& fn) = 0;
    // Queues fn to run on the main thread later; returns at once.
    virtual void Post(std::function<void()> fn) = 0;
    // Called on the main thread: serves queued calls for up to timeoutMs milliseconds (at least one
    // pass), returning early once something was served.
    virtual void ProcessEvents(int timeoutMs) = 0;
    virtual bool IsMainThread() const = 0;
};

// The invoker the program's threads use; set once at start-up (by the GUI or a test).
IMainThreadInvoker* MainThreadInvoker();
void SetMainThreadInvoker(IMainThreadInvoker* invoker);

// A queue of calls served by whoever calls ProcessEvents; the thread that creates it is the main thread.
class TQueueInvoker : public IMainThreadInvoker
{
public:
    TQueueInvoker() : FMainThread(std::this_thread::get_id()) {}
    void Send(const std::function<void()>& fn) override;
    void Post(std::function<void()> fn) override;
    void ProcessEvents(int timeoutMs) override;
    bool IsMainThread() const override { return std::this_thread::get_id() == FMainThread; }
    // Serves everything queued now; returns the number of calls served.
    int ProcessPending();

private:
    std::thread::id FMainThread;
    std::mutex FMutex;
    std::condition_variable FQueued;
    std::deque<std::function<void()>> FQueue;
};
