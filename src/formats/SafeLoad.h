#pragma once
// The checked reading layer every picture loader uses: exact reads that raise "Stream read error"
// on short data, 64-bit size arithmetic, sizes from headers checked against the bytes that remain
// before anything is allocated, and palettes padded to their full index range.
#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Stream.h"

namespace safeload {

// Exactly count bytes, or EReadError "Stream read error".
void ReadExact(TStream& stream, void* buffer, int64_t count);
uint8_t ReadByte(TStream& stream);
uint16_t ReadWordLE(TStream& stream);
uint16_t ReadWordBE(TStream& stream);
uint32_t ReadLongLE(TStream& stream);
uint32_t ReadLongBE(TStream& stream);

// Raises EReadError "Stream read error" unless count bytes remain after the current position.
void CheckRemaining(TStream& stream, uint64_t count);
// Reads count bytes into a new buffer, checking that they are there before allocating.
std::vector<uint8_t> ReadBytes(TStream& stream, uint64_t count);

// a x b, or EOutOfResources when the product does not fit into 63 bits.
uint64_t CheckedMul(uint64_t a, uint64_t b);
// a + b, or EOutOfResources when the sum does not fit into 63 bits.
uint64_t CheckedAdd(uint64_t a, uint64_t b);

// Sizes the bitmap for a picture that a header describes, after checking the size against the
// pixel limit (EOutOfResources), so no allocation follows a hostile header.
void PrepareBitmap(TBitmap& bitmap, int64_t width, int64_t height, TPixelFormat format);

// Pads a palette with black entries to the full index range of the depth (2, 16 or 256 entries);
// entries beyond that range are dropped. Depths above 8 bits keep no palette.
void PadPalette(std::vector<TRGBQuad>& palette, int bitsPerPixel);

} // namespace safeload
