#pragma once
// What the file-actions menu's Properties box shows about a file.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>

class QWidget;

struct TFileProperties
{
    QString Name;
    QString Folder;
    QString Type;        // the MIME type's description, e.g. "JPEG image"
    int64_t Size = 0;    // bytes
    QDateTime Modified;
    QString Permissions; // "rw-r--r--"
    int Width = 0;       // a picture's size from its header; 0 when it is none
    int Height = 0;
};

// False when there is no such file.
bool ReadFileProperties(const QString& path, TFileProperties& props);

// The box's lines, "label: value", in order.
QStringList FilePropertiesLines(const TFileProperties& props);

// Shows the box (modal).
void ShowFileProperties(QWidget* owner, const TFileProperties& props);
