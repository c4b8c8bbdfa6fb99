// The program's main window and end signals as the program sets them up, settings and socket in the
// folder given; the run's temporary folder is made and its path is the first line of standard output.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>

#include "app/MainForm.h"
#include "app/QtMainThreadInvoker.h"
#include "app/QtSettingsStore.h"
#include "platform/MainThread.h"
#include "platform/TempFolder.h"

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    const std::string folder = argv[1];
    QApplication app(argc, argv);
    TQtMainThreadInvoker invoker;
    SetMainThreadInvoker(&invoker);
    TMainForm::InstallEndSignals();
    int rc = 0;
    {
        TMainForm form({}, std::make_unique<TQtSettingsStore>(folder + "/QMK.conf"), folder + "/sock");
        form.show();
        std::printf("%s\n", RunTempFolder().Path().c_str());
        std::fflush(stdout);
        rc = app.exec();
    }
    SetMainThreadInvoker(nullptr);
    return rc;
}
