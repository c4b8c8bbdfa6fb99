#pragma once
// Reading and writing BMP files.
//
// Reading accepts the OS/2 core header (12 bytes, 3-byte palette entries), the full OS/2 2.x
// header (64 bytes; its Huffman and RLE24 compressions are refused), the Windows header (40 bytes)
// with its 52/56-byte variants, V4 (108) and V5 (124); 1, 4, 8, 16, 24 and 32 bits per pixel
// (1, 4, 8 and 24 in the core header); uncompressed, RLE8, RLE4 and bit fields
// (three or four masks); bottom-up and top-down rows (compressed pictures are always bottom-up).
// The picture comes back as:
//   1/4/8 bits uncompressed     pf1bit/pf4bit/pf8bit, palette padded with black to 2, 16 or 256 entries
//   RLE4 / RLE8                 pf4bit / pf8bit; pixels the stream skips keep index 0, and runs
//                               may cover the row's padding (some writers encode it), never more
//   16 bits uncompressed        pf15bit (5-5-5)
//   16 bits, masks 5-5-5        pf15bit (an alpha bit in the top bit is dropped)
//   16 bits, masks 5-6-5        pf16bit
//   24 bits                     pf24bit
//   32 bits uncompressed        pf32bit, the fourth byte as stored
//   any other bit fields        pf32bit; each channel of n bits is widened to 8 bits by repeating its
//                               bits (n <= 8) or rounded to nearest (n > 8); the fourth byte holds
//                               the alpha channel, 0 when there is none
// The palette is biClrUsed entries (0 = all), at most 2^bits (a larger count is clamped), and never read past
// the start of the pixel data (bfOffBits; 0 = right after the palette).
//
// Failures: a file that is not a BMP we can read, or whose sizes and offsets do not fit the
// stream, raises EInvalidGraphic "Bitmap image is not valid: <detail>" - truncated data included,
// also an RLE stream that ends without its end-of-bitmap code. A well-formed header whose picture
// is larger than TBitmap's pixel limit raises EOutOfResources (from TBitmap::CheckSize). Nothing
// else is raised by LoadBmpFromStream; the bitmap is left unchanged on failure.
#include <string>

class TBitmap;
class TStream;

// Reads a BMP file starting at the stream's current position. Returns the file's own bits per
// pixel, which the bitmap's format does not show for bit fields widened to pf32bit.
int LoadBmpFromStream(TBitmap& bmp, TStream& s);
// As LoadBmpFromStream; a file that cannot be opened raises EFOpenError.
void LoadBmpFromFile(TBitmap& bmp, const std::string& fileName);

// Writes a bottom-up BMP with a 40-byte header and 2835 pixels per metre: pf1bit, pf4bit and pf8bit
// at their own depth with their palette (an empty palette is written as the default one TBitmap
// shows: black and white, or a grey ramp), every other format as 24 bits. An empty bitmap, or one
// whose file would exceed 4 GB, raises EInvalidGraphicOperation.
void SaveBmpToStream(const TBitmap& bmp, TStream& s);
// Writes to a temporary file in the target folder and renames it over the target, so a failed save
// leaves an existing file as it was.
void SaveBmpToFile(const TBitmap& bmp, const std::string& fileName);
