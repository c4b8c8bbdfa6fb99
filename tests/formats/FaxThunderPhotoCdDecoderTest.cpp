// The fax decoders on hand-coded rows, ThunderScan bytes and Photo-CD correction streams.
#include <tuple>

#include "DecoderTestSupport.h"

using dectest::BitString;
using dectest::DecodeGuarded;

namespace {
const std::string Eol = "000000000001 ";
}

// decoder (fax3 / mh), parameter WIDTH:SWAP:WORDALIGNED, input, output bytes, expected
TEST(FaxDecoders, DecodeHandCodedRows)
{
    const std::tuple<const char*, const char*, Bytes, size_t, Bytes> cases[] = {
        // white 3, black 2, white 3
        {"mh", "8:0:0", BitString("1000 11 1000"), 1, {0x18}},
        {"fax3", "8:0:0", BitString(Eol + "1000 11 1000"), 1, {0x18}},
        {"fax3", "8:0:0", BitString("0000 0000 " + Eol + "1000 11 1000"), 1, {0x18}}, // fill bits first
        // white 0, then black 8: the row starts black
        {"mh", "8:0:0", BitString("00110101 000101"), 1, {0xFF}},
        // make-up 64 and terminating 3 give one white run of 67, then black 3
        {"mh", "70:0:0", BitString("11011 1000 10"), 9, {0, 0, 0, 0, 0, 0, 0, 0, 0x1C}},
        // white 1728 (make-up 1728, terminating 0): every byte cleared
        {"mh", "1728:0:0", BitString("010011011 00110101"), 216, Bytes(216, 0)},
        // black 2560 + 64 + 3 in a row of 2627: the shared make-up code
        {"mh", "2627:0:0", BitString("00110101 000000011111 0000001111 10"), 329, dectest::Joined(Bytes(328, 0xFF), {0xE0})},
        // After a complete row the rest of its byte is skipped (here a white 2 that would count).
        {"mh", "4:0:0", BitString("1011 0111 0111 11 00"), 2, {0x00, 0x30}},
        // Word-aligned rows start at even positions: byte 1 is padding.
        {"mh", "4:0:1", Bytes{0xB0, 0xFF, 0x7C}, 2, {0x00, 0x30}},
        {"mh", "4:0:1", Bytes{0xB0, 0xFF, 0x7C, 0xFF, 0xB0}, 3, {0x00, 0x30, 0x00}},
        // Bits reversed byte by byte: 0x01 is read as 0x80.
        {"mh", "8:1:0", Bytes{0x71, 0x01}, 1, {0x18}},
        // Codes in the last byte count: the second row's black 4 sits in it.
        {"fax3", "8:0:0", BitString(Eol + "00110101 000101 " + Eol + "1011 011"), 2, {0xFF, 0x0F}},
        // A run past the row's end is cut there; the next row starts at its own byte.
        {"fax3", "8:0:0", BitString(Eol + "1000 0000100 " + Eol + "10011"), 2, {0x1F, 0x00}},
        {"mh", "8:0:0", BitString("1000 0000100 00000 1000 11 1000"), 2, {0x1F, 0x18}},
        // An end-of-line code inside a row ends it early; the next row needs only its closing 1.
        {"fax3", "8:0:0", BitString(Eol + "1000 10 " + Eol + "1 1000 11 1000"), 2, {0x1C, 0x18}},
        // Rows past the output's end are not written.
        {"fax3", "8:0:0", BitString(Eol + "1000 11 1000 " + Eol + "1000 11 1000"), 1, {0x18}},
        {"mh", "8:0:0", BitString("1000 11 1000 1000 11 1000"), 1, {0x18}},
        // No input: the output is cleared.
        {"fax3", "8:0:0", Bytes{}, 2, {0, 0}},
    };
    for (const auto& [name, parameter, in, outBytes, expected] : cases) {
        SCOPED_TRACE(std::string(name) + " " + parameter + ", " + std::to_string(in.size()) + " bytes");
        const auto decoder = dectest::MakeDecoder(name, parameter);
        EXPECT_EQ(DecodeGuarded(*decoder, in, outBytes, int32_t(outBytes), nullptr, 0xEE), expected);
    }
    // The caller's bytes stay as they are when they are read reversed.
    const Bytes in = {0x71, 0x01};
    Bytes copy = in, out(1);
    const uint8_t* source = copy.data();
    uint8_t* dest = out.data();
    TCCITTMHDecoder(0, true, false, 8).Decode(source, dest, 2, 1);
    EXPECT_EQ(std::tuple(copy, out[0]), std::tuple(in, 0x18));
}

