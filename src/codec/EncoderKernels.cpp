#include "codec/EncoderKernels.h"

#include "codec/ColorConvert.h"
#include "codec/ForwardDct.h"

#include <atomic>

namespace
{
void ForwardDctRowPlain(const uint8_t* samples, size_t stride, int blocks, int16_t* out)
{
    for (int b = 0; b < blocks; ++b) ForwardDctPlain(samples + size_t(b) * 8, stride, out + size_t(b) * 64);
}

const TEncoderKernels Plain = {"plain",          ConvertBgrToYccPlain, ConvertBgrToGrayPlain, DownsamplePlain,
                               ForwardDctRowPlain, QuantizeBlocksPlain,  ZigzagNonZeroMaskPlain};

std::atomic<bool> PlainForced{false};
} // namespace

uint64_t ZigzagNonZeroMaskPlain(const int16_t* block)
{
    uint64_t mask = 0;
    for (size_t k = 1; k < 64; ++k) mask |= uint64_t(block[qmjpeg::NaturalOrder[k]] != 0) << k;
    return mask;
}

const TEncoderKernels& PlainKernels()
{
    return Plain;
}

const TEncoderKernels& FastKernels()
{
    static const TEncoderKernels& chosen = __builtin_cpu_supports("avx2") ? Avx2Kernels() : Plain;
    return PlainForced.load(std::memory_order_relaxed) ? Plain : chosen;
}

void ForcePlainKernels(bool on)
{
    PlainForced.store(on, std::memory_order_relaxed);
}
