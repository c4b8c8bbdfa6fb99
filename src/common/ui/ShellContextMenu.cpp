#include "common/ui/ShellContextMenu.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <memory>

#include "common/CommLib.h"
#include "common/StrRes.h"
#include "common/ui/FileProperties.h"

namespace {

bool StartDetached(const std::vector<std::string>& command)
{
    if (command.empty()) return false;
    QStringList args;
    for (size_t i = 1; i < command.size(); ++i) args << QString::fromStdString(command[i]);
    return QProcess::startDetached(QString::fromStdString(command[0]), args);
}

bool Start(const std::vector<std::string>& command)
{
    const TShellMenuHooks& h = ShellMenuHooks();
    return h.StartProgram ? h.StartProgram(command) : StartDetached(command);
}

// Opens the address; a failure is reported with what could not be opened.
void Open(QWidget* owner, const QUrl& url)
{
    const TShellMenuHooks& h = ShellMenuHooks();
    const bool opened = h.OpenUrl ? h.OpenUrl(url) : QDesktopServices::openUrl(url);
    if (!opened) ShowWarning(owner, SCannotOpenFile + url.toDisplayString(QUrl::PreferLocalFile).toStdString());
}

QUrl FileUrl(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

// The file for pasting in a file manager: its address, the manager's copy mark, and the path as text.
QMimeData* FileCopyData(const std::string& path)
{
    auto* data = new QMimeData;
    const QUrl url = FileUrl(path);
    data->setUrls({url});
    data->setData("x-special/gnome-copied-files", "copy\n" + url.toEncoded());
    data->setText(QString::fromStdString(path));
    return data;
}

void AddOpenWith(QWidget* owner, QMenu* menu, const std::string& item)
{
    QMenu* sub = menu->addMenu("Open &With");
    const QString type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(item)).name();
    for (const TDesktopApp& app : AppsForMimeType(type.toStdString(), ShellMenuHooks().Folders)) {
        if (ExpandExecLine(app, item).empty()) continue; // no program that takes the file safely
        const std::string name = app.Name.empty() ? app.Id : app.Name;
        QAction* a = sub->addAction(QString::fromStdString(name));
        a->setData(QString::fromStdString(app.Id));
        QObject::connect(a, &QAction::triggered, a, [owner, app, item, name] {
            if (!Start(ExpandExecLine(app, item))) ShowWarning(owner, SCannotStartProgram + name);
        });
    }
    sub->setEnabled(!sub->actions().isEmpty());
}

} // namespace

TShellMenuHooks& ShellMenuHooks()
{
    static TShellMenuHooks hooks;
    return hooks;
}

std::string GetShellItemForPath(const std::string& path)
{
    if (path.empty()) return std::string();
    return GetExactFileName(path);
}

QMenu* BuildShellContextMenu(QWidget* owner, const std::string& item)
{
    auto* menu = new QMenu(owner);
    menu->setObjectName("ShellContextMenu");
    QAction* open = menu->addAction("&Open", menu, [owner, item] { Open(owner, FileUrl(item)); });
    menu->setDefaultAction(open);
    AddOpenWith(owner, menu, item);
    menu->addSeparator();
    QMenu* sendTo = menu->addMenu("Send &To");
    sendTo->addAction("Mail Recipient", menu, [owner, item] {
        const TShellMenuHooks& h = ShellMenuHooks();
        if (h.SendToMail) h.SendToMail(item);
        else {
            const QString composer = QStandardPaths::findExecutable("xdg-email");
            if (composer.isEmpty() || !StartDetached({composer.toStdString(), "--attach", item}))
                ShowWarning(owner, std::string(SCannotStartProgram) + "xdg-email");
        }
    });
    menu->addSeparator();
    menu->addAction("&Copy", menu, [item] { QApplication::clipboard()->setMimeData(FileCopyData(item)); });
    menu->addAction("Copy &Path", menu,
                    [item] { QApplication::clipboard()->setText(QString::fromStdString(item)); });
    menu->addAction("Show in &Folder", menu,
                    [owner, item] {
                        Open(owner, QUrl::fromLocalFile(QFileInfo(QString::fromStdString(item)).absolutePath()));
                    });
    menu->addSeparator();
    menu->addAction("P&roperties", menu, [owner, item] {
        TFileProperties props;
        if (!ReadFileProperties(QString::fromStdString(item), props)) return;
        const TShellMenuHooks& h = ShellMenuHooks();
        if (h.ShowProperties) h.ShowProperties(owner, props);
        else ShowFileProperties(owner, props);
    });
    return menu;
}

void TrackShellContextMenu(QWidget* owner, const std::string& item)
{
    std::unique_ptr<QMenu> menu(BuildShellContextMenu(owner, item));
    // The chosen item runs from its own triggered signal; Esc closes the menu and runs nothing.
    menu->exec(QCursor::pos());
}

void ShowShellContextMenu(QWidget* owner, const std::string& path)
{
    const std::string item = GetShellItemForPath(path);
    if (item.empty()) return;
    TrackShellContextMenu(owner, item);
}
