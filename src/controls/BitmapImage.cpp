#include "controls/BitmapImage.h"

#include <cstring>

namespace {
QList<QRgb> ColorTable(const TBitmap& bitmap, int entries)
{
    TRGBQuad colours[256];
    bitmap.IndexColours(colours);
    QList<QRgb> table;
    for (int i = 0; i < entries; ++i) table.append(qRgb(colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue));
    return table;
}
} // namespace

QImage BitmapAsQImage(const TBitmap& bitmap)
{
    if (bitmap.Empty()) return QImage();
    const uchar* bits = bitmap.Bits();
    int w = bitmap.Width(), h = bitmap.Height();
    qsizetype stride = qsizetype(bitmap.Stride());
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf24bit: return QImage(bits, w, h, stride, QImage::Format_BGR888);
    case TPixelFormat::pf32bit: return QImage(bits, w, h, stride, QImage::Format_RGB32);
    case TPixelFormat::pf8bit: {
        QImage img(bits, w, h, stride, QImage::Format_Indexed8);
        img.setColorTable(ColorTable(bitmap, 256));
        return img;
    }
    case TPixelFormat::pf1bit: {
        QImage img(bits, w, h, stride, QImage::Format_Mono);
        img.setColorTable(ColorTable(bitmap, 2));
        return img;
    }
    default: {
        TBitmap copy = bitmap.To24();
        return QImage(copy.Bits(), w, h, qsizetype(copy.Stride()), QImage::Format_BGR888).copy();
    }
    }
}

TBitmap BitmapFromQImage(const QImage& image)
{
    if (image.isNull()) return TBitmap();
    QImage src = image.convertToFormat(QImage::Format_BGR888);
    TBitmap bmp(src.width(), src.height(), TPixelFormat::pf24bit);
    size_t rowBytes = size_t(src.width()) * 3;
    for (int y = 0; y < src.height(); ++y) std::memcpy(bmp.ScanLine(y), src.constScanLine(y), rowBytes);
    bmp.Modified();
    return bmp;
}
