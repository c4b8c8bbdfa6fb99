// The fast quantiser gives the bytes of the plain one with both rounding rules, on random and
// extreme coefficients and tables. (Colour conversion, downsampling, the DCT and the zigzag mask of
// both kernel sets are held to the library's files by the encoder harness.)
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "codec/EncoderKernels.h"

TEST(EncoderKernels, QuantizationOfBothRules)
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
                for (auto& v : t) v = uint16_t(tables == 0 ? 1 + rng() % 255 : tables == 1 ? 1 : 255);
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
                ASSERT_EQ(0, std::memcmp(p, f, sizeof p)) << fast.Name << " rounding " << int(rounding) << " comp " << comp;
            }
        }
}
