// The 2:1 downsampling of a row group, with the plain and the processor's kernels: values worked out
// by hand, and no output past the row's columns (the byte after them is a guard; in the sanitizer
// build the input rows are exactly as long as the method reads).
#include <gtest/gtest.h>

#include <vector>

#include "codec/EncoderKernels.h"

TEST(Downsample, PairsAndSquaresWithAlternatingBiasStayInsideTheRow)
{
    using Row = std::vector<uint8_t>;
    const Row pairs = {10, 20, 30, 41, 0, 255, 7, 8, 100, 100, 1, 2, 200, 201, 254, 255};
    const Row zeros(16, 0);
    // Pair sums 30, 71, 255, 15, 200, 3, 401, 509. 2:1 across, bias 0, 1, ...: (s + bias) >> 1.
    // 2:1 both ways over a zero row below, bias 1, 2, ...: (s + bias) >> 2.
    const std::tuple<const char*, TDownsampleMethod, std::vector<Row>, int, Row> cases[] = {
        {"2:1 across", TDownsampleMethod::H2V1, {pairs}, 1, {15, 36, 127, 8, 100, 2, 200, 255}},
        {"2:1 both ways", TDownsampleMethod::H2V2, {pairs, zeros}, 2, {7, 18, 64, 4, 50, 1, 100, 127}},
        {"generic 2 x 2", TDownsampleMethod::Generic, {pairs, zeros}, 2, {8, 18, 64, 4, 50, 1, 100, 127}},
    };
    for (const TEncoderKernels* k : {&PlainKernels(), &FastKernels()})
        for (const auto& [name, method, rows, vexpand, want] : cases) {
            SCOPED_TRACE(std::string(k->Name) + " " + name);
            std::vector<const uint8_t*> in;
            for (const Row& r : rows)
                in.push_back(r.data());
            Row out(9, 0xEE);
            uint8_t* outRow = out.data();
            const TDownsampleArgs args{method, in.data(), &outRow, 8, int(rows.size()), 1, 2, vexpand, 0};
            k->Downsample(args);
            EXPECT_EQ(Row(out.begin(), out.begin() + 8), want);
            EXPECT_EQ(out[8], 0xEE);
        }
}