// width in pixels, input, output bytes, expected (0xEE: left as it was)
TEST(ThunderDecoder, DecodesRunsDeltasAndRawPixels)
{
    const std::tuple<uint32_t, Bytes, size_t, Bytes> cases[] = {
        {2, {0xC5, 0xC3}, 1, {0x53}},
        {4, {0xC7, 0x03}, 2, {0x77, 0x77}},            // the pending half, then a whole byte
        {2, {0x58}, 1, {0x11}},                         // deltas 1, (none), 0
        {2, {0x8F}, 1, {0x10}},                         // 3-bit deltas +1, -1
        {4, {0xC2, 0x02, 0xC9}, 2, {0x22, 0x29}},      // an even run
        {4, {0xC2, 0x00, 0xC9}, 2, {0x29, 0xEE}},      // a run of none
        {2, {0xC5, 0x3F, 0xC9, 0xC8}, 2, {0x55, 0x98}}, // the run cut at the row's end; rows start afresh
        {2, {0x7F, 0xC1}, 2, {0xFE, 0x10}},           // three deltas of -1 from 0 in a row of two
        {2, {0xC4}, 1, {0x40}},                         // a row that stops halfway keeps its high half
        {0, {0xC5, 0xC3}, 2, {0xEE, 0xEE}},             // width 0 decodes nothing
        {6, {0xC1, 0x3F}, 2, {0x11, 0x11}},             // the output ends inside the row
        // Rows of 4: 1, 2 and a run of two; 9 and a run of three.
        {4, {0xC1, 0xC2, 0x02, 0xC9, 0x03}, 4, {0x12, 0x22, 0x99, 0x99}},
        // Rows of 5 end halfway through their third byte: the next row starts with the next code.
        {5, {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0x04}, 6, {0x12, 0x34, 0x50, 0x66, 0x66, 0x60}},
        // A run cut at the fifth pixel; the next row: deltas 0, +1, +1 from 0, then 9 and 8.
        {5, {0xC7, 0x3F, 0x45, 0xC9, 0xC8}, 6, {0x77, 0x77, 0x70, 0x01, 0x29, 0x80}},
    };
    for (const auto& [width, in, outBytes, expected] : cases) {
        SCOPED_TRACE("width " + std::to_string(width) + ", first byte " + std::to_string(in[0]));
        TThunderDecoder d(width);
        EXPECT_EQ(DecodeGuarded(d, in, outBytes, int32_t(outBytes), nullptr, 0xEE), expected);
    }
}

namespace {

// A Photo-CD correction stream: one table of (length, code bits, key) entries, then sync headers
// with their channel and row, each followed by code bits.
struct TPcdEntry
{
    int Length;
    std::string Bits;
    uint8_t Key;
};

std::string ByteBits(int v)
{
    std::string s;
    for (int i = 7; i >= 0; --i) s += char('0' + ((v >> i) & 1));
    return s;
}

std::string Header(int channel, int row)
{
    std::string s = "11111111 11111111 1111111 0 ";
    s += std::string(1, char('0' + (channel >> 1))) + char('0' + (channel & 1));
    for (int i = 12; i >= 0; --i) s += char('0' + ((row >> i) & 1));
    return s + "0 ";
}

Bytes PcdStream(const std::vector<TPcdEntry>& table, const std::string& body)
{
    std::string bits = ByteBits(int(table.size()) - 1);
    for (const TPcdEntry& e : table) {
        std::string code = e.Bits + std::string(16 - e.Bits.size(), '0');
        bits += ByteBits(e.Length - 1) + code + ByteBits(e.Key);
    }
    return BitString(bits + body + " 1111111111111111");
}

// Decodes into a 4 x 2 luma plane of 10s and 4 x 1 chroma planes of 20s; returns luma + chroma.
Bytes PcdDecode(const Bytes& stream, int32_t width = 4, int32_t height = 2, int64_t lumaSize = 8)
{
    Bytes luma(8 + dectest::CanaryBytes, 10), c1(4, 20), c2(4, 20);
    std::fill(luma.begin() + 8, luma.end(), dectest::Canary);
    TMemoryStream s(stream);
    TPCDDecoder d(s);
    TPCDPlanes planes;
    planes.Plane = {luma.data(), c1.data(), c2.data()};
    planes.Size = {lumaSize, 4, 4};
    const uint8_t* source = reinterpret_cast<const uint8_t*>(&planes);
    uint8_t* dest = nullptr;
    d.Decode(source, dest, width, height);
    for (size_t i = 8; i < luma.size(); ++i) EXPECT_EQ(luma[i], dectest::Canary);
    luma.resize(8);
    return dectest::Joined(luma, c1);
}

} // namespace

