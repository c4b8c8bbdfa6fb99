#include "twain/SaneDib.h"

#include <algorithm>
#include <cstring>

#include "platform/Bitmap.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/Round.h"
#include "twain/TwainMemory.h"

namespace {

constexpr uint32_t InfoHeaderSize = 40;

bool IsSingleColour(SANE_Frame f)
{
    return f == SANE_FRAME_RED || f == SANE_FRAME_GREEN || f == SANE_FRAME_BLUE;
}

int Channels(SANE_Frame f) { return f == SANE_FRAME_RGB ? 3 : 1; }

// Sample i of a line as 8 bits: 16-bit samples (host byte order) give their high byte.
inline uint8_t Sample(const uint8_t* line, int depth, int64_t i)
{
    if (depth == 8) return line[i];
    uint16_t v;
    std::memcpy(&v, line + 2 * i, 2);
    return uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
void Put16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

} // namespace

void TSaneDibBuilder::BeginFrame(const SANE_Parameters& p)
{
    // The format as a number first: a device may send a value the enumeration does not hold.
    int format;
    static_assert(sizeof format == sizeof p.format);
    std::memcpy(&format, &p.format, sizeof format);
    if (format < SANE_FRAME_GRAY || format > SANE_FRAME_BLUE)
        throw EInvalidGraphic(Format("Scanned picture has an unknown frame format %d", format));
    const bool single = IsSingleColour(p.format);
    if (p.depth != 1 && p.depth != 8 && p.depth != 16)
        throw EInvalidGraphic(Format("Scanned picture has an unsupported depth of %d bits", int(p.depth)));
    if (p.depth == 1 && p.format != SANE_FRAME_GRAY)
        throw EInvalidGraphic("Scanned colour picture at 1 bit per sample is not supported");
    if (p.pixels_per_line <= 0)
        throw EInvalidGraphic(Format("Scanned picture has %d pixels per line", int(p.pixels_per_line)));
    const int64_t needed = (int64_t(p.pixels_per_line) * Channels(p.format) * p.depth + 7) / 8;
    if (p.bytes_per_line < needed)
        throw EInvalidGraphic(Format("Scanned lines of %d bytes cannot hold %d pixels", int(p.bytes_per_line),
                                     int(p.pixels_per_line)));
    if (!FStarted) {
        FBits = p.format == SANE_FRAME_GRAY ? (p.depth == 1 ? 1 : 8) : 24;
        // The size is checked against the bitmap limit before anything is allocated.
        TBitmap::CheckSize(p.pixels_per_line, std::max<int64_t>(p.lines, 0), FBits);
        FStride = TBitmap::RowBytes(p.pixels_per_line, FBits);
        FStarted = true;
        FParams = p;
        if (p.lines > 0) {
            FBlock = AllocateDib(p.lines);
            if (FBlock == nullptr) throw EOutOfResources("Not enough memory for the scanned picture");
            FBlockLines = p.lines;
            FBlockBits = static_cast<uint8_t*>(TwainLockBlock(FBlock)) + InfoHeaderSize + 4 * Colours();
        }
    } else {
        if (!single || !IsSingleColour(FParams.format) || p.pixels_per_line != FParams.pixels_per_line ||
            p.depth != FParams.depth)
            throw EInvalidGraphic("A frame of the scan does not match its first frame");
        FParams = p;
    }
    FAnnounced = p.lines;
    FFrameLines = 0;
    FPartial.clear();
}

void TSaneDibBuilder::AddData(const uint8_t* data, size_t size)
{
    const size_t bpl = size_t(FParams.bytes_per_line);
    FReceived += int64_t(size);
    while (size > 0) {
        if (FPartial.empty() && size >= bpl) {
            TakeLine(data);
            data += bpl;
            size -= bpl;
            continue;
        }
        const size_t n = std::min(size, bpl - FPartial.size());
        FPartial.insert(FPartial.end(), data, data + n);
        data += n;
        size -= n;
        if (FPartial.size() == bpl) {
            TakeLine(FPartial.data());
            FPartial.clear();
        }
    }
}

TSaneDibBuilder::~TSaneDibBuilder() { TwainFreeBlock(FBlock); }

uint8_t* TSaneDibBuilder::Row(int64_t y)
{
    if (FBlock != nullptr) {
        if (y >= FBlockLines) return nullptr; // a later frame longer than the first
        FLines = std::max(FLines, y + 1);
        return FBlockBits + (FBlockLines - 1 - y) * FStride;
    }
    if (y >= FLines) {
        if (int64_t(FRows.size()) < (y + 1) * FStride) {
            TBitmap::CheckSize(FParams.pixels_per_line, y + 1, FBits);
            FRows.resize(size_t((y + 1) * FStride), 0);
        }
        FLines = y + 1;
    }
    return FRows.data() + y * FStride;
}

void TSaneDibBuilder::TakeLine(const uint8_t* line)
{
    if (FAnnounced >= 0 && FFrameLines >= FAnnounced) return; // more than announced: not part of the picture
    uint8_t* row = Row(FFrameLines++);
    if (row == nullptr) return;
    const int64_t width = FParams.pixels_per_line;
    const int depth = FParams.depth;
    switch (FParams.format) {
    case SANE_FRAME_GRAY:
        if (depth == 1) {
            const int64_t bytes = (width + 7) / 8;
            // SANE's 1 is black; palette entry 0 is black
            for (int64_t i = 0; i < bytes; ++i) row[i] = uint8_t(~line[i]);
            if (width % 8 != 0) row[bytes - 1] &= uint8_t(0xFF << (8 - width % 8));
        } else {
            for (int64_t x = 0; x < width; ++x) row[x] = Sample(line, depth, x);
        }
        break;
    case SANE_FRAME_RGB:
        for (int64_t x = 0; x < width; ++x) {
            row[3 * x + 0] = Sample(line, depth, 3 * x + 2);
            row[3 * x + 1] = Sample(line, depth, 3 * x + 1);
            row[3 * x + 2] = Sample(line, depth, 3 * x + 0);
        }
        break;
    default: {
        const int offset = FParams.format == SANE_FRAME_RED ? 2 : FParams.format == SANE_FRAME_GREEN ? 1 : 0;
        for (int64_t x = 0; x < width; ++x) row[3 * x + offset] = Sample(line, depth, x);
        break;
    }
    }
}

bool TSaneDibBuilder::EndFrame()
{
    FPartial.clear();
    if (IsSingleColour(FParams.format))
        ++FFramesEnded;
    else
        FSingleDone = true;
    return FAnnounced < 0 || FFrameLines >= FAnnounced;
}

bool TSaneDibBuilder::Complete() const { return FSingleDone || FFramesEnded >= 3; }

int64_t TSaneDibBuilder::ExpectedBytes() const
{
    if (!FStarted || FAnnounced < 0) return 0;
    const int64_t frames = IsSingleColour(FParams.format) ? 3 : 1;
    return int64_t(FParams.bytes_per_line) * FAnnounced * frames;
}

TW_HANDLE TSaneDibBuilder::AllocateDib(int64_t lines)
{
    const uint32_t colours = Colours();
    const uint64_t image = uint64_t(FStride) * uint64_t(lines);
    if (image > UINT32_MAX) return nullptr;
    TW_HANDLE block = TwainAllocBlock(size_t(InfoHeaderSize + 4ull * colours + image));
    if (block == nullptr) return nullptr;
    auto* p = static_cast<uint8_t*>(TwainLockBlock(block));
    const uint32_t perMetre = FDpi > 0 ? uint32_t(Round(FDpi / 0.0254)) : 0;
    Put32(p + 0, InfoHeaderSize);
    Put32(p + 4, uint32_t(FParams.pixels_per_line));
    Put32(p + 8, uint32_t(lines));
    Put16(p + 12, 1);
    Put16(p + 14, uint16_t(FBits));
    Put32(p + 16, 0); // uncompressed
    Put32(p + 20, uint32_t(image));
    Put32(p + 24, perMetre);
    Put32(p + 28, perMetre);
    Put32(p + 32, colours);
    Put32(p + 36, 0);
    uint8_t* palette = p + InfoHeaderSize;
    for (uint32_t i = 0; i < colours; ++i) {
        const uint8_t level = colours == 2 ? uint8_t(i * 255) : uint8_t(i);
        palette[4 * i + 0] = palette[4 * i + 1] = palette[4 * i + 2] = level;
    }
    return block;
}

TW_HANDLE TSaneDibBuilder::TakeDib()
{
    if (FBlock != nullptr) {
        TW_HANDLE block = FBlock;
        FBlock = nullptr;
        FBlockBits = nullptr;
        return block;
    }
    TW_HANDLE block = AllocateDib(FLines);
    if (block == nullptr) return nullptr;
    uint8_t* bits = static_cast<uint8_t*>(TwainLockBlock(block)) + InfoHeaderSize + 4 * Colours();
    for (int64_t y = 0; y < FLines; ++y)
        std::memcpy(bits + (FLines - 1 - y) * FStride, FRows.data() + y * FStride, size_t(FStride));
    std::vector<uint8_t>().swap(FRows);
    return block;
}
