#pragma once
// The small picture of the current file that the batch progress window flies from folder to folder.
#include "platform/Bitmap.h"
#include "platform/Geometry.h"

constexpr int BatchThumbnailSize = 30;

// Draws source into the 30 x 30 24-bit thumbnail: the thumbnail is filled with background (0xRRGGBB),
// the picture is fitted into 28 x 28 (moved by one pixel), stretched into that rectangle and framed
// in white one pixel outside it; thumbRect receives the rectangle. A picture more than 16 times the
// rectangle is first reduced to a sixteenth, so a large picture is not sampled sparsely at once.
// Without a source only thumbRect, set to (3, 8)-(28, 24), is filled with white.
void DrawBatchThumbnail(TBitmap& thumbnail, TRect& thumbRect, const TBitmap* source, uint32_t background);
