#include "formats/decoders/CcittDecoders.h"

#include <algorithm>
#include <limits>

namespace {

struct TCode
{
    const char* Bits;
    int32_t Value;
};

// Terminating codes, runs 0..63, in run order.
const char* const WhiteTerminating[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};
const char* const BlackTerminating[64] = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",
    "0010",         "00011",        "000101",       "000100",       "0000100",      "0000101",
    "0000111",      "00000100",     "00000111",     "000011000",    "0000010111",   "0000011000",
    "0000001000",   "00001100111",  "00001101000",  "00001101100",  "00000110111",  "00000101000",
    "00000010111",  "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010", "000011010011",
    "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111",
    "000000111000", "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111"};
// Make-up codes, runs 64, 128, ..., 1728.
const char* const WhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};
const char* const BlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",  "000000110100",
    "000000110101",  "0000001101100", "0000001101101", "0000001001010", "0000001001011", "0000001001100",
    "0000001001101", "0000001110010", "0000001110011", "0000001110100", "0000001110101", "0000001110110",
    "0000001110111", "0000001010010", "0000001010011", "0000001010100", "0000001010101", "0000001011010",
    "0000001011011", "0000001100100", "0000001100101"};
// Make-up codes both colours share, runs 1792, 1856, ..., 2560.
const char* const SharedMakeUp[13] = {"00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011",
                                      "000000010100", "000000010101", "000000010110", "000000010111", "000000011100",
                                      "000000011101", "000000011110", "000000011111"};
const TCode SpecialCodes[] = {
    {"000000000001", -1}, {"000000001", -2}, {"0000000001", -2}, {"00000000001", -2}, {"000000000000", -2}};

void AddCode(TStateArray& states, const char* bits, int32_t value)
{
    uint32_t state = 0;
    for (const char* b = bits; *b; ++b) {
        const int bit = *b - '0';
        if (states[state].NextState[bit] == 0) {
            states[state].NextState[bit] = uint32_t(states.size());
            states.push_back(TCodeState{{0, 0}, 0});
        }
        state = states[state].NextState[bit];
    }
    states[state].RunLength = value;
}

TStateArray MakeStates(const char* const* terminating, const char* const* makeUp)
{
    TStateArray states{TCodeState{{0, 0}, 0}};
    for (int i = 0; i < 64; ++i) AddCode(states, terminating[i], i);
    for (int i = 0; i < 27; ++i) AddCode(states, makeUp[i], (i + 1) * 64);
    for (int i = 0; i < 13; ++i) AddCode(states, SharedMakeUp[i], 1792 + i * 64);
    for (const TCode& c : SpecialCodes) AddCode(states, c.Bits, c.Value);
    return states;
}

