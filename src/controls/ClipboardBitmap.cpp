#include "controls/ClipboardBitmap.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "controls/BitmapImage.h"

bool ClipboardHasBitmap()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

TBitmap GetClipboardBitmap() { return BitmapFromQImage(QGuiApplication::clipboard()->image()); }

void SetClipboardBitmap(const TBitmap& bitmap)
{
    // The clipboard keeps its own copy: the bitmap may change or go away after this call.
    QGuiApplication::clipboard()->setImage(BitmapAsQImage(bitmap).copy());
}
