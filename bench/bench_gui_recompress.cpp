// The time from a parameter change to the first repaint of the new result in an image window, on a
// 12-megapixel photo-like picture shown at the initial zoom: recompress_cold_ms for the first run
// of a picture (nothing cached), recompress_warm_ms for a quality-only change after it (the
// front-end stages come from the cache), and their ratio recompress_warm_vs_cold.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QMdiArea>

#include "BenchPicture.h"
#include "app/QtMainThreadInvoker.h"
#include "controls/EnhScrollBox.h"
#include "platform/MainThread.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"

namespace {

constexpr int W = 4000, H = 3000;

// Milliseconds from the change to the result view's first paint of the new result.
double ChangeToRepaint(TImageForm* form, const std::function<void()>& change)
{
    bool painted = false;
    std::chrono::steady_clock::time_point end;
    auto previous = form->ResImage->OnPaint;
    form->ResImage->OnPaint = [&](TEnhImage* view, QPainter& p) {
        if (!painted && !form->Busy && form->ResultSize > 0 && view->ViewBitmap() == form->Image->Bitmap.get()) {
            painted = true;
            end = std::chrono::steady_clock::now();
        }
        if (previous) previous(view, p);
    };
    auto start = std::chrono::steady_clock::now();
    change();
    form->ForceRun = true; // no quiet time: the host's next tick would start it
    form->StartCompression();
    while (!painted) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    form->ResImage->OnPaint = previous;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    TQtMainThreadInvoker invoker;
    SetMainThreadInvoker(&invoker);
    ImageWindowPrefs().ComprDelay = 0;
    TBitmap photo = BenchPicture(W, H);

    double cold = 1e9, warm = 1e9;
    for (int round = 0; round < 3; ++round) {
        QMdiArea area;
        area.resize(1920, 1080);
        area.show();
        auto* form = new TImageForm(nullptr, nullptr);
        area.addSubWindow(form);
        form->resize(1800, 1000);
        form->show();
        form->LoadSourceFromBitmap(photo, 1);
        cold = std::min(cold, ChangeToRepaint(form, [] {}));
        for (int q : {60, 70, 80}) {
            warm = std::min(warm, ChangeToRepaint(form, [&] {
                form->Image->LumQuality = uint8_t(q);
                form->MarkParamsChanged(true);
            }));
        }
        std::printf("round %d: cold %.1f ms, warm %.1f ms\n", round, cold, warm);
    }
    std::printf("recompress_cold_ms: %.1f\n", cold);
    std::printf("recompress_warm_ms: %.1f\n", warm);
    std::printf("recompress_warm_vs_cold: %.2f\n", warm / cold);
    SetMainThreadInvoker(nullptr);
    return 0;
}
