#include "resample/ResampleSize.h"

#include "platform/Round.h"

void CalcResampleSize(int32_t& NewWidth, int32_t& NewHeight, const TResamplingOptions& Options, int32_t Width,
                      int32_t Height)
{
    NewWidth = Width;
    NewHeight = Height;
    // Without two sides there is no aspect ratio to keep; such a picture has nothing to resample.
    if (Width <= 0 || Height <= 0) return;

    const float r = float(Width) / float(Height);
    int32_t w, h;
    if (Options.Purpose == 0) {
        w = Options.Width;
        h = Options.Height;
        if (Options.WUnits == 1) w = RoundInt(double(w) * Width * 0.01);
        if (Options.HUnits == 1) h = RoundInt(double(h) * Height * 0.01);
        if (Options.WUnits == 2) {
            // The unit of the width decides both sides.
            w = RoundInt(double(w) * Options.HorzDPI * 0.001);
            h = RoundInt(double(h) * Options.VertDPI * 0.001);
        }
        if (w == 0) w = RoundInt(double(h) * r);
        if (h == 0) h = RoundInt(double(w) / r);
    } else {
        // Fit inside the box. A box side of 0 does not limit; a box without sides leaves the size.
        if (Options.Width == 0 && Options.Height == 0) return;
        bool byWidth;
        if (Options.Height == 0)
            byWidth = true;
        else if (Options.Width == 0)
            byWidth = false;
        else
            byWidth = float(Options.Width) / float(Options.Height) < r;
        if (byWidth) {
            w = Options.WUnits == 1 ? RoundInt(double(Options.Width) * Width * 0.01) : Options.Width;
            h = RoundInt(double(w) / r);
        } else {
            h = Options.HUnits == 1 ? RoundInt(double(Options.Height) * Height * 0.01) : Options.Height;
            w = RoundInt(double(h) * r);
        }
    }
    NewWidth = w;
    NewHeight = h;
}
