// Run-length decoding of RLE8 and RLE4 pictures.
//
// The data is a sequence of two-byte codes: (n > 0, v) repeats v (RLE8) or the two nibbles of v
// alternately (RLE4) n times; (0, 0) ends the row, (0, 1) ends the picture, (0, 2, dx, dy) moves
// right and up, and (0, n >= 3) is followed by n literal pixels padded to an even byte count.
#include <cstring>

#include "platform/Bitmap.h"
#include "platform/BmpDecode.h"
#include "platform/Format.h"

namespace {
class TRleTarget
{
  public:
    TRleTarget(TBitmap& bmp, int bitsPerPixel)
        : FBmp(bmp), FRle4(bitsPerPixel == 4),
          FRowLimit(TBitmap::RowBytes(bmp.Width(), bitsPerPixel) * 8 / bitsPerPixel)
    {
    }

    // Checks that count pixels fit at the current position. Writers may encode the padding at the
    // end of a row, so a row holds as many pixels as its padded bytes; those past the width are dropped.
    void Reserve(int64_t count) const
    {
        if (Y >= FBmp.Height())
            BmpInvalid(Format("RLE data continues past the top of the picture (row %lld)", (long long)Y));
        if (X + count > FRowLimit)
            BmpInvalid(Format("RLE run of %lld pixels at column %lld passes the end of row %lld",
                              (long long)count, (long long)X, (long long)Y));
    }

    void Put(uint8_t value)
    {
        if (X >= FBmp.Width()) {
            ++X;
            return;
        }
        uint8_t* row = FBmp.ScanLine(FBmp.Height() - 1 - int(Y));
        if (FRle4) {
            uint8_t& b = row[X >> 1];
            b = (X & 1) ? uint8_t((b & 0xF0) | (value & 15)) : uint8_t((b & 0x0F) | (value << 4));
        } else {
            row[X] = value;
        }
        ++X;
    }

    int64_t RowLimit() const { return FRowLimit; }

    int64_t X = 0;
    int64_t Y = 0; // counted from the bottom row

  private:
    TBitmap& FBmp;
    bool FRle4;
    int64_t FRowLimit;
};
} // namespace

void DecodeBmpRle(const uint8_t* data, size_t size, int bitsPerPixel, TBitmap& bmp)
{
    const bool rle4 = bitsPerPixel == 4;
    TRleTarget t(bmp, bitsPerPixel);
    size_t pos = 0;
    for (;;) {
        if (size - pos < 2) BmpInvalid("RLE data ends without an end-of-bitmap code");
        unsigned count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) { // encoded run
            t.Reserve(count);
            for (unsigned i = 0; i < count; ++i)
                t.Put(rle4 ? ((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0: // end of row
            t.X = 0;
            if (++t.Y > bmp.Height()) BmpInvalid("RLE end-of-row code past the top of the picture");
            break;
        case 1: // end of picture
            return;
        case 2: { // delta
            if (size - pos < 2) BmpInvalid("RLE data ends inside a delta code");
            unsigned dx = data[pos], dy = data[pos + 1];
            pos += 2;
            if (t.X + dx > t.RowLimit() || t.Y + dy >= bmp.Height())
                BmpInvalid(Format("RLE delta (%u, %u) from (%lld, %lld) leaves the picture", dx, dy,
                                  (long long)t.X, (long long)t.Y));
            t.X += dx;
            t.Y += dy;
            break;
        }
        default: { // literal pixels, padded to a 16-bit boundary
            size_t bytes = rle4 ? (value + 1) / 2 : value;
            size_t padded = (bytes + 1) & ~size_t(1);
            if (size - pos < padded) BmpInvalid("RLE data ends inside a literal run");
            t.Reserve(value);
            const uint8_t* p = data + pos;
            for (unsigned i = 0; i < value; ++i)
                t.Put(rle4 ? ((i & 1) ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
            pos += padded;
            break;
        }
        }
    }
}
