#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>

#include "batch/BatchTestKit.h"
#include "batch/ui/BatchAnimation.h"
#include "batch/ui/BatchProgressForm.h"
#include "batch/ui/LogForm.h"
#include "app/QtMessageBox.h"
#include "common/StrRes.h"
#include "platform/MessageBox.h"
#include "support/GuiTestApp.h"

namespace {

// Frees what deleteLater left, as the event loop would.
void ServeDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// ---- The flight ----

TEST(BatchAnimation, FlightRisesToTheTopHalfWayAndComesDownAtBothEnds)
{
    // travelX 340, baseY 45: x = 340 p rounded + 3; y worked out by hand from the curve.
    struct { double P; int X, Y; } const cases[] = {
        {0.0, 3, 45},    // (0.4 x 30 x 2.5) + (0.1 x 150)
        {0.25, 88, 11},  // 0.15 x 30 x 2.5 = 11.25
        {0.4, 139, 0},
        {0.5, 173, 0},
        {0.6, 207, 0},
        {0.75, 258, 11},
        {1.0, 343, 45},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TBatchAnimation::FlightOffset(c.P, 340, 45), QPoint(c.X, c.Y)) << c.P;
}

QImage Filled(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

TEST(BatchAnimation, FrameCopiesThePicturesRectangleAlongItsWay)
{
    EnsureGuiTestApp();
    const QColor face(192, 192, 192), red(255, 0, 0);
    TBatchAnimation animation({380, 72}, face);
    animation.StartFlight(0);
    EXPECT_EQ(animation.TravelX(), 340);
    EXPECT_EQ(animation.BaseY(), 72 - TBatchAnimation::FolderHeight + 5);
    QImage thumb = Filled({30, 30}, QColor(0, 255, 0));
    const QRect rect(1, 1, 28, 28);
    for (int y = 1; y < 29; ++y)
        for (int x = 1; x < 29; ++x) thumb.setPixel(x, y, red.rgb());
    animation.DrawFrame(thumb, rect, 0.25, 0);
    const QImage& frame = animation.Frame();
    // At p = 0.25 the rectangle is moved by (88, 11): it covers (89, 12) to (116, 39), and only it.
    EXPECT_EQ(QColor(frame.pixel(89, 12)), red);
    EXPECT_EQ(QColor(frame.pixel(116, 39)), red);
    EXPECT_EQ(QColor(frame.pixel(88, 12)), face);
    EXPECT_EQ(QColor(frame.pixel(117, 39)), face);
    EXPECT_EQ(QColor(frame.pixel(89, 40)), face);
    EXPECT_FALSE(animation.Dropped());
    // Past half-way it comes down at the bottom: 72 - 29 - 5 + 3.
    animation.DrawFrame(thumb, rect, 0.5, 3);
    EXPECT_TRUE(animation.Dropped());
    EXPECT_EQ(animation.BaseY(), 41);
}

// Under the logo the picture is ORed with it; elsewhere it is copied.
TEST(BatchAnimation, LogoIsOredOverThePicture)
{
    EnsureGuiTestApp();
    const QColor face(192, 192, 192);
    TBatchAnimation animation({380, 72}, face);
    animation.StartFlight(0);
    const QRgb navy = qRgb(0, 0, 128);
    const QImage thumb = Filled({30, 30}, QColor(navy));
    animation.DrawFrame(thumb, QRect(1, 1, 28, 28), 0.5, 0); // at (174, 1) to (201, 28)
    int ored = 0, copied = 0;
    for (int y = 1; y < 29; ++y)
        for (int x = 174; x < 202; ++x) {
            const QRgb got = animation.Frame().pixel(x, y);
            const QRgb orOfBoth = navy | animation.Background().pixel(x, y);
            if (got == orOfBoth && got != navy)
                ++ored;
            else if (got == navy)
                ++copied;
            else
                ADD_FAILURE() << x << "," << y;
        }
    EXPECT_GT(ored, 0);
    EXPECT_GT(copied, 0);
}

TEST(BatchAnimation, LandingStaysInTheBackgroundAndEveryDrawingIsClipped)
{
    EnsureGuiTestApp();
    const QColor face(192, 192, 192), blue(0, 0, 255);
    TBatchAnimation animation({380, 72}, face);
    animation.StartFlight(7); // travel 347
    const QImage thumb = Filled({30, 30}, blue);
    animation.Land(thumb, QRect(1, 1, 28, 28)); // at (351, 46): its lower part passes the bottom edge
    EXPECT_EQ(QColor(animation.Background().pixel(351, 71)), blue);
    EXPECT_EQ(QColor(animation.Background().pixel(350, 60)).rgb() == blue.rgb(), false);

    // A box smaller than the picture: no negative travel, nothing drawn outside.
    TBatchAnimation tiny({20, 10}, face);
    tiny.StartFlight(0);
    EXPECT_EQ(tiny.TravelX(), 0);
    for (double p : {0.0, 0.3, 0.5, 0.95, 1.0}) tiny.DrawFrame(thumb, QRect(-4, -4, 60, 60), p, 4);
    tiny.Land(thumb, QRect(-4, -4, 60, 60));
    EXPECT_EQ(tiny.Frame().size(), QSize(20, 10));
    TBatchAnimation none({0, 0}, face);
    none.StartFlight(3);
    none.DrawFrame(thumb, QRect(1, 1, 28, 28), 0.7, 2);
    EXPECT_EQ(none.TravelX(), 0);
}

// ---- The close query ----

struct TProgressFixture : ::testing::Test
{
    TQueueInvoker Invoker;
    // Never started: running until the test releases it.
    TBatchProcess Job{{"/nowhere/a.bmp"}, {}, {}, &Invoker};
    QPointer<TBatchProgressForm> Guard; // the window of NewForm, while it exists
    void SetUp() override { EnsureGuiTestApp(); }
    TBatchProgressForm* NewForm()
    {
        auto* form = new TBatchProgressForm;
        Guard = form;
        form->SetJob(&Job);
        return form;
    }
};

TEST_F(TProgressFixture, CloseQueryAsksUntilYesThenRefusesSilentlyUntilTheJobEnds)
{
    TRecordingMessageBox box;
    TScopedMessageBox scope(&box);
    auto* form = NewForm();
    form->ShowForJob(false);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form->isModal());
    // answer given (0: none expected), questions so far, terminated, still open
    struct { int Answer; size_t Questions; bool Terminated; } const steps[] = {
        {mrNo, 1, false},
        {mrNo, 2, false}, // No asks again at the next attempt
        {mrYes, 3, true},
        {0, 3, true},     // after Yes: refused without a question
        {0, 3, true},
    };
    for (const auto& s : steps) {
        if (s.Answer) box.Answer(s.Answer);
        EXPECT_FALSE(form->close());
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(box.Calls().size(), s.Questions);
        EXPECT_EQ(Job.Terminated(), s.Terminated);
    }
    for (const auto& call : box.Calls()) {
        EXPECT_EQ(call.Kind, TMsgKind::mkYesNo);
        EXPECT_EQ(call.Text, "Terminate batch processing ?");
    }
    EXPECT_TRUE(form->StopAsked());
    // The job ends: the window closes and frees itself.
    form->ReleaseJob();
    EXPECT_TRUE(form->close());
    ServeDeferredDeletes();
    EXPECT_TRUE(Guard.isNull());
    EXPECT_EQ(box.Calls().size(), 3u);
}

// The job ends while the question is open: its end handler releases the job, which closes the
// question before anything else (the log) shows, and then closes the window. That close waits for
// the question to return; a Yes that comes late stops nothing, and the window closes.
TEST_F(TProgressFixture, JobEndingDuringTheQuestionClosesTheQuestion)
{
    struct TEndsWhileAsking : IMessageBox
    {
        std::function<void()> During;
        int Asked = 0;
        std::vector<TWindowHandle> Closed; // owners whose questions were closed
        int Show(TWindowHandle, TMsgKind, const std::string&, const std::string&) override
        {
            ++Asked;
            During();
            return mrYes;
        }
        TCheckAnswer ShowCheck(TWindowHandle, const TCheckMessage&) override { return {mrNo, false}; }
        void CloseQuestions(TWindowHandle owner) override { Closed.push_back(owner); }
    } box;
    TScopedMessageBox scope(&box);
    auto* form = NewForm();
    form->ShowForJob(false);
    bool closedOnRelease = false, visibleAfterNestedClose = false;
    box.During = [&] {
        form->ReleaseJob();
        closedOnRelease = box.Closed == std::vector<TWindowHandle>{static_cast<QWidget*>(form)};
        form->close();
        visibleAfterNestedClose = !Guard.isNull() && form->isVisible();
    };
    form->close();
    EXPECT_EQ(box.Asked, 1);
    EXPECT_TRUE(closedOnRelease);
    EXPECT_TRUE(visibleAfterNestedClose);
    EXPECT_FALSE(Job.Terminated());
    EXPECT_FALSE(form->StopAsked());
    ASSERT_FALSE(Guard.isNull());
    EXPECT_FALSE(form->isVisible());
    ServeDeferredDeletes();
    EXPECT_TRUE(Guard.isNull());
    // A job released with no question open closes none.
    form = NewForm();
    form->ReleaseJob();
    EXPECT_EQ(box.Closed.size(), 1u);
    delete form;
}

// The same on the screen: the question box is gone when the end handler goes on to the log, and
// a question of another window stays.
TEST_F(TProgressFixture, TheScreensQuestionGoesWithTheJob)
{
    TQtMessageBox qtBox;
    TScopedMessageBox scope(&qtBox);
    auto* form = NewForm();
    form->ShowForJob(false);
    auto openQuestions = [] {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<QMessageBox*>(w) && w->isVisible();
        return n;
    };
    int openBefore = -1, openAfter = -1, otherAnswer = 0;
    QTimer::singleShot(0, [&] {
        // A question of another window, open over the stop question.
        QTimer::singleShot(0, [&] {
            openBefore = openQuestions();
            form->ReleaseJob();
            openAfter = openQuestions();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* other = qobject_cast<QMessageBox*>(w); other && other->isVisible()) other->reject();
        });
        QWidget elsewhere;
        otherAnswer = qtBox.Show(&elsewhere, TMsgKind::mkYesNoCancel, "Quillmark", "Other?");
    });
    EXPECT_TRUE(form->close()); // the job has ended by the time the question returns
    EXPECT_EQ(openBefore, 2);
    EXPECT_EQ(openAfter, 1);
    EXPECT_EQ(otherAnswer, mrCancel);
    EXPECT_FALSE(Job.Terminated());
    ServeDeferredDeletes();
    EXPECT_TRUE(Guard.isNull());
}

