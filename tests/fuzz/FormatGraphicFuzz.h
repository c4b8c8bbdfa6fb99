#pragma once
// One format graphic on arbitrary bytes: only the loaders' own exceptions may leave the load (bad
// headers and data, short reads, sizes over the limit, decompressor and colour-conversion errors),
// and a picture that loads has every row in place.
#include "FuzzSupport.h"
#include "formats/ColorManager.h"
#include "formats/Decoder.h"
#include "formats/FormatGraphic.h"

template <class G> int FuzzFormatGraphic(const uint8_t* data, size_t size)
{
    TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    G graphic;
    if (!fuzzsupport::Allowing<EInvalidGraphic, EReadError, EOutOfResources, EGraphicCompression,
                               EColorConversionError>([&] { graphic.LoadFromStream(stream); }))
        return 0;
    const TBitmap& bmp = graphic.Bitmap();
    volatile uint8_t sink = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        if (bmp.Width() > 0) sink = sink ^ bmp.ScanLine(y)[bmp.Stride() - 1];
    return 0;
}
