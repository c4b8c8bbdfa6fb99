#pragma once
// The frame of a tool window as plain numbers: the non-client sizes docked and floating, the drag
// handle, the close buttons, which part of a floating frame a point is on, the rectangle a resize
// gives, and the shortening of a caption that does not fit. No widgets; the painter and the mouse
// handling of the tool window ask these.
#include <functional>
#include <string>

#include "platform/Geometry.h"

enum class TDragHandleStyle { dhDouble, dhNone, dhSingle };

constexpr int KFixedFrame = 3;      // floating frame of a window that cannot be resized
constexpr int KSizingFrame = 4;     // floating frame of a resizable window
constexpr int KSmallCaption = 16;   // small caption height; the bar drawn is one pixel less
constexpr int KDockedFrame = 2;     // each side of a docked window
constexpr int KDockedCloseSize = 11;

struct TFrameMargins
{
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Left + Right; }
    int Height() const { return Top + Bottom; }
    bool operator==(const TFrameMargins&) const = default;
};

// Width of the drag handle: 0 when the dock does not allow dragging.
int DragHandleWidth(TDragHandleStyle style, bool closeButtonWhenDocked, bool dockAllowsDrag);
// A docked window's frame: 2 on each side, plus the handle at the left (horizontal dock) or top.
TFrameMargins DockedMargins(bool vertical, int handleWidth);
// A floating window's frame: the sizing or fixed frame, the caption on top when shown.
TFrameMargins FloatingMargins(bool allowResize, bool showCaption);
int FloatingFrameSize(bool allowResize);

// The caption bar of a floating window of the given outer width (window coordinates); empty
// without a caption.
TRect FloatingCaptionRect(int windowWidth, bool allowResize, bool showCaption);
// The close square at the bar's right end, as wide as the bar is high.
TRect FloatingCloseRect(int windowWidth, bool allowResize, bool showCaption);
// The docked close square, in window coordinates, for a window of the given outer width.
TRect DockedCloseRect(bool vertical, int windowWidth);

// The first handle bar and the run of the bars, in window coordinates: bars 3 pixels thick lying
// side by side across the handle. Empty for dhNone.
struct THandleBars
{
    int Count = 0;
    TRect First; // the next bar is First moved by 3 across the handle
};
THandleBars DragHandleBars(TDragHandleStyle style, bool closeButtonWhenDocked, bool vertical, int clientLength);

enum class THitCode { Client, Close, Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

struct TFloatingHitInput
{
    TPoint Point;  // window coordinates
    int Width = 0, Height = 0;
    bool AllowResize = true, ResizeCorners = true, ShowCaption = true, CloseButton = true;
};
THitCode FloatingHitTest(const TFloatingHitInput& in);
// Which sides a resize from that part moves.
struct TResizeSides
{
    bool Left = false, Top = false, Right = false, Bottom = false;
};
TResizeSides SidesOf(THitCode code);
bool IsResizeCode(THitCode code);
// The rectangle a resize gives: the chosen sides of `start` moved by `delta`, a side moved back
// where the window would become smaller than the minimum.
TRect ResizedRect(const TRect& start, TPoint delta, THitCode code, int minWidth, int minHeight);

// The caption text that fits `width` pixels: as it is when it fits, else with "..." appended,
// dropping the character before the "..." while it is too wide and at least 5 characters long.
std::string ShortenCaption(const std::string& text, int width, const std::function<int(const std::string&)>& textWidth);
