#pragma once
// ZSoft Paintbrush pictures ("pcx", "pcc", and screen captures marked 0xCD): 1, 2, 4 and 8 bits in
// one plane, four planes of 1 bit and three planes of 8, raw or run-length; palettes from the
// header (16 colours), from the file's end (256 colours) or a grey ramp.
#include "formats/FormatGraphic.h"

class TPCXGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

protected:
    const char* ShortName() const override { return "PCX or SCR"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;
};