uint8_t Reversed(uint8_t b)
{
    b = uint8_t((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = uint8_t((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return uint8_t((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

} // namespace

TCCITTDecoder::TCCITTDecoder(uint32_t options, bool swapBits, bool wordAligned, uint32_t width)
    : FOptions(options), FSwapBits(swapBits), FWordAligned(wordAligned), FWidth(width)
{
    WhiteStates();
    BlackStates();
}

const TStateArray& TCCITTDecoder::WhiteStates()
{
    static const TStateArray states = MakeStates(WhiteTerminating, WhiteMakeUp);
    return states;
}

const TStateArray& TCCITTDecoder::BlackStates()
{
    static const TStateArray states = MakeStates(BlackTerminating, BlackMakeUp);
    return states;
}

// ---- bit reader and row writer ----

bool TCCITTDecoder::TBitReader::Peek(int& bit)
{
    if (BitsLeft == 0) {
        if (!In.Next(CurrentByte)) return false;
        if (Swap) CurrentByte = Reversed(CurrentByte);
        BitsLeft = 8;
    }
    bit = (CurrentByte >> (BitsLeft - 1)) & 1;
    return true;
}

void TCCITTDecoder::TBitReader::AlignToByte(bool toEven)
{
    if (BitsLeft < 8) BitsLeft = 0;
    const int64_t next = In.Position() - (BitsLeft == 8 ? 1 : 0); // where the next row starts
    if (!toEven || next % 2 == 0) return;
    if (BitsLeft == 8)
        BitsLeft = 0;
    else
        In.Skip(1);
}

int TCCITTDecoder::TBitReader::Next()
{
    int bit;
    if (!Peek(bit)) return -1;
    Consume();
    return bit;
}

TCCITTDecoder::TRowWriter::TRowWriter(uint8_t* dest, int64_t size, uint32_t width)
    : Out(dest, size), RowBytes((int64_t(width) + 7) / 8), Width(width), RestWidth(width)
{
}

bool TCCITTDecoder::TRowWriter::FillRun(int64_t length, bool black)
{
    uint32_t n = uint32_t(std::clamp<int64_t>(length, 0, RestWidth));
    RestWidth -= n;
    while (n > 0) {
        if (FreeBits == 8 && n >= 8) {
            const uint32_t whole = n / 8;
            Out.Fill(black ? 0xFF : 0x00, whole);
            n -= whole * 8;
            continue;
        }
        const int k = int(std::min<uint32_t>(n, uint32_t(FreeBits)));
        if (black) Pending = uint8_t(Pending | (((1u << k) - 1) << (FreeBits - k)));
        FreeBits -= k;
        n -= uint32_t(k);
        if (FreeBits == 0) {
            Out.Put(Pending);
            Pending = 0;
            FreeBits = 8;
        }
    }
    return RestWidth == 0;
}

void TCCITTDecoder::TRowWriter::NextRow()
{
    if (FreeBits < 8) Out.Put(Pending);
    Pending = 0;
    FreeBits = 8;
    ++Row;
    Out.Fill(0, Row * RowBytes - Out.Position());
    RestWidth = Width;
}

void TCCITTDecoder::TRowWriter::Finish()
{
    if (FreeBits < 8) Out.Put(Pending);
    FreeBits = 8;
    Out.Fill(0, Out.Remaining());
}

int32_t TCCITTDecoder::FindCode(TBitReader& reader, const TStateArray& states)
{
    // Make-up sums stay far below the overflow however many make-up codes follow each other.
    constexpr int64_t SumLimit = std::numeric_limits<int32_t>::max() / 2;
    int64_t sum = 0;
    uint32_t state = 0;
    for (;;) {
        int bit;
        const bool more = reader.Peek(bit);
        const TCodeState& node = states[state];
        const uint32_t next = more ? node.NextState[bit] : 0;
        if (next == 0) {
            // A code ends at this node (at the input's end only when the node is a leaf).
            if (!more && (state == 0 || node.NextState[0] != 0 || node.NextState[1] != 0)) return int32_t(sum);
            sum = std::min(sum + node.RunLength, SumLimit);
            if (node.RunLength < 64 || !more) return int32_t(sum);
            state = states[0].NextState[bit];
        } else {
            state = next;
        }
        reader.Consume();
    }
}

// ---- decoders ----

void TCCITTFax3Decoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TBitReader reader{TDecoderInput(source, packedSize), FSwapBits};
    TRowWriter writer(dest, unpackedSize, FWidth);
    int eolCount = 0;
    while (!writer.Full()) {
        // Synchronise on the next end-of-line code, or only on its closing 1 bit after one decoded
        // inside a row.
        if (eolCount == 0) {
            for (int zeros = 0; zeros < 11;) {
                const int bit = reader.Next();
                if (bit < 0) break;
                zeros = bit ? 0 : zeros + 1;
            }
        }
        while (reader.Next() == 0) {
        }
        eolCount = 0;
        bool white = true;
        do {
            const int32_t run = FindCode(reader, white ? WhiteStates() : BlackStates());
            if (run < 0) {
                if (run == -1) ++eolCount;
                break;
            }
            if (writer.FillRun(run, !white)) break;
            white = !white;
        } while (reader.HasBits());
        writer.NextRow();
        if (!reader.HasBits()) break;
    }
    writer.Finish();
}

void TCCITTMHDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TBitReader reader{TDecoderInput(source, packedSize), FSwapBits};
    TRowWriter writer(dest, unpackedSize, FWidth);
    bool white = true;
    while (reader.HasBits() && !writer.Full()) {
        const int32_t run = FindCode(reader, white ? WhiteStates() : BlackStates());
        if (run > 0 && writer.FillRun(run, !white)) {
            writer.NextRow();
            reader.AlignToByte(FWordAligned);
            white = false; // switched to white below: every row starts white
        }
        white = !white;
    }
    writer.Finish();
}
