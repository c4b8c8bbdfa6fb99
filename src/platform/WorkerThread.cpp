#include "platform/WorkerThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/Exceptions.h"
#include "platform/MainThread.h"

TWorkerThread::TWorkerThread(IMainThreadInvoker* invoker)
    : FInvoker(invoker ? invoker : MainThreadInvoker())
{
    if (!FInvoker) throw EInvalidOperation("No main-thread invoker has been set");
}

TWorkerThread::~TWorkerThread()
{
    // The owner only frees a worker that has finished (or never started); join the ended thread.
    if (FThread.joinable()) {
        if (FThread.get_id() == std::this_thread::get_id())
            FThread.detach();
        else
            FThread.join();
    }
}

void TWorkerThread::Start()
{
    if (FStarted) throw EInvalidOperation("Thread already started");
    FStarted = true;
    FThread = std::thread([this] { Run(); });
}

void TWorkerThread::Run()
{
    if (FNice != 0) {
        pid_t tid = pid_t(::syscall(SYS_gettid));
        if (::setpriority(PRIO_PROCESS, id_t(tid), FNice) != 0 && FNice < 0)
            ::setpriority(PRIO_PROCESS, id_t(tid), 0);
    }
    try {
        Execute();
    } catch (const EAbort&) {
        FAborted.store(true);
    } catch (const std::exception& e) {
        FFatalMessage = e.what();
        FFailed.store(true);
    } catch (...) {
        FFatalMessage = "Unknown error in worker thread";
        FFailed.store(true);
    }
    try {
        FInvoker->Send([this] { DoTerminate(); });
    } catch (...) {
        // A completion handler that fails must not take the process down from this thread.
    }
    bool freeIt = FreeOnTerminate;
    FFinished.store(true);
    if (freeIt) {
        IMainThreadInvoker* invoker = FInvoker;
        invoker->Post([this] { delete this; });
    }
}

void TWorkerThread::DoTerminate()
{
    if (OnTerminate) OnTerminate(this);
}

void TWorkerThread::Synchronize(const std::function<void()>& fn) { FInvoker->Send(fn); }

void TWorkerThread::WaitFor()
{
    if (!FStarted) return;
    while (!FFinished.load()) FInvoker->ProcessEvents(10);
    if (FThread.joinable()) FThread.join();
}
