#pragma once
// The Windows bitmap picture: a TBitmap loaded from and saved to BMP files. Its registered class
// name is "TBitmap".
#include "formats/GraphicClass.h"
#include "platform/Bitmap.h"
#include "platform/Graphic.h"

class TBitmapGraphic : public TGraphic
{
public:
    TBitmapGraphic() = default;
    explicit TBitmapGraphic(TBitmap bitmap) : FBitmap(std::move(bitmap)) {}

    bool Empty() const override { return FBitmap.Empty(); }
    int Width() const override { return FBitmap.Width(); }
    int Height() const override { return FBitmap.Height(); }
    // The picture is replaced only when the whole file was read.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    const TBitmap* GetBitmap() override { return FBitmap.Empty() ? nullptr : &FBitmap; }

    TBitmap& Bitmap() { return FBitmap; }
    const TBitmap& Bitmap() const { return FBitmap; }
    // Bits per pixel of the file the picture was read from while its pixels are unchanged (a
    // 16-bit file with uncommon bit fields is held as pf32bit), else of the bitmap itself.
    int BitsPerPixel() const;

    static const TGraphicClass& Class();

private:
    TBitmap FBitmap;
    int FFileBitsPerPixel = 0;
    uint64_t FFileGeneration = 0; // the bitmap's generation when it was read
};
