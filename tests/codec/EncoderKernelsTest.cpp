// Every fast kernel gives the bytes of its plain version, on random and extreme inputs. (The plain
// versions are held to the library's results by the encoder harness.)
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "codec/EncoderKernels.h"

namespace {

// Random bytes, or only 0 and 255, or a narrow band around 128.
std::vector<uint8_t> RandomBytes(size_t n, std::mt19937& rng, int mode)
{
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = mode == 0 ? uint8_t(rng()) : mode == 1 ? uint8_t(rng() % 2 ? 255 : 0) : uint8_t(128 + rng() % 5);
    return v;
}

// The kernels this processor runs (the plain ones where it has no vector kernels).
const TEncoderKernels* const k = &FastKernels();

} // namespace

TEST(EncoderKernels, ColorConversionAndDct)
{
    std::mt19937 rng(1);
    for (int mode = 0; mode < 3; ++mode) {
        for (int width : {1, 2, 15, 16, 17, 31, 32, 33, 100, 1001}) {
            const std::vector<uint8_t> bgr = RandomBytes(size_t(width) * 3, rng, mode);
            std::vector<uint8_t> p(size_t(width) * 3), f(p.size());
            const auto ycc = [&](const TEncoderKernels& x, std::vector<uint8_t>& o) {
                x.BgrToYcc(bgr.data(), width, o.data(), o.data() + width, o.data() + 2 * width);
            };
            ycc(PlainKernels(), p);
            ycc(*k, f);
            EXPECT_EQ(p, f) << k->Name << " width " << width;
            PlainKernels().BgrToGray(bgr.data(), width, p.data());
            k->BgrToGray(bgr.data(), width, f.data());
            EXPECT_EQ(p, f) << k->Name << " grey width " << width;
        }
        for (int blocks : {1, 3, 8}) {
            const size_t stride = size_t(blocks) * 8 + 5;
            const std::vector<uint8_t> samples = RandomBytes(stride * 8, rng, mode);
            std::vector<int16_t> p(size_t(blocks) * 64), f(p.size());
            PlainKernels().ForwardDctRow(samples.data(), stride, blocks, p.data());
            k->ForwardDctRow(samples.data(), stride, blocks, f.data());
            EXPECT_EQ(p, f) << k->Name << " dct mode " << mode;
        }
    }
}

TEST(EncoderKernels, Downsampling)
{
    std::mt19937 rng(2);
    struct Case
    {
        TDownsampleMethod Method;
        int MaxV, V, HExpand, VExpand;
    };
    const Case cases[] = {
        {TDownsampleMethod::Fullsize, 2, 2, 1, 1},       {TDownsampleMethod::H2V1, 1, 1, 2, 1},
        {TDownsampleMethod::H2V1, 2, 2, 2, 1},           {TDownsampleMethod::H2V2, 2, 1, 2, 2},
        {TDownsampleMethod::Generic, 2, 1, 1, 2},        {TDownsampleMethod::Generic, 1, 1, 3, 1},
        {TDownsampleMethod::FullsizeSmooth, 2, 2, 1, 1}, {TDownsampleMethod::H2V2Smooth, 2, 1, 2, 2}};
    for (const Case& c : cases)
        for (int outCols : {8, 16, 24, 200})
            for (int smoothing : {1, 37, 100}) {
                std::vector<std::vector<uint8_t>> in;
                std::vector<const uint8_t*> inPtr;
                for (int r = 0; r < c.MaxV + 2; ++r)
                    in.push_back(RandomBytes(size_t(outCols * c.HExpand), rng, r % 3 ? 0 : 1));
                for (auto& r : in)
                    inPtr.push_back(r.data());
                std::vector<uint8_t> p(size_t(c.V * outCols)), f(p.size());
                std::vector<uint8_t*> pPtr, fPtr;
                for (int r = 0; r < c.V; ++r)
                    pPtr.push_back(p.data() + r * outCols), fPtr.push_back(f.data() + r * outCols);
                TDownsampleArgs a{c.Method, inPtr.data() + 1, pPtr.data(), outCols,  c.MaxV,
                                  c.V,      c.HExpand,        c.VExpand,   smoothing};
                PlainKernels().Downsample(a);
                a.Out = fPtr.data();
                k->Downsample(a);
                EXPECT_EQ(p, f) << k->Name << " method " << int(c.Method) << " cols " << outCols;
            }
}

TEST(EncoderKernels, QuantizationAndZigzagMask)
{
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
                k->QuantizeBlocks(q, coef.data(), 0, 0, 5, f);
                ASSERT_EQ(0, std::memcmp(p, f, sizeof p))
                    << k->Name << " rounding " << int(rounding) << " comp " << comp;
            }
        }
    for (int density : {0, 1, 8, 32, 64})
        for (int trial = 0; trial < 50; ++trial) {
            int16_t block[64] = {};
            for (int n = 0; n < density; ++n)
                block[rng() % 64] = int16_t(int(rng() % 2001) - 1000);
            if (trial == 0) block[63] = 1; // the last zigzag position is the last natural one
            ASSERT_EQ(k->ZigzagNonZeroMask(block), ZigzagNonZeroMaskPlain(block)) << k->Name;
        }
}
