// Command-line prefilter for whole-run timings against other programs:
//   bench_prefilter_tool photo
//       prints the path of the bench photo's BMP (made first when missing)
//   bench_prefilter_tool make OUT.bmp WIDTH HEIGHT
//       writes the synthetic benchmark picture as a 24-bit BMP
//   bench_prefilter_tool filter IN.bmp OUT.bmp KIND RADIUS STRENGTH [THREADS]
//       reads a BMP, filters the whole picture (THREADS 0 = one per core, default 1), writes a BMP
//       and prints "run_ms: N", the milliseconds from before reading to after writing
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "BenchPhoto.h"
#include "BenchPicture.h"
#include "codec/Prefilter.h"
#include "platform/BmpFile.h"

int main(int argc, char** argv)
{
    try {
        const std::string cmd = argc > 1 ? argv[1] : "";
        if (cmd == "photo" && argc == 2) {
            std::printf("%s\n", BenchPhotoPath().c_str());
            return 0;
        }
        if (cmd == "make" && argc == 5) {
            SaveBmpToFile(BenchPicture(std::atoi(argv[3]), std::atoi(argv[4])), argv[2]);
            return 0;
        }
        if (cmd == "filter" && (argc == 7 || argc == 8)) {
            const auto t0 = std::chrono::steady_clock::now();
            TBitmap src;
            LoadBmpFromFile(src, argv[2]);
            src.ConvertTo24();
            TBitmap dest;
            TPrefilterBuffer buffer;
            buffer.Threads = argc == 8 ? std::atoi(argv[7]) : 1;
            ApplyEffect(src, Rect(0, 0, src.Width(), src.Height()), std::atoi(argv[5]), std::atoi(argv[6]),
                        50, 7, 0, true, std::atoi(argv[4]), nullptr, buffer, dest);
            SaveBmpToFile(dest, argv[3]);
            std::printf(
                "run_ms: %.1f\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
            return 0;
        }
        std::fprintf(stderr,
                     "usage: %s photo\n"
                     "       %s make OUT.bmp WIDTH HEIGHT\n"
                     "       %s filter IN.bmp OUT.bmp KIND RADIUS STRENGTH [THREADS]\n",
                     argv[0], argv[0], argv[0]);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
