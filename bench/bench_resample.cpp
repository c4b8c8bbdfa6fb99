// Command-line resampler for the speed comparisons: reads a BMP, resamples it, writes a BMP.
//   bench_resample IN.bmp OUT.bmp WIDTH HEIGHT [--method M] [--fidelity F] [--threads N] [--repeat R]
// Method and fidelity as in the resampling options (default Mitchell at full fidelity); threads 0 =
// all cores. With --repeat the resampling runs R times and "resample_ms: T" gives the fastest run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "platform/Bitmap.h"
#include "platform/BmpFile.h"
#include "resample/Resample.h"

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: %s IN.bmp OUT.bmp WIDTH HEIGHT [--method M] [--fidelity F] [--threads N] "
                     "[--repeat R]\n",
                     argv[0]);
        return 2;
    }
    int method = 2, fidelity = 256, threads = 0, repeat = 0;
    for (int i = 5; i + 1 < argc; i += 2) {
        int v = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--method"))
            method = v;
        else if (!std::strcmp(argv[i], "--fidelity"))
            fidelity = v;
        else if (!std::strcmp(argv[i], "--threads"))
            threads = v;
        else if (!std::strcmp(argv[i], "--repeat"))
            repeat = v;
        else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    try {
        TBitmap src;
        LoadBmpFromFile(src, argv[1]);
        TBitmap dst(std::atoi(argv[3]), std::atoi(argv[4]));
        double best = 1e30;
        for (int r = 0; r < std::max(1, repeat); ++r) {
            auto t0 = std::chrono::steady_clock::now();
            Resample(src, dst, method, fidelity, {}, threads);
            auto t1 = std::chrono::steady_clock::now();
            best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
        }
        if (repeat > 0) std::printf("resample_ms: %.2f\n", best);
        SaveBmpToFile(dst, argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_resample: %s\n", e.what());
        return 1;
    }
    return 0;
}
