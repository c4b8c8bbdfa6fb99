#pragma once
// Kodak Photo-CD image packs and overview files ("pcd"): the Base picture (768 x 512) of a pack, or
// the first 192 x 128 picture of an overview, stored as PhotoYCC luma with half-size chroma, turned
// by the pack's rotation.
#include "formats/FormatGraphic.h"

class TPCDGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    // imageIndex selects the resolution of a pack: 0 192 x 128, 1 384 x 256, 2 768 x 512 and so on
    // up to 5; an overview file always has 192 x 128.
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

    static constexpr int kSectorSize = 2048;

protected:
    const char* ShortName() const override { return "PCD"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;
};
