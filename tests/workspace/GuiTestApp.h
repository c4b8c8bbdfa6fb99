#pragma once
// The application object and main-thread invoker the GUI tests share, and a wait that serves events.
#include <chrono>
#include <functional>
#include <thread>

#include <QApplication>
#include <QCoreApplication>

#include "app/QtMainThreadInvoker.h"
#include "platform/MainThread.h"

inline void EnsureGuiTestApp()
{
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    static TQtMainThreadInvoker* invoker = new TQtMainThreadInvoker;
    (void)app;
    SetMainThreadInvoker(invoker);
}

// Serves events until pred holds or timeoutMs has passed; returns pred().
inline bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 10000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pred();
}
