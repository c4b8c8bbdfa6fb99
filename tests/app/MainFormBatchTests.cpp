// Batch jobs started from the main window: the file and options dialogs, the job list the status bar
// shows, the end of a job (log, window state) and closing or ending the program while jobs run.
#include <gtest/gtest.h>

#include <fstream>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QStatusBar>

#include "ImageTestKit.h"
#include "app/MainForm.h"
#include "app/ParamWidgets.h"
#include "app/QtSettingsStore.h"
#include "batch/BatchProcess.h"
#include "batch/ui/BatchOptionsForm.h"
#include "batch/ui/BatchProgressForm.h"
#include "codec/ProfileFile.h"
#include "formats/ui/PictureDialog.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

class MainFormBatchTest : public TFolderTest
{
protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Path("src"))));
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Path("out"))));
        TJPEGImage settings;
        settings.LumQuality = settings.ChromQuality = 60;
        WriteProfileFile(settings, Path("Small.qmp"));
    }
    void TearDown() override
    {
        if (Form) {
            for (TImageForm* f : Form->ImageWindows()) f->SetSaved(true);
            Form.reset();
        }
    }
    void Start()
    {
        Form = std::make_unique<TMainForm>(std::vector<std::string>{},
                                           std::make_unique<TQtSettingsStore>(Path("QMK.conf")), Path("sock"));
        Form->HelpOfferShown = true;
        Form->show();
        // The picture dialogs (the batch's several-files choice and File > Open) are recorded; the
        // batch's takes the files of Chosen as a user would type them, File > Open is cancelled.
        Form->PictureDialogRunner = [this](TOpenPictureDialog& d) {
            QFileDialog* f = d.FileDialog();
            const TDialogSeen seen{d.windowTitle(), f->fileMode() == QFileDialog::ExistingFiles,
                                   f->acceptMode() == QFileDialog::AcceptSave};
            Dialogs.push_back(seen);
            if (!seen.Multiple || Chosen.empty()) return false;
            f->setDirectory(QString::fromStdString(Path("src")));
            QStringList typed;
            for (const std::string& c : Chosen) typed << '"' + QFileInfo(QString::fromStdString(c)).fileName() + '"';
            f->selectFile(typed.join(' '));
            return true;
        };
        Form->BatchOptionsRunner = [this](TBatchOptionsForm& dialog) {
            ++OptionsShown;
            if (!AcceptOptions) return false;
            TBatchProcOptions o;
            o.ProfileFile = Path("Small.qmp");
            o.DestFolder = Path("out") + "/";
            o.RunForeground = Foreground;
            o.MinimizeMain = Minimize;
            dialog.SetBatchOptions(o);
            dialog.OKBtnClick();
            return dialog.result() == QDialog::Accepted;
        };
        Form->BatchLogRunner = [this](QWidget*, const TBatchProcess& job) {
            Logs.push_back({job.ErrorCount(), job.FileCount()});
        };
    }
    // count pictures "prefix1.bmp" .. in src/, with a name that does not exist at position missingAt (from 0).
    std::vector<std::string> Pictures(const std::string& prefix, int count, int w, int h, int missingAt = -1)
    {
        std::vector<std::string> files;
        for (int i = 0; i < count; ++i) {
            const std::string name = Path("src/" + prefix + std::to_string(i + 1) + ".bmp");
            if (i != missingAt) WriteBmp(name, w, h);
            files.push_back(name);
        }
        return files;
    }
    // The names in out/; every one must be a whole JPEG file.
    QStringList Outputs()
    {
        const QStringList names = QDir(QString::fromStdString(Path("out"))).entryList(QDir::Files, QDir::Name);
        for (const QString& n : names) {
            const std::string data = ReadAll(Path("out/" + n.toStdString()));
            EXPECT_TRUE(n.endsWith(".jpg")) << n.toStdString();
            EXPECT_GE(data.size(), 4u) << n.toStdString();
            if (data.size() >= 4) {
                EXPECT_EQ(data.substr(0, 2), "\xFF\xD8") << n.toStdString();
                EXPECT_EQ(data.substr(data.size() - 2), "\xFF\xD9") << n.toStdString();
            }
        }
        return names;
    }
    static void PumpFor(int ms)
    {
        PumpUntil([] { return false; }, ms);
    }
    static int ProgressWindows()
    {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) n += qobject_cast<TBatchProgressForm*>(w) != nullptr;
        return n;
    }
    TBatchProcess* Job(size_t i) const { return Form->BatchJobList.at(i).Job; }
    // The colour at the centre of the activity panel's second lamp.
    QRgb SecondLamp() const
    {
        QWidget* panel = Form->StatusPanels[2];
        return panel->grab().toImage().pixel(4 + 23, panel->height() / 2);
    }

    std::unique_ptr<TMainForm> Form;
    std::vector<std::string> Chosen;
    // What each picture dialog was opened as.
    struct TDialogSeen
    {
        QString Title;
        bool Multiple;
        bool Save;
    };
    std::vector<TDialogSeen> Dialogs;
    int OptionsShown = 0;
    bool AcceptOptions = true, Foreground = false, Minimize = false;
    std::vector<std::pair<int, int>> Logs; // errors, files of each log shown
};

