#include "codec/HuffmanOptimizer.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include <jerror.h>

#include "platform/Parallel.h"
#include "codec/QuantTables.h"

void THuffmanCounts::Add(const THuffmanCounts& other)
{
    for (size_t t = 0; t < 2; ++t)
        for (size_t i = 0; i < 257; ++i)
        {
            Dc[t][i] += other.Dc[t][i];
            Ac[t][i] += other.Ac[t][i];
        }
}

namespace
{

constexpr int MaxCoefBits = 10; // 8-bit samples

inline int BitCount(int v) // bits of |v|; 0 for 0
{
    const unsigned m = unsigned(v < 0 ? -v : v);
    return m ? 32 - __builtin_clz(m) : 0;
}

// One block as the library's gathering counts it: the DC difference's size, then along the zigzag
// order each non-zero AC coefficient as (zero run, size) with a ZRL per 16 zeros before it, and an
// end-of-block when zeros end the block. The non-zero coefficients are found from a bit mask.
inline void CountBlock(const JCOEF* block, int lastDc, std::array<long, 257>& dc, std::array<long, 257>& ac,
                       const TEncoderKernels& kernels, bool skipDc)
{
    if (!skipDc)
    {
        const int dcBits = BitCount(block[0] - lastDc);
        if (dcBits > MaxCoefBits + 1) RaiseJpegError(JERR_BAD_DCT_COEF);
        ++dc[size_t(dcBits)];
    }

    uint64_t nonZero = kernels.ZigzagNonZeroMask(block);
    int last = 0; // zigzag position of the previous non-zero coefficient
    while (nonZero)
    {
        const int k = __builtin_ctzll(nonZero);
        nonZero &= nonZero - 1;
        int run = k - last - 1;
        for (; run > 15; run -= 16) ++ac[0xF0];
        const int bits = BitCount(block[qmjpeg::NaturalOrder[size_t(k)]]);
        if (bits > MaxCoefBits) RaiseJpegError(JERR_BAD_DCT_COEF);
        ++ac[size_t((run << 4) + bits)];
        last = k;
    }
    if (last < 63) ++ac[0];
}

constexpr int TableOf[3] = {0, 1, 1};

} // namespace

THuffmanScan::THuffmanScan(const TFrameLayout& frame, const std::array<TBlockRows, 3>& rows,
                           unsigned restartInterval, const TEncoderKernels& kernels)
    : F(frame), Rows(rows), RestartInterval(restartInterval), Kernels(kernels), Interleaved(frame.NumComponents > 1)
{
    if (Interleaved)
    {
        McusPerRow = (F.Width + F.MaxH * 8 - 1) / (F.MaxH * 8);
        FMcuRows = F.TotalImcuRows;
    }
    else
    {
        McusPerRow = F.Comp[0].WidthInBlocks;
        FMcuRows = F.Comp[0].HeightInBlocks;
    }
}

void THuffmanScan::BlockRows(int comp, int mcuRow, int& first, int& last) const
{
    const TComponentLayout& c = F.Comp[size_t(comp)];
    const int v = Interleaved ? c.V : 1;
    first = std::min(mcuRow * v, c.HeightInBlocks);
    last = std::min(first + v, c.HeightInBlocks);
}

// DC of the block at (yy, xx) of component c in MCU (mr, mc): a padding block repeats the DC of
// the block before it in the MCU.
int THuffmanScan::BlockDc(int c, int mr, int mc, int yy, int xx) const
{
    const TComponentLayout& comp = F.Comp[size_t(c)];
    for (;;)
    {
        const int row = mr * comp.V + yy, col = mc * comp.H + xx;
        if (row < comp.HeightInBlocks && col < comp.WidthInBlocks) return Rows[size_t(c)][row][col][0];
        if (xx > 0)
            --xx;
        else
            --yy, xx = comp.H - 1;
    }
}

// The DC prediction of component c at the start of MCU number mcu (0 after a restart marker).
int THuffmanScan::PredictionBefore(int c, long mcu) const
{
    if (mcu == 0 || (RestartInterval && mcu % long(RestartInterval) == 0)) return 0;
    const long prev = mcu - 1;
    const int mr = int(prev / McusPerRow), mc = int(prev % McusPerRow);
    if (!Interleaved) return Rows[size_t(c)][mr][mc][0];
    const TComponentLayout& comp = F.Comp[size_t(c)];
    return BlockDc(c, mr, mc, comp.V - 1, comp.H - 1);
}

void THuffmanScan::AddFirstDc(int mcuRow, THuffmanCounts& counts) const
{
    const long mcu = long(mcuRow) * McusPerRow;
    for (int c = 0; c < F.NumComponents; ++c)
    {
        const int dcBits = BitCount(Rows[size_t(c)][Interleaved ? mcuRow * F.Comp[size_t(c)].V : mcuRow][0][0] -
                                    PredictionBefore(c, mcu));
        if (dcBits > MaxCoefBits + 1) RaiseJpegError(JERR_BAD_DCT_COEF);
        ++counts.Dc[size_t(TableOf[c])][size_t(dcBits)];
    }
}

