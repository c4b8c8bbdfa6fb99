#include "codec/SelectionMask.h"

#include "platform/MaskRaster.h"
#include "platform/Round.h"

TBitmap CreateMaskBitmap(int pictureWidth, int pictureHeight)
{
    const int64_t w = (int64_t(pictureWidth) + 7) / 8 * 8;
    const int64_t h = (int64_t(pictureHeight) + 7) / 8 * 8;
    TBitmap::CheckSize(w, h, 1);
    TBitmap mask(int(w), int(h), TPixelFormat::pf1bit);
    mask.SetPalette({TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}});
    TMaskRaster raster(mask);
    raster.SetColor(1);
    raster.FillAll();
    return mask;
}

void PaintSelectionMask(int pictureWidth, int pictureHeight, const std::vector<TMaskShape>& shapes,
                        TBitmap& mask)
{
    TMaskRaster raster(mask);
    raster.SetColor(mask.PixelFormat() == TPixelFormat::pf1bit ? 1 : 255);
    raster.FillAll();
    raster.SetColor(0);
    auto px = [&](int32_t v) { return Round(double(v) * pictureWidth * 0.000001); };
    auto py = [&](int32_t v) { return Round(double(v) * pictureHeight * 0.000001); };
    for (const TMaskShape& s : shapes) {
        switch (s.Kind) {
        case TMaskShape::Rectangle:
            raster.FillRect(px(s.BegX), py(s.BegY), px(s.EndX), py(s.EndY));
            break;
        case TMaskShape::Ellipse:
            raster.FillEllipse(px(s.BegX), py(s.BegY), px(s.EndX), py(s.EndY));
            break;
        case TMaskShape::Polygon: {
            std::vector<TRasterPoint> points;
            points.reserve(s.Points.size());
            for (const TPoint& p : s.Points)
                points.push_back({px(p.X), py(p.Y)});
            raster.FillPolygon(points);
            break;
        }
        default:
            break;
        }
    }
}
