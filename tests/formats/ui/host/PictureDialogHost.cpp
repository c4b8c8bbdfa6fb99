// Shows a picture dialog on a folder with a file selected, for looking at it by hand and for
// screenshots. Not a test: it runs until the dialog closes.
//   picture_dialog_host open|save FOLDER [FILE] [DISPLAY_OPTIONS] [RECENT_FOLDER...]
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QFileSystemModel>
#include <QListView>
#include <QTimer>

#include "app/FileDialogs.h"
#include "app/QtMainThreadInvoker.h"
#include "formats/FileFormatList.h"
#include "formats/ui/PictureDialog.h"
#include "platform/MainThread.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s open|save FOLDER [FILE] [OPTIONS] [RECENT...]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    TQtMainThreadInvoker invoker;
    SetMainThreadInvoker(&invoker);
    const bool save = QString(argv[1]) == "save";
    std::unique_ptr<TOpenPictureDialog> dialog(save ? new TSavePictureDialog : new TOpenPictureDialog);
    if (!save) dialog->SetFilters(OpenPictureFilters(FileFormatList()));
    dialog->SetInitialFolder(argv[2]);
    if (argc > 4) dialog->SetDisplayOptions(std::atoi(argv[4]));
    std::vector<std::string> recent;
    for (int i = 5; i < argc; ++i) recent.push_back(argv[i]);
    dialog->SetRecentFolders(recent);
    dialog->move(20, 20);
    if (argc > 3) {
        const QString path = QString(argv[2]) + "/" + argv[3];
        auto* timer = new QTimer(dialog.get());
        QObject::connect(timer, &QTimer::timeout, [&dialog, path, timer] {
            auto* model = dialog->FileDialog()->findChild<QFileSystemModel*>();
            auto* view = dialog->FileDialog()->findChild<QListView*>("listView");
            if (!model || !view || !model->index(path).isValid()) return;
            dialog->FileDialog()->selectFile(path);
            view->setCurrentIndex(model->index(path));
            timer->stop();
        });
        timer->start(100);
    }
    const bool accepted = dialog->Execute();
    std::printf("%s %s\n", accepted ? "accepted" : "cancelled", dialog->FileName().c_str());
    return 0;
}
