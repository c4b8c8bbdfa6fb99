// Encoder engine against the library's own scanline encoder on the 12-megapixel bench photo
// (4:2:0, optimised Huffman coding, quality-75 tables), in the same process.
//   encode_ratio_1t: our engine on one thread / the library
//   encode_ratio_mt: our engine on all cores / the library
// Each time is the best of several runs. Options: --runs N, --only library|engine
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/LibraryCodec.h" // LibraryEncode: the library's own encoder
#include "BenchPhoto.h"
#include "codec/JpegEncoder.h"

namespace
{

template <class F> double BestSeconds(int runs, F f)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i)
    {
        auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    std::string only; // "library" or "engine": time one of them alone (for profiling)
    for (int i = 1; i + 1 < argc; i += 2)
    {
        if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--only")) only = argv[i + 1];
    }
    const TBitmap bmp = BenchPhoto();
    TEncodeParams p;
    qmjpeg::TQuantSettings q;
    q.LumQuality = 75;
    q.ChromQuality = 75;
    p.Coding.Tables = qmjpeg::BuildQuantTables(q);
    p.Coding.OptimizeCoding = true;
    p.Coding.Rounding = TQuantRounding::Program;

    size_t libSize = 0, oneSize = 0, allSize = 0;
    if (!only.empty())
    {
        p.FrontEnd.Threads = p.Coding.Threads = 1;
        const double t = BestSeconds(runs, [&] {
            if (only == "library")
                LibraryEncode(bmp, p);
            else
                EncodeBitmapToJpeg(bmp, p);
        });
        std::printf("%s: %.1f ms\n", only.c_str(), t * 1000);
        return 0;
    }
    const double lib = BestSeconds(runs, [&] { libSize = LibraryEncode(bmp, p).size(); });
    p.FrontEnd.Threads = 1;
    p.Coding.Threads = 1;
    const double one = BestSeconds(runs, [&] { oneSize = EncodeBitmapToJpeg(bmp, p).size(); });
    p.FrontEnd.Threads = 0;
    p.Coding.Threads = 0;
    const double all = BestSeconds(runs, [&] { allSize = EncodeBitmapToJpeg(bmp, p).size(); });
    // The front end alone, to see where the time goes.
    p.FrontEnd.Threads = 1;
    const double front = BestSeconds(runs, [&] { ComputeDctPlanes(bmp, p.FrontEnd); });

    TDctPlanes planes = ComputeDctPlanes(bmp, p.FrontEnd);
    p.Coding.Threads = 1;
    const double coding = BestSeconds(runs, [&] { QuantizeAndCode(planes, p.Coding); });
    p.Coding.Rounding = TQuantRounding::Library;
    const double codingLib = BestSeconds(runs, [&] { QuantizeAndCode(planes, p.Coding); });
    std::printf("quantisation and coding, 1 thread: %.1f ms (library rounding %.1f ms)\n", coding * 1000,
                codingLib * 1000);
    PrintPhotoInfo(bmp);
    std::printf("info: kernels %s, %d threads\n", FastKernels().Name, EncoderThreadCount(0));
    std::printf("info: library encode %.1f ms (%zu bytes)\n", lib * 1000, libSize);
    std::printf("info encode_ratio_1t: ours %.1f ms (%zu bytes), front end %.1f ms\n", one * 1000, oneSize,
                front * 1000);
    std::printf("info encode_ratio_mt: ours %.1f ms (%zu bytes)\n", all * 1000, allSize);
    std::printf("encode_ratio_1t: %.3f\n", one / lib);
    std::printf("encode_ratio_mt: %.3f\n", all / lib);
    return 0;
}
