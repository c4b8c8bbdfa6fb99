#pragma once
// Progress of the image workers (compression, decoding, resampling), always called on the main
// thread. Operation: 0 compress, 1 decode, 2 resample; Percent 0..100.
#include <cstdint>
#include <functional>

class TWorkerThread;

using TEngineProgressEvent = std::function<void(TWorkerThread* Sender, uint8_t Operation, int Percent)>;
