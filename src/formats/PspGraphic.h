#pragma once
// Paint Shop Pro pictures ("psp", file versions 3 and later): the first raster layer, as 1-, 4- or
// 8-bit indexed or grey pixels or 24-bit RGB (with alpha when the layer has a fourth channel),
// each channel raw, run-length or deflate coded.
#include <array>
#include <vector>

#include "formats/FormatGraphic.h"

class TPSPGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

protected:
    const char* ShortName() const override { return "PSP"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;

private:
    // A block of the file: its ID, where its data starts and where it ends.
    struct TBlock
    {
        uint16_t ID = 0;
        int64_t DataStart = 0;
        int64_t End = 0;
    };
    // Reads the block header at the stream's position; false when the data ends before it, its
    // signature does not start with "~" or its data would pass limit.
    bool ReadBlockHeader(TStream& stream, int64_t limit, TBlock& block) const;
    // Moves on to the end of a chunk, which lies neither before the stream's position nor past limit.
    void MoveForward(TStream& stream, int64_t position, int64_t limit) const;
    // Reads the channel block at the stream's position (inside limit) into its buffer: composite,
    // red, green or blue, the first of each; other channel types and repeats are passed over.
    void ReadChannel(TStream& stream, int64_t limit, size_t bufferSize);
    // Reads the taken layer's channel blocks; false when the layer is not the one to load.
    bool ReadLayer(TStream& stream, const TBlock& layer, size_t bufferSize);

    uint16_t FMajorVersion = 0;
    int64_t FAttributesEnd = 0; // behind the general image attributes block
    unsigned FChannelCount = 0; // channels of the layer loaded
    std::array<std::vector<uint8_t>, 4> FChannels;
};
