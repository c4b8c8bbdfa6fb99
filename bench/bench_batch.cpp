// Command-line batch job for the speed comparison: runs one job headless, as the program runs it.
//   bench_batch --write-profile OUT.qmp     the bench's profile: half size by Mitchell, quality 75,
//                                           2x2 chroma sampling
//   bench_batch PROFILE OUTDIR FILE...      converts the files into OUTDIR with optimised coding;
//                                           prints "batch_ms: T", the files at once and the failures
// Exits non-zero when a file fails.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "batch/BatchProcess.h"
#include "codec/JPEGImage.h"
#include "codec/ProfileFile.h"
#include "platform/MainThread.h"

int main(int argc, char** argv)
{
    try {
        if (argc == 3 && !std::strcmp(argv[1], "--write-profile")) {
            TJPEGImage image;
            image.LumQuality = image.ChromQuality = 75;
            image.SetSubsampling(0);
            image.ResamplingOptions.Width = image.ResamplingOptions.Height = 50;
            image.ResamplingOptions.WUnits = image.ResamplingOptions.HUnits = 1;
            image.ResamplingOptions.Method = 2;
            WriteProfileFile(image, argv[2]);
            return 0;
        }
        if (argc < 4) {
            std::fprintf(stderr, "usage: %s PROFILE OUTDIR FILE... | --write-profile OUT.qmp\n", argv[0]);
            return 2;
        }
        TQueueInvoker invoker;
        std::vector<std::string> files(argv + 3, argv + argc);
        auto* job = new TBatchProcess(files, [](TBatchProcess*) {}, {}, &invoker);
        job->FreeOnTerminate = false;
        job->Options.ProfileFile = argv[1];
        job->Options.DestFolder = std::string(argv[2]) + "/";
        job->Prefs.ExtraOptimization = true;
        const auto t0 = std::chrono::steady_clock::now();
        job->Start();
        job->WaitFor();
        const auto t1 = std::chrono::steady_clock::now();
        const int errors = job->ErrorCount();
        std::printf("batch_ms: %.0f\nfiles_at_once: %d\n", std::chrono::duration<double, std::milli>(t1 - t0).count(),
                    job->ParallelFiles());
        if (errors) std::fprintf(stderr, "%s", job->ErrorLogText().c_str());
        delete job;
        return errors ? 1 : 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_batch: %s\n", e.what());
        return 1;
    }
}