TEST_F(TProgressFixture, ForegroundWindowIsModalAndReturnsWhenClosed)
{
    TRecordingMessageBox box;
    TScopedMessageBox scope(&box);
    auto* form = NewForm();
    bool wasModal = false, escRefused = false;
    QTimer::singleShot(0, [&] {
        wasModal = form->isModal() && form->isVisible();
        box.Answer(mrNo);
        form->reject(); // Esc goes through the close query
        escRefused = form->isVisible();
        form->ReleaseJob();
        form->close();
    });
    form->ShowForJob(true);
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(escRefused);
    EXPECT_TRUE(Guard.isNull()); // freed when it returned
    EXPECT_EQ(box.Calls().size(), 1u);
}

// The window stays on top, yet not over the program's own boxes while one is open: a question, the
// error log.
TEST_F(TProgressFixture, TheProgramsBoxesComeAboveTheWindowWhileTheyAreOpen)
{
    auto onTop = [](QWidget* w) { return bool(w->windowHandle()->flags() & Qt::WindowStaysOnTopHint); };
    auto* form = NewForm();
    form->ShowForJob(false);
    {
        QMessageBox question(QMessageBox::Question, "Quillmark", "Close?");
        TLogForm log(nullptr, Job);
        question.show();
        log.show();
        question.hide();
        EXPECT_FALSE(onTop(form)); // the log is still open
    }
    EXPECT_TRUE(onTop(form)); // the log was destroyed while open
    form->ReleaseJob();
    form->close();
    ServeDeferredDeletes();

    // A foreground job's modal window steps down as well, and keeps running.
    form = NewForm();
    bool underLog = false;
    QTimer::singleShot(0, [&] {
        TLogForm log(nullptr, Job);
        log.show();
        underLog = !onTop(form) && form->isVisible() && QApplication::activeModalWidget() == form;
        form->ReleaseJob();
        form->close();
    });
    form->ShowForJob(true);
    EXPECT_TRUE(underLog);
}