TEST_F(MainFormBatchTest, CancelledDialogsStartNothingAndLeaveTheOpenDialogAsItWas)
{
    Start();
    const TBatchProcOptions before = Form->BatchOptions;
    Form->FileBatchProcActionExecute(); // the file dialog cancelled
    EXPECT_EQ(OptionsShown, 0);
    Chosen = Pictures("a", 2, 16, 16);
    AcceptOptions = false;
    Form->FileBatchProcActionExecute(); // the options dialog cancelled
    EXPECT_EQ(OptionsShown, 1);
    EXPECT_TRUE(Form->BatchJobList.empty());
    EXPECT_EQ(Form->BatchOptions.DestFolder, before.DestFolder);
    EXPECT_EQ(Form->BatchOptions.ProfileFile, before.ProfileFile);
    Chosen.clear();
    Form->FileOpenActionExecute();
    ASSERT_EQ(Dialogs.size(), 3u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(Dialogs[i].Title, "Select multiple images...");
        EXPECT_TRUE(Dialogs[i].Multiple);
        EXPECT_FALSE(Dialogs[i].Save);
    }
    EXPECT_EQ(Dialogs[2].Title, "Open...");
    EXPECT_FALSE(Dialogs[2].Multiple);
    EXPECT_TRUE(Form->ImageWindows().empty());
    PumpFor(200);
    EXPECT_TRUE(Outputs().isEmpty());
}

TEST_F(MainFormBatchTest, TwoJobsBothRunAndTheStatusBarShowsTheOneStartedLast)
{
    Start();
    Chosen = Pictures("a", 12, 900, 700);
    EXPECT_EQ(Form->StatusPanelText(2), "");
    Form->FileBatchProcAction->trigger();
    ASSERT_EQ(Form->BatchJobList.size(), 1u);
    EXPECT_EQ(Job(0)->FileCount(), 12);
    EXPECT_EQ(Job(0)->Options.ProfileFile, Path("Small.qmp"));
    EXPECT_EQ(Form->BatchOptions.DestFolder, Path("out") + "/"); // the accepted options are kept
    EXPECT_EQ(Form->FileBatchProcAction->shortcut(), QKeySequence("Ctrl+M"));
    // Progress only moves while events are served: hold the first job part-way.
    ASSERT_TRUE(PumpUntil([&] { return Form->BatchJobList.empty() || Job(0)->Progress().TotalPercent > 0; }));
    ASSERT_EQ(Form->BatchJobList.size(), 1u) << "the first job ended too soon";
    const int first = Job(0)->Progress().TotalPercent;
    ASSERT_LT(first, 100);

    Chosen = Pictures("b", 3, 900, 700);
    Form->FileBatchProcActionExecute();
    ASSERT_EQ(Form->BatchJobList.size(), 2u);
    EXPECT_EQ(Job(1)->FileCount(), 3);
    EXPECT_EQ(Job(0)->Progress().TotalPercent, first);
    EXPECT_EQ(Form->StatusPanelText(2), "Batch Processing..  0%");
    {
        // The text fits the panel: nothing is drawn at its left and right edges (inside the frame).
        const QImage bar = Form->StatusPanels[1]->grab().toImage();
        const QRgb ground = bar.pixel(bar.width() / 2, 1);
        for (int y = 1; y < bar.height() - 2; ++y)
            for (int x : {1, 2, 3, bar.width() - 5, bar.width() - 4, bar.width() - 3}) // the frame: 0 and width - 2
                ASSERT_EQ(bar.pixel(x, y), ground) << x << "," << y;
    }
    // The last job's window is shown: the activity panel's second lamp is orange.
    EXPECT_EQ(qRed(SecondLamp()), 0xF0);
    EXPECT_EQ(qGreen(SecondLamp()), 0x90);

    ASSERT_TRUE(PumpUntil([&] { return Form->BatchJobList.size() < 2 || Job(1)->Progress().TotalPercent > 0; }));
    if (Form->BatchJobList.size() == 2) {
        const int last = Job(1)->Progress().TotalPercent;
        EXPECT_EQ(Form->StatusPanelText(2), QString("Batch Processing..%1%").arg(last, 3));
    }
    ASSERT_TRUE(PumpUntil([&] { return Form->BatchJobList.empty(); }, 60000));
    EXPECT_EQ(Outputs().size(), 15);
    EXPECT_EQ(Form->StatusPanelText(2), "");
    EXPECT_TRUE(Logs.empty());
    EXPECT_TRUE(Box.Calls().empty());
}

