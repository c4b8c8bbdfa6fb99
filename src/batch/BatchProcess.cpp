#include "batch/BatchProcess.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>
#include <unistd.h>

#include "batch/BatchFileOrder.h"
#include "batch/BatchThumbnail.h"
#include "codec/JPEGImage.h"
#include "codec/ProfileFile.h"
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "formats/ImageFileInfo.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/ReplaceFile.h"
#include "platform/Round.h"
#include "resample/Resample.h"
#include "resample/ResizeTarget.h"

const char* BatchStageName(int stage) { return stage >= 0 && stage < 5 ? SBatchStageNames[stage] : ""; }

// What a helper thread made of one file, and the file's progress while it is worked on.
struct TBatchProcess::TFileSlot
{
    int Stage = 3;
    int Percent = 0;
    bool Loaded = false;   // the picture loaded: the file takes a number
    bool KeepsExt = false; // a JPEG source with a JPEG extension keeps it
    bool Processed = false;
    bool Dropped = false;  // stopped while in flight
    bool Failed = false;
    bool ProfileFailed = false;
    std::string Message;
    std::shared_ptr<TJPEGData> Data;
    double Modified = 0; // the source's modification date-time
    TBitmap Thumb;
    TRect ThumbRect;
    bool ThumbReady = false;
};

namespace {

std::string ExceptionText(std::exception_ptr e)
{
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& x) {
        return x.what();
    } catch (...) {
        return "Unknown error";
    }
}

int64_t FileSizeOnDisk(const std::string& name)
{
    TImageFileInfo info;
    info.FileName = name;
    ReadFileSizeAndTimes(info);
    return info.FileSize;
}

int64_t QuarterOfRam()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return int64_t(1) << 30;
    return int64_t(pages) * int64_t(pageSize) / 4;
}

} // namespace

TBatchProcess::TBatchProcess(std::vector<std::string> files, TJobEvent onWindowUpdate, TJobEvent onMainUpdate,
                             IMainThreadInvoker* invoker)
    : TWorkerThread(invoker), FFiles(std::move(files)), FOnWindowUpdate(std::move(onWindowUpdate)),
      FOnMainUpdate(std::move(onMainUpdate)), FThumbnail(BatchThumbnailSize, BatchThumbnailSize, TPixelFormat::pf24bit)
{
    FreeOnTerminate = true;
    FProgress.FileCount = FileCount();
    FWork.FileCount = FileCount();
}

TBatchProcess::~TBatchProcess() = default;

std::string TBatchProcess::ErrorLogText() const
{
    std::string text;
    for (const std::string& entry : FErrorLog) text += entry + "\r\n";
    return text;
}

