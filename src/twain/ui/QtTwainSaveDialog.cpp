#include "twain/ui/QtTwainSaveDialog.h"

#include "controls/FileDialog.h"

std::optional<std::string> TQtTwainSaveDialog::AskFileName()
{
    // The program's own save dialog: it lists folders without reading files and names the whole
    // path when it asks before replacing one.
    TFileDialog dialog(nullptr, "Save As");
    ListByNamesOnly(dialog);
    dialog.setObjectName("bitmapSaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("Windows Bitmap (*.bmp)");
    dialog.setDefaultSuffix("bmp");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}
