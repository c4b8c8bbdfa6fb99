#pragma once
// Where a dragged tool window would go, as one function of the cursor, the Ctrl key, the grip (the
// cursor's offset inside the window when the drag began), the candidate docks and the monitors.
// The drag's mouse handling calls it on every move and on every change of Ctrl, and shows what it
// answers; the choice itself needs no widgets.
#include <cstddef>
#include <functional>
#include <vector>

#include "platform/Geometry.h"

struct TDragDock
{
    TRect ScreenRect;   // the dock's rectangle on the screen (may be 0 thick)
    bool Vertical = false;
    TPoint Size;        // the window's outer size when docked there
};

struct TMonitorArea
{
    TRect Bounds;
    TRect WorkArea;
};

struct TDragTargetInput
{
    TPoint Cursor;
    bool Ctrl = false;        // while held the window never docks
    TPoint Grip;              // cursor offset inside the window at the start
    TPoint WindowSize;        // the window's outer size at the start
    bool CanFloat = true;
    std::vector<TDragDock> Docks; // candidates, in the order they are tried
    TPoint FloatSize;         // outer size when floating
    int FloatFrame = 4;       // floating frame thickness
    int FloatTopMargin = 20;  // floating frame's top non-client height
    std::vector<TMonitorArea> Monitors;
    // Asked for a dock that can take the point before it becomes the target; none means yes.
    std::function<bool(size_t dock)> RequestDock;
};

struct TDragTargetResult
{
    int Dock = -1;        // index into Docks, or -1 for floating (or nowhere)
    TRect Outline;        // empty when the window may not go here
    bool Forbidden = false; // show the not-allowed cursor
    bool operator==(const TDragTargetResult&) const = default;
};

TDragTargetResult ChooseDragTarget(const TDragTargetInput& in);

// Whether the dock takes the cursor point: its rectangle widened by the 32/20 slack scaled by the
// grip, a vertical dock only over its own height, and the outline placed for it touching it.
bool CanDockAt(const TDragDock& dock, const TDragTargetInput& in);
// The outline of the given size placed so that the cursor keeps its relative place in it.
TRect OutlineAt(TPoint cursor, TPoint grip, TPoint windowSize, TPoint size);

// The index of the monitor whose bounds hold the point, else the nearest; -1 without monitors.
int MonitorOfPoint(const std::vector<TRect>& areas, TPoint p);
// The index of the area that holds most of the rectangle, else the nearest; -1 without areas.
int MonitorOfRect(const std::vector<TRect>& areas, const TRect& r);
// A floating window's bounds kept inside the work area of the monitor that holds it (or the nearest
// one). With onlyIfFullyOffscreen nothing moves while the bounds touch that area.
TRect MoveRectOnScreen(const TRect& bounds, const std::vector<TRect>& workAreas, bool onlyIfFullyOffscreen);
