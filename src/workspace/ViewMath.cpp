#include "workspace/ViewMath.h"

#include <algorithm>

#include "platform/Round.h"

TZoomScales CalcZoomScales(int32_t zoom, int32_t picW, int32_t picH)
{
    TZoomScales s;
    s.Zoom = zoom;
    s.ScreenToPicture = 100.0f / float(zoom);
    s.PictureToScreen = 1.0f / s.ScreenToPicture;
    if (picW > 0 && picH > 0) {
        s.PixelToMillionthX = 1000000.0f / float(picW);
        s.PixelToMillionthY = 1000000.0f / float(picH);
        s.MillionthToPixelX = 1.0f / s.PixelToMillionthX;
        s.MillionthToPixelY = 1.0f / s.PixelToMillionthY;
        s.ViewWidth = RoundInt(double(picW) * zoom * 0.01);
        s.ViewHeight = RoundInt(double(picH) * zoom * 0.01);
    }
    return s;
}

double ViewCentre(int32_t viewSize, int32_t clientSize, int32_t scrollPos)
{
    if (viewSize < 1) return 0.5;
    return double(std::min(viewSize, clientSize) / 2 + scrollPos) / double(viewSize);
}

int32_t ScrollPosFor(int32_t viewSize, double f, int32_t clientSize)
{
    return std::max<int32_t>(0, RoundInt(double(viewSize) * f) - clientSize / 2);
}

int32_t InitialZoom(int32_t clientW, int32_t clientH, int32_t picW, int32_t picH)
{
    if (picW < 1 || picH < 1) return 100;
    int32_t a = RoundInt(double(clientW) / double(picW) * 100.0);
    int32_t b = RoundInt(double(clientH) / double(picH) * 100.0);
    int32_t m = std::max(a, b);
    return m < 100 ? m + 1 : 100;
}

int32_t FittingZoom(int32_t clientW, int32_t clientH, int32_t picW, int32_t picH)
{
    if (picW < 1 || picH < 1) return 0;
    return RoundInt(std::min(double(clientW) / double(picW), double(clientH) / double(picH)) * 100.0);
}

int32_t ContinuousZoomStep(int32_t zoom, int32_t step)
{
    if (step > 0 && !CanZoomIn(zoom)) return zoom;
    if (step < 0 && !CanZoomOut(zoom)) return zoom;
    return zoom + step;
}

int32_t PanDelta(int32_t travel) { return RoundInt(double(travel) / 1.5); }

TViewLayoutRects CalcViewLayout(int32_t layout, int32_t clientW, int32_t clientH, int32_t statusH)
{
    TViewLayoutRects r;
    if (layout == 1) {
        int32_t h = std::max(0, (clientH - SpacerSize - statusH) / 2);
        int32_t s = clientH - 2 * h - statusH;
        r.Source = Rect(0, 0, clientW, h);
        r.Spacer = Rect(0, h, clientW, h + s);
        r.Result = Rect(0, h + s, clientW, h + s + h);
    } else if (layout == 2) {
        r.SourceVisible = false;
        r.Result = Rect(0, 0, clientW, std::max(0, clientH - statusH));
    } else {
        int32_t w = std::max(0, (clientW - SpacerSize) / 2);
        int32_t h = std::max(0, clientH - statusH);
        int32_t sw = clientW - 2 * w;
        r.Source = Rect(0, 0, w, h);
        r.Spacer = Rect(w, 0, w + sw, h);
        r.Result = Rect(w + sw, 0, w + sw + w, h);
    }
    return r;
}

TRect FitWindowRect(int32_t layout, const TRect& window, int32_t viewW, int32_t viewH, int32_t clientW,
                    int32_t clientH, const TRect& area)
{
    int32_t dw = viewW - clientW;
    int32_t dh = viewH - clientH;
    int32_t extraW = layout == 0 ? 2 * dw : dw;
    int32_t extraH = layout == 1 ? 2 * dh : dh;
    int32_t w = std::min(window.Width() + extraW, area.Right);
    int32_t h = std::min(window.Height() + extraH, area.Bottom);
    int32_t left = std::max(0, std::min(area.Right - w, window.Left));
    int32_t top = std::max(0, std::min(area.Bottom - h, window.Top));
    return Rect(left, top, left + w, top + h);
}

TRect ImageWindowSize(int32_t areaW, int32_t areaH)
{
    auto side = [](int32_t area, int32_t least) { return std::max(0, std::min(area, std::max(least, area * 3 / 4))); };
    return Rect(0, 0, side(areaW, 320), side(areaH, 240));
}

TRect CascadeRect(int32_t index, int32_t areaW, int32_t areaH, int32_t step)
{
    TRect size = ImageWindowSize(areaW, areaH);
    step = std::max(step, 1);
    const int32_t steps = 1 + std::min((areaW - size.Width()) / step, (areaH - size.Height()) / step);
    const int32_t at = std::max(index, 0) % steps * step;
    return Rect(at, at, at + size.Width(), at + size.Height());
}
