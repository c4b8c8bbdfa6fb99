#pragma once
// The two passes of the filter resampler, one row at a time so rows can be spread over threads.
#include <cstdint>

#include "resample/ResampleContributors.h"

// The work rows between the passes: as wide as the target, holding source rows FirstRow onwards.
struct TWorkRows
{
    uint8_t* Bits;
    size_t Stride;
    int Width;
    int FirstRow = 0;
    uint8_t* Row(int y) const { return Bits + size_t(y - FirstRow) * Stride; }
};

// Filters one source row (3 bytes a pixel, blue first) along x into a row of Columns.Targets()
// pixels, then blends each channel with the reference pixel (the last entry of the column's list)
// at Fidelity 0..256. Scratch holds HorizontalScratchFloats(srcWidth) floats. Uses the vector
// variant where the compiler has one; both give the same bytes.
void FilterRowHorizontal(const uint8_t* Src, int srcWidth, uint8_t* Dst, const TContributorTable& Columns,
                         int Fidelity, float* Scratch);
// The plain variant: every channel on its own.
void FilterRowHorizontalPlain(const uint8_t* Src, int srcWidth, uint8_t* Dst,
                              const TContributorTable& Columns, int Fidelity);
// The vector variant: a pixel's three channels in one four-lane vector, four target pixels at once.
void FilterRowHorizontalVector(const uint8_t* Src, int srcWidth, uint8_t* Dst,
                               const TContributorTable& Columns, int Fidelity, float* Scratch);
inline int HorizontalScratchFloats(int srcWidth)
{
    return 4 * srcWidth + 4;
}

// Filters target row Row along y from the work rows: the listed rows are added into a row of float
// sums in list order. Sums holds min(3 x Work.Width, 2048) floats.
void FilterRowVertical(const TWorkRows& Work, const TContributorTable& Rows, int Row, uint8_t* Dst,
                       float* Sums);
