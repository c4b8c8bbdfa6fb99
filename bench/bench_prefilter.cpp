// Prefilter speed figures on the 12-megapixel bench photo:
//   prefilter_r32_over_r4  the largest, over the five kinds, of (time at radius 32) / (time at radius 4)
//   prefilter_mt_speedup   time on one thread / time spread over the cores (kind 5, radius 8)
// and the thread count of that figure as information.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "BenchPhoto.h"
#include "codec/Prefilter.h"

namespace {

double Seconds(const TBitmap& src, int kind, int radius, int threads, TBitmap& dest)
{
    TPrefilterBuffer buffer;
    buffer.Threads = threads;
    const auto t0 = std::chrono::steady_clock::now();
    ApplyEffect(src, Rect(0, 0, src.Width(), src.Height()), radius, 60, 50, 7, 0, true, kind, nullptr, buffer,
                dest);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The best of `runs` timings.
double Best(int runs, const TBitmap& src, int kind, int radius, int threads, TBitmap& dest)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, Seconds(src, kind, radius, threads, dest));
    return best;
}

} // namespace

int main()
{
    const TBitmap src = BenchPhoto();
    PrintPhotoInfo(src);
    TBitmap dest(src.Width(), src.Height(), TPixelFormat::pf24bit);
    const int cores = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));

    double worst = 0;
    for (int kind : {4, 5, 7, 8, 9}) {
        const double r4 = Best(2, src, kind, 4, 1, dest);
        const double r32 = Best(2, src, kind, 32, 1, dest);
        std::printf("info prefilter_r32_over_r4: kind %d: radius 4 %.3f s, radius 32 %.3f s, ratio %.2f\n",
                    kind, r4, r32, r32 / r4);
        worst = std::max(worst, r32 / r4);
    }
    std::printf("prefilter_r32_over_r4: %.2f\n", worst);

    const double one = Best(3, src, 5, 8, 1, dest);
    const double many = Best(3, src, 5, 8, cores, dest);
    std::printf("prefilter_mt_speedup: %.2f\n", one / many);
    std::printf("info prefilter_mt_speedup: kind 5 radius 8: one thread %.3f s, %d threads %.3f s\n", one,
                cores, many);
    return 0;
}
