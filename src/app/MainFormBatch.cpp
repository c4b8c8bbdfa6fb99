// The main window's batch jobs: Batch Processing (files, options, the job and its progress window),
// the job list the status bar reads, the end of a job, and stopping every job when the program ends.
#include <QAction>
#include <QApplication>
#include <algorithm>

#include "app/FileDialogs.h"
#include "app/MainForm.h"
#include "app/RememberDialogFolder.h"
#include "batch/BatchProcess.h"
#include "batch/ui/BatchOptionsForm.h"
#include "batch/ui/BatchProgressForm.h"
#include "batch/ui/LogForm.h"
#include "common/CommLib.h"
#include "controls/FileDialog.h"
#include "formats/FileFormatList.h"
#include "formats/ui/PictureDialog.h"
#include "platform/MainThread.h"
#include "workspace/CompressionWorker.h"

namespace {

// A job that tells the main window when it has freed itself, so that the main window can wait for
// the last of its jobs before it goes.
class TMainBatchJob : public TBatchProcess
{
public:
    TMainBatchJob(std::vector<std::string> files, TJobEvent onWindowUpdate, TJobEvent onMainUpdate,
                  std::function<void()> onFreed)
        : TBatchProcess(std::move(files), std::move(onWindowUpdate), std::move(onMainUpdate)),
          FOnFreed(std::move(onFreed))
    {
    }
    ~TMainBatchJob() override
    {
        if (FOnFreed) FOnFreed();
    }

private:
    std::function<void()> FOnFreed;
};

} // namespace

void TMainForm::FileBatchProcActionExecute()
{
    if (Closing) return; // the program is waiting for its jobs to end
    // The picture open dialog in its several-files mode: a dialog of its own, so File > Open keeps its
    // title, single-file mode and last folder whatever happens here.
    TOpenPictureDialog dialog(this);
    dialog.setWindowTitle("Select multiple images...");
    dialog.SetFilters(OpenPictureFilters(FileFormatList()));
    dialog.SetInitialFolder(DialogFolders.OpenDir);
    dialog.SetDisplayOptions(DialogFolders.FileDialogOptions);
    dialog.SetRecentFolders(DialogFolders.RecentOpenDirs);
    dialog.SetMultipleSelection(true);
    if (!RunPictureDialog(dialog)) return;
    const std::vector<std::string> files = dialog.FileNames();
    if (files.empty()) return;
    RememberDialogFolder(DialogFolders, TPictureDialog::Open, ExtractFilePath(files.front()));

    TBatchOptionsForm options(this, ToQStringList(ProfileNames), ProfileDir(), files.front(), Settings.get());
    options.ChooseProfile = [this](const std::string& folder) { return ChooseProfileFile(folder); };
    options.OnHelp = OnHelp;
    options.SetBatchOptions(BatchOptions);
    const bool accepted = BatchOptionsRunner ? BatchOptionsRunner(options) : options.exec() == QDialog::Accepted;
    if (!accepted) return;
    BatchOptions = options.Options;

    // Without an owner, the progress window stays on the screen while the main window is minimised.
    auto* window = new TBatchProgressForm(nullptr);
    auto* job = new TMainBatchJob(files, TBatchProgressForm::UpdateHandler(window),
                                  [this](TBatchProcess* j) { BatchJobProgress(j); }, [this] { --FLiveBatchJobs; });
    ++FLiveBatchJobs;
    BatchJobList.push_back({job, window, windowState()});
    window->SetJob(job);
    window->MainWindowState = windowState();
    job->Options = BatchOptions;
    job->Prefs = {Prefs.ComprRatioMaxNumAppr, Prefs.ComprRatioMaxDiff, Prefs.ExtraOptimization,
                  Prefs.KeepOrigDatetime};
    job->ThumbBackground = window->palette().color(QPalette::Button).rgb() & 0xFFFFFF;
    job->OnTerminate = [this](TWorkerThread* ended) { BatchJobDone(static_cast<TBatchProcess*>(ended)); };
    job->SetNiceValue(ComprPriorityNice(Prefs.ComprPriority));
    job->Start();
    RepaintStatusBar();

    if (BatchOptions.MinimizeMain) showMinimized();
    window->ShowForJob(BatchOptions.RunForeground); // a foreground job returns when its window has closed
}

void TMainForm::BatchJobProgress(TBatchProcess*) { RepaintStatusBar(); }

void TMainForm::BatchJobDone(TBatchProcess* job)
{
    auto it = std::find_if(BatchJobList.begin(), BatchJobList.end(),
                           [job](const TBatchJobEntry& e) { return e.Job == job; });
    if (it == BatchJobList.end()) return;
    const TBatchJobEntry entry = *it;
    BatchJobList.erase(it);
    // The window forgets the job before anything else: the job frees itself after this handler, and
    // the window may be closed by the user from now on.
    if (entry.Window) entry.Window->ReleaseJob();
    if (!Closing && job->ErrorCount() > 0) {
        // The log comes before the main window is restored: owned by a minimised window, it could be
        // hidden with it while it waits for its OK.
        QWidget* owner = isMinimized() ? nullptr : this;
        if (BatchLogRunner)
            BatchLogRunner(owner, *job);
        else
            TLogForm::ShowLog(owner, *job);
    }
    setWindowState(entry.MainState);
    repaint();
    if (entry.Window) entry.Window->close();
    BatchJobProgress(job);
}

bool TMainForm::CloseBatchWindows()
{
    // The windows as they stand now: a question may be open while jobs end and leave the list.
    std::vector<QPointer<TBatchProgressForm>> windows;
    for (const TBatchJobEntry& e : BatchJobList) windows.push_back(e.Window);
    bool agreed = true;
    for (const QPointer<TBatchProgressForm>& window : windows) {
        if (!window) continue;
        // A running job's window refuses to close; it asked the user (once) whether to stop the job.
        if (!window->close() && window && !window->StopAsked()) agreed = false;
    }
    return agreed;
}

void TMainForm::WaitForBatchJobs()
{
    IMainThreadInvoker* invoker = MainThreadInvoker();
    while (FLiveBatchJobs > 0 && invoker) invoker->ProcessEvents(10);
}

void TMainForm::StopBatchJobs()
{
    for (const TBatchJobEntry& e : BatchJobList) e.Job->Terminate();
    WaitForBatchJobs();
}

int TMainForm::LastBatchPercent() const
{
    return BatchJobList.empty() ? -1 : BatchJobList.back().Job->Progress().TotalPercent;
}

bool TMainForm::LastBatchWindowVisible() const
{
    return !BatchJobList.empty() && BatchJobList.back().Window && BatchJobList.back().Window->isVisible();
}
