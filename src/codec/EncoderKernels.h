#pragma once
// The one dispatch point of the encoder's per-pixel stages: the plain versions define the results,
// the fast versions (vectorised for the processor) must give the same bytes.
#include <cstddef>
#include <cstdint>

#include "codec/Downsample.h"
#include "codec/Quantize.h"

struct TEncoderKernels
{
    const char* Name;
    void (*BgrToYcc)(const uint8_t* bgr, int width, uint8_t* y, uint8_t* cb, uint8_t* cr);
    void (*BgrToGray)(const uint8_t* bgr, int width, uint8_t* y);
    void (*Downsample)(const TDownsampleArgs& args);
    // blocks 8x8 blocks side by side (rows stride bytes apart) -> blocks x 64 coefficients.
    void (*ForwardDctRow)(const uint8_t* samples, size_t stride, int blocks, int16_t* out);
    void (*QuantizeBlocks)(const TComponentQuantizer& q, const int16_t* coef, int blockRow, int firstCol,
                           int count, int16_t (*out)[64]);
    // Bit k set when the AC coefficient at zigzag position k (1..63) of a natural-order block is not 0.
    uint64_t (*ZigzagNonZeroMask)(const int16_t* block);
};

uint64_t ZigzagNonZeroMaskPlain(const int16_t* block);

const TEncoderKernels& PlainKernels();
// The AVX2 kernels; only to be called on a processor that has AVX2.
const TEncoderKernels& Avx2Kernels();
// The fastest kernels this processor runs (chosen once), or the plain ones while forced.
const TEncoderKernels& FastKernels();
// Makes FastKernels() return the plain kernels while on (the tests compare both on whole encodes).
void ForcePlainKernels(bool on);
