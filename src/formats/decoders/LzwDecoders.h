#pragma once
// Lempel-Ziv-Welch decoders for TIFF strips and GIF image data. Each Decode call is one whole
// stream: the string table starts afresh. Both stop at the end of the input and of the output (a
// string that passes the output's end is cut there).
//
//                     TIFF                                GIF
//   clear, end code   256, 257                            2^InitialCodeSize and the next
//   first width       9 bits                              InitialCodeSize + 1 bits
//   bit order         most significant bit first          least significant bit first
//   width grows       when the next free code reaches     when the entry at 2^width - 1 has
//                     2^width - 1 (one code early)        been filled
//   end code          ends the call                       ends only the codes of its byte
//
// The table holds at most 4096 entries; once it is full no entry is added until a clear code. A
// code above the next free one, or at or above it right after a clear, is dropped together with
// the whole codes still in the bit buffer (the bits short of one code stay); so is everything
// after a GIF end code in its byte.
#include <array>
#include <cstdint>

#include "formats/Decoder.h"

// The string table shared by both decoders: each entry knows its string's length and first byte,
// so a string is written straight into the output from its last byte back to its first.
class TLzwTable
{
public:
    static constexpr int Size = 4096;
    static constexpr uint16_t NoCode = 0xFFFF;

    // Entries 0..roots - 1 become the one-byte strings of their number.
    void Reset(int roots);
    // A new entry: the string of prefixCode followed by suffix.
    void Add(int code, int prefixCode, uint8_t suffix)
    {
        Entry& e = FEntries[size_t(code)];
        const Entry& p = FEntries[size_t(prefixCode)];
        e = Entry{uint16_t(prefixCode), uint16_t(p.Length + 1), suffix, p.First};
    }
    int Length(int code) const { return FEntries[size_t(code)].Length; }
    uint8_t First(int code) const { return FEntries[size_t(code)].First; }
    // Writes the first count bytes (count <= Length(code)) of the code's string at target.
    void Write(int code, uint8_t* target, int count) const;

private:
    struct Entry
    {
        uint16_t Prefix;
        uint16_t Length;
        uint8_t Suffix;
        uint8_t First;
    };
    std::array<Entry, Size> FEntries{};
};

class TTIFFLZWDecoder : public TDecoder
{
public:
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }

private:
    TLzwTable FTable;
};

// InitialCodeSize is the minimum code size byte of the GIF image data; outside 1..11 nothing is
// decoded.
class TGIFLZWDecoder : public TDecoder
{
public:
    explicit TGIFLZWDecoder(int initialCodeSize) : FInitialCodeSize(initialCodeSize) {}
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }

private:
    int FInitialCodeSize;
    TLzwTable FTable;
};
