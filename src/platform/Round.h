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
