#pragma once
// Colour conversion of 24-bit rows (blue, green, red bytes) to the JPEG colour spaces with the
// library's 16-bit fixed-point formula. The plain versions define the result; SimdKernels has the
// fast ones.
#include <cstdint>

namespace colorconv
{
constexpr int ScaleBits = 16;
constexpr int32_t Fix(double x)
{
    return int32_t(x * (1 << ScaleBits) + 0.5);
}
constexpr int32_t OneHalf = 1 << (ScaleBits - 1);
constexpr int32_t CbCrOffset = 128 << ScaleBits;

constexpr int32_t RY = Fix(0.29900), GY = Fix(0.58700), BY = Fix(0.11400);
constexpr int32_t RCb = -Fix(0.16874), GCb = -Fix(0.33126), BCb = Fix(0.5);
constexpr int32_t RCr = Fix(0.5), GCr = -Fix(0.41869), BCr = -Fix(0.08131);
} // namespace colorconv

// Y, Cb and Cr of width pixels.
void ConvertBgrToYccPlain(const uint8_t* bgr, int width, uint8_t* y, uint8_t* cb, uint8_t* cr);
// The luma of width pixels (the grey colour space).
void ConvertBgrToGrayPlain(const uint8_t* bgr, int width, uint8_t* y);
