#pragma once
// The program's file dialogs. Listing a folder never reads a file's contents: the usual icons and
// type texts come from the file's contents where its name is not enough, and reading a file such as
// /proc/kmsg blocks for good, so a dialog showing such a folder would hang the program. Here icons
// and types come from the name and the kind of entry alone, and every dialog is the program's own
// widget dialog, so that this holds whatever the desktop provides.
#include <QFileDialog>
#include <QFileIconProvider>

class TNameOnlyIconProvider : public QFileIconProvider
{
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

// Makes dialog list folders by names and entry kinds only (see above). Call before it is shown.
void ListByNamesOnly(QFileDialog& dialog);

// A file dialog whose question before replacing a file names the file's whole path, so that the
// user sees which folder the file is replaced in. When the view moves to another folder (a folder's
// name typed in the name field and Enter, say), the name field's completion list goes: it offered
// names of the folder left, and would stay on the screen, empty. Opening several files, a selection
// holding files and folders (Select All in a folder with sub-folders) opens its files and leaves
// the folders out, where the folder would be entered and the selection lost; a folder alone is
// still entered.
class TFileDialog : public QFileDialog
{
    Q_OBJECT
  public:
    using QFileDialog::QFileDialog;
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void LeaveFoldersOut();
    bool FWatchingFolders = false;
};

// Modal dialogs returning the chosen file, or an empty text when cancelled. The save dialog asks
// before a chosen file is replaced.
QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                        const QString& filter);
QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& start, const QString& filter);