double TBatchProcess::Now() const
{
    if (SecondsNow) return SecondsNow();
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool TBatchProcess::StartupGoesOn()
{
    if (Terminated()) return false;
    if (const double now = Now(); now - FLastStartupTick >= StartupTickSeconds) {
        FLastStartupTick = now;
        FWork.ElapsedSec = int(std::clamp<double>(Round(FLastStartupTick - FStartTime), 0, INT_MAX));
        HandOverProgress();
    }
    return !Terminated();
}

bool TBatchProcess::CollectFileSizes()
{
    FFileSizes.assign(FFiles.size(), 0);
    FFileMemory.assign(FFiles.size(), -1); // read from the file's header when it is claimed
    FTotalBytes = 0;
    for (size_t i = 0; i < FFiles.size(); ++i) {
        if (!StartupGoesOn()) return false; // a size may take long on a network share
        const int64_t size = std::max<int64_t>(0, FileSizeOf ? FileSizeOf(FFiles[i]) : FileSizeOnDisk(FFiles[i]));
        FFileSizes[i] = size;
        FTotalBytes += size;
    }
    return true;
}

int64_t TBatchProcess::BytesDoneThrough(int index)
{
    for (; FCachedIndex < index && FCachedIndex < int(FFileSizes.size()); ++FCachedIndex)
        FBytesDone += FFileSizes[size_t(FCachedIndex)];
    return FBytesDone == 0 ? INT64_MAX : FBytesDone;
}

int TBatchProcess::ChooseParallelFiles()
{
    int n = MaxParallel > 0 ? MaxParallel : std::min(8, int(std::max(1u, std::thread::hardware_concurrency())));
    n = std::max(1, std::min(n, FileCount()));
    if (n > 1) {
        // A target-ratio search starts from the previous file's result, so such a profile runs one
        // file at a time; a profile that cannot be read now is taken to be one.
        try {
            TJPEGImage probe;
            ReadProfileFile(probe, Options.ProfileFile);
            if (probe.ComprRatio > 0) n = 1;
        } catch (...) {
            n = 1;
        }
    }
    return n;
}

void TBatchProcess::Execute()
{
    // However the job ends, nothing more starts and every helper has ended before the job
    // is done (a helper in flight stops at its next stop point).
    std::vector<std::thread> helpers;
    struct TEndHelpers
    {
        TBatchProcess& Job;
        std::vector<std::thread>& Threads;
        ~TEndHelpers()
        {
            {
                std::lock_guard lock(Job.FMutex); // a helper about to wait sees it, or is woken
                Job.FStopping.store(true);
            }
            Job.FClaimWake.notify_all();
            for (std::thread& t : Threads) t.join();
            Job.FDone.store(true);
        }
    } endHelpers{*this, helpers};
    // Start-up: sizes and the files at risk, both stopping at once when asked to, while the
    // windows see the elapsed time go on.
    FStartTime = FLastStartupTick = Now();
    if (!CollectFileSizes()) return;
    FAtRisk = BatchSourcesAtRisk(FFiles, Options, [this] { return !StartupGoesOn(); });
    if (Terminated()) return;
    FMemoryBudget = MemoryBudget > 0 ? MemoryBudget : QuarterOfRam();
    FSlots.clear();
    FSlots.resize(FFiles.size()); // each file's slot is made when a helper claims it
    FParallel = FFiles.empty() ? 0 : ChooseParallelFiles();

    const bool oneImage = FParallel == 1;
    for (int h = 0; h < FParallel; ++h) helpers.emplace_back([this, oneImage] { Helper(oneImage); });

    std::unique_lock lock(FMutex);
    while (FCommitted < FileCount() && !Terminated()) {
        const TFileSlot* slot = FSlots[size_t(FCommitted)].get(); // none until a helper claims the file
        if (slot && slot->Processed) {
            lock.unlock();
            const bool goOn = CommitFile(FCommitted);
            lock.lock();
            if (!goOn) break;
            FMemoryInFlight -= FFileMemory[size_t(FCommitted)]; // as counted at its claim: it is set once
            FSlots[size_t(FCommitted)].reset(); // its data are written
            --FFilesAwaitingWrite;
            FWriteStarted = ++FCommitted;
            FProgressDirty = true;
            WakeHelperIfClaimable(lock); // its memory came free, a file not saved moved the look-ahead
            lock.lock();
        } else if (FProgressDirty) {
            FProgressDirty = false;
            lock.unlock();
            SyncProgress();
            lock.lock();
        } else {
            FWriterWake.wait_for(lock, std::chrono::milliseconds(100)); // a stop is looked at meanwhile
        }
    }
}

void TBatchProcess::Helper(bool carryImage)
{
    // One image for the whole job when files run one at a time (the ratio search's warm start goes
    // from file to file), else a fresh one per file, set up alike.
    std::unique_ptr<TJPEGImage> image;
    const auto newImage = [this] {
        auto img = std::make_unique<TJPEGImage>();
        img->ComprRatioMaxNumAppr = Prefs.ComprRatioMaxNumAppr;
        img->ComprRatioMaxDiff = Prefs.ComprRatioMaxDiff;
        img->OptimizeCoding = Prefs.ExtraOptimization;
        return img;
    };
    const int resampleThreads = carryImage ? 0 : 1;
    for (;;) {
        const int index = ClaimFile();
        if (index < 0) return;
        try {
            if (!image || !carryImage) image = newImage();
            TPicture picture;
            ProcessFile(index, *image, picture, resampleThreads);
        } catch (...) { // the file's own failures are caught inside; this is only what setting up raised
            FSlots[size_t(index)]->Failed = true;
            FSlots[size_t(index)]->Message = ExceptionText(std::current_exception());
        }
        std::unique_lock lock(FMutex);
        FSlots[size_t(index)]->Processed = true;
        if (++FFilesAwaitingWrite > FPeakFilesAwaitingWrite.load()) FPeakFilesAwaitingWrite.store(FFilesAwaitingWrite);
        if (index == FCommitted) { // the writer waits for this one; a later one it finds in its turn
            FProgressDirty = true;
            lock.unlock();
            FWriterWake.notify_one();
        }
    }
}

bool TBatchProcess::MayClaim(int i) const
{
    // A file's memory counts until the file is written, and helpers run only a few files ahead of
    // the writer: what waits to be written never grows with the list. The look-ahead moves on when
    // the writer starts writing a file, so the helper it lets go works while that file goes to disk,
    // not while the writer hands its progress to the windows.
    const bool readable = !FAtRisk[size_t(i)] || FCommitted >= i;
    const bool near = i < FWriteStarted + LookAheadFiles() - 1;
    const bool fits = FMemoryInFlight == 0 || FMemoryInFlight + FFileMemory[size_t(i)] <= FMemoryBudget;
    return readable && near && fits;
}

int TBatchProcess::ClaimFile()
{
    std::unique_lock lock(FMutex);
    for (;;) {
        if (FStopping.load() || Terminated() || FNextClaim >= FileCount()) return -1;
        const int i = FNextClaim;
        if (FFileMemory[size_t(i)] < 0) { // its header is read outside the lock
            lock.unlock();
            const std::string& name = FFiles[size_t(i)];
            const int64_t bytes = FileMemoryOf ? FileMemoryOf(name, FFileSizes[size_t(i)])
                                               : EstimateBatchFileMemory(name, FFileSizes[size_t(i)]);
            lock.lock();
            // Two helpers may read it at once: the first value stands, as the file may have been
            // claimed with it already (and a source may change between two reads); the writer takes
            // away what the claim added.
            if (FFileMemory[size_t(i)] < 0) FFileMemory[size_t(i)] = bytes;
            continue;
        }
        if (MayClaim(i)) break;
        FClaimWake.wait(lock);
    }
    const int index = FNextClaim++;
    FSlots[size_t(index)] = std::make_unique<TFileSlot>();
    FMemoryInFlight += FFileMemory[size_t(index)];
    // Pass the turn on: at the end of the list every waiting helper leaves; otherwise one more is
    // woken when the next file can be claimed now.
    if (FNextClaim >= FileCount()) {
        lock.unlock();
        FClaimWake.notify_all();
    } else {
        WakeHelperIfClaimable(lock);
    }
    return index;
}

bool TBatchProcess::NextFileClaimable() const
{
    return FNextClaim < FileCount() && (FFileMemory[size_t(FNextClaim)] < 0 || MayClaim(FNextClaim));
}

void TBatchProcess::WakeHelperIfClaimable(std::unique_lock<std::mutex>& lock)
{
    // Every waiting helper waits for the same file, so one is enough; woken with the lock free, it
    // does not wait for the lock at once.
    const bool wake = NextFileClaimable();
    lock.unlock();
    if (wake) FClaimWake.notify_one();
}

void TBatchProcess::Report(int index, int stage, int percent)
{
    std::unique_lock lock(FMutex);
    TFileSlot& slot = *FSlots[size_t(index)];
    slot.Stage = stage;
    slot.Percent = percent;
    if (index == FCommitted) { // only the file being written is shown
        FProgressDirty = true;
        lock.unlock();
        FWriterWake.notify_one();
    }
}

void TBatchProcess::ProcessFile(int index, TJPEGImage& image, TPicture& picture, int resampleThreads)
{
    TFileSlot& slot = *FSlots[size_t(index)];
    const std::string& src = FFiles[size_t(index)];
    int stage = 3;
    const auto stopPoint = [this] {
        if (Terminated() || FStopping.load()) throw EAbort();
    };
    image.OnProgress = [&](TGraphic*, TProgressStage, int percent, bool, const TRect&, const std::string&) {
        stopPoint();
        Report(index, stage, percent);
    };
    try {
        stopPoint();
        Report(index, stage, 0);
        TImageFileInfo info;
        LoadPicture(picture, src, false, 0, 0, info);
        if (auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic())) {
            image.Assign(*jpeg);
            slot.KeepsExt = BatchKeepsJpegExtension(src);
        } else {
            const TBitmap* bitmap = picture.Graphic() ? picture.Graphic()->GetBitmap() : nullptr;
            if (!bitmap || bitmap->Empty()) throw Exception(EmptyPictureText);
            image.Assign(*bitmap);
        }
        slot.Modified = info.Modified;
        {
            std::lock_guard lock(FMutex);
            slot.Loaded = true;
        }
        Report(index, stage, 100);

        stage = 1;
        picture.SetGraphic(nullptr);
        Report(index, stage, 0);
        const TBitmap* decoded = image.EnsureBitmap();
        if (!decoded || decoded->Empty()) throw EInvalidGraphic(EmptyPictureText);
        {
            TBitmap thumb;
            TRect rect;
            DrawBatchThumbnail(thumb, rect, decoded, ThumbBackground);
            std::lock_guard lock(FMutex);
            slot.Thumb = std::move(thumb);
            slot.ThumbRect = rect;
            slot.ThumbReady = true;
        }

        try {
            ReadProfileFile(image, Options.ProfileFile);
        } catch (...) {
            slot.ProfileFailed = true;
            throw;
        }

        if (!ResizeIsNoOp(image.ResamplingOptions, image.Width(), image.Height())) {
            {
                std::lock_guard lock(FMutex);
                if (FResampleCount == 0 && FResampleMs == 0) FCompressShare = FResampleShare = 0.5f;
            }
            stopPoint();
            std::unique_ptr<TBitmap> target =
                CreateResizedBitmap(image.ResamplingOptions, image.Width(), image.Height());
            stage = 2;
            Report(index, stage, 0);
            const double t0 = Now();
            Resample(*image.Bitmap, *target, image.ResamplingOptions.Method, 256,
                     [&](float fraction) {
                         stopPoint();
                         Report(index, stage, int(Round(double(fraction) * 100.0)));
                     },
                     resampleThreads);
            image.Assign(*target);
            std::lock_guard lock(FMutex);
            FResampleMs += (Now() - t0) * 1000.0;
            ++FResampleCount;
        }

        stopPoint();
        stage = 0;
        Report(index, stage, 0);
        const double t0 = Now();
        const std::shared_ptr<TJPEGData> before = image.Data;
        image.EncodeError.clear(); // an earlier file's failure is not this one's
        image.CompressImage();
        stopPoint(); // a cancelled compress leaves nothing to save
        // A compress that made no new data failed, whatever it left in the image: an empty stream,
        // or the data from before (for a JPEG source the unprocessed file).
        if (image.Data == before || image.GetJpegDataSize() <= 0)
            throw EInvalidGraphicOperation(image.EncodeError.empty() ? std::string("The image could not be compressed")
                                                                     : image.EncodeError);
        slot.Data = image.Data;
        // The encoder's stream grows in large steps: what waits for the writer holds only its bytes.
        slot.Data->Data->Data().shrink_to_fit();
        image.FreeBitmap();
        std::lock_guard lock(FMutex);
        FCompressMs += std::max(1.0, (Now() - t0) * 1000.0);
        ++FCompressCount;
        const double r = FResampleCount ? FResampleMs / FResampleCount : 0.0;
        const double c = FCompressMs / FCompressCount;
        FCompressShare = float(c / (r + c));
        FResampleShare = 1.0f - FCompressShare;
    } catch (const EAbort&) {
        slot.Dropped = true;
    } catch (...) {
        slot.Failed = true;
        slot.Message = ExceptionText(std::current_exception());
    }
    image.OnProgress = nullptr;
    picture.SetGraphic(nullptr);
    // The image's picture and encoded data belong to this file only.
    image.FreeBitmap();
    if (!slot.Data) image.Data = std::make_shared<TJPEGData>();
}

