// The time from a parameter change to the first repaint of the new result in an image window, on the
// 12-megapixel bench photo shown at the initial zoom, over the library's own encoder on the same
// picture with the same settings (the best of several runs each, in the same process):
//   recompress_cold_over_encode  the first run of a picture (nothing cached)
//   recompress_warm_over_encode  a quality-only change after it (the front-end stages come from the cache)
//   recompress_warm_vs_cold      the two times' ratio
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "BenchPhoto.h"
#include "GuiBench.h"
#include "workspace/ImageWindowPrefs.h"

int main(int argc, char** argv)
{
    TGuiBench gui(argc, argv);
    ImageWindowPrefs().ComprDelay = 0;
    const TBitmap photo = BenchPhoto();
    PrintPhotoInfo(photo);

    double cold = 1e9, warm = 1e9, libCold = 1e9, libWarm = 1e9;
    for (int round = 0; round < 5; ++round) {
        TBenchWindow window;
        TImageForm* form = window.Form;
        form->LoadSourceFromBitmap(photo, 1);
        cold = std::min(cold, ChangeToRepaint(form, [] {}));
        libCold = std::min(libCold, LibraryEncodeMs(photo, *form->Image, 3));
        for (int q : {60, 70, 80}) {
            warm = std::min(warm, ChangeToRepaint(form, [&] {
                form->Image->LumQuality = uint8_t(q);
                form->MarkParamsChanged(true);
            }));
            libWarm = std::min(libWarm, LibraryEncodeMs(photo, *form->Image, 1));
        }
        std::printf("round %d: cold %.1f ms, warm %.1f ms\n", round, cold, warm);
    }
    std::printf("info: threads: %d\n", EncoderThreadCount(0));
    std::printf("info recompress_cold_over_encode: ours %.1f ms, library encode %.1f ms\n", cold, libCold);
    std::printf("info recompress_warm_over_encode: ours %.1f ms, library encode %.1f ms\n", warm, libWarm);
    std::printf("recompress_cold_over_encode: %.3f\n", cold / libCold);
    std::printf("recompress_warm_over_encode: %.3f\n", warm / libWarm);
    std::printf("recompress_warm_vs_cold: %.2f\n", warm / cold);
    return 0;
}
