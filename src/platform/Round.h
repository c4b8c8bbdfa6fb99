#pragma once
// Round means round to nearest with ties to even, everywhere in the program.
#include <cmath>
#include <cstdint>
#include <limits>

// Rounds half to even; values beyond the 64-bit range saturate (NaN gives 0).
inline int64_t Round(double x)
{
    if (std::isnan(x)) return 0;
    // 2^63 is exact in double; every double in [-2^63, 2^63) converts without overflow.
    constexpr double kTwo63 = 9223372036854775808.0;
    if (x >= kTwo63) return std::numeric_limits<int64_t>::max();
    if (x < -kTwo63) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(std::nearbyint(x)); // default rounding mode: to nearest, ties to even
}

// Round to a 32-bit integer, saturating at the ends of its range.
inline int32_t RoundInt(double x)
{
    int64_t r = Round(x);
    if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

// num / den (den > 0) rounded like Round, exactly, in integers: for ratios whose ties a double
// would not hold exactly.
inline int64_t RoundRatio(int64_t num, int64_t den)
{
    int64_t q = num / den, r = num % den;
    if (r < 0) // floor division
    {
        --q;
        r += den;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return q;
}

// The same result as Round for |x| < 2^22 (float) or 2^51 (double), as plain arithmetic that
// inlines into tight loops: adding and taking away 1.5 x 2^23 (2^52) leaves x rounded to an integer
// by the FPU's rounding, which is to nearest with ties to even.
inline float RoundSmall(float x) { return (x + 12582912.0f) - 12582912.0f; }
inline double RoundSmall(double x) { return (x + 6755399441055744.0) - 6755399441055744.0; }
