#pragma once
// SGI pictures ("sgi", "rgba", "rgb", "bw"): 1 to 4 channels of 8 or 16 bits, stored as planes of
// rows bottom first, verbatim or run-length coded with tables of row offsets and lengths.
#include "formats/FormatGraphic.h"

class TSGIGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

protected:
    const char* ShortName() const override { return "sgi, bw or rgb(a)"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;
};
