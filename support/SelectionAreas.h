#pragma once
// Selection areas added to an image: rectangles, ellipses and polygons, for tests and benchmarks.
#include <cstdint>
#include <vector>

#include "codec/JPEGImage.h"
#include "codec/SelUnit.h"

// Adds an area of `kind` with the corners (bx, by) and (ex, ey) to the image's selection. A polygon
// gets four points inside those bounds.
inline void AddSelectionArea(TJPEGImage& image, uint8_t kind, int bx, int by, int ex, int ey,
                             bool complete = true)
{
    TSelUnit u{};
    u.Kind = kind;
    u.BegX = bx;
    u.BegY = by;
    u.EndX = ex;
    u.EndY = ey;
    u.Complete = complete;
    if (kind == skPolygon) {
        u.Points = NewSelPointList();
        const TSelPoint points[] = {{bx, by}, {ex, by}, {(bx + ex) / 2, ey}, {bx, (by + ey) / 2}};
        for (const TSelPoint& p : points)
            u.Points->Add(&p);
    }
    image.SelUnits.Add(&u);
}

// Adds a polygon through `points` (bounds from the first and the last point).
inline void AddSelectionPolygon(TJPEGImage& image, const std::vector<TSelPoint>& points, bool complete = true)
{
    TSelUnit u{};
    u.Kind = skPolygon;
    u.Points = NewSelPointList();
    for (const TSelPoint& p : points)
        u.Points->Add(&p);
    u.BegX = points.front().X;
    u.BegY = points.front().Y;
    u.EndX = points.back().X;
    u.EndY = points.back().Y;
    u.Complete = complete;
    image.SelUnits.Add(&u);
}
