#include <gtest/gtest.h>

#include <QMdiArea>
#include <QStatusBar>
#include <QProcess>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>

#include "ImageTestKit.h"
#include "app/MainForm.h"
#include "app/QtSettingsStore.h"
#include "common/CheckMessage.h"
#include "common/HandOver.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

class MainFormTest : public TFolderTest
{
protected:
    void TearDown() override
    {
        if (Form) {
            for (TImageForm* f : Form->ImageWindows()) f->SetSaved(true);
            Form.reset();
        }
    }
    void Start(const std::vector<std::string>& params, bool show = true)
    {
        Form = std::make_unique<TMainForm>(params, std::make_unique<TQtSettingsStore>(Path("QMK.conf")), Path("sock"));
        Form->OnHelp = [this](int topic) { HelpTopics.push_back(topic); };
        if (show) Form->show();
    }

    std::unique_ptr<TMainForm> Form;
    std::vector<int> HelpTopics;
};

TEST_F(MainFormTest, FilesOpenAtCascadeStepsInsideTheAreaAndClosingClearsTheStatusBarAndSavesTheSettings)
{
    WriteJpeg(Path("a.jpg"), 64, 48);
    WriteBmp(Path("b.bmp"), 40, 30);
    Start({Path("a.jpg"), Path("missing.jpg"), Path("b.bmp")}, false);
    Form->resize(1000, 900); // room for three quarters of the area beside the parameter toolbars
    // Idle passes before the frame is shown open nothing: the area has no size to place windows in.
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(Form->ImageWindows().empty());
    Form->show();
    ASSERT_TRUE(PumpUntil([&] { return Form->ImageWindows().size() == 2; }));
    for (TImageForm* w : Form->ImageWindows()) { // the timer compresses the active window
        Form->MdiArea->setActiveSubWindow(w);
        EXPECT_TRUE(PumpUntil([&] { return w->ResultSize > 0 && !w->Busy; })) << w->FileInfo.FileName;
    }
    EXPECT_TRUE(Form->StatusPanelText(1).startsWith("Source: "));

    const QRect area(QPoint(0, 0), Form->MdiArea->viewport()->size());
    const QSize usable(area.width() * 3 / 4, area.height() * 3 / 4);
    ASSERT_GE(usable.width(), 320);
    auto expectPlaced = [&](const char* when) {
        int atTopLeft = 0;
        for (TImageForm* w : Form->ImageWindows()) {
            EXPECT_TRUE(area.contains(w->geometry())) << when;
            EXPECT_EQ(w->size(), usable) << when;
            atTopLeft += w->pos() == QPoint(0, 0);
        }
        EXPECT_GE(atTopLeft, 2) << when; // the steps wrapped
    };
    const int more = (area.height() - usable.height()) / 8; // more windows than steps fit
    for (int i = 0; i < more; ++i) Form->NewImageWindow({Path("b.bmp")});
    expectPlaced("opened");
    Form->WindowCascadeAction->trigger();
    expectPlaced("cascaded");
    EXPECT_EQ(Form->ImageWindows()[0]->sizeHint(), usable);

    EXPECT_TRUE(Form->close()); // the help offer and every save question answered No
    auto calls = Box.Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0].Check.Text, CmHelpOffer.Text);
    for (size_t i = 1; i < calls.size(); ++i) EXPECT_EQ(calls[i].Kind, TMsgKind::mkYesNoCancel);
    EXPECT_TRUE(PumpUntil([&] { return Form->StatusPanelText(1).isEmpty(); }));
    Form.reset();
    TQtSettingsStore saved(Path("QMK.conf"));
    EXPECT_EQ(saved.ReadValue("ParamsSaved"), "1");
    EXPECT_FALSE(saved.ValueExists("HelpOffer")); // answered without the tick
}

TEST_F(MainFormTest, OnlyAHelpOfferYesGivenNowKeepsTheProgramOpenOnceAndSecondStartsHandTheirFilesOver)
{
    // "6" a ticked Yes, "7" a ticked No, "1" the flag of earlier versions: the offer is not made
    // again, and help does not open by itself at every exit.
    for (const char* stored : {"6", "7", "1"}) {
        TQtSettingsStore(Path("QMK.conf")).WriteValue("HelpOffer", stored);
        Start({});
        EXPECT_TRUE(Form->close()) << stored;
        EXPECT_EQ(std::tuple(HelpTopics.size(), Box.Calls().size()), std::tuple(0u, 0u)) << stored;
        Form.reset();
    }
    TQtSettingsStore(Path("QMK.conf")).DeleteValue("HelpOffer");
    WriteBmp(Path("c.bmp"), 30, 20);
    Start({});
    auto sent = std::async(std::launch::async,
                           [this] { return ForwardToRunningInstance({Path("c.bmp")}, Path("sock"), 5000); });
    ASSERT_TRUE(PumpUntil([&] { return Form->ImageWindows().size() == 1; }));
    EXPECT_TRUE(sent.get());
    Form->ImageWindows()[0]->SetSaved(true);
    Box.Answer(mrYes, false);
    EXPECT_FALSE(Form->close());
    EXPECT_EQ(HelpTopics, std::vector<int>{146});
    EXPECT_EQ(Form->ImageWindows().size(), 1u); // nothing was closed
    EXPECT_TRUE(Form->close());                  // not offered again in this run
    EXPECT_EQ(Box.Calls().size(), 1u);
}

