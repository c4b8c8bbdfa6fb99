// The program's main window and end signals as the program sets them up, settings and socket in the
// folder given; the run's temporary folder is made and its path is the first line of standard output.
// A file named after the folder is opened as from the command line; the program's boxes are real
// ones, and each writes the line "box" as it opens.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "app/QtMainThreadInvoker.h"
#include "app/QtMessageBox.h"
#include "app/QtSettingsStore.h"
#include "platform/MainThread.h"
#include "platform/TempFolder.h"

namespace {

class TAnnouncedBox : public TQtMessageBox
{
public:
    int Show(TWindowHandle owner, TMsgKind kind, const std::string& caption, const std::string& text) override
    {
        std::printf("box\n");
        std::fflush(stdout);
        return TQtMessageBox::Show(owner, kind, caption, text);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) return 2;
    const std::string folder = argv[1];
    const std::vector<std::string> params(argv + 2, argv + argc);
    QApplication app(argc, argv);
    TQtMainThreadInvoker invoker;
    SetMainThreadInvoker(&invoker);
    TAnnouncedBox boxes;
    TScopedMessageBox useBoxes(&boxes);
    TMainForm::InstallEndSignals();
    int rc = 0;
    {
        TMainForm form(params, std::make_unique<TQtSettingsStore>(folder + "/QMK.conf"), folder + "/sock");
        form.show();
        std::printf("%s\n", RunTempFolder().Path().c_str());
        std::fflush(stdout);
        rc = app.exec();
    }
    SetMainThreadInvoker(nullptr);
    return rc;
}
