#pragma once
// The run-length decoders of the picture formats, and the Targa encoder. Each reads a header byte
// that says either "copy the next N units" (a literal) or "repeat the next unit N times" (a run);
// they differ in the header's bit layout, the unit and the count bias.
//
// Every decoder here stops at the end of its input (PackedSize bytes) and at the end of its output
// (UnpackedSize bytes; pixels for Targa), whichever comes first, besides its own end mark; Source and
// Dest stay where they are unless said otherwise.
#include <array>
#include <cstdint>

#include "formats/Decoder.h"

// Targa run-length packets: bit 7 of the header marks a run, its low bits hold N - 1; the unit is
// one pixel of ColorDepth (8; 15 and 16 two bytes; 24; 32). UnpackedSize counts pixels. A packet
// that passes the end of the output is cut there and its rest opens the next Decode of the same
// image, so packets may cross rows; DecodeInit drops such a rest. Source moves behind the last byte
// consumed. Another ColorDepth decodes nothing.
class TTargaRLEDecoder : public TDecoder
{
public:
    explicit TTargaRLEDecoder(int32_t colorDepth) : FColorDepth(colorDepth) {}
    void DecodeInit() override;
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    // Codes Count pixels of (ColorDepth + 1) div 8 bytes into packets at Dest, which must hold
    // MaxEncodedSize(Count) bytes; BytesStored := the bytes written.
    void Encode(const uint8_t* source, uint8_t* dest, uint32_t count, uint32_t& bytesStored) override;
    // The most bytes Encode can write for count pixels (one header per pixel at worst).
    uint64_t MaxEncodedSize(uint32_t count) const { return uint64_t(count) * (PixelBytes() + 1); }
    int32_t ColorDepth() const { return FColorDepth; }

private:
    // Bytes per pixel of the depth, 0 for a depth the format does not have.
    unsigned PixelBytes() const;
    int32_t FColorDepth;
    // The rest of a packet cut at the end of the last output: its pixels still owed, whether it is
    // a run, and a run's pixel.
    int64_t FPendingPixels = 0;
    bool FPendingRun = false;
    std::array<uint8_t, 4> FPendingPixel{};
};

// PackBits (TIFF, Photoshop): header 0..127 copies H + 1 bytes, -127..-1 repeats the next byte
// 1 - H times, -128 is skipped.
class TPackbitsRLEDecoder : public TDecoder
{
public:
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }
};

// PCX: a byte with both top bits set repeats the next byte (H and 0x3F) times; any other byte
// stands for itself.
class TPCXRLEDecoder : public TDecoder
{
public:
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }
};

// SGI: N = the low seven bits of the header (8-bit samples) or of the second byte of a two-byte
// header (16-bit samples); bit 7 set copies N units, clear repeats the next unit N times (a 16-bit
// unit as stored); N = 0 ends the data. SampleSize 8, anything else is 16.
class TSGIRLEDecoder : public TDecoder
{
public:
    explicit TSGIRLEDecoder(uint8_t sampleSize) : FSampleSize(sampleSize) {}
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }

private:
    uint8_t FSampleSize;
};

// Dr. Halo CUT: a row opens with its two-byte length, which is skipped; then headers with N in the
// low seven bits, bit 7 set for a run; a zero header ends the row. Source moves behind the bytes
// consumed (behind the zero header when there is one).
class TCUTRLEDecoder : public TDecoder
{
public:
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }
};

// Paint Shop Pro: a header below 128 copies H bytes, from 128 on it repeats the next byte H - 128 times.
class TPSPRLEDecoder : public TDecoder
{
public:
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }
};

// Alias/Wavefront RLA: a negative header copies -H bytes, 0..127 repeats the next byte H + 1 times.
class TRLADecoder : public TDecoder
{
public:
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }
};
