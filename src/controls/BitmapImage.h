#pragma once
// A TBitmap seen through a QImage. 1-, 8-, 24- and 32-bit bitmaps are wrapped without copying (the
// QImage then shares the bitmap's pixels and is valid while the bitmap is unchanged); the other
// depths are converted.
#include <QImage>

#include "platform/Bitmap.h"

QImage BitmapAsQImage(const TBitmap& bitmap);
// A 24-bit bitmap with the pixels of image (alpha dropped).
TBitmap BitmapFromQImage(const QImage& image);
