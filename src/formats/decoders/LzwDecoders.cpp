#include "formats/decoders/LzwDecoders.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// The next eight input bytes as one number, the first byte the most (TIFF) or least (GIF)
// significant.
template <bool MsbFirst> uint64_t LoadWord(const uint8_t* p)
{
    uint64_t w;
    std::memcpy(&w, p, 8);
    if constexpr (MsbFirst == (std::endian::native == std::endian::little)) w = __builtin_bswap64(w);
    return w;
}

// Copies the first and the last `size` bytes of count (size <= count <= 2 x size); the two
// pieces overlap in the middle, so exactly count bytes are written.
template <class T> inline void CopyEnds(uint8_t* target, const uint8_t* source, uint32_t count)
{
    T head, tail;
    std::memcpy(&head, source, sizeof(T));
    std::memcpy(&tail, source + count - sizeof(T), sizeof(T));
    std::memcpy(target, &head, sizeof(T));
    std::memcpy(target + count - sizeof(T), &tail, sizeof(T));
}

// Copies count bytes that lie wholly before target, without a loop for short strings.
inline void CopyEarlier(uint8_t* target, const uint8_t* source, uint32_t count)
{
    if (count >= 8) {
        if (count <= 16)
            CopyEnds<uint64_t>(target, source, count);
        else
            std::memcpy(target, source, count);
    } else if (count >= 4) {
        CopyEnds<uint32_t>(target, source, count);
    } else if (count >= 2) {
        CopyEnds<uint16_t>(target, source, count);
    } else if (count == 1) {
        *target = *source;
    }
}

// One stream in either bit order. Codes come from a 64-bit buffer; TIFF takes them from its top,
// GIF from its bottom. Bits past the counted ones may already hold the following input (a refill
// reads whole words); they are the same bits the next refill puts there. The whole input and the
// whole output are taken from their cursors at once and walked with local pointers kept inside
// them.
//
// Only entries written since the call's start (or its last clear code) are ever read: a code is
// taken below the next free code only, and a table entry refers to the output of this call.
template <bool MsbFirst>
void DecodeStream(TLzwTable& table, int initialCodeSize, TDecoderInput& in, TDecoderOutput& out)
{
    constexpr uint32_t NoCode = 0xFFFFFFFF;
    const int clearCode = 1 << initialCodeSize, endCode = clearCode + 1;
    const int firstFree = clearCode + 2;
    int freeCode = firstFree, codeSize = initialCodeSize + 1, codeMask = (1 << codeSize) - 1;
    const uint8_t* p;
    const int64_t available = in.Take(in.Remaining(), p);
    const uint8_t* const inEnd = p + available;
    uint8_t* base;
    const int64_t room = out.Claim(out.Remaining(), base);
    uint8_t* op = base;
    uint8_t* const outEnd = base + room;
    // The previous string: where it stands in the output and its length (NoCode: none since the
    // start or the last clear code).
    uint32_t oldOffset = NoCode, oldLength = 0;
    uint64_t data = 0;
    int bits = 0;
    while (op < outEnd) {
        if (bits < codeSize) {
            if (inEnd - p >= 8) {
                const uint64_t word = LoadWord<MsbFirst>(p);
                data |= MsbFirst ? word >> bits : word << bits;
                const int bytes = (64 - bits) / 8;
                p += bytes;
                bits += 8 * bytes;
            } else {
                while (bits < codeSize) {
                    if (p == inEnd) return;
                    data |= MsbFirst ? uint64_t(*p++) << (56 - bits) : uint64_t(*p++) << bits;
                    bits += 8;
                }
            }
        }
        int code;
        if (MsbFirst) {
            code = int(data >> (64 - codeSize));
            data <<= codeSize;
        } else {
            code = int(data & uint64_t(codeMask));
            data >>= codeSize;
        }
        bits -= codeSize;

        const uint32_t offset = uint32_t(op - base);
        uint32_t length;
        if (code < clearCode) { // a root: its own byte
            *op++ = uint8_t(code);
            length = 1;
        } else if (unsigned(code - firstFree) < unsigned(freeCode - firstFree)) {
            // A table entry (none right after a clear: the next free code is the first then).
            const TLzwTable::Entry e = table[code];
            length = e.Length;
            const uint32_t n = uint32_t(std::min<int64_t>(length, outEnd - op));
            CopyEarlier(op, base + e.Offset, n);
            op += n;
        } else if (code == freeCode && oldOffset != NoCode) {
            // The entry being made: the previous string, which ends here, and its own first byte.
            length = oldLength + 1;
            const uint32_t n = uint32_t(std::min<int64_t>(length, outEnd - op));
            CopyEarlier(op, op - oldLength, std::min(n, oldLength));
            if (n == length) op[oldLength] = base[oldOffset];
            op += n;
        } else if (code == clearCode) {
            freeCode = firstFree;
            codeSize = initialCodeSize + 1;
            codeMask = (1 << codeSize) - 1;
            oldOffset = NoCode;
            continue;
        } else if (code == endCode && MsbFirst) {
            return; // TIFF: the end of the strip
        } else {
            // A GIF end code, or a code above the next free one (at or above it right after a
            // clear), is dropped and the bits after it stay; they are read on once the next input
            // byte has come in, so the stream ends here when the code's byte was the last. The
            // buffer holds whole bytes: a next byte is in it once 8 bits or more are left.
            if (bits < 8 && p == inEnd) return;
            continue;
        }
        if (oldOffset != NoCode && freeCode < TLzwTable::Size) {
            table[freeCode] = TLzwTable::Entry{oldOffset, oldLength + 1};
            // TIFF widens when the next free code reaches the last of the width, GIF once that
            // entry has been filled.
            if (MsbFirst) ++freeCode;
            if (freeCode == codeMask && codeSize < 12) {
                ++codeSize;
                codeMask = (1 << codeSize) - 1;
            }
            if (!MsbFirst) ++freeCode;
        }
        oldOffset = offset;
        oldLength = length;
    }
}

} // namespace

void TTIFFLZWDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    DecodeStream<true>(FTable, 8, in, out);
}

void TGIFLZWDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    if (FInitialCodeSize < 1 || FInitialCodeSize > 11) return;
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    DecodeStream<false>(FTable, FInitialCodeSize, in, out);
}
