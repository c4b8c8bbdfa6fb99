#pragma once
// Progress helpers of the codec tests. A clock for the progress throttle of the encoder and the decoder that moves 200 ms on every
// reading, so every progress call gets through. Installed for the lifetime of the object.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Graphic.h"

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

// One progress call of a picture.
struct TProgressRecord
{
    TProgressStage Stage;
    int Percent;
    bool Redraw;
    TRect R;
};

// Lets `graphic` append each of its progress calls to `calls`.
inline void RecordProgressCalls(TGraphic& graphic, std::vector<TProgressRecord>& calls)
{
    graphic.OnProgress = [&calls](TGraphic*, TProgressStage st, int pc, bool redraw, const TRect& r, const std::string&) {
        calls.push_back({st, pc, redraw, r});
    };
}

} // namespace progress_test
