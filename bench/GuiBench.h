#pragma once
// What the benchmarks of the image window share: the Qt application on the offscreen platform with
// the program's main-thread invoker, and a parameter change followed until the result view first
// paints the new result.
#include <chrono>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <stdexcept>

#include <QApplication>
#include <QMdiArea>

#include "app/QtMainThreadInvoker.h"
#include "controls/EnhScrollBox.h"
#include "platform/MainThread.h"
#include "workspace/ImageForm.h"

// Create on the main thread before any window.
class TGuiBench
{
  public:
    TGuiBench(int& argc, char** argv) : FApp((Offscreen(), argc), argv) { SetMainThreadInvoker(&FInvoker); }
    ~TGuiBench() { SetMainThreadInvoker(nullptr); }

  private:
    static void Offscreen()
    {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication FApp;
    TQtMainThreadInvoker FInvoker;
};

// An image window of 1800x1000 in a 1920x1080 area of the main window; the area owns it.
struct TBenchWindow
{
    QMdiArea Area;
    TImageForm* Form = nullptr;

    TBenchWindow()
    {
        Area.resize(1920, 1080);
        Area.show();
        Form = new TImageForm(nullptr, nullptr);
        Area.addSubWindow(Form);
        Form->resize(1800, 1000);
        Form->show();
    }
};

// Milliseconds from the change to the result view's first paint of the new result; start starts the
// run (by default at once, with no quiet time). Throws when no new result is painted within two
// minutes.
inline double ChangeToRepaint(TImageForm* form, const std::function<void()>& change,
                              const std::function<void()>& startRun = {})
{
    bool painted = false;
    std::chrono::steady_clock::time_point end;
    auto previous = form->ResImage->OnPaint;
    form->ResImage->OnPaint = [&](TEnhImage* view, QPainter& p) {
        if (!painted && !form->Busy && form->ResultSize > 0 &&
            view->ViewBitmap() == form->Image->Bitmap.get()) {
            painted = true;
            end = std::chrono::steady_clock::now();
        }
        if (previous) previous(view, p);
    };
    auto start = std::chrono::steady_clock::now();
    change();
    if (startRun) {
        startRun();
    } else {
        form->ForceRun = true; // no quiet time: the host's next tick would start it
        form->StartCompression();
    }
    // A run that fails or never ends must not hang the benchmarks.
    while (!painted) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        if (std::chrono::steady_clock::now() - start > std::chrono::minutes(2))
            throw std::runtime_error("no repaint of a new result within two minutes");
    }
    form->ResImage->OnPaint = previous;
    return std::chrono::duration<double, std::milli>(end - start).count();
}
