#pragma once
// Edge expansion as the library does it: the last column of a row is repeated out to the padded
// width, and the last row of a component is repeated down to the padded height.
#include <cstdint>
#include <cstring>

// Fills columns [width, paddedWidth) of row with the value of column width - 1.
inline void ExpandRightEdge(uint8_t* row, int width, int paddedWidth)
{
    if (paddedWidth > width) std::memset(row + width, row[width - 1], size_t(paddedWidth - width));
}

// Copies row from to each row in [first, last) of rows.
inline void ExpandBottomEdge(uint8_t* const* rows, int columns, int from, int first, int last)
{
    for (int r = first; r < last; ++r) std::memcpy(rows[r], rows[from], size_t(columns));
}
