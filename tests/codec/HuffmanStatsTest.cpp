// Optimised coding with the statistics counted by the program: the file must equal the library's
// own two-pass optimisation over layouts with partial MCUs, restart intervals and thread counts.
#include <gtest/gtest.h>

#include "EncoderTestUtil.h"
#include "codec/HuffmanStats.h"

TEST(HuffmanStats, OptimisedFilesEqualTheLibrarys)
{
    const std::array<TSamplingFactor, 3> layouts[] = {
        {}, {{{1, 1}, {1, 1}, {1, 1}}}, {{{1, 1}, {2, 2}, {2, 2}}}, {{{2, 1}, {1, 1}, {1, 1}}},
        {{{1, 2}, {1, 1}, {1, 1}}}, {{{4, 1}, {2, 1}, {1, 1}}}, {{{2, 2}, {1, 2}, {2, 1}}}};
    const std::pair<int, int> sizes[] = {{1, 1}, {9, 17}, {33, 31}, {130, 47}, {75, 260}};
    for (int gray = 0; gray < 2; ++gray)
        for (const auto& layout : layouts) {
            if (gray && &layout != &layouts[0]) continue;
            for (auto [w, h] : sizes)
                for (int restart : {0, 1, 5}) {
                    TEncodeParams p = IdentityParams(restart == 5 ? 97 : 60, 30);
                    p.FrontEnd.Grayscale = gray;
                    p.FrontEnd.SamplingFactors = layout;
                    p.Coding.OptimizeCoding = true;
                    p.Coding.RestartInterval = restart;
                    TBitmap bmp = restart == 1 ? RandomPicture(w, h, uint32_t(w + h)) : PhotoLikePicture(w, h, 8);
                    std::vector<uint8_t> lib = LibraryEncode(bmp, p);
                    for (int threads : {1, 3}) {
                        p.FrontEnd.Threads = p.Coding.Threads = threads;
                        std::vector<uint8_t> ours = EncodeBitmapToJpeg(bmp, p);
                        EXPECT_TRUE(ours == lib) << "gray " << gray << " layout " << (&layout - layouts) << " " << w
                                                 << "x" << h << " restart " << restart << " threads " << threads;
                    }
                }
        }
}

TEST(HuffmanStats, TablesForSkewedAndSparseCounts)
{
    // A single symbol, two symbols, and counts that push plain Huffman codes past 16 bits.
    std::array<long, 257> one{}, two{}, fib{};
    one[0] = 1000;
    two[3] = 5;
    two[200] = 5;
    long a = 1, b = 1;
    for (size_t i = 0; i < 40; ++i) {
        fib[i] = a;
        long c = a + b;
        a = b;
        b = c;
    }
    for (const auto& freq : {one, two, fib}) {
        JHUFF_TBL t{};
        qmjpeg::GenOptimalHuffmanTable(freq, t);
        int codes = 0;
        for (int len = 1; len <= 16; ++len) codes += t.bits[len];
        int used = 0;
        for (long f : freq) used += f != 0;
        EXPECT_EQ(codes, used);
        EXPECT_EQ(t.bits[0], 0);
        // Kraft: the code (with its reserved code point) fits in 16 bits.
        double kraft = 0;
        for (int len = 1; len <= 16; ++len) kraft += t.bits[len] / double(1 << len);
        EXPECT_LT(kraft, 1.0);
    }
}
