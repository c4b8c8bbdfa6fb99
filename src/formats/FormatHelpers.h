#pragma once
// Small helpers the format loaders share.
#include <cstddef>
#include <cstdint>

// Reverse the byte order of count 16-bit or 32-bit values in place.
void SwapShort(uint16_t* values, size_t count);
void SwapLong(uint32_t* values, size_t count);
uint32_t SwapLong(uint32_t value);

// Doubles a plane of width x height bytes, rows scanLength bytes apart, in place in both
// directions (rows stay scanLength apart). The buffer must hold 2 x height rows of at least
// 2 x width bytes; EInvalidGraphicOperation otherwise.
void Upsample(int width, int height, int scanLength, uint8_t* buffer, size_t bufferSize);
