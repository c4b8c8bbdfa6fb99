// The run-length decoders on hand-made packets, Targa packets that cross rows, and the Targa
// encoder's packets and round trips.
#include <tuple>

#include "DecoderTestSupport.h"

using dectest::DecodeGuarded;
using dectest::MakeDecoder;

// decoder, parameter, input, output bytes, UnpackedSize, expected output (0xEE: left as it was)
TEST(RunLengthDecoders, DecodeHandMadePackets)
{
    const std::tuple<const char*, const char*, Bytes, size_t, int32_t, Bytes> cases[] = {
        {"targa", "8", {0x82, 0x41}, 3, 3, {0x41, 0x41, 0x41}},
        {"targa", "8", {0x02, 0x41, 0x42, 0x43}, 3, 3, {0x41, 0x42, 0x43}},
        {"targa", "24", {0x81, 1, 2, 3}, 6, 2, {1, 2, 3, 1, 2, 3}},
        {"targa", "16", {0x01, 1, 2, 3, 4, 0x80, 9, 8}, 6, 3, {1, 2, 3, 4, 9, 8}},
        {"targa", "32", {0x80, 1, 2, 3, 4}, 4, 1, {1, 2, 3, 4}},
        {"targa", "12", {0x82, 0x41}, 2, 2, {0xEE, 0xEE}}, // no such depth
        {"targa", "24", {0x81, 1, 2}, 6, 2, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}}, // the run's pixel cut off
        {"packbits", "", {0xFE, 0xAA}, 3, 3, {0xAA, 0xAA, 0xAA}},
        {"packbits", "", {0x80, 0x00, 0x07}, 1, 1, {0x07}},
        {"packbits", "", {0x05, 0x01, 0x02}, 4, 4, {0x01, 0x02, 0xEE, 0xEE}}, // literal cut to the input
        {"packbits", "", {0x01, 0x01, 0x02, 0xFF}, 4, 4, {0x01, 0x02, 0xEE, 0xEE}}, // run without its value
        {"packbits", "", {0xF9, 0x05, 0x00, 0x06}, 5, 5, {5, 5, 5, 5, 5}},      // run cut to the output
        {"pcx", "", {0xC3, 0x10}, 3, 3, {0x10, 0x10, 0x10}},
        {"pcx", "", {0x3F}, 1, 1, {0x3F}},
        {"pcx", "", {0xC0, 0x55, 0x07}, 1, 1, {0x07}},
        {"pcx", "", {0xC5, 0x09, 0x01}, 3, 3, {0x09, 0x09, 0x09}},
        {"pcx", "", {0x01, 0xC4}, 3, 3, {0x01, 0xEE, 0xEE}},
        {"sgi", "8", {0x83, 0x01, 0x02, 0x03, 0x00}, 3, 3, {1, 2, 3}},
        {"sgi", "8", {0x03, 0x07, 0x00}, 3, 3, {7, 7, 7}},
        {"sgi", "8", {0x02, 0x07, 0x00, 0x02, 0x08}, 4, 4, {7, 7, 0xEE, 0xEE}}, // ends at the zero header
        {"sgi", "8", {0x05, 0x07, 0x81, 0x09}, 3, 3, {7, 7, 7}},
        {"sgi", "16", {0x00, 0x82, 0x12, 0x34, 0x56, 0x78, 0x00, 0x00}, 4, 4, {0x12, 0x34, 0x56, 0x78}},
        {"sgi", "16", {0x00, 0x03, 0xAB, 0xCD, 0x00, 0x00}, 6, 6, {0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD}},
        {"sgi", "16", {0x00, 0x03, 0xAB, 0xCD}, 3, 3, {0xAB, 0xCD, 0xAB}},
        {"rla", "", {0x02, 0x05}, 3, 0, {5, 5, 5}},
        {"rla", "", {0xFD, 0x01, 0x02, 0x03}, 3, 0, {1, 2, 3}},
        {"rla", "", {0xFD, 0x01}, 3, 0, {1, 0xEE, 0xEE}},
        {"psp", "", {0x83, 0x09}, 3, 0, {9, 9, 9}},
        {"psp", "", {0x02, 0x01, 0x02}, 2, 0, {1, 2}},
        {"psp", "", {0x90, 0x04}, 3, 0, {4, 4, 4}},
        {"cut", "", {0x05, 0x00, 0x83, 0x07, 0x00}, 3, 0, {7, 7, 7}},
        {"cut", "", {0x05, 0x00, 0x02, 0x01, 0x02, 0x81, 0x03, 0x00}, 3, 0, {1, 2, 3}},
    };
    for (const auto& [name, parameter, in, outBytes, unpacked, expected] : cases) {
        SCOPED_TRACE(std::string(name) + " " + parameter + " case of " + std::to_string(in.size()) + " bytes");
        const auto decoder = MakeDecoder(name, parameter);
        EXPECT_EQ(DecodeGuarded(*decoder, in, outBytes, unpacked ? unpacked : int32_t(outBytes), nullptr, 0xEE),
                  expected);
    }
}

