#pragma once
// Dr. Halo pictures ("cut"): 8-bit run-length rows whose palette lives in a sibling ".pal" file.
// The content has no signature, so a CUT picture is only ever loaded by its extension.
#include <string>

#include "formats/FormatGraphic.h"

class TCUTGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream&) { return false; }
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    // Finds the palette file beside the picture (same name, extension ".pal" in any case), then loads.
    void LoadFromFile(const std::string& fileName) override;
    static const TGraphicClass& Class();

    // The palette file of the picture being loaded; empty when there is none.
    std::string PaletteFile;

    // The palette file's colours: the count (its stored value + 1, at most 256) at byte 12, entries
    // of three 16-bit values from byte 40 on, an entry never crossing byte 506 of its 512-byte
    // block. A short file gives the entries it holds.
    static std::vector<TRGBQuad> ReadPaletteFile(const std::vector<uint8_t>& data);
    // The sibling palette file of a picture file, "" when there is none.
    static std::string FindPaletteFile(const std::string& fileName);

protected:
    const char* ShortName() const override { return "CUT"; }
    bool QuietOnRefusedHeader() const override { return true; }
    void LoadImageData(TStream& stream, TBitmap& target) override;
};
