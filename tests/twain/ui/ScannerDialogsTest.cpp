// The scanner's Qt dialogs driven as a user would, offscreen, against SANE's test device: the
// device list, the source dialog's Scan and its error line, the parent disabled meanwhile, and
// the main thread's timers running through a slow scan.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "SaneTestBench.h"
#include "ScannerDialogDriver.h"
#include "platform/Bitmap.h"
#include "platform/BmpFile.h"
#include "platform/SettingsStore.h"
#include "support/GuiTestApp.h"
#include "twain/SaneSourceManager.h"
#include "twain/TwainAcquire.h"
#include "twain/TwainDibWriter.h"
#include "twain/ui/QtSaneDialogs.h"
#include "twain/ui/QtTwainWindowHost.h"

namespace {

class ScannerDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureGuiInvoker();
        TwainResetSession();
        SetSaneTestOptions({});
        SetTwainManagerLoader(&Loader);
        Host = std::make_unique<TQtTwainWindowHost>();
        SetTwainWindowHost(Host.get());
        MainWindow = std::make_unique<QMainWindow>();
        MainWindow->resize(400, 300);
        MainWindow->show();
    }
    void TearDown() override
    {
        TwainResetSession();
        SetSaneTestOptions({});
        SetTwainManagerLoader(nullptr);
        SetTwainWindowHost(nullptr);
    }

    TSaneConfig Config;
    TQtSaneDialogs Dialogs;
    TMemorySettingsStore Settings;
    TSaneManagerLoader Loader{&Dialogs, &Settings};
    std::unique_ptr<TQtTwainWindowHost> Host;
    TRecordingMessageBox Boxes;
    TScopedMessageBox ScopedBoxes{&Boxes};
    std::unique_ptr<QMainWindow> MainWindow; // made once the application exists
};

} // namespace

TEST_F(ScannerDialogsTest, SelectSourceListsTheTestDevices)
{
    int rows = 0, preselected = -1;
    WhenShown("selectSourceDialog", [&](QWidget* dialog) {
        auto* list = dialog->findChild<QListWidget*>("sourceList");
        rows = list->count();
        preselected = list->currentRow();
        list->setCurrentRow(1);
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(TWAIN_SelectImageSource(MainWindow.get()), 1);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(preselected, 0);
    EXPECT_EQ(Settings.AllValues().at("TWAIN/DefaultSource"), "test:1");
}

TEST_F(ScannerDialogsTest, ScanInTheSourceDialogGivesThePicture)
{
    bool parentDisabled = false, transient = false;
    QString title;
    WhenShown("sourceDialog", [&](QWidget* dialog) {
        parentDisabled = !MainWindow->isEnabled();
        transient = dialog->windowHandle() != nullptr &&
                    dialog->windowHandle()->transientParent() == MainWindow->windowHandle();
        title = dialog->windowTitle();
        dialog->findChild<QComboBox*>("modeCombo")->setCurrentText("Color");
        Click(dialog, "scanButton");
    });
    TW_HANDLE dib = TWAIN_AcquireNative(MainWindow.get(), 0);
    ASSERT_NE(dib, nullptr);
    EXPECT_TRUE(parentDisabled);
    EXPECT_TRUE(transient);
    EXPECT_EQ(title, "Scanner - test:0");
    EXPECT_TRUE(MainWindow->isEnabled());
    EXPECT_EQ(TopLevel("sourceDialog"), nullptr);
    // Written and read back: the colour picture of 157 x 196 pixels.
    TTempFolder folder;
    const std::string name = folder.Path() + "/scan.BMP";
    ASSERT_EQ(TWAIN_WriteNativeToFile(dib, name), 0);
    TWAIN_FreeNative(dib);
    TBitmap bmp;
    LoadBmpFromFile(bmp, name);
    EXPECT_EQ(bmp.Width(), 157);
    EXPECT_EQ(bmp.Height(), 196);
    EXPECT_EQ(bmp.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_TRUE(Boxes.Calls().empty());
}

TEST_F(ScannerDialogsTest, ADeviceErrorShowsInTheDialogWhichStaysOpen)
{
    SetSaneTestOptions({{"read-return-value", "SANE_STATUS_JAMMED"}});
    QString status;
    WhenShown("sourceDialog", [&](QWidget* dialog) {
        Click(dialog, "scanButton");
        auto* label = dialog->findChild<QLabel*>("statusLabel");
        auto* timer = new QTimer(dialog);
        QObject::connect(timer, &QTimer::timeout, [&, timer, dialog, label] {
            if (!dialog->findChild<QPushButton*>("scanButton")->isEnabled()) return; // still scanning
            timer->stop();
            status = label->text();
            Click(dialog, "closeButton");
        });
        timer->start(10);
    });
    EXPECT_EQ(TWAIN_AcquireNative(MainWindow.get(), 0), nullptr);
    EXPECT_EQ(status, "Document feeder jammed");
    EXPECT_TRUE(Boxes.Calls().empty());
    EXPECT_TRUE(MainWindow->isEnabled());
}

TEST_F(ScannerDialogsTest, TimersKeepFiringDuringASlowScanAndCancelStopsIt)
{
    // About half a second of reading: 10 ms before each piece of a 2.5 MB picture.
    SetSaneTestOptions(
        {{"mode", "Color"}, {"resolution", "300"}, {"read-delay", "yes"}, {"read-delay-duration", "10000"}});
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    int ticksAtCancel = -1;
    WhenShown("sourceDialog", [&](QWidget* dialog) {
        Click(dialog, "scanButton");
        QTimer::singleShot(200, dialog, [&, dialog] {
            ticksAtCancel = ticks;
            Click(dialog, "cancelButton");
            QTimer::singleShot(100, dialog, [dialog] { Click(dialog, "closeButton"); });
        });
    });
    EXPECT_EQ(TWAIN_AcquireNative(MainWindow.get(), 0), nullptr);
    // 200 ms of a 5 ms timer while the scan was reading.
    EXPECT_GE(ticksAtCancel, 10);
    EXPECT_TRUE(Boxes.Calls().empty());
    EXPECT_EQ(TWAIN_State(), 1);
}

TEST_F(ScannerDialogsTest, QuittingTheApplicationEndsTheAcquisition)
{
    WhenShown("sourceDialog", [](QWidget*) { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); });
    EXPECT_EQ(TWAIN_AcquireNative(MainWindow.get(), 0), nullptr);
    // The closing steps ran: the manager is unloaded, the dialog gone and the main window enabled again.
    EXPECT_EQ(TWAIN_State(), 1);
    EXPECT_TRUE(MainWindow->isEnabled());
    QCoreApplication::processEvents();
    EXPECT_EQ(TopLevel("sourceDialog"), nullptr);
}
