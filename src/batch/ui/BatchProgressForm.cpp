#include "batch/ui/BatchProgressForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <QWindow>

#include "batch/ui/BatchAnimation.h"
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "controls/BitmapImage.h"
#include "platform/Format.h"
#include "platform/MessageBox.h"

namespace {

constexpr int AnimationWidth = 380;
constexpr int AnimationHeight = 72;
constexpr int NameWidth = AnimationWidth - 40;

// Paints the animation's frame.
class TAnimationBox : public QWidget
{
public:
    explicit TAnimationBox(const TBatchAnimation& animation) : FAnimation(animation)
    {
        setFixedSize(animation.BoxSize());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, 0, FAnimation.Frame());
    }

private:
    const TBatchAnimation& FAnimation;
};

// A folder or file name that may be longer than its place: shortened in the middle, whole in the
// tool tip.
void SetNameText(QLabel* label, const std::string& text)
{
    const QString full = QString::fromStdString(text);
    label->setText(label->fontMetrics().elidedText(full, Qt::ElideMiddle, label->width()));
    label->setToolTip(full);
}

QLabel* NameLabel()
{
    auto* label = new QLabel;
    label->setFixedWidth(NameWidth);
    return label;
}

QProgressBar* Bar()
{
    auto* bar = new QProgressBar;
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setFixedHeight(14);
    return bar;
}

int Random(int bound) { return int(QRandomGenerator::global()->bounded(bound)); }

// A box of the program (any dialog but a progress window) on the screen.
bool IsBox(const QObject* object)
{
    const auto* dialog = qobject_cast<const QDialog*>(object);
    return dialog && dialog->isWindow() && !qobject_cast<const TBatchProgressForm*>(dialog);
}

// The progress windows stay on top of other programs' windows, never of the program's own boxes:
// while a box is on the screen (the error log at a job's end, a question) every progress window
// steps down from the top, and it goes back up once the last box has gone. Only the native window's
// flag changes; the widget is not re-created, so a modal progress window keeps running.
class TBoxesAboveProgress : public QObject
{
public:
    static void Watch()
    {
        static QPointer<TBoxesAboveProgress> watcher;
        if (!watcher) watcher = new TBoxesAboveProgress;
    }
    // Puts a progress window on top or under the boxes, as they are now.
    static void Place(TBatchProgressForm* form, const QWidget* leaving = nullptr)
    {
        QWindow* window = form->windowHandle();
        if (!window) return;
        bool boxShown = false;
        for (const QWidget* w : QApplication::topLevelWidgets())
            boxShown |= w != leaving && IsBox(w) && w->isVisible();
        Qt::WindowFlags flags = window->flags();
        flags.setFlag(Qt::WindowStaysOnTopHint, !boxShown);
        if (flags != window->flags()) window->setFlags(flags);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        // A box is told it shows before it reaches the screen, so it comes up above.
        if ((type == QEvent::Show || type == QEvent::Hide) && IsBox(watched)) {
            const auto* leaving = type == QEvent::Hide ? static_cast<const QWidget*>(watched) : nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* form = qobject_cast<TBatchProgressForm*>(w); form && form->isVisible())
                    Place(form, leaving);
        }
        return false;
    }

private:
    TBoxesAboveProgress() : QObject(qApp) { qApp->installEventFilter(this); }
};

} // namespace

TBatchProgressForm::TBatchProgressForm(QWidget* owner)
    : QDialog(owner), FAnimation(std::make_unique<TBatchAnimation>(QSize(AnimationWidth, AnimationHeight),
                                                                   palette().color(QPalette::Window)))
{
    setWindowTitle("Batch Processing...");
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    CounterLabel = new QLabel("N file(s) of XX");
    StageLabel = new QLabel("Processing...");
    StageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ElapsedLabel = new QLabel("0");
    EstimatedLabel = new QLabel("?");
    SrcFolderLabel = NameLabel();
    SrcNameLabel = NameLabel();
    DestFolderLabel = NameLabel();
    DestNameLabel = NameLabel();
    FileProgressBar = Bar();
    TotalProgressBar = Bar();
    AnimationBox = new TAnimationBox(*FAnimation);

    auto* counts = new QGridLayout;
    counts->addWidget(new QLabel("Processed:"), 0, 0);
    counts->addWidget(CounterLabel, 0, 1);
    counts->addWidget(StageLabel, 0, 2, 1, 2);
    counts->addWidget(new QLabel("Elapsed time:"), 1, 0);
    counts->addWidget(ElapsedLabel, 1, 1);
    counts->addWidget(new QLabel("Estimated time:"), 1, 2);
    counts->addWidget(EstimatedLabel, 1, 3);
    counts->setColumnStretch(1, 1);
    counts->setColumnStretch(3, 1);

    auto* names = new QGridLayout;
    names->setVerticalSpacing(0);
    names->addWidget(SrcFolderLabel, 0, 1);
    names->addWidget(SrcNameLabel, 1, 1);
    names->addWidget(new QLabel("-->"), 2, 0);
    names->addWidget(DestFolderLabel, 2, 1);
    names->addWidget(DestNameLabel, 3, 1);
    names->setColumnMinimumWidth(0, 30);

    auto* top = new QVBoxLayout(this);
    top->addLayout(counts);
    top->addLayout(names);
    top->addWidget(FileProgressBar);
    top->addWidget(TotalProgressBar);
    top->addWidget(AnimationBox, 0, Qt::AlignHCenter);
    top->setSizeConstraint(QLayout::SetFixedSize);
    DrawAnimation();
    TBoxesAboveProgress::Watch();
}

