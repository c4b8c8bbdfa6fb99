#pragma once
// What the offscreen GUI tests share: the application object (created on first use, kept to the end),
// the Qt main-thread invoker, a wait that serves events, and a picture that tells positions apart.
#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/QtMainThreadInvoker.h"
#include "platform/Bitmap.h"
#include "platform/MainThread.h"

inline QApplication* EnsureGuiTestApp()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own objects that outlive main() must not find it gone.
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

inline void EnsureGuiInvoker()
{
    EnsureGuiTestApp();
    static TQtMainThreadInvoker* invoker = new TQtMainThreadInvoker;
    SetMainThreadInvoker(invoker);
}

template <class Pred> bool PumpUntil(Pred pred, int ms = 20000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pred();
}

// Pixel (x, y) is blue x, green y, red x + y (all modulo 256).
inline TBitmap TestPattern(int w, int h)
{
    TBitmap b(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = b.ScanLine(y) + 3 * x;
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(x + y);
        }
    b.Modified();
    return b;
}
