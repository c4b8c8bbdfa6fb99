#pragma once
#include <chrono>
#include <cstdint>

// Milliseconds since an arbitrary fixed point (monotonic); wraps like the 32-bit system tick count.
inline uint32_t GetTickCount()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Milliseconds elapsed since an earlier GetTickCount value, correct across the 32-bit wrap.
inline uint32_t TicksSince(uint32_t start) { return GetTickCount() - start; }

// The distance in milliseconds between two GetTickCount values taken as a signed 32-bit difference,
// so that it stays small across the 32-bit wrap (whichever of the two is later).
inline int64_t TickDistance(uint32_t a, uint32_t b)
{
    int64_t d = static_cast<int32_t>(a - b);
    return d < 0 ? -d : d;
}
