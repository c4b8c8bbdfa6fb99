#pragma once
// How an image is to be resized: purpose, target size and units, aspect lock, resolution for inch
// units, method and fidelity. Copied by value; held by every profile, each image window and the
// resize history.
#include <cstdint>

struct TResamplingOptions
{
    int32_t Purpose = 0;   // 0 resized image, 1 thumbnail (fit inside Width x Height)
    int32_t Width = 0;     // in WUnits; 0 = follows from the height and the aspect ratio
    int32_t Height = 0;    // in HUnits
    int32_t WUnits = 0;    // 0 pixels, 1 percent, 2 inches x 1000
    int32_t HUnits = 0;
    bool Aspect = false;   // keep the aspect ratio
    int32_t HorzDPI = 0;   // resolution used for inches
    int32_t VertDPI = 0;
    int32_t Method = 0;    // 0 B-Spline, 1 Bell, 2 Mitchell, 3 Bicubic HQ VF
    int32_t Fidelity = 0;  // 0..256, 256 = full fidelity
};

// Two requests are the same resize when purpose, size, units and the aspect lock agree; resolution,
// method and fidelity do not make a different entry in the resize history.
inline bool SameResizeOptions(const TResamplingOptions& a, const TResamplingOptions& b)
{
    return a.Purpose == b.Purpose && a.Width == b.Width && a.Height == b.Height && a.WUnits == b.WUnits &&
           a.HUnits == b.HUnits && a.Aspect == b.Aspect;
}