void THuffmanScan::CountRows(int firstRow, int lastRow, THuffmanCounts& counts, TFirstDc firstDc) const
{
    int lastDc[3] = {0, 0, 0};
    const bool deferFirstDc = firstDc == TFirstDc::Deferred;
    if (firstDc == TFirstDc::Predicted)
        for (int c = 0; c < F.NumComponents; ++c) lastDc[c] = PredictionBefore(c, long(firstRow) * McusPerRow);
    for (int mr = firstRow; mr < lastRow; ++mr)
        for (int mc = 0; mc < McusPerRow; ++mc)
        {
            const long mcu = long(mr) * McusPerRow + mc;
            if (RestartInterval && mcu % long(RestartInterval) == 0) std::fill_n(lastDc, 3, 0);
            const bool skipDc = deferFirstDc && mr == firstRow && mc == 0;
            for (int c = 0; c < F.NumComponents; ++c)
            {
                auto& dc = counts.Dc[size_t(TableOf[c])];
                auto& ac = counts.Ac[size_t(TableOf[c])];
                if (!Interleaved)
                {
                    const JCOEF* block = Rows[0][mr][mc];
                    CountBlock(block, lastDc[0], dc, ac, Kernels, skipDc);
                    lastDc[0] = block[0];
                    continue;
                }
                const TComponentLayout& comp = F.Comp[size_t(c)];
                for (int yy = 0; yy < comp.V; ++yy)
                    for (int xx = 0; xx < comp.H; ++xx)
                    {
                        const int row = mr * comp.V + yy, col = mc * comp.H + xx;
                        if (row < comp.HeightInBlocks && col < comp.WidthInBlocks)
                        {
                            const JCOEF* block = Rows[size_t(c)][row][col];
                            CountBlock(block, lastDc[c], dc, ac, Kernels, skipDc && yy == 0 && xx == 0);
                            lastDc[c] = block[0];
                        }
                        else
                        {
                            // Padding block: the DC of the block before it, no AC.
                            ++dc[0];
                            ++ac[0];
                        }
                    }
            }
        }
}

THuffmanCounts CountHuffmanSymbols(const TFrameLayout& f, const std::array<TBlockRows, 3>& rows,
                                   unsigned restartInterval, int threads, const TEncoderKernels& kernels)
{
    const THuffmanScan scan(f, rows, restartInterval, kernels);
    THuffmanCounts total;
    std::mutex lock;
    ParallelFor(scan.McuRows(), threads, 4, [&](int firstRow, int lastRow, int) {
        THuffmanCounts counts;
        scan.CountRows(firstRow, lastRow, counts, TFirstDc::Predicted);
        std::lock_guard<std::mutex> guard(lock);
        total.Add(counts);
    });
    return total;
}

std::vector<THuffmanCounts> CountHuffmanSymbolsByStrip(const TFrameLayout& f, const std::array<TBlockRows, 3>& rows,
                                                       unsigned restartInterval, int threads, int rowsPerStrip,
                                                       const TEncoderKernels& kernels)
{
    const THuffmanScan scan(f, rows, restartInterval, kernels);
    rowsPerStrip = std::max(rowsPerStrip, 1);
    std::vector<THuffmanCounts> strips(size_t((scan.McuRows() + rowsPerStrip - 1) / rowsPerStrip));
    ParallelFor(int(strips.size()), threads, 1, [&](int first, int last, int) {
        for (int s = first; s < last; ++s)
            scan.CountRows(s * rowsPerStrip, std::min(scan.McuRows(), (s + 1) * rowsPerStrip), strips[size_t(s)],
                           TFirstDc::Predicted);
    });
    return strips;
}

void BuildOptimalHuffmanTable(JHUFF_TBL& table, std::array<long, 257> freq)
{
    constexpr int MaxCodeLength = 32; // assumed longest code before the 16-bit limit is applied
    uint8_t bits[MaxCodeLength + 1] = {};
    int codeSize[257] = {};
    int others[257];
    std::fill_n(others, 257, -1);

    freq[256] = 1; // a pseudo-symbol, so that no real code is all ones
    for (;;)
    {
        // The two smallest non-zero frequencies; ties go to the larger symbol number.
        int c1 = -1, c2 = -1;
        long v = 1000000000L;
        for (int i = 0; i <= 256; ++i)
            if (freq[size_t(i)] && freq[size_t(i)] <= v) v = freq[size_t(i)], c1 = i;
        v = 1000000000L;
        for (int i = 0; i <= 256; ++i)
            if (freq[size_t(i)] && freq[size_t(i)] <= v && i != c1) v = freq[size_t(i)], c2 = i;
        if (c2 < 0) break;

        freq[size_t(c1)] += freq[size_t(c2)];
        freq[size_t(c2)] = 0;
        ++codeSize[c1];
        while (others[c1] >= 0)
        {
            c1 = others[c1];
            ++codeSize[c1];
        }
        others[c1] = c2;
        ++codeSize[c2];
        while (others[c2] >= 0)
        {
            c2 = others[c2];
            ++codeSize[c2];
        }
    }

    for (int i = 0; i <= 256; ++i)
        if (codeSize[i])
        {
            if (codeSize[i] > MaxCodeLength) RaiseJpegError(JERR_HUFF_CLEN_OVERFLOW);
            ++bits[codeSize[i]];
        }

    // Limit the code lengths to 16 bits.
    int i = MaxCodeLength;
    for (; i > 16; --i)
        while (bits[i] > 0)
        {
            int j = i - 2;
            while (bits[j] == 0) --j;
            bits[i] -= 2;
            ++bits[i - 1];
            bits[j + 1] += 2;
            --bits[j];
        }
    while (bits[i] == 0) --i;
    --bits[i]; // drop the pseudo-symbol from the longest length

    std::memcpy(table.bits, bits, sizeof table.bits);
    int p = 0;
    for (int len = 1; len <= MaxCodeLength; ++len)
        for (int s = 0; s <= 255; ++s)
            if (codeSize[s] == len) table.huffval[p++] = UINT8(s);
    table.sent_table = FALSE;
}
