#pragma once
// Resize requests for the size and no-op tests.
#include "resample/ResamplingOptions.h"

inline TResamplingOptions Opts(int purpose, int w, int h, int wu = 0, int hu = 0, int hdpi = 0, int vdpi = 0)
{
    TResamplingOptions o;
    o.Purpose = purpose;
    o.Width = w;
    o.Height = h;
    o.WUnits = wu;
    o.HUnits = hu;
    o.HorzDPI = hdpi;
    o.VertDPI = vdpi;
    return o;
}
