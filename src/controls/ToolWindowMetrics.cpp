#include "controls/ToolWindowMetrics.h"

#include <algorithm>

namespace {

constexpr int KBarThickness = 3;
constexpr int KCloseShortening = 12; // handle bars stop this far short at the docked close button

bool Inside(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }

} // namespace

int DragHandleWidth(TDragHandleStyle style, bool closeButtonWhenDocked, bool dockAllowsDrag)
{
    if (!dockAllowsDrag) return 0;
    if (closeButtonWhenDocked) return 14;
    switch (style) {
    case TDragHandleStyle::dhDouble: return 9;
    case TDragHandleStyle::dhSingle: return 6;
    case TDragHandleStyle::dhNone: break;
    }
    return 0;
}

TFrameMargins DockedMargins(bool vertical, int handleWidth)
{
    TFrameMargins m{KDockedFrame, KDockedFrame, KDockedFrame, KDockedFrame};
    (vertical ? m.Top : m.Left) += handleWidth;
    return m;
}

int FloatingFrameSize(bool allowResize) { return allowResize ? KSizingFrame : KFixedFrame; }

TFrameMargins FloatingMargins(bool allowResize, bool showCaption)
{
    const int f = FloatingFrameSize(allowResize);
    return {f, f + (showCaption ? KSmallCaption : 0), f, f};
}

TRect FloatingCaptionRect(int windowWidth, bool allowResize, bool showCaption)
{
    if (!showCaption) return {};
    const int f = FloatingFrameSize(allowResize);
    return Rect(f, f, std::max(f, windowWidth - f), f + KSmallCaption - 1);
}

TRect FloatingCloseRect(int windowWidth, bool allowResize, bool showCaption)
{
    TRect bar = FloatingCaptionRect(windowWidth, allowResize, showCaption);
    if (bar.IsEmpty()) return {};
    return Rect(bar.Right - bar.Height(), bar.Top, bar.Right, bar.Bottom);
}

TRect DockedCloseRect(bool vertical, int windowWidth)
{
    if (!vertical) return Rect(3, 2, 3 + KDockedCloseSize, 2 + KDockedCloseSize);
    const int left = windowWidth - 2 * KDockedFrame + 2 - KDockedCloseSize;
    return Rect(left, 3, left + KDockedCloseSize, 3 + KDockedCloseSize);
}

THandleBars DragHandleBars(TDragHandleStyle style, bool closeButtonWhenDocked, bool vertical, int clientLength)
{
    if (style == TDragHandleStyle::dhNone) return {};
    const bool dbl = style == TDragHandleStyle::dhDouble;
    const int across = closeButtonWhenDocked ? (dbl ? 5 : 7) : (dbl ? 4 : 3);
    int from = 2, to = clientLength + 2;
    if (closeButtonWhenDocked) (vertical ? to : from) += vertical ? -KCloseShortening : KCloseShortening;
    THandleBars bars;
    bars.Count = dbl ? 2 : 1;
    bars.First = vertical ? Rect(from, across, to, across + KBarThickness) : Rect(across, from, across + KBarThickness, to);
    return bars;
}

THitCode FloatingHitTest(const TFloatingHitInput& in)
{
    const TPoint p = in.Point;
    if (in.CloseButton && Inside(FloatingCloseRect(in.Width, in.AllowResize, in.ShowCaption), p)) return THitCode::Close;
    if (!in.AllowResize) return THitCode::Client;
    const int f = FloatingFrameSize(true);
    const int corner = in.ResizeCorners ? f + KSmallCaption : -1;
    const bool left = p.X < f, right = p.X >= in.Width - f, top = p.Y < f, bottom = p.Y >= in.Height - f;
    if (!(left || right || top || bottom)) return THitCode::Client;
    const bool nearLeft = p.X < corner, nearRight = p.X >= in.Width - corner;
    const bool nearTop = p.Y < corner, nearBottom = p.Y >= in.Height - corner;
    if ((left || top) && nearLeft && nearTop) return THitCode::TopLeft;
    if ((right || top) && nearRight && nearTop) return THitCode::TopRight;
    if ((left || bottom) && nearLeft && nearBottom) return THitCode::BottomLeft;
    if ((right || bottom) && nearRight && nearBottom) return THitCode::BottomRight;
    if (left) return THitCode::Left;
    if (right) return THitCode::Right;
    return top ? THitCode::Top : THitCode::Bottom;
}

TResizeSides SidesOf(THitCode c)
{
    TResizeSides s;
    s.Left = c == THitCode::Left || c == THitCode::TopLeft || c == THitCode::BottomLeft;
    s.Right = c == THitCode::Right || c == THitCode::TopRight || c == THitCode::BottomRight;
    s.Top = c == THitCode::Top || c == THitCode::TopLeft || c == THitCode::TopRight;
    s.Bottom = c == THitCode::Bottom || c == THitCode::BottomLeft || c == THitCode::BottomRight;
    return s;
}

bool IsResizeCode(THitCode code)
{
    TResizeSides s = SidesOf(code);
    return s.Left || s.Right || s.Top || s.Bottom;
}

TRect ResizedRect(const TRect& start, TPoint delta, THitCode code, int minWidth, int minHeight)
{
    const TResizeSides s = SidesOf(code);
    TRect r = start;
    if (s.Left) r.Left = std::min(start.Left + delta.X, start.Right - minWidth);
    if (s.Right) r.Right = std::max(start.Right + delta.X, start.Left + minWidth);
    if (s.Top) r.Top = std::min(start.Top + delta.Y, start.Bottom - minHeight);
    if (s.Bottom) r.Bottom = std::max(start.Bottom + delta.Y, start.Top + minHeight);
    return r;
}

std::string ShortenCaption(const std::string& text, int width, const std::function<int(const std::string&)>& textWidth)
{
    if (textWidth(text) <= width) return text;
    std::string s = text + "...";
    // Characters are dropped whole: a UTF-8 sequence goes with its lead byte.
    auto countChars = [](const std::string& t) {
        return std::count_if(t.begin(), t.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    };
    while (textWidth(s) > width && countChars(s) >= 5) {
        size_t end = s.size() - 3;
        if (end == 0) break;
        size_t start = end - 1;
        while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) --start;
        s.erase(start, end - start);
    }
    return s;
}
