#pragma once
// What the batch tests share: a scratch tree of generated pictures and profiles, and a job run to its
// end on a queue the test pumps.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "batch/BatchProcess.h"
#include "codec/JPEGImage.h"
#include "codec/ProfileFile.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"
#include "platform/BmpFile.h"
#include "platform/MainThread.h"
#include "platform/TempFolder.h"

namespace fs = std::filesystem;

// Gradients with a seed-dependent pattern: every seed gives a different picture.
inline TBitmap TestPicture(int width, int height, int seed)
{
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = uint8_t(x * 255 / std::max(1, width - 1));
            row[x * 3 + 1] = uint8_t(y * 255 / std::max(1, height - 1));
            row[x * 3 + 2] = uint8_t(((x / (4 + seed % 5)) + (y / 3)) % 2 ? 40 * seed : 200);
        }
    }
    bmp.Modified();
    return bmp;
}

inline std::vector<uint8_t> ReadBytes(const std::string& name)
{
    std::ifstream f(name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

inline void WriteJpeg(const std::string& name, const TBitmap& bmp, int quality = 90)
{
    TJPEGImage image;
    image.Assign(bmp);
    image.LumQuality = image.ChromQuality = uint8_t(quality);
    image.CompressImage();
    TMemoryStream* data = image.GetJpegStream();
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(data->Memory()), std::streamsize(data->Size()));
}

// A profile with the given qualities, target ratio and resize (width in percent, 0 = none).
inline void WriteProfile(const std::string& name, int quality, float ratio = 0, int percent = 0)
{
    TJPEGImage image;
    image.LumQuality = image.ChromQuality = uint8_t(quality);
    image.ComprRatio = ratio;
    if (percent > 0) {
        image.ResamplingOptions.Width = image.ResamplingOptions.Height = percent;
        image.ResamplingOptions.WUnits = image.ResamplingOptions.HUnits = 1;
        image.ResamplingOptions.Method = 2;
    }
    WriteProfileFile(image, name);
}

// The width and height of a picture file that loads; -1 x -1 when it does not.
inline std::pair<int, int> DecodedSize(const std::string& name)
{
    try {
        TPicture picture;
        TImageFileInfo info;
        LoadPicture(picture, name, false, 0, 0, info);
        const TBitmap* bmp = picture.Graphic() ? picture.Graphic()->GetBitmap() : nullptr;
        if (bmp && !bmp->Empty()) return {bmp->Width(), bmp->Height()};
    } catch (...) {
    }
    return {-1, -1};
}

// Every regular file under root by its path relative to root, with its bytes.
inline std::map<std::string, std::vector<uint8_t>> TreeContents(const std::string& root)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadBytes(entry.path().string());
    return files;
}

struct TJobOutcome
{
    std::vector<std::string> Log;
    int FileCount = 0;
    int ErrorCount = 0;
    int ParallelFiles = 0;
    bool Done = false;
    bool TimedOut = false;     // stopped by the time limit
    TBatchProcOptions Options; // as the job left them
    std::vector<TBatchProcProgress> Records; // every record the windows were shown
};

// Runs a job on the files to its end, pumping the queue; onUpdate runs in the window handler. A job
// still going after the time limit is stopped, so that a job that hangs fails its test.
inline TJobOutcome RunJob(const std::vector<std::string>& files, const TBatchProcOptions& options, int maxParallel,
                          const std::function<void(TBatchProcess&)>& setup = {},
                          const std::function<void(TBatchProcess&)>& onUpdate = {}, double timeLimitSeconds = 300)
{
    TQueueInvoker invoker;
    TJobOutcome outcome;
    auto* job = new TBatchProcess(
        files,
        [&](TBatchProcess* j) {
            outcome.Records.push_back(j->Progress());
            if (onUpdate) onUpdate(*j);
        },
        {}, &invoker);
    job->FreeOnTerminate = false;
    job->Options = options;
    job->MaxParallel = maxParallel;
    if (setup) setup(*job);
    job->Start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeLimitSeconds);
    while (!job->GetDone() && std::chrono::steady_clock::now() < deadline) invoker.ProcessEvents(10);
    if (!job->GetDone()) {
        outcome.TimedOut = true;
        job->Terminate();
    }
    job->WaitFor();
    outcome.Log = job->ErrorLog();
    outcome.FileCount = job->FileCount();
    outcome.ErrorCount = job->ErrorCount();
    outcome.ParallelFiles = job->ParallelFiles();
    outcome.Done = job->GetDone();
    outcome.Options = job->Options;
    delete job;
    return outcome;
}

// Names of files under root whose name holds ".tmp".
inline std::vector<std::string> TempLeftovers(const std::string& root)
{
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.path().filename().string().find(".tmp") != std::string::npos) left.push_back(entry.path().string());
    return left;
}

// While it lives, opens the named pipe for writing again and again, so a reader that would wait
// for a writer for good reads an empty pipe instead; Opened tells whether a reader came.
class TPipeWatch
{
  public:
    explicit TPipeWatch(const std::string& pipe)
        : FThread([this, pipe](std::stop_token stop) {
              for (; !stop.stop_requested(); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
                  if (const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0) {
                      FOpened = true;
                      ::close(fd);
                  }
          })
    {
    }
    bool Opened() const { return FOpened; }

  private:
    std::atomic<bool> FOpened{false};
    std::jthread FThread;
};
