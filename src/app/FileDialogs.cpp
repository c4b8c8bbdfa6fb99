#include "app/FileDialogs.h"

#include <QFileDialog>
#include <map>
#include <vector>

#include "controls/FileDialog.h"
#include "formats/FileFormatList.h"

TFileDialogResult RunFileDialog(QWidget* parent, const TFileDialogRequest& request)
{
    TFileDialog dialog(parent, request.Title, request.Start);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    ListByNamesOnly(dialog);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.Filters);
    if (!request.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.DefaultSuffix);
    if (!request.History.isEmpty()) dialog.setHistory(request.History);
    TFileDialogResult result;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        result.FileName = dialog.selectedFiles().first();
    }
    result.Directory = dialog.directory().absolutePath();
    return result;
}

QStringList OpenPictureFilters(const TFileFormatList& formats)
{
    // The families in the order their classes were registered, each with its extensions.
    std::vector<const TClassEntry*> order;
    std::map<const TClassEntry*, QStringList> patterns;
    QStringList all;
    for (int i = 0; i < formats.ExtensionCount(); ++i) {
        const TExtensionEntry& e = formats.ExtensionEntry(i);
        if (!e.ClassReference || e.Extension.empty()) continue;
        const QString pattern = "*." + QString::fromStdString(e.Extension).toLower();
        if (!patterns.count(e.ClassReference)) order.push_back(e.ClassReference);
        if (!patterns[e.ClassReference].contains(pattern)) patterns[e.ClassReference] << pattern;
        if (!all.contains(pattern)) all << pattern;
    }
    QStringList filters;
    filters << "All supported formats (" + all.join(' ') + ")";
    for (const TClassEntry* c : order)
        filters << QString::fromStdString(c->Description) + " (" + patterns[c].join(' ') + ")";
    return filters;
}

QStringList ToQStringList(const std::vector<std::string>& items)
{
    QStringList list;
    list.reserve(qsizetype(items.size()));
    for (const std::string& item : items) list << QString::fromStdString(item);
    return list;
}
