#pragma once
// Entropy coding on several threads. The frame is cut into strips of whole MCU rows; the library
// codes each strip as a picture of its own on a thread of its own, and the strips' bit streams are
// joined into the single scan the library writes for the whole frame, byte for byte:
// - the symbol counts of a strip give its exact length in bits, so the padding the library adds at
//   the end of each strip is dropped and the next strip's bits follow without a gap;
// - a strip after the first is coded with the MCU row above it in front, so that the library's DC
//   prediction enters the strip with the value it has in the whole scan; that row's bits (counted
//   with the prediction starting from 0, as the library starts) are dropped too;
// - the bytes are stuffed anew after joining, and the first strip's headers (with the frame's
//   height) and the end marker frame the scan.
// Progressive files, restart intervals and message tracing keep the library's single pass.
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "codec/EncoderParams.h"
#include "codec/HuffmanOptimizer.h"

struct TStripLayout
{
    int Rows = 0;         // MCU rows of the scan
    int RowsPerStrip = 0; // the last strip may be shorter
    int Count = 1;        // 1: the library codes the frame in one pass

    bool On() const { return Count > 1; }
    int StripOf(int row) const { return row / RowsPerStrip; }
    int First(int strip) const { return strip * RowsPerStrip; }
    int Last(int strip) const { return std::min(Rows, (strip + 1) * RowsPerStrip); }
};

// How the coding of a frame is split: into about two strips per thread for a large sequential
// picture without restart markers, else not at all. params.EntropyStrips > 0 asks for that many.
TStripLayout PlanEntropyStrips(const TFrameLayout& frame, const TCodingParams& params, int threads);

struct TStripCoding
{
    const TFrameLayout& Frame;
    const TCodingParams& Params;
    const std::array<JBLOCKARRAY, 3>& Rows;      // the quantised blocks, rows padded to whole MCUs
    const std::array<JDIMENSION, 3>& RowCounts; // rows of each component's array
    std::array<const JHUFF_TBL*, 2> Dc{}, Ac{};  // the tables of the whole frame
    const TStripLayout& Layout;
    const std::vector<THuffmanCounts>& Counts; // per strip, with the whole scan's DC predictions
    const TEncoderKernels& Kernels;
    int Threads = 1;
    std::function<void(int done, int total)> Progress; // on the calling thread; may throw
};

// Where the entropy-coded data starts in a strip's file: behind its SOS segment. With frameHeight > 0
// the frame header's height is set to it on the way. Segments that do not fit the file raise
// EInvalidGraphicOperation.
size_t StripScanStart(std::vector<uint8_t>& file, int frameHeight);

// The whole file. Library errors raise EJPEG; the library's messages of the first strip (the one
// that writes the headers) are added to Params.Messages.
std::vector<uint8_t> CodeInStrips(const TStripCoding& coding);
