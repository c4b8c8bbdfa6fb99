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

    static const TGraphicClass& Class();

private:
    TBitmap FBitmap;
};
