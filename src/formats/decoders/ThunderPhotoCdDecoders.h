#pragma once
// Two decoders with contracts of their own: ThunderScan 4-bit TIFF strips, and the Huffman-coded
// corrections that Photo-CD applies in place to planes already filled from a smaller resolution.
#include <array>
#include <cstdint>
#include <vector>

#include "formats/Decoder.h"
#include "platform/Stream.h"

// ThunderScan (TIFF compression 32809): UnpackedSize counts output bytes, taken in rows of Width
// 4-bit pixels, two to a byte ((Width + 1) / 2 bytes; an odd row leaves the low half of its last
// byte 0); each row starts with a last pixel of 0. Input bytes: 00 a run of the last pixel (low six
// bits: its count), 01 three 2-bit deltas, 10 two 3-bit deltas, 11 a raw pixel. Everything is cut at
// the row's end; Width 0 decodes nothing.
class TThunderDecoder : public TDecodeOnlyDecoder
{
public:
    explicit TThunderDecoder(uint32_t width) : FWidth(width) {}
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;

private:
    uint32_t FWidth;
};

// The three planes a Photo-CD correction pass works on: luma rows Width bytes apart, and the two
// chroma planes, whose row r serves the luma rows 2r and 2r + 1. Size: the bytes of each plane.
struct TPCDPlanes
{
    std::array<uint8_t*, 3> Plane{};
    std::array<int64_t, 3> Size{};
};

// Photo-CD Huffman corrections. The stream is positioned at the code tables; the decoder reads from
// it directly. Decode's Source points at a TPCDPlanes record; PackedSize is the width and
// UnpackedSize the height of the picture; Dest is not used. One code table, or three (luma, chroma
// 1, chroma 2) when the width is above 1536. Each sync header names a row and a channel; the codes
// after it correct the row's bytes one by one (byte + key, clamped, then mapped through the range
// table: 0 and 1 give 0, i above 1 gives i - 1). Decoding ends at a row number at or above the
// height, at channel code 1 (without a word: it stands for a cancel), at a table entry longer than
// 16 bits (nothing corrected) and at the end of the stream. A code that matches no entry, and the
// codes of a channel without a table, are skipped up to the next sync header; corrections that
// would pass a row's end or its plane are dropped.
class TPCDDecoder : public TDecodeOnlyDecoder
{
public:
    explicit TPCDDecoder(TStream& stream) : FStream(stream) {}
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    // Decode with its arguments typed.
    void DecodePlanes(const TPCDPlanes& planes, int32_t width, int32_t height);

private:
    TStream& FStream;
};
