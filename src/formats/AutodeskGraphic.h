#pragma once
// Autodesk animator cels ("cel", "pic"): an 8-bit picture with a 256-colour palette of 6-bit values.
#include "formats/FormatGraphic.h"

class TAutodeskGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

protected:
    const char* ShortName() const override { return "Autodesk"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;
};
