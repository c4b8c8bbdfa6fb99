#pragma once
// The bitmap on the system clipboard.
#include "platform/Bitmap.h"

bool ClipboardHasBitmap();
// The clipboard's picture as a 24-bit bitmap; an empty bitmap when it holds none.
TBitmap GetClipboardBitmap();
void SetClipboardBitmap(const TBitmap& bitmap);
