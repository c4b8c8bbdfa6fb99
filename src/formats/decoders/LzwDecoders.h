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
//   end code          ends the call                       is dropped; decoding goes on
//
// The table holds at most 4096 entries; once it is full no entry is added until a clear code. A
// code above the next free one, or at or above it right after a clear, is dropped, and so is a GIF
// end code: the bits after it stay in the bit buffer and are read on once the next input byte has
// come in, so when the dropped code ends in the last input byte, the call ends.
#include <array>
#include <cstdint>

#include "formats/Decoder.h"

// The string table shared by both decoders. Every string of a table entry has been written into
// the output of the same call once already: an entry is the previous string followed by the
// first byte of the string after it, and both stand side by side in the output. So an entry is
// the output offset and length of its string, and a code's string is a copy from earlier output;
// strings are never walked byte by byte through the table.
class TLzwTable
{
public:
    static constexpr int Size = 4096;

    struct Entry
    {
        uint32_t Offset; // in the output of the call that made it
        uint32_t Length;
    };
    Entry& operator[](int code) { return FEntries[size_t(code)]; }

private:
    std::array<Entry, Size> FEntries{};
};

class TTIFFLZWDecoder : public TDecodeOnlyDecoder
{
public:
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;

private:
    TLzwTable FTable;
};

// InitialCodeSize is the minimum code size byte of the GIF image data; outside 1..11 nothing is
// decoded.
class TGIFLZWDecoder : public TDecodeOnlyDecoder
{
public:
    explicit TGIFLZWDecoder(int initialCodeSize) : FInitialCodeSize(initialCodeSize) {}
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;

private:
    int FInitialCodeSize;
    TLzwTable FTable;
};
