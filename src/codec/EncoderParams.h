#pragma once
// Parameters and intermediate data of the encoder engine.
//
// The engine is split where the quality settings stop mattering: ComputeDctPlanes (colour
// conversion, downsampling, edge expansion, forward DCT) depends only on the picture and
// TFrontEndParams; QuantizeAndCode (quantisation and the library's entropy coding) redoes the rest
// from the kept TDctPlanes for each set of tables.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/QuantTables.h"

class TStringList;

// Called with the percent of a pass (0..100), on the calling thread. May throw (EAbort cancels).
using TEncoderProgress = std::function<void(int percent)>;

// (h, v) sampling factors of one component; a pair with a zero keeps the library's default.
struct TSamplingFactor
{
    int H = 0;
    int V = 0;
};

struct TFrontEndParams
{
    bool Grayscale = false;
    // Components 0..2; the library's defaults are 2x2, 1x1, 1x1.
    std::array<TSamplingFactor, 3> SamplingFactors{};
    int Smoothing = 0; // the library's input smoothing factor, clamped to 0..100
    int Threads = 0;   // 0: one per core
    TEncoderProgress Progress;
};

// How a coefficient is divided by its table entry.
enum class TQuantRounding
{
    Library, // the JPEG library's own rule: the file equals the library's for the same tables
    Program, // the program's rule: round half to even of c x 1/(8q), reciprocal in single precision
};

// One byte per block of a component in raster order: non-zero = the block belongs to the selection.
struct TBlockMask
{
    int WidthInBlocks = 0;
    int HeightInBlocks = 0;
    std::vector<uint8_t> Bytes;

    // The block at (column bx, row by); blocks outside the mask are main area.
    bool Selected(int bx, int by) const
    {
        if (bx < 0 || by < 0 || bx >= WidthInBlocks || by >= HeightInBlocks) return false;
        const size_t i = size_t(by) * size_t(WidthInBlocks) + size_t(bx);
        return i < Bytes.size() && Bytes[i] != 0;
    }
};

struct TCodingParams
{
    // Slots 0 and 1 are written to the file; slots 2..5 are the zeroing thresholds of masked
    // quantisation (main area q + 2, selection q + 4, q = the component's own slot).
    qmjpeg::TQuantSlots Tables;
    TQuantRounding Rounding = TQuantRounding::Program;
    // Masked quantisation (program rounding only): when on, every component needs a mask whose size
    // matches its blocks, and slots 2..5 must be filled. Without it, or when a mask does not
    // match, blocks are quantised with their own slot only.
    bool MaskedQuantization = false;
    std::array<const TBlockMask*, 3> BlockMasks{};
    // The library's DCT method number; only 0, the integer slow DCT, is built in.
    int DctMethod = 0;

    bool OptimizeCoding = false;
    bool Progressive = false;
    int64_t RestartInterval = 0; // in MCUs, clamped to 0..65535
    int DensityUnit = 1;
    int64_t XDensity = 96; // see SetJfifDensity
    int64_t YDensity = 96;
    std::vector<std::string> Comments; // one COM marker per non-empty line
    std::vector<std::string> AppTexts; // one APP12 marker per non-empty line
    int Threads = 0;                   // 0: one per core
    // Strips the entropy coding is split into over the threads: 0 chooses by the picture's size and
    // the threads, 1 keeps the library's single pass. The file is the same either way.
    int EntropyStrips = 0;
    TStringList* Messages = nullptr;   // the library's messages up to TraceLevel
    int TraceLevel = 0;
    TEncoderProgress Progress; // percent over the library's coding passes
};

struct TEncodeParams
{
    TFrontEndParams FrontEnd;
    TCodingParams Coding;
};

// Geometry of one component, as the library computes it.
struct TComponentLayout
{
    int H = 1, V = 1;             // sampling factors
    int HExpand = 1, VExpand = 1; // input pixels per component sample
    int WidthInBlocks = 0;
    int HeightInBlocks = 0;
};

struct TFrameLayout
{
    int Width = 0;
    int Height = 0;
    int NumComponents = 0;
    int MaxH = 1, MaxV = 1;
    int TotalImcuRows = 0;       // rows of MCUs of the interleaved frame
    int ConvertedRowWidth = 0;   // columns of a colour-converted row after right-edge expansion
    std::array<TComponentLayout, 3> Comp{};
};

// The unquantised forward DCT of every real block of every component: per component
// WidthInBlocks x HeightInBlocks blocks in raster order, 64 coefficients each in natural order,
// scaled by 8 as the library's integer DCT leaves them.
struct TDctPlanes
{
    TFrameLayout Layout;
    bool Grayscale = false;
    bool SmoothingNotSupported = false; // reported among the library's messages when coding
    std::array<std::vector<int16_t>, 3> Coef;

    const int16_t* Block(int comp, int blockRow, int blockCol) const
    {
        const TComponentLayout& c = Layout.Comp[size_t(comp)];
        return Coef[size_t(comp)].data() + (size_t(blockRow) * size_t(c.WidthInBlocks) + size_t(blockCol)) * 64;
    }
};
