#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "platform/Exceptions.h"
#include "platform/MainThread.h"
#include "platform/WorkerThread.h"

namespace {

struct TTestWorker : TWorkerThread
{
    TTestWorker(IMainThreadInvoker* invoker, std::function<void(TTestWorker&)> body)
        : TWorkerThread(invoker), Body(std::move(body))
    {
    }
    using TWorkerThread::Synchronize;
    void Execute() override { Body(*this); }
    std::function<void(TTestWorker&)> Body;
};

// The handler runs once, on the main thread, before the worker counts as finished, whatever the body
// did; a failing handler is contained. (A clean run, a failure with its message and a stop request:
// the engine tests.) A second start is refused.
TEST(WorkerThread, BodyOutcomeIsReportedAndTheHandlerRunsOnceOnTheMainThread)
{
    const auto main = std::this_thread::get_id();
    // body, failed, aborted, message
    const std::tuple<std::function<void(TTestWorker&)>, bool, bool, const char*> cases[] = {
        {[](TTestWorker&) { throw 42; }, true, false, "Unknown error in worker thread"},
        {[](TTestWorker&) { throw EAbort(); }, false, true, ""},
        {[main](TTestWorker& self) {
             self.Synchronize(
                 [main] { throw EConvertError(std::this_thread::get_id() == main ? "main" : "other"); });
         },
         true, false, "main"},
    };
    for (const auto& [body, failed, aborted, message] : cases) {
        TQueueInvoker invoker;
        TTestWorker w(&invoker, body);
        std::vector<std::string> seen;
        w.OnTerminate = [&](TWorkerThread* sender) {
            seen.push_back(sender->FatalMessage() +
                           (invoker.IsMainThread() && !sender->Finished() ? "" : " late"));
            throw std::runtime_error("handler");
        };
        w.Start();
        EXPECT_THROW(w.Start(), EInvalidOperation);
        w.WaitFor();
        invoker.ProcessPending();
        EXPECT_EQ(seen, std::vector<std::string>{message});
        EXPECT_TRUE(w.Finished());
        EXPECT_EQ(std::pair(w.Failed(), w.Aborted()), std::pair(failed, aborted)) << message;
    }
    IMainThreadInvoker* saved = MainThreadInvoker();
    SetMainThreadInvoker(nullptr);
    EXPECT_THROW(TTestWorker(nullptr, [](TTestWorker&) {}), EInvalidOperation);
    SetMainThreadInvoker(saved);
}

// The owner stops a worker that waits in Synchronize while the main thread is busy: WaitFor serves
// the pending call, the worker sees the request and ends.
TEST(WorkerThread, StoppingAWorkerWaitingInSynchronizeDoesNotDeadlock)
{
    TQueueInvoker invoker;
    std::atomic<int> calls{0};
    std::atomic<bool> waiting{false};
    TTestWorker w(&invoker, [&](TTestWorker& self) {
        for (;;) {
            waiting = true;
            self.Synchronize([&] { ++calls; });
            if (self.Terminated()) throw EAbort();
        }
    });
    w.Start();
    while (!waiting) std::this_thread::yield();
    EXPECT_FALSE(w.Finished());
    w.Terminate();
    w.WaitFor();
    EXPECT_TRUE(w.Aborted());
    EXPECT_GE(calls, 1);
}

TEST(QueueInvoker, AFailingPostedCallKeepsTheCallsQueuedBehindIt)
{
    TQueueInvoker invoker;
    std::vector<int> order;
    invoker.Post([&] { order.push_back(1); });
    invoker.Post([] { throw std::runtime_error("posted call failed"); });
    invoker.Post([&] { order.push_back(3); });
    EXPECT_THROW(invoker.ProcessPending(), std::runtime_error);
    EXPECT_EQ(invoker.ProcessPending(), 1);
    EXPECT_EQ(order, (std::vector<int>{1, 3}));
}

} // namespace
