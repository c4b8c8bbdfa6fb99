#pragma once
// The main-thread invoker on Qt's event loop: Send is a blocking queued call, Post a queued one;
// ProcessEvents serves the loop. Create it on the main thread after the QApplication.
#include <QObject>

#include "platform/MainThread.h"

class TQtMainThreadInvoker : public IMainThreadInvoker
{
public:
    TQtMainThreadInvoker();
    ~TQtMainThreadInvoker() override;
    void Send(const std::function<void()>& fn) override;
    void Post(std::function<void()> fn) override;
    void ProcessEvents(int timeoutMs) override;
    bool IsMainThread() const override;

private:
    QObject* FReceiver; // lives on the main thread; queued calls are delivered to it
};
