#include "common/ui/FileProperties.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QVBoxLayout>

#include "common/CommLib.h"

namespace {

QString PermissionText(QFile::Permissions p)
{
    const std::pair<QFile::Permission, char> bits[] = {
        {QFile::ReadOwner, 'r'}, {QFile::WriteOwner, 'w'}, {QFile::ExeOwner, 'x'},
        {QFile::ReadGroup, 'r'}, {QFile::WriteGroup, 'w'}, {QFile::ExeGroup, 'x'},
        {QFile::ReadOther, 'r'}, {QFile::WriteOther, 'w'}, {QFile::ExeOther, 'x'}};
    QString text;
    for (const auto& [bit, c] : bits) text += (p & bit) ? QChar(c) : QChar('-');
    return text;
}

QString SizeText(int64_t bytes)
{
    return QString::fromStdString(FormatSizeKB(bytes)) + " KB (" + QLocale(QLocale::English).toString(qlonglong(bytes)) +
           " bytes)";
}

} // namespace

bool ReadFileProperties(const QString& path, TFileProperties& props)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) return false;
    props.Name = info.fileName();
    props.Folder = info.absolutePath();
    props.Type = QMimeDatabase().mimeTypeForFile(info).comment();
    props.Size = info.size();
    props.Modified = info.lastModified();
    props.Permissions = PermissionText(info.permissions());
    QImageReader reader(path);
    const QSize size = reader.canRead() ? reader.size() : QSize();
    props.Width = size.isValid() ? size.width() : 0;
    props.Height = size.isValid() ? size.height() : 0;
    return true;
}

QStringList FilePropertiesLines(const TFileProperties& p)
{
    QStringList lines;
    lines << "Name: " + p.Name << "Folder: " + p.Folder << "Type: " + p.Type << "Size: " + SizeText(p.Size)
          << "Modified: " + QLocale::c().toString(p.Modified, "yyyy-MM-dd HH:mm:ss")
          << "Permissions: " + p.Permissions;
    if (p.Width > 0 && p.Height > 0)
        lines << "Dimensions: " + QString::number(p.Width) + " x " + QString::number(p.Height) + " pixels";
    return lines;
}

void ShowFileProperties(QWidget* owner, const TFileProperties& props)
{
    QDialog box(owner);
    box.setWindowTitle(props.Name + " Properties");
    auto* layout = new QVBoxLayout(&box);
    auto* form = new QFormLayout;
    for (const QString& line : FilePropertiesLines(props)) {
        const int colon = line.indexOf(": ");
        auto* value = new QLabel(line.mid(colon + 2));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(line.left(colon + 1), value);
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    box.exec();
}
