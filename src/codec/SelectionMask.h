#pragma once
// The selection mask: 1 bit per pixel, the picture's width and height each rounded up to a
// multiple of 8, palette black (0) and white (1). Painted selection areas are black, so a 0 bit
// means that the pixel lies inside a selection.
#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Geometry.h"

// One selection area to paint, its coordinates in millionths of the picture's width (X) and
// height (Y).
struct TMaskShape
{
    enum TKind : uint8_t
    {
        Rectangle = 0,
        Ellipse = 1,
        Polygon = 2
    };
    uint8_t Kind = Rectangle;
    int32_t BegX = 0, BegY = 0, EndX = 0, EndY = 0; // corners of a rectangle or an ellipse's box
    std::vector<TPoint> Points;                     // a polygon's points
};

// A white mask bitmap for a picture of this size (EOutOfResources for sizes over the limits).
TBitmap CreateMaskBitmap(int pictureWidth, int pictureHeight);

// Fills the mask white, then paints every shape black in order: a rectangle, an ellipse in its
// box, or a polygon through its points. A coordinate v becomes the pixel Round(v * size * 1e-6)
// with size the picture's width or height (not the mask's rounded size). Shapes of an unknown kind
// are skipped. The mask must be 1-bit or 8-bit.
void PaintSelectionMask(int pictureWidth, int pictureHeight, const std::vector<TMaskShape>& shapes,
                        TBitmap& mask);
