#include "codec/HuffmanStats.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include <jerror.h>

#include "codec/JpegGlue.h"
#include "codec/ParallelBands.h"

namespace qmjpeg {
namespace {

// Natural-order index of each zigzag position.
constexpr int ZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                            12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                            35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                            58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

constexpr int MaxCoefBits = 10; // 8-bit samples

int BitCount(int v)
{
    if (v < 0) v = -v;
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

void CountBlock(const JCOEF* block, int& lastDc, std::array<long, 257>& dc, std::array<long, 257>& ac)
{
    const int dcBits = BitCount(block[0] - lastDc);
    if (dcBits > MaxCoefBits + 1) RaiseJpegError(JERR_BAD_DCT_COEF);
    ++dc[size_t(dcBits)];
    lastDc = block[0];
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const int v = block[ZigZag[k]];
        if (v == 0) {
            ++run;
            continue;
        }
        while (run > 15) {
            ++ac[0xF0];
            run -= 16;
        }
        const int bits = BitCount(v);
        if (bits > MaxCoefBits) RaiseJpegError(JERR_BAD_DCT_COEF);
        ++ac[size_t((run << 4) + bits)];
        run = 0;
    }
    if (run > 0) ++ac[0];
}

// Geometry of the scan as the library sets it up.
struct TScan
{
    const TFrameLayout& F;
    const std::array<JBLOCKARRAY, 3>& Rows;
    const std::array<int, 3>& DcSlot;
    const std::array<int, 3>& AcSlot;
    unsigned Restart;
    bool Interleaved;
    int McusPerRow, McuRows;
    std::array<int, 3> LastColWidth{}, LastRowHeight{};

    // The DC value the predictor of component c holds after MCU row r.
    int LastDcOfRow(int c, int r) const
    {
        const TComponentLayout& comp = F.Comp[size_t(c)];
        if (!Interleaved) return Rows[size_t(c)][r][comp.WidthInBlocks - 1][0];
        // Dummy blocks repeat the DC of the block before them: the last real block counts.
        const int realRows = r < McuRows - 1 ? comp.V : LastRowHeight[size_t(c)];
        const int col = (McusPerRow - 1) * comp.H + LastColWidth[size_t(c)] - 1;
        return Rows[size_t(c)][r * comp.V + realRows - 1][col][0];
    }

