#pragma once
// Nearest-neighbour stretching of the visible part of a bitmap shown at another size: only the
// pixels of the requested rectangle are produced, through precomputed column and row tables.
#include <QImage>
#include <QRect>

#include "platform/Bitmap.h"

// The bitmap shown at imageW x imageH; area is the part wanted, in image coordinates. Image point
// (x, y) shows bitmap column x x bitmapWidth / imageW and row y x bitmapHeight / imageH (rounded
// down). Returns an RGB32 image of area's size (null when area is empty or outside the image).
QImage StretchVisiblePart(const TBitmap& bitmap, int imageW, int imageH, const QRect& area);

// The bitmap column (or row) shown at image position pos of an image of imageSize showing a
// bitmap of bitmapSize.
inline int StretchSource(int pos, int imageSize, int bitmapSize)
{
    return int(int64_t(pos) * bitmapSize / imageSize);
}
