#pragma once
// Optimal Huffman tables for a sequential scan, counted by the program (on several threads) instead
// of by the library's extra gathering pass. The counting follows the library's gathering exactly
// (the padding blocks of partial MCUs, the DC prediction and its reset at restart markers), and the
// tables are built with the library's procedure, so the file is the one the library would write.
#include <array>
#include <cstdint>
#include <vector>

#include "codec/EncoderKernels.h"
#include "codec/EncoderParams.h"
#include "codec/JpegGlue.h"

struct THuffmanCounts
{
    // Per table number (0 luma, 1 chroma): DC symbols 0..16, AC symbols 0..255; entry 256 is kept
    // free for the table builder.
    std::array<std::array<long, 257>, 2> Dc{}, Ac{};
    void Add(const THuffmanCounts& other);
};

// The quantised blocks of one component: rows[blockRow][blockCol].
using TBlockRows = JBLOCKARRAY;

// Counts the symbols of the single interleaved scan (or, for one component, the non-interleaved
// scan) over all blocks. Raises EJPEG with the library's text for a coefficient out of range.
THuffmanCounts CountHuffmanSymbols(const TFrameLayout& frame, const std::array<TBlockRows, 3>& rows,
                                   unsigned restartInterval, int threads,
                                   const TEncoderKernels& kernels = FastKernels());

// The counts of each strip of rowsPerStrip MCU rows (the last one may be shorter), every DC with
// the prediction it has in the whole scan; their sum is CountHuffmanSymbols.
std::vector<THuffmanCounts> CountHuffmanSymbolsByStrip(const TFrameLayout& frame,
                                                       const std::array<TBlockRows, 3>& rows, unsigned restartInterval,
                                                       int threads, int rowsPerStrip,
                                                       const TEncoderKernels& kernels = FastKernels());

// How CountRows takes the DC of the range's first MCU, whose prediction comes from the MCU before
// it: with that prediction, left out (for AddFirstDc once the rows above exist), or predicted from
// 0 as at the start of a scan.
enum class TFirstDc
{
    Predicted,
    Deferred,
    FromZero,
};

// The symbol counting over a range of MCU rows, for callers that quantise and count in one pass
// (while the blocks are still in cache) and for strips of the scan. A range may be counted before
// the rows above it exist (TFirstDc::Deferred); AddFirstDc counts that DC once all rows are there.
class THuffmanScan
{
public:
    THuffmanScan(const TFrameLayout& frame, const std::array<TBlockRows, 3>& rows, unsigned restartInterval,
                 const TEncoderKernels& kernels);
    int McuRows() const { return FMcuRows; }
    // The block rows [first, last) of component comp that MCU row mcuRow covers.
    void BlockRows(int comp, int mcuRow, int& first, int& last) const;
    void CountRows(int firstRow, int lastRow, THuffmanCounts& counts, TFirstDc firstDc) const;
    void AddFirstDc(int mcuRow, THuffmanCounts& counts) const;

private:
    int BlockDc(int c, int mr, int mc, int yy, int xx) const;
    int PredictionBefore(int c, long mcu) const;
    const TFrameLayout& F;
    const std::array<TBlockRows, 3>& Rows;
    unsigned RestartInterval;
    const TEncoderKernels& Kernels;
    bool Interleaved;
    int McusPerRow = 0, FMcuRows = 0;
};

// The library's optimal-table procedure (code lengths limited to 16 bits, no code of all ones).
void BuildOptimalHuffmanTable(JHUFF_TBL& table, std::array<long, 257> freq);
