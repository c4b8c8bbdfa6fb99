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

// Undo horizontal differencing on a row of 8-bit samples of width pixels (rowBytes bytes): every
// sample from the second pixel on gets the same sample of the pixel before it added (modulo 256).
// One, three or four samples per pixel; the work never passes the end of the row.
// The same for any number of samples per pixel.
void HorizontalPredictor(uint8_t* row, size_t rowBytes, int width, size_t samples);
// Horizontal differencing undone on 8-bit or 16-bit samples (added in the file's byte order:
// bigEndian or not); other depths are left alone.
void UndoHorizontalPredictor(uint8_t* row, size_t rowBytes, int width, size_t samples, unsigned bits, bool bigEndian);
void HorizontalPredictor1(uint8_t* row, size_t rowBytes, int width);
void HorizontalPredictor3(uint8_t* row, size_t rowBytes, int width);
void HorizontalPredictor4(uint8_t* row, size_t rowBytes, int width);
