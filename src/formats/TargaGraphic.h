#pragma once
// Truevision Targa pictures ("win", "vst", "vda", "tga", "icb"): colour-mapped, true-colour and grey
// images of 8, 15, 16, 24 and 32 bits, raw or run-length, stored top row or bottom row first. The
// one format that is also written: SaveToStream codes the bitmap as a run-length file.
#include "formats/FormatGraphic.h"

class TTargaGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    // Answers false for a header outside the known image types, pixel depths and (with a colour
    // map) entry sizes; such a file loads nothing.
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    // Writes the picture top row first, run-length coded: 1- to 8-bit bitmaps as colour-mapped
    // 8-bit images with a 256-entry map, 15-bit ones as 16 bits (1-5-5-5), 5-6-5 and 24-bit ones
    // as 24 bits, 32-bit ones as 32 bits. An empty picture writes nothing.
    void SaveToStream(TStream& stream) override;
    static const TGraphicClass& Class();

protected:
    const char* ShortName() const override { return "Targa"; }
    bool QuietOnRefusedHeader() const override { return true; }
    void LoadImageData(TStream& stream, TBitmap& target) override;
};