TEST_F(MainFormTest, SessionEndAsksNothingStopsTheRunningWorkAndStillSavesTheSettings)
{
    WriteBmp(Path("big.bmp"), 1600, 1200);
    Start({Path("big.bmp")});
    ASSERT_TRUE(PumpUntil([&] { return !Form->ImageWindows().empty() && Form->ImageWindows()[0]->Busy; }));
    Form->EndSession();
    EXPECT_TRUE(Form->Closing);
    Form.reset(); // destroys the window while the compression runs
    EXPECT_TRUE(Box.Calls().empty());
    TQtSettingsStore saved(Path("QMK.conf"));
    EXPECT_EQ(saved.ReadValue("ParamsSaved"), "1");
}

// The end signals end the program as a session's end does: it leaves its event loop, exits normally
// and its private temporary folder goes. An interrupt ignored from the start stays ignored. While a
// box opened from the idle pass holds the first signal, a second one, of any kind, ends the program
// at once. A stand-in host makes the main window and the folder as the program does.
TEST_F(MainFormTest, EndSignalsEndTheProgramAndItsTemporaryFolderGoes)
{
    std::ofstream(Path("broken.jpg")) << "not a picture"; // its load failure shows a box
    const struct
    {
        int Signal;
        bool IgnoredAtStart;
        std::string Open;
        int Second;
    } cases[] = {{SIGTERM, false, "", 0},
                 {SIGINT, false, "", 0},
                 {SIGHUP, false, "", 0},
                 {SIGINT, true, "", 0},
                 {SIGTERM, false, Path("broken.jpg"), SIGINT}};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", Dir.path()); // the runs' folders are made there, the settings too
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.Signal)) + (c.IgnoredAtStart ? ", ignored at start" : "") +
                     (c.Second ? std::string(", then ") + strsignal(c.Second) : ""));
        QProcess host;
        host.setProcessEnvironment(env);
        // An ignored signal stays ignored over exec.
        const auto previous = c.IgnoredAtStart ? std::signal(c.Signal, SIG_IGN) : SIG_ERR;
        QStringList args = {Dir.path()};
        if (!c.Open.empty()) args << QString::fromStdString(c.Open);
        host.start(QM_END_SIGNAL_HOST, args);
        if (c.IgnoredAtStart) std::signal(c.Signal, previous);
        ASSERT_TRUE(host.waitForStarted(30000));
        const auto readLine = [&host] {
            while (!host.canReadLine() && host.waitForReadyRead(30000))
                continue;
            return host.readLine().trimmed().toStdString();
        };
        const std::string folder = readLine(); // made once the window is up
        EXPECT_TRUE(!folder.empty() && std::filesystem::is_directory(folder)) << folder;
        if (!c.Open.empty()) ASSERT_EQ(readLine(), "box");

        ::kill(pid_t(host.processId()), c.Signal);
        if (c.IgnoredAtStart) {
            EXPECT_FALSE(host.waitForFinished(500));
            ::kill(pid_t(host.processId()), SIGTERM);
        }
        if (c.Second) {
            EXPECT_FALSE(host.waitForFinished(500)); // the box holds the first
            ::kill(pid_t(host.processId()), c.Second);
            ASSERT_TRUE(host.waitForFinished(30000));
            EXPECT_EQ(std::tuple(host.exitStatus(), host.exitCode()), std::tuple(QProcess::CrashExit, c.Second));
            std::filesystem::remove_all(folder); // ended at once: the folder stays
            continue;
        }
        ASSERT_TRUE(host.waitForFinished(30000));
        EXPECT_EQ(std::tuple(host.exitStatus(), host.exitCode()), std::tuple(QProcess::NormalExit, 0));
        EXPECT_FALSE(std::filesystem::exists(folder)) << folder;
    }
}

} // namespace