bool TBatchProcess::CommitFile(int index)
{
    TFileSlot& slot = *FSlots[size_t(index)];
    if (slot.Dropped) return false;
    if (FWork.FileIndex != index + 1) SyncProgress(); // the windows see each file begin
    const std::string& src = FFiles[size_t(index)];
    Options.ForceJpgExt = !slot.Loaded || !slot.KeepsExt;
    const std::string dest = MakeBatchFileName(src, Options);
    bool goOn = true;
    if (slot.Failed)
        AddLog(slot.ProfileFailed ? Options.ProfileFile : Format("%s  [ --> %s]", src.c_str(), dest.c_str()),
               slot.Message);
    else
        goOn = SaveFile(index, dest);
    // The numbers move on once the file's own name has been shown and written.
    if (slot.Loaded) {
        ++Options.PrefixN;
        ++Options.SuffixN;
    }
    return goOn;
}

bool TBatchProcess::SaveFile(int index, const std::string& dest)
{
    const TFileSlot& slot = *FSlots[size_t(index)];
    const std::string& src = FFiles[size_t(index)];
    Report(index, 4, 0);
    SyncProgress();
    if (Terminated()) return false;
    try {
        TMemoryStream* data = slot.Data->Data.get();
        std::optional<time_t> date;
        if (Prefs.KeepOrigDatetime) date = UnixFromLocalDateTime(slot.Modified);
        {
            std::unique_lock lock(FMutex);
            FWriteStarted = index + 1;
            WakeHelperIfClaimable(lock);
        }
        SaveFileReplacing(dest, data->Memory(), size_t(data->Size()), date);
    } catch (...) {
        AddLog(Format("[%s --> ]  %s", src.c_str(), dest.c_str()), ExceptionText(std::current_exception()));
        return true;
    }
    Report(index, 4, 100);
    SyncProgress();
    return true;
}

