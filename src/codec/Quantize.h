#pragma once
// Quantisation of DCT coefficients (scaled by 8, natural order) for one component.
//
// Two rounding rules (TQuantRounding):
// - Library: the JPEG library's rule for its integer DCT: divide |c| by 8q with a 16-bit reciprocal,
//   rounding half away from zero, as the library's quantiser does. Files then equal the library's.
// - Program: Round(c x D) with D = 1 / (8q) held in single precision and the product in double
//   (round half to even). A chroma table whose DC entry is 255 quantises everything to 0.
// Masked quantisation (program rule) also computes Round(c x T) with T the divisors of the block's
// own area (slot q + 2 main area, q + 4 selection) and stores 0 where that is 0.
#include <array>
#include <cstdint>

#include "codec/EncoderParams.h"
#include "platform/Round.h"

// The library's reciprocal form of a divisor.
struct TLibraryDivisor
{
    uint32_t Reciprocal = 1;
    uint32_t Correction = 0;
    int Shift = 0;
};
TLibraryDivisor ComputeLibraryDivisor(uint32_t divisor);

struct TComponentQuantizer
{
    TQuantRounding Rounding = TQuantRounding::Program;
    std::array<TLibraryDivisor, 64> Library{};
    std::array<float, 64> Recip{}; // program rule: 1 / (8q), or 0 for a dropped chroma table
    // Masked quantisation: set when on and the component's mask fits.
    const TBlockMask* Mask = nullptr;
    std::array<float, 64> MainThreshold{}, SelThreshold{};
};

// The quantiser of component comp (table slot 0 for component 0, else 1). Raises EJPEG with the
// library's no-quant-table text when a needed slot is empty.
TComponentQuantizer MakeComponentQuantizer(const TCodingParams& params, const TDctPlanes& planes, int comp);

// Quantises count blocks of the component's block row blockRow, starting at column firstCol.
void QuantizeBlocksPlain(const TComponentQuantizer& q, const int16_t* coef, int blockRow, int firstCol, int count,
                         int16_t (*out)[64]);

// The program rule for one coefficient.
inline int16_t QuantizeProgram(int16_t c, float recip)
{
    return int16_t(Round(double(c) * double(recip)));
}
