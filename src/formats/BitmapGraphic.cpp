#include "formats/BitmapGraphic.h"

#include "platform/BmpFile.h"

void TBitmapGraphic::LoadFromStream(TStream& stream)
{
    TBitmap loaded;
    const int fileBits = LoadBmpFromStream(loaded, stream);
    FBitmap = std::move(loaded);
    FBitmap.Modified();
    FFileBitsPerPixel = fileBits;
    FFileGeneration = FBitmap.Generation();
}

int TBitmapGraphic::BitsPerPixel() const
{
    if (FFileBitsPerPixel != 0 && FBitmap.Generation() == FFileGeneration) return FFileBitsPerPixel;
    return TBitmap::BitsPerPixel(FBitmap.PixelFormat());
}

void TBitmapGraphic::SaveToStream(TStream& stream) { SaveBmpToStream(FBitmap, stream); }

const TGraphicClass& TBitmapGraphic::Class()
{
    static const TGraphicClass cls = MakeGraphicClass<TBitmapGraphic>("TBitmap");
    return cls;
}
