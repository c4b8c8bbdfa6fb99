#include "twain/ui/QtTwainSaveDialog.h"

#include <QFileDialog>

std::optional<std::string> TQtTwainSaveDialog::AskFileName()
{
    QFileDialog dialog(nullptr, "Save As");
    dialog.setObjectName("bitmapSaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("Windows Bitmap (*.bmp)");
    dialog.setDefaultSuffix("bmp");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}