TEST_F(TProgressFixture, HandlerOfAClosedWindowDoesNothing)
{
    auto* form = new TBatchProgressForm;
    auto handler = TBatchProgressForm::UpdateHandler(form);
    handler(&Job); // a record before the first file: the time goes on, no count of -1 files
    EXPECT_EQ(form->ElapsedLabel->text().toStdString(), "0 sec");
    EXPECT_EQ(form->CounterLabel->text().toStdString(), "N file(s) of XX");
    delete form;
    handler(&Job); // must not reach the freed window
}

// ---- A real job ----

struct TRealJob : ::testing::Test
{
    TTempFolder Scratch;
    std::string Root = Scratch.Path();
    std::vector<std::string> Files;
    void SetUp() override
    {
        EnsureGuiInvoker();
        fs::create_directory(Root + "/out");
        WriteJpeg(Root + "/a.jpg", TestPicture(96, 64, 1));
        std::ofstream(Root + "/bad.bmp") << "this is text, not a bitmap";
        WriteJpeg(Root + "/c.jpg", TestPicture(64, 96, 2));
        WriteProfile(Root + "/q.qmp", 60);
        Files = {Root + "/a.jpg", Root + "/bad.bmp", Root + "/c.jpg"};
    }

    // after runs as the main window's handler, once the window has taken each update.
    TBatchProcess* Start(TBatchProgressForm* form, TBatchProcess::TJobEvent after)
    {
        auto* job = new TBatchProcess(Files, TBatchProgressForm::UpdateHandler(form), after);
        job->FreeOnTerminate = false;
        job->MaxParallel = 1;
        job->Options.ProfileFile = Root + "/q.qmp";
        job->Options.DestFolder = Root + "/out/";
        form->SetJob(job);
        job->Start();
        return job;
    }
};

