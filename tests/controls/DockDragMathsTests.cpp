// The drag target choice, the on-screen rule and the frame metrics on plain numbers; every expected
// value is worked out by hand in the comments.
#include <gtest/gtest.h>

#include "controls/DockDragTarget.h"
#include "controls/ToolWindowMetrics.h"

namespace {

// One monitor 1600 × 1000 with a 30-pixel panel at the bottom; a top dock from (100,100) to
// (900,130) and a left dock from (100,130) to (130,600). The window is 200 × 26, taken at (10,10).
TDragTargetInput Scene()
{
    TDragTargetInput in;
    in.Grip = {10, 10};
    in.WindowSize = {200, 26};
    in.FloatSize = {204, 46};
    in.FloatFrame = 4;
    in.FloatTopMargin = 20;
    in.Monitors = {{Rect(0, 0, 1600, 1000), Rect(0, 0, 1600, 970)}};
    in.Docks = {{Rect(100, 100, 900, 130), false, {200, 26}}, {Rect(100, 130, 130, 600), true, {30, 180}}};
    return in;
}

TEST(DockDragTarget, CtrlNeverDocksAndTheOutlineKeepsTheGrip)
{
    TDragTargetInput in = Scene();
    in.Cursor = {300, 115};
    // Docked size equals the window's: the grip stays (10,10).
    EXPECT_EQ(ChooseDragTarget(in), (TDragTargetResult{0, Rect(290, 105, 490, 131), false}));
    in.Ctrl = true;
    // Floating 204 × 46: grip 10·203/199 = 10, 10·45/25 = 18.
    EXPECT_EQ(ChooseDragTarget(in), (TDragTargetResult{-1, Rect(290, 97, 494, 143), false}));
    in.Ctrl = false;
    EXPECT_EQ(ChooseDragTarget(in).Dock, 0);
}

TEST(DockDragTarget, CanDockSlackFollowsTheGrip)
{
    // Only the top dock: S = 32·10/200 = 1, T = 20·10/26 = 7, so X runs 100−31 .. 899+1 and
    // Y 100−13 .. 129+7.
    TDragTargetInput in = Scene();
    in.Docks.resize(1);
    struct { int X, Y; bool Docks; } const cases[] = {
        {69, 115, true}, {68, 115, false}, {900, 115, true}, {901, 115, false},
        {300, 87, true}, {300, 86, false}, {300, 136, true}, {300, 137, false},
    };
    for (const auto& c : cases) {
        in.Cursor = {c.X, c.Y};
        EXPECT_EQ(ChooseDragTarget(in).Dock == 0, c.Docks) << c.X << "," << c.Y;
    }
    // A vertical dock takes the cursor only over its own height, whatever the slack.
    in = Scene();
    in.Docks.erase(in.Docks.begin());
    in.Cursor = {115, 128};
    EXPECT_EQ(ChooseDragTarget(in).Dock, -1);
    in.Cursor = {115, 130};
    EXPECT_EQ(ChooseDragTarget(in).Dock, 0);
    // A dock that refuses is passed over.
    in.RequestDock = [](size_t) { return false; };
    EXPECT_EQ(ChooseDragTarget(in).Dock, -1);
}

TEST(DockDragTarget, WindowsThatMayNotFloatStayOnTheirDocks)
{
    TDragTargetInput in = Scene();
    in.CanFloat = false;
    in.Cursor = {1200, 600};
    EXPECT_EQ(ChooseDragTarget(in), (TDragTargetResult{-1, TRect{}, true}));
    // Kept to its own (top) dock: over the left dock there is nowhere to go.
    in.Docks.resize(1);
    in.Cursor = {115, 400};
    EXPECT_EQ(ChooseDragTarget(in), (TDragTargetResult{-1, TRect{}, true}));
    in.Cursor = {500, 110};
    EXPECT_EQ(ChooseDragTarget(in).Dock, 0);
}

TEST(DockDragTarget, AnEmptyDockAcceptsNearItsEdge)
{
    // A bottom dock of no height at y = 900, widened to 899..900: T = 7, so Y runs 886 .. 907.
    TDragTargetInput in = Scene();
    in.Docks = {{Rect(100, 900, 900, 900), false, {200, 26}}};
    in.Cursor = {300, 895};
    EXPECT_EQ(ChooseDragTarget(in).Dock, 0);
    in.Cursor = {300, 886};
    EXPECT_EQ(ChooseDragTarget(in).Dock, 0);
    in.Cursor = {300, 885};
    EXPECT_EQ(ChooseDragTarget(in).Dock, -1);
}

TEST(DockDragTarget, FloatingOutlineStaysReachable)
{
    TDragTargetInput in = Scene();
    in.Docks.clear();
    struct { const char* Name; TPoint Grip, Cursor; TRect Want; } const cases[] = {
        // Cursor clamped to x = 0: left 0 − 10.
        {"left of the screen", {10, 10}, {-500, 500}, Rect(-10, 482, 194, 528)},
        // Grip 25 → 25·45/25 = 45 above y = 0; the top may rise only to 0 + 4 − 20.
        {"above the screen", {10, 25}, {300, -300}, Rect(290, -16, 494, 30)},
        // Grip 0 at x = 1599: left 1599 is past 1600 − 8, so it moves to 1591.
        {"right edge", {0, 10}, {1599, 500}, Rect(1591, 482, 1795, 528)},
        // Cursor clamped to y = 969; the outline's top 951 lies above 970 − 8.
        {"below the panel", {10, 10}, {300, 2000}, Rect(290, 951, 494, 997)},
    };
    for (const auto& c : cases) {
        in.Grip = c.Grip;
        in.Cursor = c.Cursor;
        EXPECT_EQ(ChooseDragTarget(in).Outline, c.Want) << c.Name;
    }
}

TEST(DockDragTarget, TinyWindowsNeverDivideByZero)
{
    TDragTargetInput in = Scene();
    for (int size : {0, 1}) {
        in.WindowSize = {size, size};
        in.Grip = {0, 0};
        in.Cursor = {300, 110};
        TDragTargetResult r = ChooseDragTarget(in);
        EXPECT_EQ(r.Dock, 0) << size;
        EXPECT_EQ(r.Outline, Rect(300, 110, 500, 136)) << size;
        in.Docks[0].Size = {size, size};
        in.FloatSize = {size, size};
        in.Ctrl = true;
        EXPECT_EQ(ChooseDragTarget(in).Outline.Left, 300) << size;
        in = Scene();
    }
}

TEST(MoveRectOnScreen, KeepsWindowsInTheWorkAreaOfTheirMonitor)
{
    const std::vector<TRect> two{Rect(0, 0, 1600, 970), Rect(1600, 0, 2880, 1024)};
    struct { const char* Name; TRect In; bool OnlyIfOff; TRect Want; } const cases[] = {
        {"beyond the second monitor", Rect(3000, 100, 3200, 150), true, Rect(2680, 100, 2880, 150)},
        {"straddling, only if off", Rect(1450, 100, 1650, 150), true, Rect(1450, 100, 1650, 150)},
        {"straddling, mostly on the first", Rect(1450, 100, 1650, 150), false, Rect(1400, 100, 1600, 150)},
        {"above and left of everything", Rect(-300, -300, -100, -250), true, Rect(0, 0, 200, 50)},
        {"touching the second's bottom, only if off", Rect(1700, 1000, 1900, 1050), true, Rect(1700, 1000, 1900, 1050)},
        {"below the second's bottom", Rect(1700, 1000, 1900, 1050), false, Rect(1700, 974, 1900, 1024)},
        {"wider than the area: the left edge wins", Rect(0, 0, 3000, 100), false, Rect(0, 0, 3000, 100)},
    };
    for (const auto& c : cases) EXPECT_EQ(MoveRectOnScreen(c.In, two, c.OnlyIfOff), c.Want) << c.Name;
    EXPECT_EQ(MoveRectOnScreen(Rect(5, 5, 9, 9), {}, false), Rect(5, 5, 9, 9));
}

TEST(ToolWindowMetrics, FramesHandlesAndButtons)
{
    struct { TDragHandleStyle Style; bool Close, AllowDrag; int Want; } const handles[] = {
        {TDragHandleStyle::dhDouble, false, true, 9}, {TDragHandleStyle::dhSingle, false, true, 6},
        {TDragHandleStyle::dhNone, false, true, 0},   {TDragHandleStyle::dhNone, true, true, 14},
        {TDragHandleStyle::dhDouble, true, false, 0},
    };
    for (const auto& h : handles) EXPECT_EQ(DragHandleWidth(h.Style, h.Close, h.AllowDrag), h.Want);
    EXPECT_EQ(DockedMargins(false, 9), (TFrameMargins{11, 2, 2, 2}));
    EXPECT_EQ(DockedMargins(true, 9), (TFrameMargins{2, 11, 2, 2}));
    EXPECT_EQ(FloatingMargins(true, true), (TFrameMargins{4, 20, 4, 4}));
    EXPECT_EQ(FloatingMargins(false, false), (TFrameMargins{3, 3, 3, 3}));
    EXPECT_EQ(FloatingCaptionRect(100, true, true), Rect(4, 4, 96, 19));
    EXPECT_EQ(FloatingCloseRect(100, true, true), Rect(81, 4, 96, 19));
    EXPECT_EQ(DockedCloseRect(false, 200), Rect(3, 2, 14, 13));
    EXPECT_EQ(DockedCloseRect(true, 30), Rect(17, 3, 28, 14)); // client 26 + 2 − 11
    // Double bars 5 in with the close button, running from 2 + 12 down to the client length + 2.
    THandleBars bars = DragHandleBars(TDragHandleStyle::dhDouble, true, false, 22);
    EXPECT_EQ(bars.Count, 2);
    EXPECT_EQ(bars.First, Rect(5, 14, 8, 24));
    bars = DragHandleBars(TDragHandleStyle::dhSingle, false, true, 100);
    EXPECT_EQ(bars.Count, 1);
    EXPECT_EQ(bars.First, Rect(2, 3, 102, 6));
}

TEST(ToolWindowMetrics, FloatingHitTest)
{
    // A 100 × 60 resizable frame: 4-pixel edges, corners 20 pixels long, close square (81,4)-(96,19).
    struct { int X, Y; bool Resize, Corners, Close; THitCode Want; } const cases[] = {
        {0, 30, true, true, true, THitCode::Left},      {99, 30, true, true, true, THitCode::Right},
        {50, 0, true, true, true, THitCode::Top},       {50, 59, true, true, true, THitCode::Bottom},
        {0, 0, true, true, true, THitCode::TopLeft},    {19, 2, true, true, true, THitCode::TopLeft},
        {20, 2, true, true, true, THitCode::Top},       {99, 59, true, true, true, THitCode::BottomRight},
        {2, 45, true, true, true, THitCode::BottomLeft}, {97, 10, true, true, true, THitCode::TopRight},
        {50, 10, true, true, true, THitCode::Client},   {85, 10, true, true, true, THitCode::Close},
        {85, 10, true, true, false, THitCode::Client},  {0, 30, false, true, true, THitCode::Client},
        {0, 0, true, false, true, THitCode::Left},      {50, 30, true, true, true, THitCode::Client},
    };
    for (const auto& c : cases) {
        TFloatingHitInput in;
        in.Point = {c.X, c.Y};
        in.Width = 100;
        in.Height = 60;
        in.AllowResize = c.Resize;
        in.ResizeCorners = c.Corners;
        in.CloseButton = c.Close;
        EXPECT_EQ(FloatingHitTest(in), c.Want) << c.X << "," << c.Y;
    }
}

TEST(ToolWindowMetrics, ResizingStopsAtTheMinimumFromEverySide)
{
    const TRect start = Rect(100, 100, 300, 200); // minimum 50 × 40
    struct { THitCode Code; TPoint Delta; TRect Want; } const cases[] = {
        {THitCode::Left, {300, 0}, Rect(250, 100, 300, 200)},   {THitCode::Left, {-30, 5}, Rect(70, 100, 300, 200)},
        {THitCode::Right, {-500, 0}, Rect(100, 100, 150, 200)}, {THitCode::Top, {0, 100}, Rect(100, 160, 300, 200)},
        {THitCode::Bottom, {0, -90}, Rect(100, 100, 300, 140)}, {THitCode::TopLeft, {-20, -30}, Rect(80, 70, 300, 200)},
        {THitCode::BottomRight, {-400, -400}, Rect(100, 100, 150, 140)},
    };
    for (const auto& c : cases) EXPECT_EQ(ResizedRect(start, c.Delta, c.Code, 50, 40), c.Want) << int(c.Code);
}

TEST(ToolWindowMetrics, CaptionsAreShortenedWithDots)
{
    auto sixEach = [](const std::string& t) { return int(t.size()) * 6; };
    EXPECT_EQ(ShortenCaption("Toolbar", 42, sixEach), "Toolbar");
    EXPECT_EQ(ShortenCaption("Toolbar", 41, sixEach), "Too...");
    EXPECT_EQ(ShortenCaption("Toolbar", 0, sixEach), "T...");
    EXPECT_EQ(ShortenCaption("", 0, sixEach), "");
    // Characters are dropped whole: "Größere" loses "ere", then the two-byte 'ß'.
    auto perChar = [](const std::string& t) {
        return 6 * int(std::count_if(t.begin(), t.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    };
    EXPECT_EQ(ShortenCaption("Gr\xC3\xB6\xC3\x9F" "ere", 41, perChar), "Gr\xC3\xB6...");
}

} // namespace