TBatchProgressForm::~TBatchProgressForm() = default;

TBatchProcess::TJobEvent TBatchProgressForm::UpdateHandler(TBatchProgressForm* form)
{
    QPointer<TBatchProgressForm> window(form);
    return [window](TBatchProcess* job) {
        if (window) window->UpdateBatchProgress(job);
    };
}

void TBatchProgressForm::ShowForJob(bool foreground)
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (foreground)
        exec();
    else
        show();
}

void TBatchProgressForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    TBoxesAboveProgress::Place(this); // a box may be open already
}

void TBatchProgressForm::UpdateBatchProgress(TBatchProcess* job)
{
    if (!job) return;
    const TBatchProcProgress& progress = job->Progress();
    if (progress.FileIndex == 0) { // the job is still reading its list: only the time goes on
        ElapsedLabel->setText(QString::fromStdString(FormatDuration(progress.ElapsedSec)));
        return;
    }
    TotalProgressBar->setValue(progress.TotalPercent);
    FileProgressBar->setValue(progress.FilePercent);
    const TRect& r = job->ThumbRect();
    const QRect thumbRect(r.Left, r.Top, r.Width(), r.Height());
    const bool visible = isVisible();
    if (progress.Stage == 3) {
        SetNameText(SrcFolderLabel, progress.SrcFolder);
        SetNameText(SrcNameLabel, progress.SrcName);
        SetNameText(DestFolderLabel, progress.DestFolder);
        SetNameText(DestNameLabel, progress.DestName);
        CounterLabel->setText(
            QString::fromStdString(Format("%d file(s) of %d", progress.FileIndex - 1, progress.FileCount)));
        if (visible) FAnimation->StartFlight(Random(8));
    } else if (progress.Stage == 4 && progress.FilePercent == 0) {
        CounterLabel->setText(QString::fromStdString(Format("%d file(s) of %d", progress.FileIndex, progress.FileCount)));
        EstimatedLabel->setText(QString::fromStdString(FormatDuration(progress.EstimatedSec)));
        if (visible) FAnimation->Land(BitmapAsQImage(job->Thumbnail()), thumbRect);
    }
    StageLabel->setText(QString(BatchStageName(progress.Stage)) + "...");
    ElapsedLabel->setText(QString::fromStdString(FormatDuration(progress.ElapsedSec)));
    if (visible) {
        FAnimation->DrawFrame(BitmapAsQImage(job->Thumbnail()), thumbRect, progress.FileProgress, Random(5));
        AnimationBox->update();
    }
}

void TBatchProgressForm::DrawAnimation()
{
    FAnimation->DrawFrame(QImage(), QRect(), 0.0, 0);
    AnimationBox->update();
}

void TBatchProgressForm::ReleaseJob()
{
    FJob = nullptr;
    if (FAsking) CurrentMessageBox().CloseQuestions(static_cast<QWidget*>(this));
}

void TBatchProgressForm::closeEvent(QCloseEvent* event)
{
    // A close asked for while the stop question is open (the job's end, which has closed the
    // question) is no new close: the window closes once the question has returned.
    if (JobDone()) {
        event->accept();
        return;
    }
    event->ignore();
    if (FAsked) return;
    QPointer<TBatchProgressForm> self(this);
    FAsking = true;
    const bool yes = AskYesNo(static_cast<QWidget*>(this), STerminateBatch);
    if (!self) return;
    FAsking = false;
    // A job that ended meanwhile took its question with it: a late Yes stops nothing.
    if (yes && FJob) {
        FAsked = true;
        FJob->Terminate();
    }
    if (JobDone()) event->accept();
}

void TBatchProgressForm::reject() { close(); }
