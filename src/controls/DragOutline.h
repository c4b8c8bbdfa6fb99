#pragma once
// The outline shown while a tool window is dragged or resized: four thin top-level strips around a
// screen rectangle, painted with the halftone brush. They take no input, bypass the window manager
// and need no compositor; they move only when the rectangle or thickness changes.
#include <QRect>
#include <array>
#include <memory>

class QWidget;

class TDragOutline
{
public:
    TDragOutline();
    ~TDragOutline();
    // An empty rectangle (or thickness 0) hides the outline.
    void Show(const QRect& screenRect, int thickness);
    void Hide();
    QRect Rect() const { return FRect; }
    int Thickness() const { return FThickness; }
    bool Visible() const { return !FRect.isEmpty() && FThickness > 0; }
    // The strips' top-level widgets (for tests).
    std::array<QWidget*, 4> Strips() const;

private:
    std::array<std::unique_ptr<QWidget>, 4> FStrips;
    QRect FRect;
    int FThickness = 0;
};
