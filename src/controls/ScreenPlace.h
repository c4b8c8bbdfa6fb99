#pragma once
// Keeping top-level windows reachable: a window counts as on screen while a grip of its top edge
// (the part the user takes it by) lies in the available area of a screen. The main window and the
// floating tool windows share these rules.
#include <QList>
#include <QRect>

// The available areas of all screens (without panels and docks of the desktop).
QList<QRect> AvailableScreens();

// Whether a grip of the window's top edge, 40 × 20 pixels (or the window's own size when smaller),
// lies in one of the areas.
bool GripOnScreens(const QRect& window, const QList<QRect>& screens);

// The window rectangle (position of the frame, client size) moved onto the available screen areas:
// kept when GripOnScreens holds, otherwise shrunk to fit and moved into the area nearest to it.
// Unchanged when there are no screens.
QRect PlaceOnScreens(const QRect& window, const QList<QRect>& screens);
