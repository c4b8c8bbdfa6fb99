#pragma once
// The progress window of one batch job, captioned "Batch Processing...": it stays on top and shows the
// job's stage, the current source and output file, the file and total progress, the counts, the
// elapsed and estimated times and the flight of the current picture from folder to folder. It is
// modal for a foreground job and modeless otherwise, and it asks before it stops a running job.
// The program's own boxes (the error log, a question) come above it: while one is open, the progress
// windows give up their place on top.
//
// The window does not own its job. The job reaches the window only through UpdateHandler, which
// holds the window by a guarded pointer, so a window the user has closed is never called; the main
// window's end handler calls ReleaseJob before the job frees itself.
#include <QDialog>
#include <memory>

#include "batch/BatchProcess.h"

class QLabel;
class QProgressBar;
class TBatchAnimation;

class TBatchProgressForm : public QDialog
{
    Q_OBJECT
public:
    explicit TBatchProgressForm(QWidget* owner = nullptr);
    ~TBatchProgressForm() override;

    // The job shown (not owned); nullptr once the job has ended.
    TBatchProcess* Job() const { return FJob; }
    void SetJob(TBatchProcess* job) { FJob = job; }
    // The job is about to free itself: the window forgets it and may close. A stop question still
    // open is closed (its answer no longer matters), so none stays over a finished job.
    void ReleaseJob();
    // The main window's state when the job started, restored by the main window when it ends.
    Qt::WindowStates MainWindowState;

    // Shows the window: modally for a foreground job (returns when it has closed and it is freed),
    // else modelessly (returns at once). The window frees itself when it closes.
    void ShowForJob(bool foreground);

    // The job's window handler: the job's progress record to the controls (main thread).
    void UpdateBatchProgress(TBatchProcess* job);
    // The handler to give the job's constructor: calls UpdateBatchProgress while the window exists.
    static TBatchProcess::TJobEvent UpdateHandler(TBatchProgressForm* form);

    // True once the user has answered Yes to the stop question.
    bool StopAsked() const { return FAsked; }
    const TBatchAnimation& Animation() const { return *FAnimation; }

    QLabel* CounterLabel;
    QLabel* StageLabel;
    QLabel* ElapsedLabel;
    QLabel* EstimatedLabel;
    QLabel* SrcFolderLabel;
    QLabel* SrcNameLabel;
    QLabel* DestFolderLabel;
    QLabel* DestNameLabel;
    QProgressBar* FileProgressBar;
    QProgressBar* TotalProgressBar;
    QWidget* AnimationBox;

public slots:
    // Esc goes through the close query too.
    void reject() override;

protected:
    // The close query: a running job is stopped only after the user agreed.
    void closeEvent(QCloseEvent* event) override;
    // On top, unless one of the program's boxes is open: the boxes stay above it.
    void showEvent(QShowEvent* event) override;

private:
    bool JobDone() const { return !FJob || FJob->GetDone(); }
    void DrawAnimation();

    TBatchProcess* FJob = nullptr;
    std::unique_ptr<TBatchAnimation> FAnimation;
    bool FAsked = false;
    bool FAsking = false; // the stop question is open
};
