#pragma once
// Between Qt's rectangles and points and the plain ones of platform/Geometry.h (right and bottom
// edges exclusive in both: a QRect's width is kept).
#include <QPoint>
#include <QRect>

#include "platform/Geometry.h"

inline TRect ToTRect(const QRect& r) { return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }
inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
inline TPoint ToTPoint(const QPoint& p) { return {p.x(), p.y()}; }
