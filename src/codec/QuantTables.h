#pragma once
// The program's own quantisation: separate luma and chroma quality curves, the five-band detail
// equaliser, and six table slots. Slots 0 and 1 are the tables written to the file (luma, chroma);
// with selective compression slots 2/3 hold the main area's own tables and 4/5 the selection area's,
// which the quantiser uses as zeroing thresholds. Only slots 0 and 1 ever reach the library.
//
// The functions that stand in for the library's parameter functions keep the library's names but live
// in this namespace: a C-linkage function with a library name would replace the library's own.
#include <array>
#include <cstdint>
#include <optional>

#include "codec/JpegGlue.h"

namespace qmjpeg
{

constexpr int NumQuantSlots = 6;
// The library's compressor state before jpeg_start_compress / jpeg_write_coefficients.
constexpr int JpegStartState = 100;

using TQuantTable = std::array<uint16_t, 64>; // natural (row-major) order
using TBaseTable = std::array<uint8_t, 64>;   // natural order
using TQuantSlots = std::array<std::optional<TQuantTable>, NumQuantSlots>;
using TBands = std::array<int, 5>;

// The example luma and chroma tables of the JPEG standard (Annex K), natural order.
extern const TBaseTable StdLumaTable;
extern const TBaseTable StdChromaTable;
// Zigzag position -> natural position.
extern const std::array<uint8_t, 64> NaturalOrder;

// Scale in percent for a quality (clamped to 1..100; 100 gives 0, the entries then clamp to 1).
int jpeg_quality_scaling(int quality, bool isLuma);

// Fills slot from basicTable with scale percent (100 keeps the bytes), clamped to 1..32767 and to 255
// with forceBaseline. Raises EJPEG with the library's bad-state text unless compressorState is the
// start state, and its table-index text unless 0 <= slot < 6.
void jpeg_add_quant_table(TQuantSlots& slots, int slot, const uint8_t* basicTable, bool forceBaseline, int scale,
                          int compressorState = JpegStartState);
// Slot 0 from the standard luma table with lumaScale, slot 1 from the chroma table with chromaScale.
void jpeg_set_linear_quality(TQuantSlots& slots, int lumaScale, int chromaScale, bool forceBaseline,
                             int compressorState = JpegStartState);
void jpeg_set_quality(TQuantSlots& slots, int lumaQuality, int chromaQuality, bool forceBaseline,
                      int compressorState = JpegStartState);

// One equalised table: the standard luma or chroma table shaped by five band values (-50..50) and
// scaled by the quality; in full-control mode (a luma table with fullControl) each band acts as a
// quality of its own and the quality has no effect.
TBaseTable EqualizeBaseTable(bool isChroma, const TBands& bands, int quality, bool fullControl = false);

// What the tables are built from.
struct TQuantSettings
{
    int LumQuality = 50;
    int ChromQuality = 50;
    TBands Bands{};                    // main-area equaliser bands
    bool EqualizerFullControl = false; // applies to the luma tables
    bool SelectiveCompression = false;
    int SelLumQuality = 50;
    int SelChromQuality = 50;
    TBands SelBands{};
};

// Slots 0 and 1 always; slots 2..5 only with selective compression.
TQuantSlots BuildQuantTables(const TQuantSettings& settings);

// Puts slots 0 and 1 into the compressor's tables 0 and 1 (they are written to the file).
void InstallQuantTables(j_compress_ptr cinfo, const TQuantSlots& slots);

} // namespace qmjpeg
