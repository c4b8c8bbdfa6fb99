#pragma once
// The filter kernels of the filter resampler and the table that names them. Each kernel takes a
// single-precision distance and is evaluated in double precision, so its weights are the same on
// every machine. The methods a user can choose are rows 0..2; the other rows belong to the table.
#include <cmath>
#include <numbers>

using TResampleKernel = float (*)(float x);

struct TResampleFilter
{
    const char* Name;
    TResampleKernel Kernel;
    float Support; // the kernel is 0 at distances of Support and more
};

namespace ResampleKernel {

inline float BSpline(float x)
{
    double t = std::fabs(double(x));
    if (t < 1.0) return float(0.5 * t * t * t - t * t + 2.0 / 3.0);
    if (t < 2.0) {
        double u = 2.0 - t;
        return float(u * u * u / 6.0);
    }
    return 0.0f;
}

inline float Bell(float x)
{
    double t = std::fabs(double(x));
    if (t < 0.5) return float(0.75 - t * t);
    if (t < 1.5) {
        double u = t - 1.5;
        return float(0.5 * u * u);
    }
    return 0.0f;
}

// Mitchell-Netravali with B = C = 1/3.
inline float Mitchell(float x)
{
    double t = std::fabs(double(x));
    double tt = t * t;
    if (t < 1.0) return float((7.0 * tt * t - 12.0 * tt + 16.0 / 3.0) / 6.0);
    if (t < 2.0) return float((-7.0 / 3.0 * tt * t + 12.0 * tt - 20.0 * t + 32.0 / 3.0) / 6.0);
    return 0.0f;
}

inline float Box(float x)
{
    return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
}

inline float Triangle(float x)
{
    double t = std::fabs(double(x));
    return t < 1.0 ? float(1.0 - t) : 0.0f;
}

inline float Hermite(float x)
{
    double t = std::fabs(double(x));
    return t < 1.0 ? float((2.0 * t - 3.0) * t * t + 1.0) : 0.0f;
}

inline double Sinc(double x)
{
    if (x == 0.0) return 1.0;
    double px = std::numbers::pi * x;
    return std::sin(px) / px;
}

inline float Lanczos3(float x)
{
    double t = std::fabs(double(x));
    return t < 3.0 ? float(Sinc(t) * Sinc(t / 3.0)) : 0.0f;
}

} // namespace ResampleKernel

// Indexed by the method code.
inline constexpr TResampleFilter ResampleFilters[] = {
    {"B-Spline", ResampleKernel::BSpline, 2.0f},  {"Bell", ResampleKernel::Bell, 1.5f},
    {"Mitchell", ResampleKernel::Mitchell, 2.0f}, {"Box", ResampleKernel::Box, 0.5f},
    {"Triangle", ResampleKernel::Triangle, 1.0f}, {"Hermite", ResampleKernel::Hermite, 1.0f},
    {"Lanczos3", ResampleKernel::Lanczos3, 3.0f},
};
inline constexpr int ResampleFilterCount = int(sizeof(ResampleFilters) / sizeof(ResampleFilters[0]));
