#pragma once
// Pieces of the BMP reader shared between its files.
#include <cstddef>
#include <cstdint>
#include <string>

class TBitmap;

// Raises EInvalidGraphic "Bitmap image is not valid: <detail>".
[[noreturn]] void BmpInvalid(const std::string& detail);

// Decodes RLE8 (bitsPerPixel 8) or RLE4 (4) data into bmp, which has its final size and format
// (pf8bit or pf4bit) and zero pixels. Rows run bottom-up. A row takes as many pixels as its bytes
// padded to 4 hold (some writers encode the padding); pixels past the width are dropped. Runs or
// deltas that leave the padded row or the picture, and data that ends before the end-of-bitmap
// code, raise EInvalidGraphic.
void DecodeBmpRle(const uint8_t* data, size_t size, int bitsPerPixel, TBitmap& bmp);

// Channel masks of a bit-field picture.
struct TBmpMasks
{
    uint32_t Red = 0, Green = 0, Blue = 0, Alpha = 0;
};

// Checks the masks of a 16- or 32-bit picture: each contiguous, inside the pixel, not overlapping,
// and at least one colour channel present. Raises EInvalidGraphic otherwise.
void CheckBmpMasks(const TBmpMasks& masks, int bitsPerPixel);

// Converts one row of 16- or 32-bit little-endian pixels to blue, green, red, alpha bytes.
class TBmpBitFieldConverter
{
  public:
    TBmpBitFieldConverter(const TBmpMasks& masks, int bitsPerPixel);
    void ConvertRow(const uint8_t* src, uint8_t* dst, int width) const;

  private:
    struct TChannel
    {
        uint32_t Mask = 0;
        int Shift = 0;
        int Bits = 0;
        uint8_t Table[256] = {}; // widened values for channels of up to 8 bits
        uint8_t Widen(uint32_t pixel) const;
    };
    TChannel FChannels[4]; // blue, green, red, alpha
    int FBytesPerPixel;
};
