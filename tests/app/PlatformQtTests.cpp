// The Qt side of the platform layer: the main-thread invoker on the event loop, and exceptions
// that escape event handlers.
#include <atomic>
#include <thread>

#include <QTimer>
#include <gtest/gtest.h>

#include "app/QtMainThreadInvoker.h"
#include "app/QuillmarkApplication.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"
#include "platform/WorkerThread.h"

namespace {

TQuillmarkApplication& App()
{
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    static TQuillmarkApplication* app = new TQuillmarkApplication(argc, argv);
    return *app;
}

TEST(QuillmarkApplication, ExceptionsFromHandlersAreShownAbortsAreSilent)
{
    App();
    TRecordingMessageBox box;
    TScopedMessageBox scoped(&box);
    QTimer::singleShot(0, [] { throw EInvalidGraphic("Bitmap image is not valid"); });
    QTimer::singleShot(0, [] { throw EAbort("stopped"); });
    QTimer::singleShot(5, [] { QCoreApplication::quit(); });
    App().exec();
    auto calls = box.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Caption, "Quillmark");
    EXPECT_EQ(calls[0].Text, "Bitmap image is not valid");
    EXPECT_EQ(calls[0].Kind, TMsgKind::mkError);
}

class TSyncWorker : public TWorkerThread
{
  public:
    using TWorkerThread::TWorkerThread;
    std::atomic<int> Served{0};
    bool SawError = false;
    std::thread::id RanOn;

  protected:
    void Execute() override
    {
        for (int i = 0; i < 20; ++i)
            Synchronize([this] {
                ++Served;
                RanOn = std::this_thread::get_id();
            });
        try {
            Synchronize([] { throw EConvertError("bad value"); });
        } catch (const EConvertError&) {
            SawError = true;
        }
    }
};

// A worker's synchronised call runs on the main thread while the worker waits, and an exception it
// raises is raised again in the worker; the completion handler runs once.
TEST(QtMainThreadInvoker, SendBlocksUntilTheMainThreadRanTheCallAndPassesErrorsBack)
{
    App();
    TQtMainThreadInvoker invoker;
    EXPECT_TRUE(invoker.IsMainThread());
    TSyncWorker worker(&invoker);
    int completed = 0;
    worker.OnTerminate = [&](TWorkerThread*) { ++completed; };
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(std::tuple(worker.Served.load(), worker.RanOn, worker.SawError, completed),
              std::tuple(20, std::this_thread::get_id(), true, 1));
}

} // namespace
