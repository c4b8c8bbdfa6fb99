// A batch job over long lists: how soon the first file starts, and how much memory the job holds.
//   bench_batch_scale start DIR          lists of 10,000 and 100,000 names in DIR (sizes from a
//                                        stand-in, no files read), each written beside itself with a
//                                        text suffix; prints "batch_start_at_scale: R", the time to
//                                        the first file's progress at 100,000 over that at 10,000
//                                        (linear is 10), with the seconds behind it
//   bench_batch_scale job PROFILE OUTDIR LIST [HELPERS]
//                                        converts the files named in LIST (one a line) into OUTDIR,
//                                        with HELPERS files at once (default: by cores and memory);
//                                        prints "peak_kb: N" (the process's peak resident memory),
//                                        "first_s: T" (time to the first file's progress), "job_s: T"
//                                        (the whole job), "switches: N" (the process's voluntary
//                                        context switches) and the files written
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <utility>
#include <vector>

#include "batch/BatchProcess.h"
#include "codec/JPEGImage.h"
#include "codec/ProfileFile.h"
#include "platform/MainThread.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TRunResult
{
    double FirstSeconds = -1; // to the first record of a file
    double JobSeconds = 0;
    int Errors = 0;
};

// Runs a job over the files; stopAtFirst ends it as soon as the first file shows.
TRunResult RunJob(std::vector<std::string> files, const TBatchProcOptions& options, bool stopAtFirst,
                  bool standInSizes, int helpers = 0)
{
    TQueueInvoker invoker;
    TRunResult result;
    const auto t0 = Clock::now();
    auto* job = new TBatchProcess(
        std::move(files),
        [&](TBatchProcess* j) {
            if (result.FirstSeconds < 0 && j->Progress().FileIndex >= 1) {
                result.FirstSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
                if (stopAtFirst) j->Terminate();
            }
        },
        {}, &invoker);
    job->FreeOnTerminate = false;
    job->Options = options;
    job->MaxParallel = helpers;
    if (standInSizes) job->FileSizeOf = [](const std::string&) { return int64_t(20000); };
    job->Start();
    job->WaitFor();
    result.JobSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
    result.Errors = job->ErrorCount();
    delete job;
    return result;
}

int StartFigure(const std::string& dir)
{
    std::filesystem::create_directories(dir);
    TJPEGImage profile;
    profile.LumQuality = profile.ChromQuality = 75;
    WriteProfileFile(profile, dir + "/start.qmp");
    TBatchProcOptions options;
    options.ProfileFile = dir + "/start.qmp";
    options.SuffixMode = 1;
    options.SuffixText = "_small";
    double seconds[2] = {};
    const int counts[2] = {10000, 100000};
    for (int k = 0; k < 2; ++k) {
        std::vector<std::string> names;
        for (int i = 0; i < counts[k]; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "/IMG_%06d.jpg", i);
            names.push_back(dir + name);
        }
        double best = 1e9;
        for (int run = 0; run < 3; ++run) best = std::min(best, RunJob(names, options, true, true).FirstSeconds);
        if (best < 0) return 1;
        seconds[k] = best;
    }
    std::printf("batch_start_at_scale: %.2f\n", seconds[1] / seconds[0]);
    std::printf("info batch_start_at_scale: 10,000 names %.3f s, 100,000 names %.3f s to the first file\n",
                seconds[0], seconds[1]);
    return 0;
}

int RunListedJob(const std::string& profile, const std::string& outDir, const std::string& list, int helpers)
{
    std::vector<std::string> files;
    std::ifstream in(list);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) files.push_back(line);
    TBatchProcOptions options;
    options.ProfileFile = profile;
    options.DestFolder = outDir + "/";
    const size_t count = files.size();
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    const TRunResult result = RunJob(std::move(files), options, false, false, helpers);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak_kb: %ld\nfirst_s: %.3f\njob_s: %.3f\nswitches: %ld\nfiles: %zu\nfailed: %d\n", usage.ru_maxrss,
                result.FirstSeconds, result.JobSeconds, usage.ru_nvcsw - before.ru_nvcsw, count, result.Errors);
    return result.Errors ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 3 && !std::strcmp(argv[1], "start")) return StartFigure(argv[2]);
        if ((argc == 5 || argc == 6) && !std::strcmp(argv[1], "job"))
            return RunListedJob(argv[2], argv[3], argv[4], argc == 6 ? std::atoi(argv[5]) : 0);
        std::fprintf(stderr, "usage: %s start DIR | job PROFILE OUTDIR LIST [HELPERS]\n", argv[0]);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_batch_scale: %s\n", e.what());
        return 1;
    }
}
