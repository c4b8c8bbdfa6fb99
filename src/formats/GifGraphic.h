#pragma once
// The first image of a Graphics Interchange Format file ("gif", versions 87a and 89a) as an 8-bit
// palette bitmap: global or local colour table (a grey ramp when the file has neither), plain or
// interlaced rows. Extensions and further images are passed over.
#include "formats/FormatGraphic.h"

class TGIFGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

    // Reads block introducers until an image (0x2C) or the trailer (0x3B), passing over extensions
    // and stray bytes; the end of the stream counts as the trailer.
    static uint8_t SkipExtensions(TStream& stream);

protected:
    const char* ShortName() const override { return "GIF"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;
};
