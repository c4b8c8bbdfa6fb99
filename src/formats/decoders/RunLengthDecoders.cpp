#include "formats/decoders/RunLengthDecoders.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies up to count input bytes to the output; false when the input ran out first.
bool CopyLiteral(TDecoderInput& in, TDecoderOutput& out, int64_t count)
{
    const uint8_t* data;
    const int64_t got = in.Take(count, data);
    out.Copy(data, got);
    return got == count;
}

// Reads the run's value byte and writes it count times; false when the value byte is missing.
bool FillRun(TDecoderInput& in, TDecoderOutput& out, int64_t count)
{
    uint8_t value;
    if (!in.Next(value)) return false;
    out.Fill(value, count);
    return true;
}

} // namespace

// ---- Targa ----

unsigned TTargaRLEDecoder::PixelBytes() const
{
    switch (FColorDepth) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
    }
}

void TTargaRLEDecoder::DecodeInit()
{
    FPendingPixels = 0;
    FPendingRun = false;
}

void TTargaRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    const unsigned size = PixelBytes();
    if (size == 0 || unpackedSize < 1) return;
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, int64_t(unpackedSize) * size);
    int64_t pixelsLeft = unpackedSize;
    while (pixelsLeft > 0) {
        if (FPendingPixels == 0) {
            uint8_t header;
            if (!in.Next(header)) break;
            FPendingPixels = (header & 0x7F) + 1;
            FPendingRun = (header & 0x80) != 0;
            if (FPendingRun) {
                const uint8_t* pixel;
                if (in.Take(size, pixel) < size) { // a run without its whole pixel
                    FPendingPixels = 0;
                    break;
                }
                std::memcpy(FPendingPixel.data(), pixel, size);
            }
        }
        const int64_t n = std::min(FPendingPixels, pixelsLeft);
        if (FPendingRun) {
            for (int64_t i = 0; i < n; ++i) out.Copy(FPendingPixel.data(), size);
        } else {
            const uint8_t* pixels;
            const int64_t whole = std::min(n, in.Remaining() / size);
            in.Take(whole * size, pixels);
            out.Copy(pixels, whole * size);
            if (whole < n) { // the input ends inside the literal
                FPendingPixels -= whole;
                break;
            }
        }
        FPendingPixels -= n;
        pixelsLeft -= n;
    }
    source += in.Position();
}

void TTargaRLEDecoder::Encode(const uint8_t* source, uint8_t* dest, uint32_t count, uint32_t& bytesStored)
{
    bytesStored = 0;
    const unsigned size = PixelBytes();
    if (size == 0) return;
    auto same = [size](const uint8_t* a, const uint8_t* b) { return std::memcmp(a, b, size) == 0; };
    while (count > 0) {
        const uint32_t limit = std::min<uint32_t>(count, 128);
        // Pixels up to the first of two equal neighbours; the last pixel of the input is left for a
        // packet of its own.
        uint32_t diff = 1;
        if (count > 1) {
            diff = 0;
            while (diff < limit && diff + 1 < count && !same(source + diff * size, source + (diff + 1) * size)) ++diff;
        }
        uint32_t run = 1;
        while (run < limit && same(source, source + run * size)) ++run;
        if (diff > 0) {
            *dest++ = uint8_t(diff - 1);
            std::memcpy(dest, source, size_t(diff) * size);
            dest += size_t(diff) * size;
            source += size_t(diff) * size;
            count -= diff;
            bytesStored += diff * size + 1;
        }
        if (run > 1) {
            *dest++ = uint8_t((run - 1) | 0x80);
            std::memcpy(dest, source + size_t(run - 1) * size, size);
            dest += size;
            source += size_t(run) * size;
            count -= run;
            bytesStored += size + 1;
        }
    }
}

// ---- PackBits ----

void TPackbitsRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    uint8_t header;
    while (!out.Full() && in.Next(header)) {
        const int h = int8_t(header);
        if (h >= 0) {
            CopyLiteral(in, out, std::min<int64_t>(h + 1, out.Remaining()));
        } else if (h != -128) {
            if (!FillRun(in, out, 1 - h)) break;
        }
    }
}

// ---- PCX ----

void TPCXRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    uint8_t header;
    while (!out.Full() && in.Next(header)) {
        if ((header & 0xC0) == 0xC0) {
            if (!FillRun(in, out, header & 0x3F)) break;
        } else {
            out.Put(header);
        }
    }
}

// ---- SGI ----

void TSGIRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    if (FSampleSize == 8) {
        uint8_t header;
        while (!out.Full() && in.Next(header)) {
            const int n = header & 0x7F;
            if (n == 0) break;
            if (header & 0x80 ? !CopyLiteral(in, out, n) : !FillRun(in, out, n)) break;
        }
        return;
    }
    const uint8_t* header;
    while (!out.Full() && in.Take(2, header) == 2) {
        const int n = header[1] & 0x7F;
        if (n == 0) break;
        if (header[1] & 0x80) {
            if (!CopyLiteral(in, out, 2 * n)) break;
        } else {
            const uint8_t* word;
            if (in.Take(2, word) < 2) break;
            for (int i = 0; i < n && !out.Full(); ++i) out.Copy(word, 2);
        }
    }
}

// ---- Dr. Halo CUT ----

void TCUTRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    in.Skip(2);
    uint8_t header;
    while (in.Next(header) && header != 0) {
        const int n = header & 0x7F;
        if (header & 0x80 ? !FillRun(in, out, n) : !CopyLiteral(in, out, n)) break;
    }
    source += in.Position();
}

// ---- Paint Shop Pro ----

void TPSPRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    uint8_t header;
    while (!out.Full() && in.Next(header)) {
        if (header < 128 ? !CopyLiteral(in, out, header) : !FillRun(in, out, header - 128)) break;
    }
}

// ---- RLA ----

void TRLADecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    uint8_t header;
    while (!out.Full() && in.Next(header)) {
        const int h = int8_t(header);
        if (h < 0 ? !CopyLiteral(in, out, -h) : !FillRun(in, out, h + 1)) break;
    }
}
