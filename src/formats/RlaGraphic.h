#pragma once
// Alias/Wavefront pictures ("rpf", "rla"): RGB scan lines of run-length channels, with an optional
// matte channel as alpha, each line found through a table of offsets. A header this reader cannot
// show ends the load without an error.
#include "formats/FormatGraphic.h"

class TRLAGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

protected:
    const char* ShortName() const override { return "RLA"; }
    bool QuietOnRefusedHeader() const override { return true; }
    void LoadImageData(TStream& stream, TBitmap& target) override;
};