TEST_F(MainFormBatchTest, AForegroundJobWithErrorsShowsItsLogAndBringsTheMinimisedWindowBack)
{
    Start();
    Form->showMaximized();
    Chosen = Pictures("c", 4, 64, 48, 1);
    // The second is there to be chosen but is no picture: it fails to load.
    { std::ofstream(Chosen[1]) << "not a picture"; }
    Foreground = Minimize = true;
    bool minimisedWhileRunning = false;
    QWidget* logOwner = Form.get();
    Form->BatchLogRunner = [&](QWidget* owner, const TBatchProcess& job) {
        minimisedWhileRunning = Form->isMinimized();
        logOwner = owner; // not the minimised main window, which could hide it
        Logs.push_back({job.ErrorCount(), job.FileCount()});
    };
    Form->FileBatchProcActionExecute(); // returns when the job's window has closed
    EXPECT_TRUE(Form->BatchJobList.empty());
    EXPECT_TRUE(minimisedWhileRunning);
    EXPECT_EQ(logOwner, nullptr);
    EXPECT_EQ(Logs, (std::vector<std::pair<int, int>>{{1, 4}}));
    EXPECT_EQ(Form->windowState(), Qt::WindowMaximized);
    EXPECT_EQ(Outputs(), (QStringList{"c1.jpg", "c3.jpg", "c4.jpg"}));
    PumpFor(100);
    EXPECT_TRUE(ProgressWindows() == 0);
}

TEST_F(MainFormBatchTest, ClosingDuringAJobAsksUntilYesThenWaitsForItAndShowsNoLog)
{
    Start();
    Chosen = Pictures("d", 40, 1200, 900, 0); // the first file is missing: the job has an error
    Form->FileBatchProcActionExecute();
    ASSERT_EQ(Form->BatchJobList.size(), 1u);
    // At the third file the first (missing) has been logged and the second written.
    ASSERT_TRUE(PumpUntil([&] { return Form->BatchJobList.empty() || Job(0)->Progress().FileIndex >= 3; }));
    ASSERT_EQ(Form->BatchJobList.size(), 1u) << "the job ended too soon";

    Box.Answer(mrNo);
    EXPECT_FALSE(Form->close());
    EXPECT_FALSE(Form->Closing);
    ASSERT_EQ(Form->BatchJobList.size(), 1u);
    EXPECT_FALSE(Job(0)->Terminated());
    Box.Answer(mrYes);
    EXPECT_TRUE(Form->close());
    EXPECT_TRUE(Form->Closing);
    EXPECT_TRUE(Form->BatchJobList.empty()); // the close waited for the job
    const auto calls = Box.Calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const auto& c : calls) EXPECT_EQ(c.Text, "Terminate batch processing ?");
    EXPECT_TRUE(Logs.empty());
    const QStringList outputs = Outputs();
    EXPECT_TRUE(outputs.contains("d2.jpg"));
    EXPECT_LT(outputs.size(), 39);
}

TEST_F(MainFormBatchTest, DestroyingTheWindowOrEndingTheSessionStopsEveryJobAndWaits)
{
    for (int round = 0; round < 2; ++round) {
        Start();
        Chosen = Pictures(round ? "f" : "e", 30, 1200, 900, 0);
        Form->FileBatchProcActionExecute();
        Form->FileBatchProcActionExecute();
        ASSERT_EQ(Form->BatchJobList.size(), 2u);
        ASSERT_TRUE(PumpUntil([&] { return Form->BatchJobList.empty() || Job(0)->Progress().FileIndex >= 2; }));
        if (round == 1) {
            Form->EndSession();
            EXPECT_TRUE(Form->BatchJobList.empty());
        }
        Form.reset();
        EXPECT_TRUE(Logs.empty()) << round;
        EXPECT_TRUE(Box.Calls().empty()) << round;
        EXPECT_LT(Outputs().filter(round ? "f" : "e").size(), 29) << round; // the jobs stopped early
        PumpFor(50);
        EXPECT_TRUE(ProgressWindows() == 0);
    }
}

} // namespace
