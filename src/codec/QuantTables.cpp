#include "codec/QuantTables.h"

#include <algorithm>
#include <cmath>

#include <jerror.h>

#include "platform/Round.h"

namespace qmjpeg
{

const TBaseTable StdLumaTable = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,  //
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,  //
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,  //
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

const TBaseTable StdChromaTable = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, //
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99, //
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, //
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

const std::array<uint8_t, 64> NaturalOrder = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

namespace
{

// Band centres along the zigzag order.
constexpr int BandCentre[5] = {0, 5, 17, 31, 63};
// Band factors by the sign of the band value.
constexpr long double FactorNonNegative[5] = {1.5L, 1.0L, 1.0L, 1.3L, 1.8L};
constexpr long double FactorNegative[5] = {3.0L, 2.0L, 2.2L, 3.0L, 4.0L};

// The equaliser works in extended precision; its results are rounded half to even directly from
// that precision (going through double first could round twice).
int RoundExtended(long double x)
{
    return int(std::nearbyintl(x));
}

} // namespace

int jpeg_quality_scaling(int quality, bool isLuma)
{
    quality = std::clamp(quality, 1, 100);
    if (quality >= 20) return int(Round(250.0 - 2.5 * quality));
    if (isLuma) return quality >= 5 ? 4000 / quality : 5000 / (quality + 1);
    return quality >= 5 ? 4800 / (quality + 5) : 2100 / quality;
}

void jpeg_add_quant_table(TQuantSlots& slots, int slot, const uint8_t* basicTable, bool forceBaseline, int scale,
                          int compressorState)
{
    if (compressorState != JpegStartState) RaiseJpegError(JERR_BAD_STATE, compressorState);
    if (slot < 0 || slot >= NumQuantSlots) RaiseJpegError(JERR_DQT_INDEX, slot);
    TQuantTable& table = slots[size_t(slot)].emplace();
    for (size_t i = 0; i < 64; ++i)
    {
        int64_t v = scale == 100 ? basicTable[i] : (int64_t(basicTable[i]) * scale + 50) / 100;
        v = std::clamp<int64_t>(v, 1, 32767);
        if (forceBaseline) v = std::min<int64_t>(v, 255);
        table[i] = uint16_t(v);
    }
}

void jpeg_set_linear_quality(TQuantSlots& slots, int lumaScale, int chromaScale, bool forceBaseline,
                             int compressorState)
{
    jpeg_add_quant_table(slots, 0, StdLumaTable.data(), forceBaseline, lumaScale, compressorState);
    jpeg_add_quant_table(slots, 1, StdChromaTable.data(), forceBaseline, chromaScale, compressorState);
}

void jpeg_set_quality(TQuantSlots& slots, int lumaQuality, int chromaQuality, bool forceBaseline,
                      int compressorState)
{
    jpeg_set_linear_quality(slots, jpeg_quality_scaling(lumaQuality, true), jpeg_quality_scaling(chromaQuality, false),
                            forceBaseline, compressorState);
}

TBaseTable EqualizeBaseTable(bool isChroma, const TBands& bands, int quality, bool fullControl)
{
    const bool full = fullControl && !isChroma;
    const TBaseTable& base = isChroma ? StdChromaTable : StdLumaTable;
    long double w[5];
    for (int j = 0; j < 5; ++j)
        w[j] = full ? jpeg_quality_scaling(bands[size_t(j)] + 50, true) * 0.01L
                    : bands[size_t(j)] * (bands[size_t(j)] < 0 ? FactorNegative[j] : FactorNonNegative[j]);
    const int scale = jpeg_quality_scaling(quality, !isChroma);

    TBaseTable out{};
    int j = 0;
    for (int k = 0; k < 64; ++k)
    {
        const long double t =
            w[j] + (w[j + 1] - w[j]) * (k - BandCentre[j]) / (BandCentre[j + 1] - BandCentre[j]);
        const int natural = NaturalOrder[size_t(k)];
        int v = base[size_t(natural)];
        if (full)
            v = RoundExtended(t * v);
        else
        {
            v = v - RoundExtended(t * v * 0.01L);
            v = RoundExtended((scale * v) * 0.01L);
        }
        out[size_t(natural)] = uint8_t(std::clamp(v, 1, 255));
        if (k == BandCentre[j + 1] && j < 3) ++j; // a centre closes its segment; the next one starts
    }
    return out;
}

TQuantSlots BuildQuantTables(const TQuantSettings& s)
{
    TQuantSlots slots;
    TBands lumaBands = s.Bands;
    int lumaQuality = s.LumQuality;
    int chromaQuality = s.ChromQuality;
    if (s.SelectiveCompression)
    {
        // The stored tables are the finer of the main and the selection settings.
        for (size_t j = 0; j < 5; ++j) lumaBands[j] = std::max(s.Bands[j], s.SelBands[j]);
        lumaQuality = std::max(s.LumQuality, s.SelLumQuality);
        chromaQuality = std::max(s.ChromQuality, s.SelChromQuality);
    }
    const TBands zero{};
    auto add = [&](int slot, bool chroma, const TBands& bands, int quality) {
        TBaseTable t = EqualizeBaseTable(chroma, bands, quality, s.EqualizerFullControl);
        jpeg_add_quant_table(slots, slot, t.data(), true, 100);
    };
    add(0, false, lumaBands, lumaQuality);
    add(1, true, zero, chromaQuality);
    if (s.SelectiveCompression)
    {
        add(2, false, s.Bands, s.LumQuality);
        add(3, true, zero, s.ChromQuality);
        add(4, false, s.SelBands, s.SelLumQuality);
        add(5, true, zero, s.SelChromQuality);
    }
    return slots;
}

void InstallQuantTables(j_compress_ptr cinfo, const TQuantSlots& slots)
{
    for (int slot = 0; slot < 2; ++slot)
    {
        if (!slots[size_t(slot)]) RaiseJpegError(JERR_NO_QUANT_TABLE, slot);
        JQUANT_TBL*& table = cinfo->quant_tbl_ptrs[slot];
        if (!table) table = jpeg_alloc_quant_table(reinterpret_cast<j_common_ptr>(cinfo));
        for (size_t i = 0; i < 64; ++i) table->quantval[i] = (*slots[size_t(slot)])[i];
        table->sent_table = FALSE;
    }
}

} // namespace qmjpeg
