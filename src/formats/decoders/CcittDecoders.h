#pragma once
// Decoders of bilevel images coded with the one-dimensional run-length Huffman codes of fax group 3:
// rows of alternating white and black runs, starting white. Output: one bit per pixel, most
// significant bit first, 0 white and 1 black; row r starts at byte r x ((Width + 7) div 8), and
// bytes no row reaches are 0.
//
// Both stop at the end of the input (the bits of its last byte included) and of the output. A run
// is cut at the row's end; make-up codes add up (saturating) with the terminating code after them.
// With SwapBits every input byte is read with its bits reversed (the caller's buffer is not
// touched). The code trees are built once and shared by all decoders.
#include <cstdint>
#include <vector>

#include "formats/Decoder.h"

// One node of a code tree: the nodes after a 0 and a 1 bit (0: the code ends here) and the value of
// the code ending here (a run length; -1 end of line; -2 an unused code; 0 on inner nodes).
struct TCodeState
{
    uint32_t NextState[2];
    int32_t RunLength;
};
using TStateArray = std::vector<TCodeState>;

class TCCITTDecoder : public TDecoder
{
public:
    TCCITTDecoder(uint32_t options, bool swapBits, bool wordAligned, uint32_t width);
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }
    uint32_t Options() const { return FOptions; }

protected:
    // The bit reader over one Decode's input.
    struct TBitReader
    {
        TDecoderInput In;
        bool Swap;
        uint8_t CurrentByte = 0;
        int BitsLeft = 0;
        // True while bits are left, in the current byte or in input not yet fetched.
        bool HasBits() const { return BitsLeft > 0 || !In.AtEnd(); }
        // The next bit without taking it; false when no bit is left.
        bool Peek(int& bit);
        void Consume() { --BitsLeft; }
        // The next bit, or -1 when none is left.
        int Next();
        // Moves to the next byte boundary: drops the rest of a byte that has been read into (a
        // byte only looked at is kept), and with toEven further to an even position in the input.
        void AlignToByte(bool toEven);
    };
    // The row writer over one Decode's output.
    struct TRowWriter
    {
        TDecoderOutput Out;
        int64_t RowBytes;
        uint32_t Width;
        int64_t Row = 0;
        uint32_t RestWidth;
        uint8_t Pending = 0; // the output byte being filled
        int FreeBits = 8;    // free bits of Pending
        TRowWriter(uint8_t* dest, int64_t size, uint32_t width);
        // Writes a run of the colour, cut at the row's end; true when the row is complete.
        bool FillRun(int64_t length, bool black);
        // Ends the row: the next row starts at its own offset.
        void NextRow();
        // True when the next row would start at or past the output's end.
        bool Full() const { return Row * RowBytes >= Out.Position() + Out.Remaining() && RowBytes > 0; }
        // Writes what is pending and clears the bytes no row has reached.
        void Finish();
    };
    // One run of the colour: the sum of its make-up codes and its terminating code, or -1 / -2 for an
    // end-of-line or unused code met first. Stops at an invalid sequence with what it has so far.
    static int32_t FindCode(TBitReader& reader, const TStateArray& states);
    static const TStateArray& WhiteStates();
    static const TStateArray& BlackStates();

    uint32_t FOptions;
    bool FSwapBits;
    bool FWordAligned;
    uint32_t FWidth;
};

// TIFF compression 3, one-dimensional: every row opens with an end-of-line code (fill bits before
// it are allowed); a row is decoded from the bit after it.
class TCCITTFax3Decoder : public TCCITTDecoder
{
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
};

// TIFF compression 2 (modified Huffman) and 32771 (WordAligned): no end-of-line codes, every row
// starts at a byte of the input, with WordAligned at an even position in the strip.
class TCCITTMHDecoder : public TCCITTDecoder
{
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
};