    void CountRows(int first, int last, THuffmanCounts& out) const
    {
        std::array<int, 3> lastDc{};
        for (int c = 0; c < F.NumComponents; ++c) lastDc[size_t(c)] = first > 0 ? LastDcOfRow(c, first - 1) : 0;
        for (int r = first; r < last; ++r)
            for (int m = 0; m < McusPerRow; ++m) {
                if (Restart && (int64_t(r) * McusPerRow + m) % Restart == 0) lastDc.fill(0);
                for (int c = 0; c < F.NumComponents; ++c) {
                    auto& dc = out.Dc[size_t(DcSlot[size_t(c)])];
                    auto& ac = out.Ac[size_t(AcSlot[size_t(c)])];
                    if (!Interleaved) {
                        CountBlock(Rows[size_t(c)][r][m], lastDc[size_t(c)], dc, ac);
                        continue;
                    }
                    const TComponentLayout& comp = F.Comp[size_t(c)];
                    const int blocks = m < McusPerRow - 1 ? comp.H : LastColWidth[size_t(c)];
                    for (int y = 0; y < comp.V; ++y) {
                        int x = 0;
                        if (r < McuRows - 1 || y < LastRowHeight[size_t(c)]) {
                            JBLOCKROW row = Rows[size_t(c)][r * comp.V + y] + m * comp.H;
                            for (; x < blocks; ++x) CountBlock(row[x], lastDc[size_t(c)], dc, ac);
                        }
                        // Dummy blocks: no DC change, no AC coefficients.
                        const int dummies = comp.H - x;
                        dc[0] += dummies;
                        ac[0] += dummies;
                    }
                }
            }
    }
};

} // namespace

THuffmanCounts CountHuffmanSymbols(const TFrameLayout& f, const std::array<JBLOCKARRAY, 3>& rows,
                                   const std::array<int, 3>& dcSlot, const std::array<int, 3>& acSlot,
                                   unsigned restartInterval, int threads)
{
    TScan scan{f, rows, dcSlot, acSlot, restartInterval, f.NumComponents > 1, 0, 0};
    if (scan.Interleaved) {
        scan.McusPerRow = (f.Width + 8 * f.MaxH - 1) / (8 * f.MaxH);
        scan.McuRows = (f.Height + 8 * f.MaxV - 1) / (8 * f.MaxV);
        for (int c = 0; c < f.NumComponents; ++c) {
            const TComponentLayout& comp = f.Comp[size_t(c)];
            int w = comp.WidthInBlocks % comp.H, h = comp.HeightInBlocks % comp.V;
            scan.LastColWidth[size_t(c)] = w ? w : comp.H;
            scan.LastRowHeight[size_t(c)] = h ? h : comp.V;
        }
    } else {
        scan.McusPerRow = f.Comp[0].WidthInBlocks;
        scan.McuRows = f.Comp[0].HeightInBlocks;
    }

    THuffmanCounts total;
    std::mutex lock;
    RunParallelBands(scan.McuRows, threads, 8, [&](int first, int last) {
        THuffmanCounts part;
        scan.CountRows(first, last, part);
        std::lock_guard<std::mutex> guard(lock);
        for (size_t s = 0; s < 2; ++s)
            for (size_t i = 0; i < 257; ++i) {
                total.Dc[s][i] += part.Dc[s][i];
                total.Ac[s][i] += part.Ac[s][i];
            }
    });
    return total;
}

void GenOptimalHuffmanTable(std::array<long, 257> freq, JHUFF_TBL& htbl)
{
    constexpr int MaxCodeLength = 32;
    std::array<uint8_t, MaxCodeLength + 1> bits{};
    std::array<int, 257> codesize{};
    std::array<int, 257> others;
    others.fill(-1);
    freq[256] = 1; // the reserved code point: no real symbol gets the all-ones code

    for (;;) {
        // The two smallest non-zero counts; on a tie the larger symbol.
        int c1 = -1, c2 = -1;
        long v = 1000000000L;
        for (int i = 0; i <= 256; ++i)
            if (freq[size_t(i)] && freq[size_t(i)] <= v) {
                v = freq[size_t(i)];
                c1 = i;
            }
        v = 1000000000L;
        for (int i = 0; i <= 256; ++i)
            if (freq[size_t(i)] && freq[size_t(i)] <= v && i != c1) {
                v = freq[size_t(i)];
                c2 = i;
            }
        if (c2 < 0) break;

        freq[size_t(c1)] += freq[size_t(c2)];
        freq[size_t(c2)] = 0;
        ++codesize[size_t(c1)];
        while (others[size_t(c1)] >= 0) {
            c1 = others[size_t(c1)];
            ++codesize[size_t(c1)];
        }
        others[size_t(c1)] = c2;
        ++codesize[size_t(c2)];
        while (others[size_t(c2)] >= 0) {
            c2 = others[size_t(c2)];
            ++codesize[size_t(c2)];
        }
    }

    for (int i = 0; i <= 256; ++i)
        if (codesize[size_t(i)]) {
            if (codesize[size_t(i)] > MaxCodeLength) RaiseJpegError(JERR_HUFF_CLEN_OVERFLOW);
            ++bits[size_t(codesize[size_t(i)])];
        }

    // Codes longer than 16 bits: pairs move up, a shorter code becomes a prefix.
    int i = MaxCodeLength;
    for (; i > 16; --i)
        while (bits[size_t(i)] > 0) {
            int j = i - 2;
            while (bits[size_t(j)] == 0) --j;
            bits[size_t(i)] -= 2;
            ++bits[size_t(i - 1)];
            bits[size_t(j + 1)] += 2;
            --bits[size_t(j)];
        }
    // The reserved code point leaves the longest length in use.
    while (bits[size_t(i)] == 0) --i;
    --bits[size_t(i)];

    std::memset(htbl.bits, 0, sizeof(htbl.bits));
    std::copy(bits.begin(), bits.begin() + 17, htbl.bits);
    std::memset(htbl.huffval, 0, sizeof(htbl.huffval));
    int p = 0;
    for (int len = 1; len <= MaxCodeLength; ++len)
        for (int s = 0; s <= 255; ++s)
            if (codesize[size_t(s)] == len) htbl.huffval[p++] = UINT8(s);
    htbl.sent_table = FALSE;
}

} // namespace qmjpeg
