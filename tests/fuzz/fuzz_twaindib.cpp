// The acquisition's DIB handling on hostile bytes. The first byte picks the entry point:
//   even: TWAIN_WriteDib on a block of exactly the remaining bytes (a DIB as a source hands it
//         over); nothing may be read outside the block, and a written file is its header plus at
//         most the block;
//   odd:  TSaneDibBuilder on frames a device sends: each frame is 16 bytes of parameters (format,
//         last frame, bytes per line, pixels per line, lines, depth; 16-bit fields) followed by up
//         to 4096 bytes of data fed in pieces of varying size; only EInvalidGraphic and
//         EOutOfResources may leave it.
#include "FuzzSupport.h"
#include "twain/SaneDib.h"
#include "twain/TwainDibWriter.h"
#include "twain/TwainMemory.h"

namespace {

void WriteDib(const uint8_t* data, size_t size)
{
    TW_HANDLE block = TwainAllocBlock(size);
    if (block == nullptr) return;
    if (size > 0) std::memcpy(TwainLockBlock(block), data, size);
    TMemoryStream out;
    if (TWAIN_WriteDibToHandle(block, out) == 0 && uint64_t(out.Size()) > 14 + uint64_t(size))
        __builtin_trap();
    TWAIN_DibBits(TwainLockBlock(block), size);
    TwainFreeBlock(block);
}

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

void BuildDib(const uint8_t* data, size_t size)
{
    TSaneDibBuilder builder(72);
    while (size >= 16) {
        SANE_Parameters p{};
        const int format = data[0] % 6; // GRAY, RGB, RED, GREEN, BLUE and one beyond
        std::memcpy(&p.format, &format, sizeof format);
        p.last_frame = data[1] & 1;
        p.bytes_per_line = Get16(data + 2);
        p.pixels_per_line = Get16(data + 4);
        p.lines = int16_t(Get16(data + 6));
        p.depth = data[8];
        const size_t piece = 1 + data[9] % 64;
        const size_t length = std::min<size_t>(Get16(data + 10) % 4097, size - 16);
        data += 16;
        size -= 16;
        builder.BeginFrame(p);
        for (size_t at = 0; at < length; at += piece)
            builder.AddData(data + at, std::min(piece, length - at));
        data += length;
        size -= length;
        builder.EndFrame();
        if (builder.Complete()) {
            TwainFreeBlock(builder.TakeDib());
            return;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    if (data[0] % 2 == 0)
        WriteDib(data + 1, size - 1);
    else
        fuzzsupport::Allowing<EInvalidGraphic, EOutOfResources>([&] { BuildDib(data + 1, size - 1); });
    return 0;
}
