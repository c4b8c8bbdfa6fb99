#pragma once
// The base of the program's worker threads (compression, resampling, batch jobs).
//
// A worker is created suspended and started with Start(). Its Execute() runs on a thread of its own
// inside a catch-all: EAbort ends it silently (Aborted()), any other exception is kept as
// FatalMessage(). When Execute has ended, the completion handler OnTerminate runs on the main thread
// (the worker waits for it); a worker with FreeOnTerminate is then freed on the main thread.
//
// The main thread never blocks on a worker that may be waiting in Synchronize: WaitFor() keeps
// serving the invoker's calls until the worker has ended.
#include <atomic>
#include <functional>
#include <string>
#include <thread>

class IMainThreadInvoker;

class TWorkerThread
{
public:
    explicit TWorkerThread(IMainThreadInvoker* invoker = nullptr);
    virtual ~TWorkerThread();
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    void Start();
    // Asks the worker to stop; the worker polls Terminated().
    void Terminate() { FTerminated.store(true); }
    bool Terminated() const { return FTerminated.load(); }
    // True once Execute has ended and the completion handler has run.
    bool Finished() const { return FFinished.load(); }
    bool Started() const { return FStarted; }
    // Main thread: waits until the worker has finished, serving the invoker's calls meanwhile.
    // Not for a worker with FreeOnTerminate (it may be gone when this returns).
    void WaitFor();

    bool Aborted() const { return FAborted.load(); }
    bool Failed() const { return FFailed.load(); }
    const std::string& FatalMessage() const { return FFatalMessage; }

    // Nice value the thread runs at (0 normal, positive lower, negative higher: raising above
    // normal needs privileges and falls back to normal). Set before Start().
    void SetNiceValue(int nice) { FNice = nice; }

    // Runs on the main thread after Execute has ended, before the worker may be freed.
    std::function<void(TWorkerThread*)> OnTerminate;
    // Free the object on the main thread after OnTerminate (set before Start()).
    bool FreeOnTerminate = false;

protected:
    virtual void Execute() = 0;
    // Runs on the main thread after Execute has ended; calls OnTerminate. A descendant that
    // overrides it hands over its results here and then calls the inherited one.
    virtual void DoTerminate();
    // Runs fn on the main thread and waits for it; an exception in fn is raised here.
    void Synchronize(const std::function<void()>& fn);
    IMainThreadInvoker* Invoker() const { return FInvoker; }

private:
    void Run();

    IMainThreadInvoker* FInvoker;
    std::thread FThread;
    bool FStarted = false;
    int FNice = 0;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FAborted{false};
    std::atomic<bool> FFailed{false};
    std::string FFatalMessage;
};
