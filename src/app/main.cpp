#include <string>
#include <vector>

#include <QGuiApplication>
#include <QScreen>

#include "app/AboutBox.h"
#include "app/EngineSetup.h"
#include "app/MainForm.h"
#include "app/ProgramHelp.h"
#include "app/QtMainThreadInvoker.h"
#include "app/QtMessageBox.h"
#include "app/QtSettingsStore.h"
#include "app/QuillmarkApplication.h"
#include "app/ScannerCommands.h"
#include "codec/JPEGImage.h"
#include "common/HandOver.h"
#include "platform/MainThread.h"
#include "platform/MessageBox.h"
#include "twain/SaneSourceManager.h"
#include "twain/ui/QtSaneDialogs.h"
#include "twain/ui/QtTwainWindowHost.h"

int main(int argc, char** argv)
{
    // A second start hands its files to the running instance and ends.
    std::vector<std::string> params(argv + 1, argv + argc);
    if (!params.empty() && ForwardToRunningInstance(params)) return 0;

    TQuillmarkApplication app(argc, argv);
    // New JPEG images decode to 8-bit palette bitmaps by default on a screen of 8 bits or fewer.
    if (QScreen* screen = QGuiApplication::primaryScreen()) SetJpegScreenDepth(screen->depth());
    TQtMainThreadInvoker invoker;
    SetMainThreadInvoker(&invoker);
    TQtMessageBox boxes;
    TScopedMessageBox useBoxes(&boxes);
    InstallCompressionEngine();
    // The system asking the program to end (at logout or shutdown), or a terminal's interrupt or
    // hang-up, ends it like the session's end: its temporary files go as on a normal exit.
    TMainForm::InstallEndSignals();
    int rc = 0;
    {
        QWidget* splash = nullptr;
        {
            TQtSettingsStore settings;
            QScreen* screen = QGuiApplication::primaryScreen();
            splash = CreateSplash(&settings, screen ? screen->depth() : 0);
        }
        TMainForm mainForm(params);
        mainForm.Splash = splash;
        mainForm.OnHelp = [&mainForm](int topic) { ShowProgramHelp(&mainForm, topic); };
        // Scanners: SANE devices served as sources, with the program's dialogs; the default source
        // is kept with the other settings.
        TQtTwainWindowHost scannerWindows;
        TQtSaneDialogs scannerDialogs;
        TSaneManagerLoader scannerLoader(&scannerDialogs, mainForm.Settings.get());
        SetTwainWindowHost(&scannerWindows);
        SetTwainManagerLoader(&scannerLoader);
        RegisterScannerIdentity();
        mainForm.show();
        rc = app.exec();
        SetTwainManagerLoader(nullptr);
        SetTwainWindowHost(nullptr);
    }
    SetMainThreadInvoker(nullptr);
    return rc;
}