TEST(RunLengthDecoders, MoveSourceWhereTheySay)
{
    // CUT: behind the zero header, even when the output filled up before it.
    TCUTRLEDecoder cut;
    int64_t moved = 0;
    EXPECT_EQ(DecodeGuarded(cut, {0x09, 0x00, 0x85, 0x07, 0x02, 0x01, 0x02, 0x00, 0x44}, 2, 2, &moved), (Bytes{7, 7}));
    EXPECT_EQ(moved, 8);
    // The others leave it.
    TPackbitsRLEDecoder packbits;
    DecodeGuarded(packbits, {0xFE, 0xAA}, 3, 3, &moved);
    EXPECT_EQ(moved, 0);
}

// A packet that runs past a row's end goes on in the next call of the same picture; DecodeInit
// forgets it.
TEST(RunLengthDecoders, TargaPacketsCrossRows)
{
    TTargaRLEDecoder targa(8);
    targa.DecodeInit();
    const Bytes data = {0x85, 0x07, 0x03, 0x08, 0x09, 0x0A, 0x0B, 0x81, 0x0C};
    int64_t moved = 0;
    EXPECT_EQ(DecodeGuarded(targa, data, 4, 4, &moved), (Bytes{7, 7, 7, 7}));
    EXPECT_EQ(moved, 2);
    const Bytes rest(data.begin() + 2, data.end());
    EXPECT_EQ(DecodeGuarded(targa, rest, 4, 4, &moved), (Bytes{7, 7, 8, 9}));
    EXPECT_EQ(moved, 3); // the literal's header and two of its pixels
    const Bytes last(rest.begin() + 3, rest.end());
    EXPECT_EQ(DecodeGuarded(targa, last, 4, 4, &moved), (Bytes{0x0A, 0x0B, 0x0C, 0x0C}));
    EXPECT_EQ(moved, 4);

    targa.DecodeInit();
    EXPECT_EQ(DecodeGuarded(targa, {0x85, 0x07}, 2, 2), (Bytes{7, 7}));
    targa.DecodeInit();
    EXPECT_EQ(DecodeGuarded(targa, {0x01, 0x05, 0x06}, 2, 2), (Bytes{5, 6}));

    // A literal whose input ends halfway: only whole pixels are taken, the rest comes with the next
    // piece of input.
    TTargaRLEDecoder deep(24);
    EXPECT_EQ(DecodeGuarded(deep, {0x01, 1, 2, 3, 4}, 6, 2, &moved, 0xEE), (Bytes{1, 2, 3, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(moved, 4);
    EXPECT_EQ(DecodeGuarded(deep, {4, 5, 6}, 3, 1), (Bytes{4, 5, 6}));
}

namespace {

Bytes TargaEncode(int depth, const Bytes& pixels, uint32_t* stored = nullptr)
{
    TTargaRLEDecoder encoder(depth);
    const uint32_t size = uint32_t(depth + 1) / 8, count = uint32_t(pixels.size() / size);
    Bytes out(encoder.MaxEncodedSize(count) + dectest::CanaryBytes, dectest::Canary);
    uint32_t bytes = 0;
    encoder.Encode(pixels.data(), out.data(), count, bytes);
    for (size_t i = encoder.MaxEncodedSize(count); i < out.size(); ++i) EXPECT_EQ(out[i], dectest::Canary);
    if (stored) *stored = bytes;
    out.resize(bytes);
    return out;
}

} // namespace

TEST(TargaEncoder, WritesPackets)
{
    const uint8_t a = 0x41, b = 0x42, c = 0x43;
    uint32_t stored = 0;
    EXPECT_EQ(TargaEncode(8, {a, a, a, b}, &stored), (Bytes{0x82, a, 0x00, b}));
    EXPECT_EQ(stored, 4u);
    EXPECT_EQ(TargaEncode(8, {a, b, c}), (Bytes{0x01, a, b, 0x00, c}));
    EXPECT_EQ(TargaEncode(8, {a, b, b}), (Bytes{0x00, a, 0x81, b}));
    EXPECT_EQ(TargaEncode(8, {}), Bytes{});
    EXPECT_EQ(TargaEncode(8, Bytes(300, a)), (Bytes{0xFF, a, 0xFF, a, 0xAB, a}));
    EXPECT_EQ(TargaEncode(16, {1, 2, 1, 2, 1, 3}), (Bytes{0x81, 1, 2, 0x00, 1, 3}));
    EXPECT_EQ(TargaEncode(24, {1, 2, 3, 1, 2, 4}), (Bytes{0x00, 1, 2, 3, 0x00, 1, 2, 4}));
    // 130 different pixels: a literal of 128, then the last two each on their own.
    Bytes ramp(130);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = uint8_t(i);
    const Bytes coded = TargaEncode(8, ramp);
    ASSERT_EQ(coded.size(), 129u + 2 + 2);
    EXPECT_EQ(std::tuple(coded[0], coded[129], coded[130], coded[131], coded[132]),
              std::tuple(0x7F, 0x00, 128, 0x00, 129));
}

// Pictures with runs of every length decode back to themselves, for every depth and in rows.
TEST(TargaEncoder, RoundTrips)
{
    for (int depth : {8, 15, 16, 24, 32}) {
        const size_t size = size_t(depth + 1) / 8;
        for (uint32_t seed = 1; seed <= 12; ++seed) {
            const Bytes noise = dectest::RandomBytes(4000, seed * 31 + uint32_t(depth));
            Bytes pixels;
            for (size_t i = 0; i + 2 < noise.size() && pixels.size() < 600 * size; i += 3) {
                const size_t repeat = noise[i] % 4 == 0 ? 1 + noise[i + 1] % 200 : 1;
                for (size_t r = 0; r < repeat; ++r)
                    for (size_t k = 0; k < size; ++k) pixels.push_back(uint8_t(noise[i + 2] & (seed % 3 ? 3 : 0xFF)));
            }
            uint32_t stored = 0;
            const Bytes coded = TargaEncode(depth, pixels, &stored);
            SCOPED_TRACE("depth " + std::to_string(depth) + " seed " + std::to_string(seed));
            TTargaRLEDecoder decoder(depth);
            decoder.DecodeInit();
            EXPECT_EQ(DecodeGuarded(decoder, coded, pixels.size(), int32_t(pixels.size() / size)), pixels);
            // Encoded as one stream, decoded in rows of 37 pixels.
            decoder.DecodeInit();
            Bytes rows;
            size_t offset = 0;
            for (size_t done = 0; done < pixels.size(); done += 37 * size) {
                const size_t n = std::min(37 * size, pixels.size() - done);
                int64_t moved = 0;
                const Bytes row = DecodeGuarded(decoder, Bytes(coded.begin() + std::ptrdiff_t(offset), coded.end()), n,
                                                int32_t(n / size), &moved);
                rows.insert(rows.end(), row.begin(), row.end());
                offset += size_t(moved);
            }
            EXPECT_EQ(rows, pixels);
            EXPECT_EQ(offset, coded.size());
        }
    }
}
