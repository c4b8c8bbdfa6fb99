#pragma once
// Optimal Huffman tables of a sequential scan, built from the quantised blocks by several threads.
// The symbol counts follow the library's own statistics pass block for block (the MCU order of an
// interleaved scan, the dummy blocks of partial MCUs at the right and bottom edges, restart
// intervals) and the tables come from the same construction, so a single coding pass with these
// tables writes the file the library's two-pass optimisation writes.
#include <array>
#include <cstdio>

#include <jpeglib.h>

#include "codec/EncoderParams.h"

namespace qmjpeg {

// Symbol counts of the two table slots; entry 256 is the construction's reserved code point.
struct THuffmanCounts
{
    std::array<std::array<long, 257>, 2> Dc{};
    std::array<std::array<long, 257>, 2> Ac{};
};

// Counts the symbols of one sequential scan over all components of f. rows[c] are the rows of the
// component's quantised blocks (the library's coefficient arrays); dcSlot/acSlot the table slot of
// each component; restartInterval in MCUs (0 = none).
THuffmanCounts CountHuffmanSymbols(const TFrameLayout& f, const std::array<JBLOCKARRAY, 3>& rows,
                                   const std::array<int, 3>& dcSlot, const std::array<int, 3>& acSlot,
                                   unsigned restartInterval, int threads);

// Fills htbl (bits, huffval; sent_table false) with the optimal code for freq (freq is used up).
// Raises EJPEG when a code length would exceed the construction's limit.
void GenOptimalHuffmanTable(std::array<long, 257> freq, JHUFF_TBL& htbl);

} // namespace qmjpeg
