#pragma once
// The cursors of the image views by slot: 1 hand, 2 grabbing hand, 3 rectangle, 4 ellipse and
// 5 polygon selection, 6 zoom, 7 zoom while held. The main window may install its own.
#include <QCursor>

QCursor ImageCursor(int slot);
void SetImageCursor(int slot, const QCursor& cursor);
