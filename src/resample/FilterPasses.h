#pragma once
// The two passes of the filter resampler, one row at a time so rows can be spread over threads.
#include <cstdint>

#include "resample/ResampleContributors.h"

class TBitmap;

// Filters one source row (3 bytes a pixel, blue first) along x into a row of Columns.Targets()
// pixels, then blends each channel with the reference pixel (the last entry of the column's list)
// at Fidelity 0..256. Scratch holds 4 x srcWidth floats.
void FilterRowHorizontal(const uint8_t* Src, int srcWidth, uint8_t* Dst, const TContributorTable& Columns,
                         int Fidelity, float* Scratch);

// Filters target row Row along y from the rows of Work (as wide as the target): the listed rows are
// added into a row of float sums in list order. Sums holds 3 x Work.Width() floats.
void FilterRowVertical(const TBitmap& Work, const TContributorTable& Rows, int Row, uint8_t* Dst, float* Sums);
