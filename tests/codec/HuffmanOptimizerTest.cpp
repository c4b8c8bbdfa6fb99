// The optimal-table builder on skewed statistics and the symbol counting of a tiny frame. (The
// identity harness checks both against the library's own optimised files.)
#include <gtest/gtest.h>

#include "codec/HuffmanOptimizer.h"

TEST(HuffmanOptimizer, CodeLengthsAreLimitedTo16Bits)
{
    // Fibonacci frequencies make a maximally deep tree (over 30 levels) before the limit.
    std::array<long, 257> freq{};
    long a = 1, b = 1;
    for (size_t s = 0; s < 40; ++s)
    {
        freq[s] = a;
        const long c = a + b;
        a = b;
        b = c;
    }
    JHUFF_TBL table{};
    BuildOptimalHuffmanTable(table, freq);
    int symbols = 0;
    double kraft = 0;
    for (int len = 1; len <= 16; ++len)
    {
        symbols += table.bits[len];
        kraft += table.bits[len] / double(1 << len);
    }
    EXPECT_EQ(table.bits[0], 0);
    EXPECT_EQ(symbols, 40);
    EXPECT_LT(kraft, 1.0); // one code point stays free: no code of all ones
    // The most frequent symbols get the shortest codes and come first.
    EXPECT_GE(table.huffval[0], 38);
    EXPECT_GE(table.huffval[1], 37);
}

TEST(HuffmanOptimizer, CountsPaddingBlocksAndRestarts)
{
    // A 9x8 grey picture: two blocks; a 9x8 colour picture at 2x2/1x1/1x1: one MCU of four luma
    // blocks (two real, two padding), one Cb and one Cr block.
    JBLOCK blocks[6] = {};
    blocks[0][0] = 5;
    blocks[0][1] = -3; // AC run 0, 2 bits
    blocks[1][0] = 5;
    blocks[1][63] = 1; // run 62: three ZRL and then run 14, 1 bit
    JBLOCKROW rowY = blocks;
    JBLOCKROW rowCb = blocks + 2, rowCr = blocks + 3;
    JBLOCKROW* y = &rowY;
    JBLOCKROW* cb = &rowCb;
    JBLOCKROW* cr = &rowCr;

    TFrameLayout grey;
    grey.Width = 9;
    grey.Height = 8;
    grey.NumComponents = 1;
    grey.TotalImcuRows = 1;
    grey.Comp[0] = {1, 1, 1, 1, 2, 1};
    THuffmanCounts g = CountHuffmanSymbols(grey, {y, nullptr, nullptr}, 0, 1);
    EXPECT_EQ(g.Dc[0][3], 1); // 5 - 0
    EXPECT_EQ(g.Dc[0][0], 1); // 5 - 5
    EXPECT_EQ(g.Ac[0][0x02], 1);
    EXPECT_EQ(g.Ac[0][0xF0], 3);
    EXPECT_EQ(g.Ac[0][0xE1], 1);
    EXPECT_EQ(g.Ac[0][0x00], 1); // one end of block
    THuffmanCounts restarted = CountHuffmanSymbols(grey, {y, nullptr, nullptr}, 1, 1);
    EXPECT_EQ(restarted.Dc[0][3], 2); // the prediction starts from 0 again in every MCU

    TFrameLayout colour = grey;
    colour.NumComponents = 3;
    colour.MaxH = colour.MaxV = 2;
    colour.Comp[0] = {2, 2, 1, 1, 2, 1};
    colour.Comp[1] = {1, 1, 2, 2, 1, 1};
    colour.Comp[2] = colour.Comp[1];
    THuffmanCounts c = CountHuffmanSymbols(colour, {y, cb, cr}, 0, 1);
    EXPECT_EQ(c.Dc[0][3] + c.Dc[0][0], 4);
    EXPECT_EQ(c.Dc[0][0], 3); // the second real block and both padding blocks
    EXPECT_EQ(c.Ac[0][0x00], 3);
    EXPECT_EQ(c.Dc[1][0], 2); // the all-zero chroma blocks
    EXPECT_EQ(c.Ac[1][0x00], 2);
}
