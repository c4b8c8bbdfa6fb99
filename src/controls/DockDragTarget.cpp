#include "controls/DockDragTarget.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int KSlackX = 32; // how far beside a dock the cursor may be and still dock
constexpr int KSlackY = 20;
constexpr int KFloatKeep = 4; // pixels a floating outline keeps inside the work area beyond its frame

bool Intersects(const TRect& a, const TRect& b)
{
    return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) && std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

int64_t DistanceSquared(const TRect& r, TPoint p)
{
    int64_t dx = p.X < r.Left ? r.Left - p.X : (p.X >= r.Right ? p.X - r.Right + 1 : 0);
    int64_t dy = p.Y < r.Top ? r.Top - p.Y : (p.Y >= r.Bottom ? p.Y - r.Bottom + 1 : 0);
    return dx * dx + dy * dy;
}

int64_t DistanceSquared(const TRect& a, const TRect& b)
{
    int64_t dx = std::max<int64_t>({0, int64_t(b.Left) - a.Right, int64_t(a.Left) - b.Right});
    int64_t dy = std::max<int64_t>({0, int64_t(b.Top) - a.Bottom, int64_t(a.Top) - b.Bottom});
    return dx * dx + dy * dy;
}

// grip × (new − 1) ÷ (old − 1): the grip's offset carried over to a window of another size.
int ScaleGrip(int grip, int oldSize, int newSize)
{
    if (oldSize <= 1 || newSize <= 1) return 0;
    grip = std::clamp(grip, 0, oldSize - 1);
    return int(int64_t(grip) * (newSize - 1) / (oldSize - 1));
}

TRect Moved(const TRect& r, int dx, int dy) { return Rect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy); }

} // namespace

TRect OutlineAt(TPoint cursor, TPoint grip, TPoint windowSize, TPoint size)
{
    const int left = cursor.X - ScaleGrip(grip.X, windowSize.X, size.X);
    const int top = cursor.Y - ScaleGrip(grip.Y, windowSize.Y, size.Y);
    return Rect(left, top, left + size.X, top + size.Y);
}

bool CanDockAt(const TDragDock& dock, const TDragTargetInput& in)
{
    TRect r = dock.ScreenRect;
    if (dock.Vertical && r.Width() <= 0) r.Left -= 1, r.Right = r.Left + 2;
    if (!dock.Vertical && r.Height() <= 0) r.Top -= 1, r.Bottom = r.Top + 2;
    const int s = in.WindowSize.X > 0 ? int(int64_t(KSlackX) * std::clamp(in.Grip.X, 0, in.WindowSize.X) / in.WindowSize.X) : 0;
    const int t = in.WindowSize.Y > 0 ? int(int64_t(KSlackY) * std::clamp(in.Grip.Y, 0, in.WindowSize.Y) / in.WindowSize.Y) : 0;
    const TPoint c = in.Cursor;
    if (c.X < r.Left - (KSlackX - s) || c.X > r.Right - 1 + s) return false;
    if (c.Y < r.Top - (KSlackY - t) || c.Y > r.Bottom - 1 + t) return false;
    if (dock.Vertical && (c.Y < r.Top || c.Y >= r.Bottom)) return false;
    return Intersects(OutlineAt(c, in.Grip, in.WindowSize, dock.Size), r);
}

TDragTargetResult ChooseDragTarget(const TDragTargetInput& in)
{
    if (!in.Ctrl)
        for (size_t i = 0; i < in.Docks.size(); ++i)
            if (CanDockAt(in.Docks[i], in) && (!in.RequestDock || in.RequestDock(i)))
                return {int(i), OutlineAt(in.Cursor, in.Grip, in.WindowSize, in.Docks[i].Size), false};
    if (!in.CanFloat) return {-1, TRect{}, true};

    TPoint p = in.Cursor;
    std::vector<TRect> bounds;
    for (const TMonitorArea& m : in.Monitors) bounds.push_back(m.Bounds);
    const int m = MonitorOfPoint(bounds, p);
    TRect outline;
    if (m < 0) return {-1, OutlineAt(p, in.Grip, in.WindowSize, in.FloatSize), false};
    const TRect w = in.Monitors[size_t(m)].WorkArea;
    p.X = std::clamp(p.X, w.Left, std::max(w.Left, w.Right - 1));
    p.Y = std::clamp(p.Y, w.Top, std::max(w.Top, w.Bottom - 1));
    outline = OutlineAt(p, in.Grip, in.WindowSize, in.FloatSize);

    // The outline keeps a part of itself inside the work area less the frame, and its caption below
    // the work area's top.
    const int keepX = in.FloatFrame + KFloatKeep, keepY = in.FloatFrame + KFloatKeep;
    const TRect inner = Rect(w.Left + keepX, w.Top + keepY, w.Right - keepX, w.Bottom - keepY);
    if (outline.Right <= inner.Left) outline = Moved(outline, inner.Left + 1 - outline.Right, 0);
    if (outline.Left >= inner.Right) outline = Moved(outline, inner.Right - 1 - outline.Left, 0);
    if (outline.Bottom <= inner.Top) outline = Moved(outline, 0, inner.Top + 1 - outline.Bottom);
    if (outline.Top >= inner.Bottom) outline = Moved(outline, 0, inner.Bottom - 1 - outline.Top);
    const int highest = w.Top + KFloatKeep - in.FloatTopMargin;
    if (outline.Top < highest) outline = Moved(outline, 0, highest - outline.Top);
    return {-1, outline, false};
}

int MonitorOfPoint(const std::vector<TRect>& areas, TPoint p)
{
    int best = -1;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < areas.size(); ++i) {
        int64_t d = DistanceSquared(areas[i], p);
        if (d < bestDistance) bestDistance = d, best = int(i);
    }
    return best;
}

int MonitorOfRect(const std::vector<TRect>& areas, const TRect& r)
{
    int best = -1;
    int64_t bestArea = 0;
    for (size_t i = 0; i < areas.size(); ++i) {
        const TRect& a = areas[i];
        int64_t w = int64_t(std::min(a.Right, r.Right)) - std::max(a.Left, r.Left);
        int64_t h = int64_t(std::min(a.Bottom, r.Bottom)) - std::max(a.Top, r.Top);
        if (w > 0 && h > 0 && w * h > bestArea) bestArea = w * h, best = int(i);
    }
    if (best >= 0) return best;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < areas.size(); ++i) {
        int64_t d = DistanceSquared(areas[i], r);
        if (d < bestDistance) bestDistance = d, best = int(i);
    }
    return best;
}

TRect MoveRectOnScreen(const TRect& bounds, const std::vector<TRect>& workAreas, bool onlyIfFullyOffscreen)
{
    const int m = MonitorOfRect(workAreas, bounds);
    if (m < 0) return bounds;
    const TRect& w = workAreas[size_t(m)];
    if (onlyIfFullyOffscreen && Intersects(bounds, w)) return bounds;
    TRect r = bounds;
    if (r.Right > w.Right) r = Moved(r, w.Right - r.Right, 0);
    if (r.Bottom > w.Bottom) r = Moved(r, 0, w.Bottom - r.Bottom);
    if (r.Left < w.Left) r = Moved(r, w.Left - r.Left, 0);
    if (r.Top < w.Top) r = Moved(r, 0, w.Top - r.Top);
    return r;
}
