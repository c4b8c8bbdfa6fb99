#pragma once
// Photoshop pictures ("psd", "pdd"): the merged image that follows the layers, in bitmap, grey,
// indexed, RGB, CMYK, multichannel, duotone and L*a*b* modes, 1, 8 or 16 bits a channel, raw or
// PackBits-coded. Each mode converts only its own planes; further channels are passed over.
#include "formats/FormatGraphic.h"

class TPSDGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

    // Colour modes of the header.
    enum : uint16_t { ModeBitmap = 0, ModeGray = 1, ModeIndexed = 2, ModeRGB = 3, ModeCMYK = 4,
                      ModeMultichannel = 7, ModeDuotone = 8, ModeLab = 9 };

protected:
    const char* ShortName() const override { return "PSD or PDD"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;

private:
    // A section of the file behind its 4-byte length.
    struct TSection
    {
        int64_t Start = 0;
        uint32_t Length = 0;
    };
    // Reads a section's length and moves past it (the length checked against the stream).
    static TSection SectionAt(TStream& stream);

    uint16_t FMode = 0;
    TSection FColorData;    // the palette of indexed pictures
    int64_t FImageData = 0; // behind the compression word
};
