// Command-line prefilter for whole-run timings against other programs:
//   bench_prefilter_tool make OUT.bmp WIDTH HEIGHT
//       writes the benchmark picture as a 24-bit BMP
//   bench_prefilter_tool filter IN.bmp OUT.bmp KIND RADIUS STRENGTH [THREADS]
//       reads a BMP, filters the whole picture (THREADS 0 = one per core, default 1), writes a BMP
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "BenchPicture.h"
#include "codec/Prefilter.h"
#include "platform/BmpFile.h"

int main(int argc, char** argv)
{
    try {
        const std::string cmd = argc > 1 ? argv[1] : "";
        if (cmd == "make" && argc == 5) {
            SaveBmpToFile(BenchPicture(std::atoi(argv[3]), std::atoi(argv[4])), argv[2]);
            return 0;
        }
        if (cmd == "filter" && (argc == 7 || argc == 8)) {
            TBitmap src;
            LoadBmpFromFile(src, argv[2]);
            src.ConvertTo24();
            TBitmap dest;
            TPrefilterBuffer buffer;
            buffer.Threads = argc == 8 ? std::atoi(argv[7]) : 1;
            ApplyEffect(src, Rect(0, 0, src.Width(), src.Height()), std::atoi(argv[5]), std::atoi(argv[6]),
                        50, 7, 0, true, std::atoi(argv[4]), nullptr, buffer, dest);
            SaveBmpToFile(dest, argv[3]);
            return 0;
        }
        std::fprintf(stderr,
                     "usage: %s make OUT.bmp WIDTH HEIGHT\n"
                     "       %s filter IN.bmp OUT.bmp KIND RADIUS STRENGTH [THREADS]\n",
                     argv[0], argv[0]);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
