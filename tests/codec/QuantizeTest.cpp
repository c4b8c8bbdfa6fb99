// The two rounding rules of the quantiser with the dropped chroma table, and masked quantisation,
// each with the plain and the processor's kernels. (Whole encodes of both kernel sets: the encoder
// harness and the pinned outputs.)
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <tuple>

#include "codec/EncoderKernels.h"
#include "codec/Quantize.h"

namespace {

TCodingParams ParamsWithTables(int luma, int chroma, TQuantRounding rounding)
{
    TCodingParams p;
    p.Rounding = rounding;
    qmjpeg::TQuantTable t;
    t.fill(uint16_t(luma));
    p.Tables[0] = t;
    t.fill(uint16_t(chroma));
    p.Tables[1] = t;
    return p;
}

int QuantizeOne(const TEncoderKernels& k, const TComponentQuantizer& q, int16_t c, int index)
{
    int16_t coef[64] = {};
    coef[index] = c;
    int16_t out[1][64];
    k.QuantizeBlocks(q, coef, 0, 0, 1, out);
    return out[0][index];
}

} // namespace

TEST(Quantize, TieCasesOfBothRulesAndMaskedThresholds)
{
    TDctPlanes planes;
    planes.Layout.NumComponents = 3;
    // Coefficients are scaled by 8: with table entry 1 the divisor is 8, with 2 it is 16. A chroma
    // table whose DC entry is 255 drops the component in the program's rule (the library's keeps it:
    // the files must match the library's).
    struct Case { int Table; int16_t Coef; int Program, Library; int Comp = 0, Index = 5; };
    const Case cases[] = {
        {1, 4, 0, 1},     // 0.5: even -> 0; the library rounds half away from zero
        {1, -4, 0, -1},   // -0.5
        {1, 12, 2, 2},    // 1.5 -> 2 both ways
        {1, 20, 2, 3},    // 2.5: even -> 2, the library 3
        {1, -20, -2, -3}, // -2.5
        {1, 13, 2, 2},    // 1.625
        {2, 8, 0, 1},     // 0.5
        {2, 24, 2, 2},    // 1.5
        {2, 40, 2, 3},    // 2.5
        {128, 512, 0, 1},     // 0.5 (power-of-two divisors have exact reciprocals: true ties)
        {128, 2560, 2, 3},    // 2.5
        // Other divisors have inexact single-precision reciprocals, so the exact quotient's ties are
        // no ties for the program: float(1/24) and float(1/2040) lie above the true values.
        {3, 36, 2, 2},        // 1.5 + a little
        {3, 12, 1, 1},        // 0.5 + a little
        {255, 1020, 1, 1},    // 0.5 + a little
        {255, 3060, 2, 2},    // 1.5 + a little
        {255, -5100, -3, -3}, // -2.5 - a little
        {255, 8000, 4, 4, 0, 0},    // 3.92: luma keeps its content
        {255, 8000, 0, 4, 1, 0},    // chroma with DC 255
        {255, -8000, 0, -4, 2, 3},
    };
    for (const Case& c : cases) {
        TComponentQuantizer program = MakeComponentQuantizer(ParamsWithTables(c.Table, c.Table, TQuantRounding::Program), planes, c.Comp);
        TComponentQuantizer library = MakeComponentQuantizer(ParamsWithTables(c.Table, c.Table, TQuantRounding::Library), planes, c.Comp);
        for (const TEncoderKernels* k : {&PlainKernels(), &FastKernels()})
            EXPECT_EQ(std::pair(QuantizeOne(*k, program, c.Coef, c.Index), QuantizeOne(*k, library, c.Coef, c.Index)),
                      std::pair(c.Program, c.Library))
                << k->Name << " " << c.Table << " " << c.Coef << " comp " << c.Comp;
    }
    // Masked quantisation uses the block area thresholds.
    TDctPlanes twoBlocks;
    twoBlocks.Layout.NumComponents = 1;
    twoBlocks.Layout.Comp[0].WidthInBlocks = 2;
    twoBlocks.Layout.Comp[0].HeightInBlocks = 1;
    TCodingParams p = ParamsWithTables(2, 2, TQuantRounding::Program);
    qmjpeg::TQuantTable t;
    t.fill(10); // main area: coarser
    p.Tables[2] = t;
    p.Tables[3] = t;
    t.fill(1); // selection: finer
    p.Tables[4] = t;
    p.Tables[5] = t;
    TBlockMask mask{2, 1, {0, 1}}; // block 0 main area, block 1 selected
    p.MaskedQuantization = true;
    p.BlockMasks[0] = &mask;
    TComponentQuantizer q = MakeComponentQuantizer(p, twoBlocks, 0);
    ASSERT_TRUE(q.Mask);
    int16_t coef[128] = {};
    coef[3] = 32;       // 32 / 16 = 2 with the stored table; 32 / 80 = 0.4 -> zeroed in the main area
    coef[4] = 48;       // 48 / 80 = 0.6 -> kept: 3
    coef[64 + 3] = 32;  // selection: 32 / 8 = 4 -> kept: 2
    for (const TEncoderKernels* k : {&PlainKernels(), &FastKernels()}) {
        int16_t out[2][64];
        k->QuantizeBlocks(q, coef, 0, 0, 2, out);
        EXPECT_EQ(std::tuple(out[0][3], out[0][4], out[1][3]), std::tuple(0, 3, 2)) << k->Name;
    }

    // A mask of the wrong size is ignored (a missing threshold slot: the encoder harness's error table).
    TBlockMask wrong{3, 1, {0, 0, 0}};
    p.BlockMasks[0] = &wrong;
    EXPECT_FALSE(MakeComponentQuantizer(p, twoBlocks, 0).Mask);
}

