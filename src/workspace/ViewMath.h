#pragma once
// The arithmetic of an image window's views: zoom scales, view centre and scroll positions, the
// initial and the fitting zoom, continuous zoom, panning, the three layouts and fitting the window
// to the picture. Pure functions, so the rules can be checked without a window.
#include <cstdint>

#include "platform/Geometry.h"

inline constexpr int MinZoom = 10;
inline constexpr int MaxZoom = 300;
inline constexpr int SpacerSize = 10;

// The scale factors of zoom z (percent) for a picture of picW x picH pixels, and the size of a view
// showing it.
struct TZoomScales
{
    int32_t Zoom = 100;
    float ScreenToPicture = 1;
    float PictureToScreen = 1;
    float PixelToMillionthX = 0;
    float PixelToMillionthY = 0;
    float MillionthToPixelX = 0;
    float MillionthToPixelY = 0;
    int32_t ViewWidth = 0;
    int32_t ViewHeight = 0;
};
TZoomScales CalcZoomScales(int32_t zoom, int32_t picW, int32_t picH);

inline bool CanZoomIn(int32_t zoom) { return zoom < MaxZoom; }
inline bool CanZoomOut(int32_t zoom) { return zoom > MinZoom; }

// One axis of the view centre as a fraction of the view: (min(view, client) div 2 + scroll) / view,
// 0.5 for a view below 1 pixel.
double ViewCentre(int32_t viewSize, int32_t clientSize, int32_t scrollPos);
// The scroll position that puts fraction f of the view in the middle of the client area.
int32_t ScrollPosFor(int32_t viewSize, double f, int32_t clientSize);

// The zoom a freshly loaded picture gets: 100, or just above the larger of the two fitting scales
// when the picture is larger than the box in both directions.
int32_t InitialZoom(int32_t clientW, int32_t clientH, int32_t picW, int32_t picH);
// The zoom at which a w x h picture fits the client area (not limited to 10..300); 0 for an empty picture.
int32_t FittingZoom(int32_t clientW, int32_t clientH, int32_t picW, int32_t picH);

// The zoom after one continuous-zoom step: unchanged when the step would go past a limit from
// where it stands (the limit is tested before the step).
int32_t ContinuousZoomStep(int32_t zoom, int32_t step);
// The fraction the view centre moves to in one continuous-zoom step toward the zoom point.
inline double ZoomDrift(double centre, double point) { return centre + (point - centre) * 0.12; }

// Panning: every fourth mouse move is skipped; the travel is divided by 1.5.
inline bool PanMoveApplies(int32_t moveCount) { return moveCount % 4 != 0; }
int32_t PanDelta(int32_t travel);

// Where the two views and the spacer go in a client area of clientW x clientH above a status bar
// of statusH pixels; layout 0 side by side, 1 one above the other, 2 result only.
struct TViewLayoutRects
{
    TRect Source;
    TRect Spacer;
    TRect Result;
    bool SourceVisible = true;
};
TViewLayoutRects CalcViewLayout(int32_t layout, int32_t clientW, int32_t clientH, int32_t statusH);

// The window rectangle that shows the whole picture at the current zoom and layout within area.
// window: the window's current rectangle; view/client: the (source or result) view's picture size
// and its box's client size.
TRect FitWindowRect(int32_t layout, const TRect& window, int32_t viewW, int32_t viewH, int32_t clientW,
                    int32_t clientH, const TRect& area);

// The size an image window gets in an MDI area of areaW x areaH: three quarters of the area, but
// at least 320 x 240 where the area has room, and never larger than the area.
TRect ImageWindowSize(int32_t areaW, int32_t areaH);
// The place of the window at cascade step `index`: each step moves step pixels right and down from
// the top left; a window that would leave the area starts again at the top left.
TRect CascadeRect(int32_t index, int32_t areaW, int32_t areaH, int32_t step);
