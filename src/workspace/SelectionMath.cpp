#include "workspace/SelectionMath.h"

#include <cstdlib>

#include "platform/Round.h"

TSelPoint ViewToMillionths(int32_t x, int32_t y, const TZoomScales& s)
{
    int32_t px = RoundInt(double(x) * s.ScreenToPicture);
    int32_t py = RoundInt(double(y) * s.ScreenToPicture);
    return {RoundInt(double(px) * s.PixelToMillionthX), RoundInt(double(py) * s.PixelToMillionthY)};
}

TPoint MillionthsToView(int32_t mx, int32_t my, const TZoomScales& s)
{
    int32_t px = RoundInt(double(mx) * s.MillionthToPixelX);
    int32_t py = RoundInt(double(my) * s.MillionthToPixelY);
    return {RoundInt(double(px) * s.PictureToScreen), RoundInt(double(py) * s.PictureToScreen)};
}

bool SelectionTooSmall(const TSelPoint& beg, const TSelPoint& end, const TZoomScales& s)
{
    int32_t dx = RoundInt(double(end.X) * s.MillionthToPixelX) - RoundInt(double(beg.X) * s.MillionthToPixelX);
    int32_t dy = RoundInt(double(end.Y) * s.MillionthToPixelY) - RoundInt(double(beg.Y) * s.MillionthToPixelY);
    return std::abs(dx) < 3 || std::abs(dy) < 3;
}