TEST(PhotoCdDecoder, CorrectsRowsInPlace)
{
    const std::vector<TPcdEntry> table = {{2, "10", 5}, {3, "110", 0xFB}, {1, "0", 0xF7}};
    const Bytes same = {10, 10, 10, 10, 10, 10, 10, 10, 20, 20, 20, 20};
    const std::tuple<std::string, std::vector<TPcdEntry>, std::string, Bytes> cases[] = {
        // +5 gives 15, mapped to 14; -5 gives 5, mapped to 4; -9 gives 1, mapped to 0
        {"row 1", table, Header(0, 1) + "10 110 0 " + Header(0, 2), {10, 10, 10, 10, 14, 4, 0, 10, 20, 20, 20, 20}},
        {"row 0 then row 1", table, Header(0, 0) + "10 " + Header(0, 1) + "0 0 " + Header(0, 2),
         {14, 10, 10, 10, 0, 0, 10, 10, 20, 20, 20, 20}},
        {"a long entry ends it", {{17, "10", 5}}, Header(0, 1) + "10 " + Header(0, 2), same},
        {"channel 1 ends it", table, Header(1, 0) + "10 " + Header(0, 1) + "10", same},
        {"the row at the height ends it", table, Header(0, 2) + "10 " + Header(0, 1) + "10", same},
        {"a row above the height ends it", table, Header(0, 7) + "10", same},
        {"no entry matches: on to the next header", {{2, "10", 5}}, Header(0, 0) + "11 10 10 " + Header(0, 1) + "10",
         {10, 10, 10, 10, 14, 10, 10, 10, 20, 20, 20, 20}},
        {"corrections past the row's end are dropped", table, Header(0, 0) + "10 10 10 10 10 10 " + Header(0, 1) + "10",
         {14, 14, 14, 14, 14, 10, 10, 10, 20, 20, 20, 20}},
        {"chroma 2 of a one-table picture: skipped", table, Header(3, 0) + "10 10 " + Header(0, 1) + "10",
         {10, 10, 10, 10, 14, 10, 10, 10, 20, 20, 20, 20}},
    };
    for (const auto& [what, entries, body, expected] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(PcdDecode(PcdStream(entries, body)), expected);
    }
    // Above 1536 pixels each channel has its own table; chroma row r serves luma rows 2r and 2r + 1.
    {
        const int32_t w = 1540;
        Bytes luma(size_t(w) * 4, 10), c1(size_t(w) * 2, 20), c2(size_t(w) * 2, 30);
        std::string tables;
        for (int key : {5, 3, 0xFF}) tables += ByteBits(0) + ByteBits(1) + "10000000 00000000" + ByteBits(key);
        TMemoryStream s(BitString(tables + Header(0, 3) + "10 " + Header(2, 3) + "10 10 " + Header(3, 1) + "10 " +
                                  Header(0, 4) + " 1111111111111111"));
        TPCDDecoder d(s);
        TPCDPlanes planes;
        planes.Plane = {luma.data(), c1.data(), c2.data()};
        planes.Size = {int64_t(luma.size()), int64_t(c1.size()), int64_t(c2.size())};
        d.DecodePlanes(planes, w, 4);
        EXPECT_EQ(std::tuple(luma[3 * w], luma[3 * w + 1], c1[w], c1[w + 1], c1[w + 2], c2[0], c2[1]),
                  std::tuple(14, 10, 22, 22, 20, 28, 30));
    }
    // A plane smaller than its rows: the row that does not fit is left alone.
    EXPECT_EQ(PcdDecode(PcdStream(table, Header(0, 1) + "10"), 4, 2, 6), same);
    // The stream ends inside the tables.
    EXPECT_EQ(PcdDecode(Bytes{0x02, 0x01}), same);
    EXPECT_EQ(PcdDecode(Bytes{}), same);
}
