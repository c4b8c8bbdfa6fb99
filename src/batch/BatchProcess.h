#pragma once
// TBatchProcess: the worker thread of one batch job. Each file of the list is loaded, decoded, given
// the job's compression profile, resampled when the profile asks for it, compressed and saved under
// the name the job's naming rules give; a file that fails is logged and counted and the job goes on.
//
// Several files are worked on at once (up to the cores, 8 at most, fewer while the pixel memory of
// the files not yet written would pass a quarter of the RAM, and never more than a few files ahead
// of the one being written, so a long list holds no more memory than a short one), yet the outputs, the log and the names are those of one
// file at a time in list order: results are numbered, written and logged in list order, a source
// that an earlier file may write is read only after that file is written, and a profile with a
// target ratio (whose search starts from the previous file's settings) runs one file at a time on
// one image.
//
// The job reaches the main thread only through its synchronised call: there the shared progress
// record and thumbnail are replaced from the job's private copies and the handlers run. A stop
// request (Terminate) starts nothing more and writes nothing more; files in flight are dropped
// without a log entry, and no partial output remains. Before the first file, the job reads every
// file's size and works out which sources are at risk; a stop ends that at once too, and the
// windows meanwhile get records without a file (FileIndex 0) whose elapsed time goes on.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/BatchProcOptions.h"
#include "batch/BatchProcProgress.h"
#include "platform/Bitmap.h"
#include "platform/Geometry.h"
#include "platform/WorkerThread.h"

class TJPEGImage;
class TPicture;

// The preferences a job reads, handed in by value.
struct TBatchPrefs
{
    int32_t ComprRatioMaxNumAppr = 10; // target-ratio search: most trials
    int32_t ComprRatioMaxDiff = 5;     // and the tolerance in percent
    bool ExtraOptimization = true;     // optimised Huffman coding
    bool KeepOrigDatetime = true;      // outputs take their source's modification time
};

class TBatchProcess : public TWorkerThread
{
public:
    using TJobEvent = std::function<void(TBatchProcess* job)>;

    // onWindowUpdate (the progress window) and onMainUpdate (the main window; may be empty) run on the
    // main thread inside the job's synchronised call.
    TBatchProcess(std::vector<std::string> files, TJobEvent onWindowUpdate, TJobEvent onMainUpdate,
                  IMainThreadInvoker* invoker = nullptr);
    ~TBatchProcess() override;

    // ---- set before Start() ----
    TBatchProcOptions Options; // the worker advances the number counters; read it after the job
    TBatchPrefs Prefs;
    int MaxParallel = 0;                // files at once; 0 = by cores and memory
    uint32_t ThumbBackground = 0xF0F0F0; // 0xRRGGBB behind the thumbnail
    // The size of a file (default: its size on disk), its pixel memory while it is worked on (default:
    // EstimateBatchFileMemory), the bytes of pixel memory that files in flight may hold (0: a quarter
    // of the RAM) and the clock in seconds (default: a steady clock); tests replace them.
    std::function<int64_t(const std::string&)> FileSizeOf;
    std::function<int64_t(const std::string& name, int64_t size)> FileMemoryOf;
    int64_t MemoryBudget = 0;
    std::function<double()> SecondsNow;

    // ---- main thread: in the handlers, or once the job is done ----
    const TBatchProcProgress& Progress() const { return FProgress; }
    const TBitmap& Thumbnail() const { return FThumbnail; }
    const TRect& ThumbRect() const { return FThumbRect; }
    // Set when the job has left its file loop, however it left it.
    bool GetDone() const { return FDone.load(); }
    int FileCount() const { return int(FFiles.size()); }
    int ErrorCount() const { return int(FErrorLog.size()); }
    // One entry per failed file: its log line, CR LF, the error message.
    const std::vector<std::string>& ErrorLog() const { return FErrorLog; }
    // The entries, each followed by CR LF.
    std::string ErrorLogText() const;
    // How many files the job worked on at once.
    int ParallelFiles() const { return FParallel; }
    // The most files that were done and waited to be written at one time (any thread, any time).
    int PeakFilesAwaitingWrite() const { return FPeakFilesAwaitingWrite.load(); }
    // How far the helpers run ahead of the writer: files claimed and not yet written, at most.
    int LookAheadFiles() const { return 2 * FParallel; }

protected:
    void Execute() override;

private:
    struct TFileSlot;
    bool StartupGoesOn();
    bool CollectFileSizes();
    int64_t BytesDoneThrough(int index);
    int ChooseParallelFiles();
    void Helper(bool carryImage);
    int ClaimFile();
    bool MayClaim(int index) const;
    bool NextFileClaimable() const;
    void WakeHelperIfClaimable(std::unique_lock<std::mutex>& lock); // leaves the lock free
    void ProcessFile(int index, TJPEGImage& image, TPicture& picture, int resampleThreads);
    bool CommitFile(int index);
    bool SaveFile(int index, const std::string& dest);
    void Report(int index, int stage, int percent);
    void SyncProgress();
    void HandOverProgress();
    void AddLog(const std::string& line, const std::string& message);
    double Now() const;

    std::vector<std::string> FFiles;
    TJobEvent FOnWindowUpdate;
    TJobEvent FOnMainUpdate;
    std::atomic<bool> FDone{false};
    std::atomic<bool> FStopping{false}; // the loop has ended: nothing more starts
    int FParallel = 1;

    std::vector<int64_t> FFileSizes;
    std::vector<int64_t> FFileMemory;
    std::vector<bool> FAtRisk;
    int64_t FTotalBytes = 0;
    double FLastStartupTick = 0;
    static constexpr double StartupTickSeconds = 0.5;
    int64_t FBytesDone = 0;
    int FCachedIndex = 0;
    double FStartTime = 0;

    // Shared by the coordinating thread and the helpers, under FMutex. Each side is woken only by
    // news it can act on: the writer by the file it writes next (finished, or its progress), a helper
    // waiting to claim a file only when it can claim one (the writer began or ended writing a file,
    // another helper's claim left the next file claimable) or by the job's end.
    std::mutex FMutex;
    std::condition_variable FWriterWake;
    std::condition_variable FClaimWake;
    std::vector<std::unique_ptr<TFileSlot>> FSlots;
    int FNextClaim = 0;
    int FCommitted = 0;
    int FWriteStarted = 0; // FCommitted, or one more while the writer writes that file to disk
    int64_t FMemoryInFlight = 0;
    int64_t FMemoryBudget = 0;
    int FFilesAwaitingWrite = 0;
    std::atomic<int> FPeakFilesAwaitingWrite{0};
    bool FProgressDirty = false;
    double FResampleMs = 0, FCompressMs = 0;
    int FResampleCount = 0, FCompressCount = 0;
    float FCompressShare = 1.0f, FResampleShare = 0.0f;

    // The coordinating thread's private copies, handed over in SyncProgress.
    TBatchProcProgress FWork;
    TBitmap FWorkThumb;
    TRect FWorkThumbRect;
    bool FWorkThumbReady = false;

    // Read by the main thread.
    TBatchProcProgress FProgress;
    TBitmap FThumbnail;
    TRect FThumbRect;
    std::vector<std::string> FErrorLog;
};
