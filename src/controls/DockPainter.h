#pragma once
// The classic 3-D look of the docks and tool windows, drawn from palette roles: face Button,
// 3-D highlight Light, light Midlight, shadow Dark, dark shadow Shadow.
#include <QBrush>
#include <QPalette>
#include <QRect>
#include <QString>

class QPainter;

enum class TEdgePart { RaisedOuter, RaisedInner, SunkenOuter, SunkenInner };
enum TEdgeSides : unsigned { esLeft = 1, esTop = 2, esRight = 4, esBottom = 8, esAll = 15 };

// One pixel of an edge along the chosen sides of r; returns r shrunk by one on those sides.
QRect DrawEdgePart(QPainter& p, const QRect& r, TEdgePart part, const QPalette& pal, unsigned sides = esAll);
// The outer and the inner part together (a raised or sunken 2-pixel edge).
QRect DrawEdge(QPainter& p, const QRect& r, bool raised, const QPalette& pal, unsigned sides = esAll);

// The 8 × 8 halftone brush: every other pixel dark, the rest light, in a checkerboard.
QBrush HalftoneBrush();

// A caption close button: a raised (or, pushed, sunken) square with a drawn × in it.
void DrawCloseButton(QPainter& p, const QRect& r, bool pushed, const QPalette& pal);

// The floating caption bar: filled with Highlight (active) or Dark (inactive), the text in
// HighlightedText or Button, in the application's sans font at 11 pixels, shortened with "..." to
// end before x = textRight (the close button's left edge, so the text never runs under it).
void DrawSmallCaption(QPainter& p, const QRect& bar, const QString& caption, bool active, const QPalette& pal,
                      int textRight);
