#pragma once
// Small whole-bitmap helpers used by the prefilter and the picture dialogs.
#include "platform/Bitmap.h"

// A bitmap of the same pixel format, size and palette as `graphic`, its pixels zero.
TBitmap CloneBitmapFormat(const TBitmap& graphic);

// Copies the pixels of Src into Dst over the area both have (the smaller width and height); the
// two must have the same pixel format. Returns false, copying nothing, when they do not.
bool CopyBitmapBits(const TBitmap& Src, TBitmap& Dst);

// Dest := B + (A - B) * t byte by byte, t = Min(|Percent|, 100) / 100, rounded half to even, over
// the area that all three bitmaps have. Nothing happens (false) when A or B is missing or the
// pixel formats differ. Dest may be A or B.
bool BlendBitmaps(TBitmap& Dest, const TBitmap* A, const TBitmap* B, int Percent);
