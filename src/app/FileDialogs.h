#pragma once
// The file dialogs of the File commands. Save dialogs add their default extension inside the
// dialog (not afterwards), so that the overwrite prompt asks about the file that will really be
// written; they are always the program's own dialogs, since a desktop dialog would prompt about the
// name as typed (and they list folders by names only, see controls/FileDialog.h). The open dialog's filters come from the format registry, so a new format needs no
// edit here.
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QWidget;
class TFileFormatList;

struct TFileDialogRequest
{
    QString Title;
    QString Start;         // folder, or folder and file name
    QStringList Filters;
    QString DefaultSuffix; // without the dot; empty: none
    bool Save = false;     // a save dialog (with the overwrite prompt) or an open one
    QStringList History;   // recently used folders, offered in the dialog
};

struct TFileDialogResult
{
    QString FileName;  // empty when cancelled
    QString Directory; // the folder the dialog was in when it closed, accepted or not
};

TFileDialogResult RunFileDialog(QWidget* parent, const TFileDialogRequest& request);

// "All supported formats (*.jpg *.jpeg ...)" and one entry per format family ("JPEG Image File
// (*.jpg *.jpeg ...)"), in registration order.
QStringList OpenPictureFilters(const TFileFormatList& formats);

// Folder histories, profile names and the like as the dialogs take them.
QStringList ToQStringList(const std::vector<std::string>& items);
