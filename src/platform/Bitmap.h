#pragma once
// Device-independent bitmap: 1, 4, 8, 15 (1-5-5-5), 16 (5-6-5), 24 (blue, green, red) and 32 bits
// (blue, green, red, reserved) per pixel, rows top-down and padded to 4 bytes, with a palette of up
// to 256 entries for the indexed formats. Sizes are computed in 64 bits and checked against a
// pixel limit before anything is allocated.
#include <cstddef>
#include <cstdint>
#include <vector>

enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

struct TRGBQuad
{
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
    bool operator==(const TRGBQuad&) const = default;
};

// Widens a 5- or 6-bit channel value of a 15- or 16-bit pixel to 8 bits by repeating its high
// bits, so that the largest value gives 255.
inline uint8_t Expand5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t Expand6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }

class TBitmap
{
public:
    TBitmap() = default;
    TBitmap(int width, int height, TPixelFormat format = TPixelFormat::pf24bit);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TPixelFormat PixelFormat() const { return FFormat; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }

    // Changing the size or the format reallocates the pixels; the new pixels are zero.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, FHeight); }
    void SetHeight(int height) { SetSize(FWidth, height); }
    void SetPixelFormat(TPixelFormat format);

    // Row y (0 = top). Raises EInvalidGraphicOperation for a row outside the picture.
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    size_t Stride() const { return FStride; }
    uint8_t* Bits() { return FBits.data(); }
    const uint8_t* Bits() const { return FBits.data(); }
    size_t ByteSize() const { return FBits.size(); }

    // Palette of the indexed formats (at most 256 entries).
    const std::vector<TRGBQuad>& Palette() const { return FPalette; }
    void SetPalette(std::vector<TRGBQuad> palette);

    // Converts the pixels to 24 bits per pixel in place (indexed formats through the palette).
    void ConvertTo24();
    // A 24-bit copy of this bitmap.
    TBitmap To24() const;
    // Row y converted to 24 bits per pixel (blue, green, red) into dst, which holds Width() x 3 bytes.
    void RowTo24(int y, uint8_t* dst) const;
    // The colours the indices of a 1-, 4- or 8-bit bitmap stand for: the palette, indices past its
    // end black; without a palette a grey ramp (black and white for 1 bit).
    void IndexColours(TRGBQuad (&colours)[256]) const;

    // Every change of pixels or size gives the bitmap a new generation number, unique across all
    // bitmaps of the run, so caches can tell a changed picture. Code that writes pixels through
    // ScanLine calls Modified() when done.
    uint64_t Generation() const { return FGeneration; }
    void Modified();

    static int BitsPerPixel(TPixelFormat format);
    // Bytes of one row padded to 4 bytes, in 64 bits.
    static int64_t RowBytes(int64_t width, int bitsPerPixel);

    // Largest number of pixels a bitmap may have; larger sizes raise EOutOfResources.
    static int64_t PixelLimit();
    static void SetPixelLimit(int64_t pixels);
    // Raises EOutOfResources when a bitmap of this size would be negative or exceed the limit.
    static void CheckSize(int64_t width, int64_t height, int bitsPerPixel);

private:
    void Allocate();

    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FFormat = TPixelFormat::pf24bit;
    size_t FStride = 0;
    std::vector<uint8_t> FBits;
    std::vector<TRGBQuad> FPalette;
    uint64_t FGeneration = 0;
};
