#include "app/QtMainThreadInvoker.h"

#include <exception>

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

TQtMainThreadInvoker::TQtMainThreadInvoker() : FReceiver(new QObject) {}

TQtMainThreadInvoker::~TQtMainThreadInvoker() { delete FReceiver; }

bool TQtMainThreadInvoker::IsMainThread() const { return QThread::currentThread() == FReceiver->thread(); }

void TQtMainThreadInvoker::Send(const std::function<void()>& fn)
{
    if (IsMainThread()) {
        fn();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        FReceiver,
        [&] {
            try {
                fn();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error) std::rethrow_exception(error);
}

void TQtMainThreadInvoker::Post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(FReceiver, std::move(fn), Qt::QueuedConnection);
}

void TQtMainThreadInvoker::ProcessEvents(int timeoutMs)
{
    // A timer wakes the wait when nothing else arrives in time.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(timeoutMs < 0 ? 0 : timeoutMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
