#pragma once
// A clock for the progress throttle of the encoder and the decoder that moves 200 ms on every
// reading, so every progress call gets through. Installed for the lifetime of the object.
#include <atomic>
#include <cstdint>

#include "codec/JpegProgress.h"

namespace progress_test {

inline uint32_t FastTicks()
{
    static std::atomic<uint32_t> ticks{0}; // the worker thread reads it too
    return ticks += 200;
}

struct FastProgressClock
{
    FastProgressClock() { SetJpegProgressTickSource(FastTicks); }
    ~FastProgressClock() { SetJpegProgressTickSource(nullptr); }
    FastProgressClock(const FastProgressClock&) = delete;
    FastProgressClock& operator=(const FastProgressClock&) = delete;
};

} // namespace progress_test