// The library's reciprocal form equals the exact division rounded half away from zero for every table
// entry and every coefficient magnitude the DCT can produce.
TEST(Quantize, LibraryRuleIsRoundingHalfAwayFromZero)
{
    for (uint32_t q = 1; q <= 255; ++q) {
        const uint32_t d = q * 8;
        const TLibraryDivisor r = ComputeLibraryDivisor(d);
        for (uint32_t mag = 0; mag <= 8192; ++mag) {
            const uint32_t got = uint32_t((mag + r.Correction) * r.Reciprocal) >> r.Shift;
            ASSERT_EQ(got, (mag + d / 2) / d) << "q " << q << " |c| " << mag;
        }
    }
}

// The processor's quantiser gives the bytes of the plain one with both rounding rules, on random and
// extreme coefficients and tables.
TEST(Quantize, ProcessorKernelsEqualThePlainOnesOnRandomTables)
{
    const TEncoderKernels& fast = FastKernels();
    std::mt19937 rng(4);
    TDctPlanes planes;
    planes.Layout.NumComponents = 3;
    for (TQuantRounding rounding : {TQuantRounding::Library, TQuantRounding::Program})
        for (int tables = 0; tables < 3; ++tables) {
            TCodingParams params;
            params.Rounding = rounding;
            for (size_t s = 0; s < 2; ++s) {
                qmjpeg::TQuantTable t;
                for (auto& v : t)
                    v = uint16_t(tables == 0 ? 1 + rng() % 255 : tables == 1 ? 1 : 255);
                params.Tables[s] = t;
            }
            for (int comp = 0; comp < 2; ++comp) {
                const TComponentQuantizer q = MakeComponentQuantizer(params, planes, comp);
                std::vector<int16_t> coef(64 * 5);
                for (size_t i = 0; i < coef.size(); ++i)
                    coef[i] = int16_t(i < 64 ? (int(i) - 32) * 256 : int(rng() % 16385) - 8192);
                coef[0] = 8192;
                coef[1] = -8192;
                int16_t p[5][64], f[5][64];
                PlainKernels().QuantizeBlocks(q, coef.data(), 0, 0, 5, p);
                fast.QuantizeBlocks(q, coef.data(), 0, 0, 5, f);
                ASSERT_EQ(0, std::memcmp(p, f, sizeof p))
                    << fast.Name << " rounding " << int(rounding) << " comp " << comp;
            }
        }
}
