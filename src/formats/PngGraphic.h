#pragma once
// Portable Network Graphics pictures ("png"): every colour type and depth, the five row filters,
// Adam7 interlacing, palette, gamma, transparent and background colours. Chunks are checked
// against their CRC-32; the image data is inflated across IDAT chunks.
//
// Sizes are checked before use: chunk lengths at most 2^31 - 1 and inside the file, the colour
// type and depth at the header, palette, gamma, transparency and background chunks at their own
// sizes (a wrong-sized ancillary chunk is ignored).
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/FormatGraphic.h"

class TLZ77Decoder;

class TPNGGraphic : public TFormatGraphic
{
public:
    TPNGGraphic();
    ~TPNGGraphic() override;
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

    // Colours given by the file (0x00BBGGRR as the bitmap stores blue first); NoColor when absent.
    static constexpr uint32_t NoColor = 0x1FFFFFFF;
    uint32_t TransparentColor = NoColor;
    uint32_t BackgroundColor = 0xFFFFFF;

    // The filter types of the format on one row; previous is the row above (zeros for the first),
    // bpp the bytes of a whole pixel (at least 1). A type above 4 is a compression error.
    static void ApplyFilter(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t rowBytes, size_t bpp);
    static uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c);

protected:
    const char* ShortName() const override { return "PNG"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;

private:
    struct TChunk
    {
        uint32_t Length = 0;
        char Type[4] = {};
    };
    bool IsChunk(const char* name) const;
    void ReadChunkHeader(TStream& stream);
    // Reads the chunk's data into FRaw and checks the CRC.
    void ReadDataAndCheckCRC(TStream& stream);
    void SkipChunkData(TStream& stream);
    // Sets the colour manager up for the header's colour type and depth; answers the bytes per pixel.
    unsigned SetupColorDepth(TBitmap& target);
    void ReadPalette(TStream& stream, TBitmap& target);
    void ReadGamma(TStream& stream);
    void ReadTransparency(TStream& stream);
    void ReadBackground(TStream& stream, const TBitmap& target);
    // The 16-bit sample v of a grey or colour value scaled to 8 bits as the depth needs.
    uint8_t ScaleSample(uint16_t v) const;
    void DecodeImage(TStream& stream, TBitmap& target);
    // Delivers count inflated bytes, reading IDAT chunks as they are used up.
    void DecodeIDAT(TStream& stream, uint8_t* dest, size_t count);

    TChunk FChunk;
    std::vector<uint8_t> FRaw;
    size_t FSourcePos = 0; // next compressed byte in FRaw
    size_t FSourceEnd = 0;
    bool FStreamEnded = false;
    bool FColorSetUp = false;
    bool FGammaSet = false;
    float FGamma = 1.0f;
    unsigned FSourceBPP = 1;
    uint8_t FColorType = 0;
    std::vector<TRGBQuad> FPalette;
    std::unique_ptr<TLZ77Decoder> FDecoder;
};
