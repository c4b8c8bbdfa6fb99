#pragma once
// Portable maps ("ppm", "pgm", "pbm"): bitmaps, grey maps and pixel maps in their text (P1-P3) and
// binary (P4-P6) forms. Headers are read as the portable-map tools write them: numbers anywhere
// after the magic, comments from "#" to the line's end, plain bitmap digits with or without
// separators. Samples of any maximum value (2-byte samples above 255) are scaled to 0..255.
#include <vector>

#include "formats/FormatGraphic.h"

class TPPMGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

protected:
    const char* ShortName() const override { return "PBM, PGM or PPM"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;

private:
    unsigned FType = 0;     // the digit of the magic, 1 to 6
    unsigned FMaxValue = 1; // the largest sample value
    size_t FRasterStart = 0;
    std::vector<uint8_t> FData; // the file from its magic on, while a load runs
};
