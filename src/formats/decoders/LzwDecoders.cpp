#include "formats/decoders/LzwDecoders.h"

#include <algorithm>

// Entries at and above the first free code are never read before they are written in the same
// call: a code is taken only below the next free code (or equal to it, when it is built from the
// previous code), and every entry refers to an older one. So only the roots need setting per call.
void TLzwTable::Reset(int roots)
{
    for (int i = 0; i < roots; ++i) FEntries[size_t(i)] = Entry{NoCode, 1, uint8_t(i), uint8_t(i)};
    // The clear and end codes and the rest of the table: empty strings until they are added.
    for (int i = roots; i < roots + 2 && i < Size; ++i) FEntries[size_t(i)] = Entry{NoCode, 0, 0, 0};
}

void TLzwTable::Write(int code, uint8_t* target, int count) const
{
    // Past the part to write: the string's tail is walked over, never more than its length.
    for (int skip = FEntries[size_t(code)].Length - count; skip > 0; --skip) code = FEntries[size_t(code)].Prefix;
    for (uint8_t* p = target + count; p > target;) {
        const Entry& e = FEntries[size_t(code)];
        *--p = e.Suffix;
        code = e.Prefix;
    }
}

namespace {

// The decoding state both bit orders share: the table, the code width and the string step.
struct TLzwState
{
    TLzwTable& Table;
    int InitialCodeSize, ClearCode, EndCode;
    int FreeCode, CodeSize, CodeMask;
    int OldCode = TLzwTable::NoCode;

    TLzwState(TLzwTable& table, int initialCodeSize) : Table(table), InitialCodeSize(initialCodeSize)
    {
        ClearCode = 1 << initialCodeSize;
        EndCode = ClearCode + 1;
        table.Reset(ClearCode);
        Clear();
    }
    void Clear()
    {
        FreeCode = ClearCode + 2;
        CodeSize = InitialCodeSize + 1;
        CodeMask = (1 << CodeSize) - 1;
        OldCode = TLzwTable::NoCode;
    }
    void Grow()
    {
        if (FreeCode == CodeMask && CodeSize < 12) {
            ++CodeSize;
            CodeMask = (1 << CodeSize) - 1;
        }
    }
    // A data code: false when it is dropped. Its string goes to the output (cut at its end); the
    // table gains an entry unless it is full, with the width growing before (GIF) or after (TIFF)
    // the free code moves on.
    bool Take(int code, TDecoderOutput& out, bool growAfterMove)
    {
        if (OldCode == TLzwTable::NoCode) {
            if (code >= FreeCode) return false;
            Emit(code, Table.Length(code), out);
            OldCode = code;
            return true;
        }
        if (code > FreeCode) return false;
        const bool known = code < FreeCode; // else the previous string plus its own first byte
        const int length = known ? Table.Length(code) : Table.Length(OldCode) + 1;
        const uint8_t first = Table.First(known ? code : OldCode);
        uint8_t* target;
        const int n = int(out.Claim(length, target));
        if (known) {
            Table.Write(code, target, n);
        } else if (n > 0) {
            Table.Write(OldCode, target, std::min(n, length - 1));
            if (n == length) target[n - 1] = first;
        }
        if (FreeCode < TLzwTable::Size) {
            Table.Add(FreeCode, OldCode, first);
            if (growAfterMove) {
                ++FreeCode;
                Grow();
            } else {
                Grow();
                ++FreeCode;
            }
        }
        OldCode = code;
        return true;
    }
    void Emit(int code, int length, TDecoderOutput& out)
    {
        uint8_t* target;
        const int n = int(out.Claim(length, target));
        Table.Write(code, target, n);
    }
};

} // namespace

void TTIFFLZWDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    TLzwState s(FTable, 8);
    uint32_t data = 0; // the bits not yet taken, from the top down
    int bits = 0;
    uint8_t byte;
    while (!out.Full() && in.Next(byte)) {
        data |= uint32_t(byte) << (24 - bits);
        bits += 8;
        while (bits >= s.CodeSize) {
            const int code = int(data >> (32 - s.CodeSize));
            data <<= s.CodeSize;
            bits -= s.CodeSize;
            if (code == s.EndCode) return;
            if (code == s.ClearCode) {
                s.Clear();
            } else if (!s.Take(code, out, true)) {
                const int whole = bits / s.CodeSize * s.CodeSize;
                data = whole < 32 ? data << whole : 0;
                bits -= whole;
                break;
            }
        }
    }
}

void TGIFLZWDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    if (FInitialCodeSize < 1 || FInitialCodeSize > 11) return;
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    TLzwState s(FTable, FInitialCodeSize);
    uint32_t data = 0; // the bits not yet taken, from the bottom up
    int bits = 0;
    uint8_t byte;
    while (!out.Full() && in.Next(byte)) {
        data |= uint32_t(byte) << bits;
        bits += 8;
        while (bits >= s.CodeSize) {
            const int code = int(data & uint32_t(s.CodeMask));
            data >>= s.CodeSize;
            bits -= s.CodeSize;
            if (code == s.ClearCode) {
                s.Clear();
            } else if (code == s.EndCode || !s.Take(code, out, false)) {
                const int whole = bits / s.CodeSize * s.CodeSize;
                data = whole < 32 ? data >> whole : 0;
                bits -= whole;
                break;
            }
        }
    }
}
