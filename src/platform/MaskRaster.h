#pragma once
// Filling shapes into a 1-bit or 8-bit mask bitmap, with the pixel rules of the Windows graphics
// interface that the selection masks were defined with:
// - a rectangle (l, t, r, b) covers the pixels l <= x < r, t <= y < b; corners given in either
//   order are put in order first;
// - an ellipse fills the pixels whose centres lie in the ellipse inscribed in that rectangle;
// - a polygon fills the pixels whose centres lie inside it by the even-odd rule, together with its
//   outline: the one-pixel lines through its points, closed back to the first.
// Coordinates may lie anywhere; only the part inside the bitmap is touched. Coordinates beyond
// +-2^30 are clamped to that range.
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"

struct TRasterPoint
{
    int64_t X = 0;
    int64_t Y = 0;
};

class TMaskRaster
{
  public:
    // The target must be a 1-bit or 8-bit bitmap (EInvalidGraphicOperation otherwise). A 1-bit
    // target takes the lowest bit of the colour, an 8-bit target the whole byte.
    explicit TMaskRaster(TBitmap& target);

    void SetColor(uint8_t color) { FColor = color; }
    uint8_t Color() const { return FColor; }

    void FillAll();
    void FillRect(int64_t left, int64_t top, int64_t right, int64_t bottom);
    void FillEllipse(int64_t left, int64_t top, int64_t right, int64_t bottom);
    void FillPolygon(std::span<const TRasterPoint> points);
    // A one-pixel line from a to b, both ends included.
    void Line(TRasterPoint a, TRasterPoint b);

    // Sets the pixels x0 <= x < x1 of row y (clipped to the bitmap).
    void Span(int64_t y, int64_t x0, int64_t x1);

  private:
    TBitmap& FTarget;
    uint8_t FColor = 0;
    bool FOneBit = true;
};
