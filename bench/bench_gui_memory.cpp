// gui_peak_memory_over_source: the peak resident memory (VmHWM) of the program holding the
// 12-megapixel bench photo, opened from its BMP file in an image window, after the first
// compression and one target-ratio search, over the picture's 24-bit size (36 MB).
//
// Nothing is subtracted. The peak includes what the process holds before it opens any picture: its
// code and libraries (Qt, the JPEG library), the Qt application on the offscreen platform, the
// main-thread invoker and the first window; that baseline is printed as information.
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "BenchPhoto.h"
#include "GuiBench.h"
#include "workspace/ImageWindowPrefs.h"

namespace {

// A "VmHWM:" or "VmRSS:" entry of /proc/self/status in bytes.
int64_t StatusBytes(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    int64_t kb = 0;
    while (status >> name) {
        if (name == key && status >> kb) return kb * 1024;
        status.ignore(1 << 16, '\n');
    }
    throw std::runtime_error("no " + key + " in /proc/self/status");
}

constexpr double MB = 1e6;

} // namespace

int main(int argc, char** argv)
{
    // Making the cached photo decodes the whole JPEG file: a fresh process then measures without it.
    bool made = false;
    const std::string path = BenchPhotoPath(&made);
    if (made) {
        execv("/proc/self/exe", argv);
        throw std::runtime_error("cannot restart the program");
    }
    TGuiBench gui(argc, argv);
    ImageWindowPrefs().ComprDelay = 0;
    TBenchWindow window;
    TImageForm* form = window.Form;
    QCoreApplication::processEvents();
    const int64_t baseline = StatusBytes("VmHWM:");

    form->LoadSourceFromNames({path});
    const TBitmap* source = form->SourceBitmap();
    if (!source || source->Width() != BenchPhotoWidth || source->Height() != BenchPhotoHeight)
        throw std::runtime_error("the window did not open " + path);
    const double sourceBytes = 3.0 * source->Width() * source->Height();
    const int64_t opened = StatusBytes("VmHWM:");
    const double first = ChangeToRepaint(form, [] {});
    const int64_t compressed = StatusBytes("VmHWM:");
    const double search = ChangeToRepaint(form, [&] {
        form->Image->SetCompressionRatio(25);
        form->MarkParamsChanged(true);
    });
    const int trials = form->Image->TrialCount;
    if (trials < 2) throw std::runtime_error("the target-ratio run made no search");
    const int64_t peak = StatusBytes("VmHWM:");

    PrintPhotoInfo(*form->SourceBitmap()); // after the peak: it encodes the picture once more
    std::printf("info: source: %s (%.1f MB at 24 bits)\n", path.c_str(), sourceBytes / MB);
    std::printf("info: first compression %.0f ms, ratio search %.0f ms (%d trials)\n", first, search, trials);
    std::printf("info: peak %.1f MB; peaks before the picture %.1f, after opening it %.1f, after the first "
                "compression %.1f; resident at the end %.1f\n",
                double(peak) / MB, double(baseline) / MB, double(opened) / MB, double(compressed) / MB,
                double(StatusBytes("VmRSS:")) / MB);
    std::printf("gui_peak_memory_over_source: %.2f\n", double(peak) / sourceBytes);
    return 0;
}