void TBatchProcess::AddLog(const std::string& line, const std::string& message)
{
    FErrorLog.push_back(line + "\r\n" + message);
}

void TBatchProcess::SyncProgress()
{
    if (FFiles.empty()) return;
    {
        std::lock_guard lock(FMutex);
        const int index = std::min(FCommitted, FileCount() - 1);
        const TFileSlot* slot = FSlots[size_t(index)].get();
        if (!slot) return;
        const std::string& src = FFiles[size_t(index)];
        TBatchProcOptions naming = Options;
        naming.ForceJpgExt = !slot->Loaded || !slot->KeepsExt;
        const std::string dest = MakeBatchFileName(src, naming);
        const int elapsed = int(std::clamp<double>(Round(Now() - FStartTime), 0, INT_MAX));
        // The windows learn of a new file by its loading stage (names, counter, the flight), so each
        // file is shown loading first, however far its work has gone meanwhile.
        const bool newFile = FWork.FileIndex != index + 1;
        if (newFile) {
            FWork.FileIndex = index + 1;
            FWork.FileStartSec = elapsed;
            FWorkThumbReady = false;
            FProgressDirty = true; // its present stage follows
        }
        FWork.ElapsedSec = elapsed;
        const double estimate = double(FTotalBytes) / double(BytesDoneThrough(index + 1)) * elapsed;
        FWork.EstimatedSec = int(std::clamp<double>(Round(estimate), 0, INT_MAX));
        FWork.Stage = uint8_t(newFile ? 3 : slot->Stage);
        FWork.FilePercent = newFile ? 0 : slot->Percent;
        switch (FWork.Stage) {
        case 0: FWork.FileProgress = float(FWork.FilePercent * FCompressShare * 0.01 + FResampleShare); break;
        case 2: FWork.FileProgress = float(FWork.FilePercent * FResampleShare * 0.01); break;
        case 4: FWork.FileProgress = 1.0f; break;
        default: FWork.FileProgress = 0.0f;
        }
        const double total = (double(index) / FileCount() + FWork.FileProgress / double(FileCount())) * 100.0;
        FWork.TotalPercent = std::max(FWork.TotalPercent, int(std::clamp<double>(Round(total), 0, 100)));
        FWork.SrcName = ExtractFileName(src);
        FWork.SrcFolder = ExtractFilePath(src);
        FWork.DestName = ExtractFileName(dest);
        FWork.DestFolder = ExtractFilePath(dest);
        if (slot->ThumbReady && !FWorkThumbReady && !newFile) {
            FWorkThumb = slot->Thumb;
            FWorkThumbRect = slot->ThumbRect;
            FWorkThumbReady = true;
        }
    }
    HandOverProgress();
}

void TBatchProcess::HandOverProgress()
{
    const bool thumbReady = FWorkThumbReady;
    try {
        Synchronize([&] {
            FProgress = FWork;
            if (thumbReady) {
                FThumbnail = FWorkThumb;
                FThumbRect = FWorkThumbRect;
            } else {
                DrawBatchThumbnail(FThumbnail, FThumbRect, nullptr, ThumbBackground);
            }
            if (FOnWindowUpdate) FOnWindowUpdate(this);
            if (FOnMainUpdate) FOnMainUpdate(this);
        });
    } catch (...) {
        // A window that fails to show the progress does not end the job.
    }
}
