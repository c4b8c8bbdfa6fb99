#pragma once
// Selection areas between view points, picture pixels and millionths of the picture's size.
#include "codec/SelUnit.h"
#include "platform/Geometry.h"
#include "workspace/ViewMath.h"

// A view point in millionths: first to picture pixels, then to millionths, each step rounded.
TSelPoint ViewToMillionths(int32_t x, int32_t y, const TZoomScales& s);
// Millionths to a view point: first to picture pixels, then to view points, each step rounded.
TPoint MillionthsToView(int32_t mx, int32_t my, const TZoomScales& s);
// A rectangle or ellipse from beg to end (millionths) is too small to keep: its corners differ by
// less than 3 picture pixels horizontally or vertically.
bool SelectionTooSmall(const TSelPoint& beg, const TSelPoint& end, const TZoomScales& s);
