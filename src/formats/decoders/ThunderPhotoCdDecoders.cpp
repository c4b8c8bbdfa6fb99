#include "formats/decoders/ThunderPhotoCdDecoders.h"

#include <algorithm>

// ---- ThunderScan ----

namespace {

// One row of 4-bit pixels, two to a byte, high half first.
class TThunderRow
{
public:
    TThunderRow(TDecoderOutput& out, uint64_t pixels) : FOut(out), FMaxPixels(pixels) {}
    bool Complete() const { return FPixels >= FMaxPixels; }
    void SetPixel(int value)
    {
        if (Complete()) return;
        FLast = uint8_t(value & 0x0F);
        if (FPixels % 2 != 0)
            FOut.Put(uint8_t(FHigh | FLast));
        else
            FHigh = uint8_t(FLast << 4);
        ++FPixels;
    }
    // count more pixels of the last value.
    void Run(uint64_t count)
    {
        count = std::min(count, FMaxPixels - FPixels);
        if (count > 0 && FPixels % 2 != 0) {
            FOut.Put(uint8_t(FHigh | FLast));
            ++FPixels;
            --count;
        }
        FOut.Fill(uint8_t(FLast * 17), int64_t(count / 2));
        FPixels += count / 2 * 2;
        if (count % 2 != 0) {
            FHigh = uint8_t(FLast << 4);
            ++FPixels;
        }
    }
    // A row that ends halfway through a byte keeps that byte's high half.
    void Finish()
    {
        if (FPixels % 2 != 0) FOut.Put(FHigh);
    }
    uint8_t Last() const { return FLast; }

private:
    TDecoderOutput& FOut;
    uint64_t FMaxPixels;
    uint64_t FPixels = 0;
    uint8_t FLast = 0, FHigh = 0;
};

constexpr int TwoBitDeltas[4] = {0, 1, 0, -1};                  // 2 means no pixel
constexpr int ThreeBitDeltas[8] = {0, 1, 2, 3, 0, -3, -2, -1}; // 4 means no pixel

} // namespace

void TThunderDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    if (FWidth == 0) return;
    TDecoderInput in(source, packedSize);
    TDecoderOutput out(dest, unpackedSize);
    const int64_t rowBytes = (int64_t(FWidth) + 1) / 2;
    for (int64_t left = unpackedSize; left > 0 && !in.AtEnd(); left -= rowBytes) {
        TThunderRow row(out, FWidth);
        uint8_t n;
        while (!row.Complete() && in.Next(n)) {
            switch (n >> 6) {
            case 0: row.Run(n & 0x3F); break;
            case 1:
                for (int shift = 4; shift >= 0; shift -= 2) {
                    const int d = (n >> shift) & 3;
                    if (d != 2) row.SetPixel(row.Last() + TwoBitDeltas[d]);
                }
                break;
            case 2:
                for (int shift = 3; shift >= 0; shift -= 3) {
                    const int d = (n >> shift) & 7;
                    if (d != 4) row.SetPixel(row.Last() + ThreeBitDeltas[d]);
                }
                break;
            default: row.SetPixel(n); break;
            }
        }
        row.Finish();
    }
}

// ---- Photo-CD ----

