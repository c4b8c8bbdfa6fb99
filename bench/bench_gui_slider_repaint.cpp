// The time from moving the luma slider of the main window to the first repaint of the new result,
// cache warm, on the 12-megapixel bench photo, over one plain encode of the same picture with the
// same settings by the library's own encoder (the best of several runs each, in the same process):
//   slider_repaint_over_encode  the ratio
//   slider_repaint_ms           the milliseconds behind it
// The main window has one image window, no quiet time (ComprDelay 0) and automatic compression; its
// timer handler is called until the run starts, so neither the quiet time nor the timer's tick
// spacing counts. A panel that spoiled the encoder's cache of the quality-independent stages would
// show here as a cold run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

// Before any Qt header (its keyword macros).
#include "BenchPhoto.h"

#include "GuiBench.h"
#include "app/MainForm.h"
#include "app/ParamWidgets.h"
#include "app/QtSettingsStore.h"
#include "codec/JpegEncoder.h"

int main(int argc, char** argv)
{
    TGuiBench gui(argc, argv);
    const TBitmap photo = BenchPhoto();
    PrintPhotoInfo(photo);
    const std::filesystem::path work = BenchWorkFolder();
    std::filesystem::remove(work / "slider-bench.conf");

    TMainForm form({}, std::make_unique<TQtSettingsStore>((work / "slider-bench.conf").string()),
                   (work / "slider-bench.sock").string());
    form.resize(1920, 1080);
    form.show();
    form.Prefs.ComprDelay = 0;
    form.ApplyPreferences();
    form.OptCompAutAction->trigger();
    TImageForm* window = form.NewImageWindow({BenchPhotoPath()});
    // The first run (cold) comes by itself; the figure is about the runs after it.
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (window->Busy || window->ResultSize == 0 || window->PendingChanges > 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        if (std::chrono::steady_clock::now() > until) throw std::runtime_error("the first run did not end");
    }

    double best = 1e30, library = 1e30;
    // Twenty moves between levels 30 and 70: the best of them is the figure.
    for (int i = 0; i < 20; ++i) {
        const int position = i % 2 == 0 ? 30 + i : 70 - i;
        const double ms = ChangeToRepaint(
            window, [&] { form.LumTrackBar->setValue(position); },
            [&] {
                while (!window->Busy) form.TimerTimer();
            });
        best = std::min(best, ms);
        library = std::min(library, LibraryEncodeMs(photo, *window->Image, 1));
        std::printf("position %d: %.1f ms\n", position, ms);
    }
    std::printf("info: threads: %d\n", EncoderThreadCount(0));
    std::printf("info slider_repaint_over_encode: slider to repaint %.1f ms, library encode %.1f ms\n", best, library);
    std::printf("slider_repaint_over_encode: %.3f\n", best / library);
    std::printf("slider_repaint_ms: %.1f\n", best);
    return 0;
}
