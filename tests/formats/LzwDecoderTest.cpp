// The LZW decoders on hand-written code sequences and on streams of a plain LZW encoder kept
// here: one that clears when its table is full, and one that goes on with the full table (a
// deferred clear).
#include <map>
#include <tuple>

#include "DecoderTestSupport.h"

using dectest::DecodeGuarded;

namespace {

// Codes packed most significant bit first (TIFF) or least significant bit first (GIF).
class TCodeWriter
{
public:
    explicit TCodeWriter(bool msbFirst) : FMsb(msbFirst) {}
    void Put(int code, int width)
    {
        for (int i = 0; i < width; ++i) {
            const int bit = FMsb ? (code >> (width - 1 - i)) & 1 : (code >> i) & 1;
            if (FBits % 8 == 0) FBytes.push_back(0);
            if (bit) FBytes.back() = uint8_t(FBytes.back() | (FMsb ? 0x80 >> (FBits % 8) : 1 << (FBits % 8)));
            ++FBits;
        }
    }
    Bytes Done() const { return FBytes; }

private:
    bool FMsb;
    Bytes FBytes;
    int FBits = 0;
};

Bytes Codes(bool msbFirst, int width, std::initializer_list<int> codes)
{
    TCodeWriter w(msbFirst);
    for (int c : codes) w.Put(c, width);
    return w.Done();
}

int BitLength(int v)
{
    int n = 0;
    while (v >> n) ++n;
    return n;
}

// A plain LZW encoder with a dictionary of (string code, next byte) pairs. The code width follows
// what the decoder's table holds when it reads the code: TIFF widens as soon as the next free
// entry is the last of the width, GIF once that entry has been filled. fullCodes: codes written
// with a full table before a clear (-1: never clear).
Bytes LzwEncode(const Bytes& data, bool tiff, int minCodeSize, int fullCodes)
{
    TCodeWriter out(tiff);
    const int clear = 1 << minCodeSize, end = clear + 1;
    std::map<std::pair<int, int>, int> dict;
    int next = clear + 2, written = 0;
    auto width = [&] {
        const int w = tiff ? BitLength(next) : BitLength(next - 1);
        return std::min(12, std::max(minCodeSize + 1, w));
    };
    out.Put(clear, width());
    int current = -1;
    for (uint8_t c : data) {
        if (current < 0) {
            current = c;
            continue;
        }
        const auto found = dict.find({current, c});
        if (found != dict.end()) {
            current = found->second;
            continue;
        }
        out.Put(current, width());
        if (next < 4096) {
            dict[{current, c}] = next++;
        } else if (fullCodes >= 0 && ++written > fullCodes) {
            out.Put(clear, width());
            dict.clear();
            next = clear + 2;
            written = 0;
        }
        current = c;
    }
    if (current >= 0) out.Put(current, width());
    out.Put(end, width());
    return out.Done();
}

// Bytes below `alphabet` with runs, so that strings grow long and the table fills often.
Bytes Sample(size_t n, int alphabet, uint32_t seed)
{
    const Bytes noise = dectest::RandomBytes(n, seed);
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = noise[i] % 3 == 0 && i ? b[i - 1] : uint8_t(noise[i] % alphabet);
    return b;
}

} // namespace