namespace {

// Reads the stream 2048 bytes at a time into a 32-bit window whose top bits are the next ones.
// Past the stream's end zero bytes come in; the window is spent once they fill it.
class TPcdBits
{
public:
    explicit TPcdBits(TStream& stream) : FStream(stream), FBuffer(2048) {}
    uint32_t Window() const { return FWindow; }
    // Moves on by count bits (1..16); false once every bit of the stream has been passed.
    bool Fetch(int count)
    {
        FWindow <<= count;
        FBits -= count;
        while (FBits <= 24) {
            if (FPos == FLength && !FEnded) {
                FLength = size_t(std::max<int64_t>(FStream.Read(FBuffer.data(), int64_t(FBuffer.size())), 0));
                FPos = 0;
                FEnded = FLength == 0;
            }
            uint8_t byte = 0;
            if (FPos < FLength)
                byte = FBuffer[FPos++];
            else
                ++FPastEnd;
            FWindow |= uint32_t(byte) << (24 - FBits);
            FBits += 8;
        }
        return 8 * FPastEnd < FBits;
    }
    bool AtSync() const { return (FWindow & 0xFFFFFF00u) == 0xFFFFFE00u; }
    // Skips to the next sync header: bytewise until twelve 1 bits stand in bits 12 to 23, then
    // bitwise. False at the stream's end.
    bool SkipToSync()
    {
        while ((FWindow & 0x00FFF000u) != 0x00FFF000u)
            if (!Fetch(8)) return false;
        while (!AtSync())
            if (!Fetch(1)) return false;
        return true;
    }

private:
    TStream& FStream;
    std::vector<uint8_t> FBuffer;
    size_t FPos = 0, FLength = 0;
    bool FEnded = false;
    uint32_t FWindow = 0;
    int FBits = 32;
    int FPastEnd = 0;
};

struct TPcdCode
{
    int Length;
    uint32_t Sequence, Mask;
    uint8_t Key;
};

// The range table: 0 and 1 give 0, i above 1 gives i - 1.
uint8_t RangeOf(int value)
{
    const int i = std::clamp(value, 0, 255);
    return uint8_t(i < 2 ? 0 : i - 1);
}

} // namespace

void TPCDDecoder::Decode(const uint8_t*& source, uint8_t*&, int32_t packedSize, int32_t unpackedSize)
{
    if (!source) return;
    DecodePlanes(*reinterpret_cast<const TPCDPlanes*>(source), packedSize, unpackedSize);
}

void TPCDDecoder::DecodePlanes(const TPCDPlanes& planes, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) return;
    TPcdBits bits(FStream);
    std::vector<std::vector<TPcdCode>> tables(width > 1536 ? 3 : 1);
    for (std::vector<TPcdCode>& table : tables) {
        if (!bits.Fetch(8)) return;
        const int count = int(bits.Window() & 0xFF) + 1;
        for (int i = 0; i < count; ++i) {
            TPcdCode c;
            if (!bits.Fetch(8)) return;
            c.Length = int(bits.Window() & 0xFF) + 1;
            if (c.Length > 16) return;
            if (!bits.Fetch(16)) return;
            c.Sequence = (bits.Window() & 0xFFFF) << 16;
            if (!bits.Fetch(8)) return;
            c.Key = uint8_t(bits.Window() & 0xFF);
            c.Mask = ~((uint32_t(1) << (32 - c.Length)) - 1);
            table.push_back(c);
        }
    }
    if (!bits.Fetch(16) || !bits.Fetch(16) || !bits.SkipToSync()) return;

    const std::vector<TPcdCode>* table = nullptr; // none before the first sync header
    uint8_t* position = nullptr;
    uint8_t* rowEnd = nullptr;
    for (;;) {
        if (bits.AtSync()) {
            if (!bits.Fetch(16)) return;
            const int row = int((bits.Window() >> 9) & 0x1FFF);
            if (row >= height || !bits.Fetch(8)) return;
            const int channel = int(bits.Window() >> 30);
            if (channel == 1 || !bits.Fetch(16)) return;
            const int plane = channel == 0 ? 0 : channel - 1;
            const int64_t offset = int64_t(channel == 0 ? row : row / 2) * width;
            table = size_t(plane) < tables.size() ? &tables[size_t(plane)] : nullptr;
            position = rowEnd = nullptr;
            if (planes.Plane[size_t(plane)] && offset + width <= planes.Size[size_t(plane)]) {
                position = planes.Plane[size_t(plane)] + offset;
                rowEnd = position + width;
            }
            continue;
        }
        const TPcdCode* code = nullptr;
        if (table)
            for (const TPcdCode& c : *table)
                if ((bits.Window() & c.Mask) == c.Sequence) {
                    code = &c;
                    break;
                }
        if (!code) {
            if (!bits.SkipToSync()) return;
            continue;
        }
        if (position < rowEnd) {
            *position = RangeOf(*position + (code->Key < 128 ? code->Key : code->Key - 256));
            ++position;
        }
        if (!bits.Fetch(code->Length)) return;
    }
}
