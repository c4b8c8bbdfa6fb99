#include "controls/FileDialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeDatabase>

namespace {

// The file's type as its name tells it (the database then never opens the file).
QMimeType TypeByName(const QFileInfo& info)
{
    return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

QString AskFileName(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
                    bool save)
{
    TFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    ListByNamesOnly(dialog);
    if (dialog.exec() != QDialog::Accepted) return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace

QIcon TNameOnlyIconProvider::icon(const QFileInfo& info) const
{
    if (info.isRoot()) return QFileIconProvider::icon(Drive);
    if (info.isDir()) return QFileIconProvider::icon(Folder);
    const QIcon file = QFileIconProvider::icon(File);
    if (!info.isFile()) return file;
    const QMimeType type = TypeByName(info);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), file));
}

QString TNameOnlyIconProvider::type(const QFileInfo& info) const
{
    // Folders, links and other entries get their kind without a look inside.
    if (!info.isFile() || info.isRoot()) return QFileIconProvider::type(info);
    const QMimeType type = TypeByName(info);
    return type.comment().isEmpty() ? type.name() : type.comment();
}

void ListByNamesOnly(QFileDialog& dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // The dialog keeps the provider and its model uses it from its own thread; it lives as long.
    static TNameOnlyIconProvider provider;
    dialog.setIconProvider(&provider);
}

void TFileDialog::accept()
{
    if (acceptMode() == AcceptSave) {
        // The dialog's own question names the file only: this one asks instead.
        setOption(DontConfirmOverwrite, true);
        const QStringList files = selectedFiles();
        const QFileInfo info(files.isEmpty() ? QString() : files.first());
        if (!files.isEmpty() && info.exists() && !info.isDir() &&
            QMessageBox::warning(
                this, windowTitle(),
                tr("%1 already exists.\nDo you want to replace it?").arg(info.absoluteFilePath()),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    if (acceptMode() == AcceptOpen && fileMode() == ExistingFiles) LeaveFoldersOut();
    QFileDialog::accept();
}

void TFileDialog::LeaveFoldersOut()
{
    auto* view = findChild<QListView*>("listView");
    QItemSelectionModel* selection = view ? view->selectionModel() : nullptr;
    if (!selection) return;
    QModelIndexList folders;
    bool files = false;
    for (const QModelIndex& row : selection->selectedRows()) {
        if (QFileInfo(row.data(QFileSystemModel::FilePathRole).toString()).isDir())
            folders.append(row);
        else
            files = true;
    }
    if (!files) return; // a folder alone is entered
    for (const QModelIndex& folder : folders)
        selection->select(folder, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void TFileDialog::showEvent(QShowEvent* event)
{
    QFileDialog::showEvent(event);
    // The dialog's own widgets exist by now.
    if (FWatchingFolders) return;
    auto* listing = findChild<QFileSystemModel*>();
    auto* edit = findChild<QLineEdit*>("fileNameEdit");
    if (!listing || !edit) return;
    FWatchingFolders = true;
    connect(listing, &QFileSystemModel::rootPathChanged, this, [edit] {
        if (QCompleter* completer = edit->completer()) completer->popup()->hide();
    });
}

QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& folder, const QString& filter)
{
    return AskFileName(parent, caption, folder, filter, false);
}

QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& start, const QString& filter)
{
    return AskFileName(parent, caption, start, filter, true);
}
