#include "formats/BitmapGraphic.h"

#include "platform/BmpFile.h"

void TBitmapGraphic::LoadFromStream(TStream& stream)
{
    TBitmap loaded;
    LoadBmpFromStream(loaded, stream);
    FBitmap = std::move(loaded);
    FBitmap.Modified();
}

void TBitmapGraphic::SaveToStream(TStream& stream) { SaveBmpToStream(FBitmap, stream); }

const TGraphicClass& TBitmapGraphic::Class()
{
    static const TGraphicClass cls = MakeGraphicClass<TBitmapGraphic>("TBitmap");
    return cls;
}
