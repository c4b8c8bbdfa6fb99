#pragma once
// Base of the decompressors of the format graphics. A loader creates the decoder that matches
// the image's compression, calls DecodeInit, Decode once per strip, row, channel or chunk, then
// DecodeEnd.
//
// Contract of Decode: Source holds PackedSize bytes of compressed data, Dest has room for the
// decoder's UnpackedSize (bytes unless the decoder states another unit). A decoder never reads
// more than PackedSize bytes nor writes more than its output bound, whatever the data says; it
// stops at the first of: output complete, input exhausted, end code. Bad compressed data is not
// reported (the rest of the output stays as it was) except by decoders that say otherwise, which
// raise EGraphicCompression through RaiseDecoderError. Decoders that advance Source or Dest say so.
#include <cstdint>
#include <cstring>

#include "platform/Exceptions.h"

QM_EXCEPTION(EGraphicCompression, Exception)

// Compression codes of the format graphics (TImageProperties::Compression), stored as a byte.
enum class TCompressionCode : uint8_t {
    Unknown = 0, // undefined or absent
    None = 1,
    RunLength = 2, // the format's own run-length coding
    PackBits = 3,
    Lzw = 4,
    FaxGroup3 = 5,               // CCITT group 3
    FaxModifiedHuffman = 6,      // CCITT modified Huffman
    FaxGroup4 = 7,               // CCITT group 4
    FaxModifiedHuffmanWords = 8, // CCITT modified Huffman, word-aligned
    Deflate = 9,
    Jpeg = 10,
    OldJpeg = 11, // old-style JPEG
    ThunderScan = 12,
    NeXT = 13,
    It8CtPadding = 14,
    It8LineWork = 15,
    It8Monochrome = 16,
    It8BinaryLineArt = 17,
    PixarFilm = 18,
    PixarLog = 19,
    KodakDcs = 20,
    Jbig = 21,
    PhotoCdHuffman = 22,
};

// The compression code of a TIFF compression tag value (Unknown for values without one).
TCompressionCode CompressionFromTiffTag(uint32_t tagValue);

class TDecoder
{
public:
    virtual ~TDecoder() = default;
    virtual void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) = 0;
    virtual void DecodeEnd() {}
    virtual void DecodeInit() {}
    virtual void Encode(const uint8_t* source, uint8_t* dest, uint32_t count, uint32_t& bytesStored) = 0;
    virtual void EncodeInit() {}
    virtual void EncodeEnd() {}

    [[noreturn]] static void RaiseDecoderError(const char* message) { throw EGraphicCompression(message); }
};

// Bounded cursors for decoders: reading past the input's end reports exhaustion instead of
// reading beyond it, and writes past the output's end are refused.
class TDecoderInput
{
public:
    TDecoderInput(const uint8_t* data, int64_t size) : FData(data), FSize(size < 0 ? 0 : size) {}
    bool AtEnd() const { return FPos >= FSize; }
    int64_t Remaining() const { return FSize - FPos; }
    int64_t Position() const { return FPos; }
    // The next byte; false when the input is exhausted.
    bool Next(uint8_t& value)
    {
        if (FPos >= FSize) return false;
        value = FData[FPos++];
        return true;
    }
    // Up to count bytes in one piece: data points at them and the position moves behind them;
    // returns how many there were.
    int64_t Take(int64_t count, const uint8_t*& data)
    {
        const int64_t n = count < Remaining() ? (count > 0 ? count : 0) : Remaining();
        data = FData + FPos;
        FPos += n;
        return n;
    }
    // Moves on by up to count bytes; returns how many were skipped.
    int64_t Skip(int64_t count)
    {
        const uint8_t* unused;
        return Take(count, unused);
    }

private:
    const uint8_t* FData;
    int64_t FSize;
    int64_t FPos = 0;
};

class TDecoderOutput
{
public:
    TDecoderOutput(uint8_t* data, int64_t size) : FData(data), FSize(size < 0 ? 0 : size) {}
    bool Full() const { return FPos >= FSize; }
    int64_t Remaining() const { return FSize - FPos; }
    int64_t Position() const { return FPos; }
    // Appends one byte; false when the output is full.
    bool Put(uint8_t value)
    {
        if (FPos >= FSize) return false;
        FData[FPos++] = value;
        return true;
    }
    // Up to count bytes of room in one piece, for a writer that fills them in any order: data
    // points at them and the position moves behind them; returns how many there are.
    int64_t Claim(int64_t count, uint8_t*& data)
    {
        const int64_t n = count < Remaining() ? (count > 0 ? count : 0) : Remaining();
        data = FData + FPos;
        FPos += n;
        return n;
    }
    // Appends up to count copies of value; returns how many fitted.
    int64_t Fill(uint8_t value, int64_t count)
    {
        int64_t n = count < Remaining() ? count : Remaining();
        if (n > 0) std::memset(FData + FPos, value, size_t(n));
        FPos += n > 0 ? n : 0;
        return n > 0 ? n : 0;
    }
    // Appends up to count bytes from source; returns how many fitted.
    int64_t Copy(const uint8_t* source, int64_t count)
    {
        int64_t n = count < Remaining() ? count : Remaining();
        if (n > 0) std::memmove(FData + FPos, source, size_t(n));
        FPos += n > 0 ? n : 0;
        return n > 0 ? n : 0;
    }

private:
    uint8_t* FData;
    int64_t FSize;
    int64_t FPos = 0;
};
