#include "formats/decoders/LzwDecoders.h"

#include <algorithm>
#include <bit>
#include <cstring>

// Entries at and above the first free code are never read before they are written in the same
// call: a code is taken only below the next free code (or equal to it, when it is built from the
// previous code), and every entry refers to an older one. So only the roots need setting, and
// they are never written over.
void TLzwTable::Reset(int roots)
{
    if (roots == FRoots) return; // no entry below the first free code is ever written over
    FRoots = roots;
    for (int i = 0; i < roots; ++i) FEntries[size_t(i)] = Entry{NoCode, 1, uint8_t(i), uint8_t(i), 0};
    // The clear and end codes and the rest of the table: empty strings until they are added.
    for (int i = roots; i < roots + 2 && i < Size; ++i) FEntries[size_t(i)] = Entry{NoCode, 0, 0, 0, 0};
}

namespace {

// The next eight input bytes as one number, the first byte the most (TIFF) or least (GIF)
// significant.
template <bool MsbFirst> uint64_t LoadWord(const uint8_t* p)
{
    uint64_t w;
    std::memcpy(&w, p, 8);
    if constexpr (MsbFirst) {
        if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
    } else {
        if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    }
    return w;
}

// One stream in either bit order. Codes come from a 64-bit buffer; TIFF takes them from its top,
// GIF from its bottom. Bits past the counted ones may already hold the following input (a refill
// reads whole words); they are the same bits the next refill puts there. The whole input and the
// whole output are taken from their cursors at once and walked with local pointers kept inside
// them, and the previous string's length and first byte are kept at hand.
template <bool MsbFirst>
void DecodeStream(TLzwTable& table, int initialCodeSize, TDecoderInput& in, TDecoderOutput& out)
{
    const int clearCode = 1 << initialCodeSize, endCode = clearCode + 1;
    table.Reset(clearCode);
    int freeCode = clearCode + 2, codeSize = initialCodeSize + 1, codeMask = (1 << codeSize) - 1;
    int oldCode = TLzwTable::NoCode, oldLength = 0;
    uint8_t oldFirst = 0;
    const uint8_t* p;
    const int64_t available = in.Take(in.Remaining(), p);
    const uint8_t* const last = p + available;
    uint8_t* op;
    const int64_t room = out.Claim(out.Remaining(), op);
    uint8_t* const outEnd = op + room;
    uint64_t data = 0;
    int bits = 0;
    while (op < outEnd) {
        if (bits < codeSize) {
            if (last - p >= 8) {
                const uint64_t word = LoadWord<MsbFirst>(p);
                data |= MsbFirst ? word >> bits : word << bits;
                const int bytes = (64 - bits) / 8;
                p += bytes;
                bits += 8 * bytes;
            } else {
                while (bits < codeSize) {
                    if (p == last) return;
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

        if (code < clearCode && oldCode != TLzwTable::NoCode) { // the most common code: one byte
            *op++ = uint8_t(code);
            if (freeCode < TLzwTable::Size) {
                table.Add(freeCode, oldCode, oldLength + 1, uint8_t(code), oldFirst);
                if (MsbFirst) ++freeCode;
                if (freeCode == codeMask && codeSize < 12) {
                    ++codeSize;
                    codeMask = (1 << codeSize) - 1;
                }
                if (!MsbFirst) ++freeCode;
            }
            oldCode = code;
            oldLength = 1;
            oldFirst = uint8_t(code);
            continue;
        }
        bool drop = false;
        if (code == clearCode) {
            freeCode = clearCode + 2;
            codeSize = initialCodeSize + 1;
            codeMask = (1 << codeSize) - 1;
            oldCode = TLzwTable::NoCode;
            continue;
        } else if (code == endCode) {
            if (MsbFirst) return; // TIFF: the end of the strip
            drop = true;          // GIF: the end of the codes of this byte
        } else if (oldCode == TLzwTable::NoCode) {
            if (code < freeCode) {
                *op++ = uint8_t(code); // a root: its own byte
                oldCode = code;
                oldLength = 1;
                oldFirst = uint8_t(code);
                continue;
            }
            drop = true;
        } else if (code > freeCode) {
            drop = true;
        }
        if (drop) { // only the bits short of a whole code stay
            const int whole = bits / codeSize * codeSize;
            data = MsbFirst ? data << whole : data >> whole;
            bits -= whole;
            continue;
        }

        int length;
        uint8_t first;
        if (code < freeCode) {
            length = table.Length(code);
            first = table.First(code);
            if (length <= outEnd - op) {
                table.WriteWhole(code, op, length);
                op += length;
            } else {
                table.Write(code, op, int(outEnd - op));
                op = outEnd;
            }
        } else { // the entry being made: the previous string and its own first byte
            length = oldLength + 1;
            first = oldFirst;
            const int n = int(std::min<int64_t>(length, outEnd - op));
            table.Write(oldCode, op, std::min(n, oldLength));
            if (n == length) op[n - 1] = first;
            op += n;
        }
        if (freeCode < TLzwTable::Size) {
            table.Add(freeCode, oldCode, oldLength + 1, first, oldFirst);
            // TIFF widens when the next free code reaches the last of the width, GIF once that
            // entry has been filled.
            if (MsbFirst) ++freeCode;
            if (freeCode == codeMask && codeSize < 12) {
                ++codeSize;
                codeMask = (1 << codeSize) - 1;
            }
            if (!MsbFirst) ++freeCode;
        }
        oldCode = code;
        oldLength = length;
        oldFirst = first;
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
