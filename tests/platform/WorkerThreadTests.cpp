#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/Exceptions.h"
#include "platform/MainThread.h"
#include "platform/WorkerThread.h"

namespace {

using Clock = std::chrono::steady_clock;

class TTestWorker : public TWorkerThread
{
public:
    TTestWorker(IMainThreadInvoker* invoker, std::function<void(TTestWorker&)> body)
        : TWorkerThread(invoker), FBody(std::move(body))
    {
    }
    ~TTestWorker() override
    {
        if (OnDestroy) OnDestroy();
    }
    using TWorkerThread::Synchronize;
    std::function<void()> OnDestroy;

protected:
    void Execute() override { FBody(*this); }

private:
    std::function<void(TTestWorker&)> FBody;
};

// Serves the invoker until done() or ten seconds have passed; returns done().
bool PumpUntil(TQueueInvoker& invoker, const std::function<bool()>& done)
{
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done() && Clock::now() < deadline) invoker.ProcessEvents(10);
    return done();
}

TEST(WorkerThread, BodyOutcomeIsReportedAndTheHandlerRunsOnceOnTheMainThread)
{
    struct Case
    {
        const char* label;
        std::function<void(TTestWorker&)> body;
        bool failed, aborted;
        const char* message;
    } cases[] = {
        {"normal end", [](TTestWorker&) {}, false, false, ""},
        {"exception", [](TTestWorker&) { throw EInvalidGraphic("Bad file"); }, true, false, "Bad file"},
        {"std exception", [](TTestWorker&) { throw std::runtime_error("boom"); }, true, false, "boom"},
        {"non-standard", [](TTestWorker&) { throw 42; }, true, false, "Unknown error in worker thread"},
        {"silent abort", [](TTestWorker&) { throw EAbort(); }, false, true, ""},
        {"exception in a call made on the main thread",
         [main = std::this_thread::get_id()](TTestWorker& self) {
             self.Synchronize([main] {
                 throw EConvertError(std::this_thread::get_id() == main ? "on the main thread" : "elsewhere");
             });
         },
         true, false, "on the main thread"},
    };
    for (auto& c : cases) {
        TQueueInvoker invoker;
        TTestWorker w(&invoker, c.body);
        int calls = 0;
        bool onMain = false, sawFinishedInHandler = true, sawMessage = false;
        w.OnTerminate = [&](TWorkerThread* sender) {
            ++calls;
            onMain = invoker.IsMainThread() && sender == &w;
            sawFinishedInHandler = sender->Finished();
            sawMessage = sender->FatalMessage() == c.message;
        };
        w.Start();
        w.WaitFor();
        SCOPED_TRACE(c.label);
        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(onMain);
        EXPECT_FALSE(sawFinishedInHandler); // the handler runs before the worker counts as finished
        EXPECT_TRUE(sawMessage);
        EXPECT_TRUE(w.Finished());
        EXPECT_EQ(w.Failed(), c.failed);
        EXPECT_EQ(w.Aborted(), c.aborted);
        EXPECT_EQ(w.FatalMessage(), c.message);
        invoker.ProcessPending();
        EXPECT_EQ(calls, 1);
    }
}

TEST(WorkerThread, OwnerStoppingAWorkerWaitingInSynchronizeDoesNotDeadlock)
{
    TQueueInvoker invoker;
    std::atomic<int> progressCalls{0};
    std::atomic<bool> synchronizing{false};
    TTestWorker w(&invoker, [&](TTestWorker& self) {
        for (;;) {
            synchronizing = true;
            self.Synchronize([&] { ++progressCalls; }); // blocks until the main thread serves it
            if (self.Terminated()) throw EAbort();
        }
    });
    w.Start();
    // The main thread is busy (not serving calls) while the worker waits in Synchronize.
    while (!synchronizing) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(progressCalls, 0);
    EXPECT_FALSE(w.Finished());
    w.Terminate();
    w.WaitFor(); // serves the pending call, so the worker can see the stop request
    EXPECT_TRUE(w.Aborted());
    EXPECT_FALSE(w.Failed());
    EXPECT_GE(progressCalls, 1);
}

TEST(WorkerThread, FreeOnTerminateFreesOnTheMainThreadAfterTheHandlerAndAFailingHandlerIsContained)
{
    TQueueInvoker invoker;
    std::atomic<bool> destroyed{false};
    std::thread::id destroyedOn;
    bool handlerRan = false, destroyedBeforeHandler = false;
    auto* w = new TTestWorker(&invoker, [](TTestWorker&) {});
    w->OnDestroy = [&] {
        destroyedOn = std::this_thread::get_id();
        destroyed = true;
    };
    w->FreeOnTerminate = true;
    w->OnTerminate = [&](TWorkerThread*) {
        handlerRan = true;
        destroyedBeforeHandler = destroyed.load();
    };
    w->Start();
    ASSERT_TRUE(PumpUntil(invoker, [&] { return destroyed.load(); }));
    EXPECT_TRUE(handlerRan);
    EXPECT_FALSE(destroyedBeforeHandler);
    EXPECT_EQ(destroyedOn, std::this_thread::get_id());

    TTestWorker failing(&invoker, [](TTestWorker&) {});
    failing.OnTerminate = [](TWorkerThread*) { throw std::runtime_error("handler"); };
    failing.Start();
    failing.WaitFor();
    EXPECT_TRUE(failing.Finished());
    EXPECT_FALSE(failing.Failed());
}

TEST(WorkerThread, StartTwiceAndMissingInvokerAreRefused)
{
    TQueueInvoker invoker;
    TTestWorker w(&invoker, [](TTestWorker&) {});
    w.Start();
    EXPECT_THROW(w.Start(), EInvalidOperation);
    w.WaitFor();

    IMainThreadInvoker* saved = MainThreadInvoker();
    SetMainThreadInvoker(nullptr);
    EXPECT_THROW(TTestWorker(nullptr, [](TTestWorker&) {}), EInvalidOperation);
    SetMainThreadInvoker(saved);
}

TEST(QueueInvoker, AFailingPostedCallKeepsTheCallsQueuedBehindIt)
{
    TQueueInvoker invoker;
    std::vector<int> order;
    invoker.Post([&] { order.push_back(1); });
    invoker.Post([] { throw std::runtime_error("posted call failed"); });
    invoker.Post([&] { order.push_back(3); });
    EXPECT_THROW(invoker.ProcessPending(), std::runtime_error);
    EXPECT_EQ(order, std::vector<int>{1});
    EXPECT_EQ(invoker.ProcessPending(), 1);
    EXPECT_EQ(order, (std::vector<int>{1, 3}));
}

} // namespace
