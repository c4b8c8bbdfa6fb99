#include "codec/EncoderKernels.h"

#include "codec/ColorConvert.h"
#include "codec/ForwardDct.h"

namespace
{
void ForwardDctRowPlain(const uint8_t* samples, size_t stride, int blocks, int16_t* out)
{
    for (int b = 0; b < blocks; ++b) ForwardDctPlain(samples + size_t(b) * 8, stride, out + size_t(b) * 64);
}

const TEncoderKernels Plain = {"plain", ConvertBgrToYccPlain, ConvertBgrToGrayPlain, DownsamplePlain,
                               ForwardDctRowPlain, QuantizeBlocksPlain};
} // namespace

const TEncoderKernels& PlainKernels()
{
    return Plain;
}

const TEncoderKernels& FastKernels()
{
    static const TEncoderKernels& chosen = __builtin_cpu_supports("avx2") ? Avx2Kernels() : Plain;
    return chosen;
}
