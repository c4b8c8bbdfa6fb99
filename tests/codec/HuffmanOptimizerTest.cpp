// The optimal-table builder on statistics no picture of the identity harness reaches (that harness
// checks the builder and the symbol counting against the library's own optimised files).
#include <gtest/gtest.h>

#include "codec/HuffmanOptimizer.h"

TEST(HuffmanOptimizer, CodeLengthsAreLimitedTo16Bits)
{
    // Fibonacci frequencies make a maximally deep tree (over 30 levels) before the limit.
    std::array<long, 257> freq{};
    for (size_t s = 0, a = 1, b = 1; s < 40; ++s, b = a + b, a = b - a) freq[s] = long(a);
    JHUFF_TBL table{};
    BuildOptimalHuffmanTable(table, freq);
    int symbols = 0;
    double kraft = 0;
    for (int len = 1; len <= 16; ++len) {
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
