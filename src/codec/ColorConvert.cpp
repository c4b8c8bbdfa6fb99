#include "codec/ColorConvert.h"

using namespace colorconv;

void ConvertBgrToYccPlain(const uint8_t* bgr, int width, uint8_t* y, uint8_t* cb, uint8_t* cr)
{
    for (int x = 0; x < width; ++x, bgr += 3)
    {
        const int32_t b = bgr[0], g = bgr[1], r = bgr[2];
        y[x] = uint8_t((RY * r + GY * g + BY * b + OneHalf) >> ScaleBits);
        // The chroma rounding constant is one less than a half so that the results stay below 256.
        cb[x] = uint8_t((RCb * r + GCb * g + BCb * b + CbCrOffset + OneHalf - 1) >> ScaleBits);
        cr[x] = uint8_t((RCr * r + GCr * g + BCr * b + CbCrOffset + OneHalf - 1) >> ScaleBits);
    }
}

void ConvertBgrToGrayPlain(const uint8_t* bgr, int width, uint8_t* y)
{
    for (int x = 0; x < width; ++x, bgr += 3)
        y[x] = uint8_t((RY * bgr[2] + GY * bgr[1] + BY * bgr[0] + OneHalf) >> ScaleBits);
}