TEST_F(TRealJob, WindowFollowsTheJobToItsEnd)
{
    auto* form = new TBatchProgressForm;
    QPointer<TBatchProgressForm> guard(form);
    form->ShowForJob(false);
    const QImage backgroundBefore = form->Animation().Background().copy();
    // While a file loads, a white patch flies in its place, not the picture before it: 25 wide from 3
    // pixels right of the left folder's corner, down to the folder's cover 12 rows below.
    int lastLoading = 0;
    TBatchProcess* job = Start(form, [&](TBatchProcess* j) {
        if (j->Progress().Stage != 3 || !form->isVisible()) return;
        lastLoading = j->Progress().FileIndex;
        const QImage& frame = form->Animation().Frame();
        const int top = form->Animation().BaseY();
        EXPECT_EQ(frame.pixel(30, top + 11), qRgb(255, 255, 255)) << lastLoading;
        EXPECT_NE(frame.pixel(31, top + 8), qRgb(255, 255, 255));
    });
    ASSERT_TRUE(PumpUntil([&] { return job->Finished(); }));
    form->ReleaseJob();
    EXPECT_EQ(lastLoading, 3);
    EXPECT_EQ(form->CounterLabel->text().toStdString(), "3 file(s) of 3");
    EXPECT_EQ(form->StageLabel->text().toStdString(), "Saving...");
    EXPECT_EQ(form->TotalProgressBar->value(), 100);
    EXPECT_EQ(form->SrcNameLabel->text().toStdString(), "c.jpg");
    EXPECT_EQ(form->SrcFolderLabel->toolTip().toStdString(), Root + "/");
    EXPECT_EQ(form->DestFolderLabel->toolTip().toStdString(), Root + "/out/");
    EXPECT_EQ(form->DestNameLabel->text().toStdString(), "c.jpg");
    EXPECT_NE(form->EstimatedLabel->text().toStdString(), "?");
    EXPECT_NE(form->Animation().Background(), backgroundBefore); // the saved pictures landed
    EXPECT_TRUE(fs::exists(Root + "/out/a.jpg"));
    EXPECT_TRUE(form->close());
    ServeDeferredDeletes();
    EXPECT_TRUE(guard.isNull());

    // The log of the job: one failed file of three.
    TLogForm log(nullptr, *job);
    EXPECT_EQ(log.windowTitle().toStdString(), "Quillmark");
    EXPECT_EQ(log.CaptionLabel->text().toStdString(),
              "1 errors encountered during batch processing.\nSuccessfully processed 2 image(s) of 3");
    const QStringList lines = log.LogMemo->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0].toStdString(), Root + "/bad.bmp  [ --> " + Root + "/out/bad.jpg]");
    EXPECT_FALSE(lines[1].isEmpty());
    EXPECT_TRUE(log.LogMemo->isReadOnly());
    delete job;
}

TEST(LogForm, SummaryKeepsItsWording)
{
    struct { int Errors, Files; const char* Text; } const cases[] = {
        {1, 3, "1 errors encountered during batch processing.\nSuccessfully processed 2 image(s) of 3"},
        {4, 4, "4 errors encountered during batch processing.\nSuccessfully processed 0 image(s) of 4"},
    };
    for (const auto& c : cases) EXPECT_EQ(BatchErrorsSummary(c.Errors, c.Files).toStdString(), c.Text);
}

} // namespace