// decoder parameter (0: TIFF, else the GIF minimum code size), input, output bytes, expected
// (0xEE: left as it was)
TEST(LzwDecoders, DecodeHandWrittenCodes)
{
    const std::tuple<int, Bytes, size_t, Bytes> cases[] = {
        {0, Codes(true, 9, {256, 65, 66, 258, 257}), 4, {65, 66, 65, 66}},
        {0, Codes(true, 9, {256, 65, 66, 258, 257, 67, 68}), 6, {65, 66, 65, 66, 0xEE, 0xEE}}, // the end code ends it
        {0, Codes(true, 9, {256, 65, 258, 257}), 3, {65, 65, 65}},      // the code of the entry being made
        {0, Codes(true, 9, {256, 65, 300, 66, 257}), 3, {65, 66, 0xEE}}, // above the free code: dropped
        {0, Codes(true, 9, {256, 258, 65, 257}), 2, {65, 0xEE}},         // the free code right after a clear
        {0, Codes(true, 9, {65, 66, 258, 257}), 4, {65, 66, 65, 66}},    // no clear code first
        {0, Codes(true, 9, {256, 65, 66, 258, 257}), 3, {65, 66, 65}},   // cut at the output's end
        {0, Codes(true, 9, {256, 65, 66, 256, 67, 258, 257}), 4, {65, 66, 67, 67}}, // the clear restarts the table
        {2, Codes(false, 3, {4, 1, 2, 6, 5}), 4, {1, 2, 1, 2}},
        {2, Codes(false, 3, {4, 1, 6, 5}), 3, {1, 1, 1}},
        {8, Codes(false, 9, {256, 65, 66, 258, 257}), 4, {65, 66, 65, 66}},
        // A dropped code loses only its own bits: 4 1 | 7 | 2 3, then the entry 7 widens the
        // codes to 4 bits and the 4-bit 5 ends it.
        {2, Bytes{0xCC, 0xB5, 0x02}, 4, {1, 2, 3, 0xEE}},
        // The same in a stream long enough to be read a word at a time: after the dropped 7 come
        // 2 and 3; the rest, written at 3 bits, reads as the 4-bit codes 9 (dropped) and 2.
        {2, dectest::Joined(Codes(false, 3, {4, 1, 7, 2, 3, 1, 5}), Bytes(8, 0)), 4, {1, 2, 3, 2}},
        // A GIF end code is dropped like that: the 4-bit 0 after it in its byte is read, then the
        // clear and the 2 (codes 8 1 | 9 0 | 8 2 | 9 0).
        {3, Bytes{0x18, 0x09, 0x28, 0x09}, 3, {1, 0, 2}},
        // The bits after a dropped code wait for a next byte: without one, the 1 stays unread.
        {2, Codes(false, 3, {4, 1, 5, 1}), 2, {1, 0xEE}},
        {2, dectest::Joined(Codes(false, 3, {4, 1, 5, 1}), Bytes{0}), 2, {1, 1}},
        {1, Codes(false, 2, {2, 1, 0, 1, 3}), 3, {1, 0, 1}}, // minimum code size 1 (the width stays 2)
        {12, Codes(false, 13, {4096, 1, 4097}), 1, {0xEE}},         // no such code size
    };
    for (const auto& [parameter, in, outBytes, expected] : cases) {
        SCOPED_TRACE("parameter " + std::to_string(parameter) + ", " + std::to_string(in.size()) + " bytes");
        std::unique_ptr<TDecoder> d;
        if (parameter == 0)
            d = std::make_unique<TTIFFLZWDecoder>();
        else
            d = std::make_unique<TGIFLZWDecoder>(parameter);
        EXPECT_EQ(DecodeGuarded(*d, in, outBytes, int32_t(outBytes), nullptr, 0xEE), expected);
    }
    TGIFLZWDecoder none(0);
    EXPECT_EQ(DecodeGuarded(none, Codes(false, 2, {1, 1, 3}), 2, 2, nullptr, 0xEE), (Bytes{0xEE, 0xEE}));
}

// Streams long enough to fill the table many times, with a clear when it is full and with a
// deferred clear (codes go on with the full table), for both bit orders and several code sizes.
TEST(LzwDecoders, DecodeStreamsOfAPlainEncoder)
{
    const std::tuple<bool, int, int> streams[] = {
        {true, 8, 0}, {true, 8, -1}, {true, 8, 300}, {false, 8, 0}, {false, 8, -1}, {false, 8, 500},
        {false, 2, 0}, {false, 2, -1}, {false, 4, 100}, {false, 7, 0}, {false, 3, 2}};
    for (const auto& [tiff, minCodeSize, fullCodes] : streams) {
        SCOPED_TRACE(std::string(tiff ? "TIFF" : "GIF") + " code size " + std::to_string(minCodeSize) + " full codes " +
                     std::to_string(fullCodes));
        const int alphabet = std::min(1 << minCodeSize, 256);
        const Bytes data = Sample(60000, alphabet == 256 ? 16 : alphabet, uint32_t(minCodeSize * 7 + fullCodes + 50));
        const Bytes coded = LzwEncode(data, tiff, minCodeSize, fullCodes);
        std::unique_ptr<TDecoder> d;
        if (tiff)
            d = std::make_unique<TTIFFLZWDecoder>();
        else
            d = std::make_unique<TGIFLZWDecoder>(minCodeSize);
        EXPECT_EQ(DecodeGuarded(*d, coded, data.size(), int32_t(data.size())), data);
        // The table starts afresh with every call: a second stream decodes as on a new decoder.
        const Bytes other = Sample(3000, alphabet == 256 ? 200 : alphabet, 99);
        EXPECT_EQ(DecodeGuarded(*d, LzwEncode(other, tiff, minCodeSize, fullCodes), other.size(),
                                int32_t(other.size())),
                  other);
    }
}
