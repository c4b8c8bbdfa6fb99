#pragma once
// Base of the format graphics: a picture loaded from a raster format into a bitmap. Every format
// reads its header into TImageProperties and follows the common load pattern of LoadFromStream.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ColorManager.h"
#include "formats/Decoder.h"
#include "formats/GraphicClass.h"
#include "platform/Bitmap.h"
#include "platform/Geometry.h"
#include "platform/Graphic.h"
#include "platform/Stream.h"

// Messages of the starting progress stages of a load: set-up work first, rows following at once,
// a separate reading phase, and the Photo-CD upsampling.
inline constexpr const char* PreparingStageText = "Preparing...";
inline constexpr const char* TransferringStageText = "Transfering...";
inline constexpr const char* LoadingDataStageText = "Loading data...";
inline constexpr const char* UpsamplingStageText = "Upsampling...";

// TImageProperties::Options, a set of bits.
using TImageOptionSet = uint8_t;
namespace ImageOption {
constexpr TImageOptionSet Tiled = 1;
constexpr TImageOptionSet BigEndian = 2;
constexpr TImageOptionSet MinIsWhite = 4;   // grey values inverted
constexpr TImageOptionSet ReversedBits = 8; // bit order inside bytes reversed
constexpr TImageOptionSet GammaApplied = 16;
} // namespace ImageOption

struct TImageProperties
{
    uint32_t Version = 0;
    TImageOptionSet Options = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    TColorSchemeCode ColorScheme = schUnknown;
    uint8_t BitsPerSample = 0;
    uint8_t SamplesPerPixel = 0;
    uint8_t BitsPerPixel = 0;
    TCompressionCode Compression = TCompressionCode::Unknown;
    float FileGamma = 1.0f;
    float XResolution = 0;
    float YResolution = 0;
    bool Interlaced = false;
    bool HasAlpha = false;
    // TIFF
    uint32_t FirstIFD = 0;
    int32_t PlanarConfig = 0;
    int32_t CurrentRow = 0;
    int32_t TileWidth = 0;
    int32_t TileLength = 0;
    int32_t BytesPerLine = 0;
    std::vector<uint32_t> RowsPerStrip;
    std::vector<uint8_t> YCbCrSubsampling;
    std::vector<uint8_t> JPEGTables;
    int32_t CurrentStrip = 0;
    int32_t StripCount = 0;
    int32_t Predictor = 0;
    // Photo-CD
    bool Overview = false;
    uint8_t Rotation = 0;
    uint16_t ImageCount = 0;
    // GIF
    bool LocalColorTable = false;
    // RLA
    bool BottomUp = false;
    // PSD
    uint8_t ChannelCount = 0;
    // PNG
    uint8_t FilterMethod = 0;
};

class TFormatGraphic : public TGraphic
{
public:
    TFormatGraphic() = default;

    bool Empty() const override { return FBitmap.Empty(); }
    int Width() const override { return FBitmap.Width(); }
    int Height() const override { return FBitmap.Height(); }
    // The common load pattern: the previous picture is released, the header read (a refused
    // header raises InvalidImageText with the short name, or ends the load quietly for the formats
    // that say so), the rows decoded by LoadImageData into a new bitmap, which replaces the
    // picture only when the whole load succeeded.
    void LoadFromStream(TStream& stream) override;
    // Writes the pixels as a Windows bitmap file.
    void SaveToStream(TStream& stream) override;
    const TBitmap* GetBitmap() override { return FBitmap.Empty() ? nullptr : &FBitmap; }
    const TBitmap& Bitmap() const { return FBitmap; }

    // Copies the picture of another graphic; the image properties too when it is a format graphic.
    void Assign(TGraphic& source);

    // The base content test accepts nothing.
    static bool CanLoad(TStream&) { return false; }
    // Reads the header of image imageIndex (0 the first) into ImageProperties; true when valid.
    // The base version resets the record (FileGamma 1.0, all else zero) and answers false; every
    // format calls it first.
    virtual bool ReadImageProperties(TStream& stream, unsigned imageIndex);

    TColorManager ColorManager;
    TImageProperties ImageProperties;
    int64_t BasePosition = 0;
    TStream* Stream = nullptr; // the stream being loaded, only during a load
    TRect ProgressRect;

protected:
    // The format's short name in messages ("PCX", "TIF/TIFF", ...).
    virtual const char* ShortName() const = 0;
    // Formats whose refused header ends the load without an error, leaving the picture empty.
    virtual bool QuietOnRefusedHeader() const { return false; }
    // Decodes the rows of the image whose header is in ImageProperties into target; the stream
    // stands at BasePosition. Reports its own starting stage (ProgressStarting).
    virtual void LoadImageData(TStream& stream, TBitmap& target) = 0;

    // Progress of a load: the starting stage with its message, one running report after each
    // finished row (ProgressRect then moves down a row), the ending stage.
    void ProgressStarting(const std::string& message);
    void ProgressRowDone(int rowsDone);
    void ProgressEnding();
    // Sizes target for the header's picture after checking the size against the pixel limit.
    void PrepareTarget(TBitmap& target, TPixelFormat format) const;

private:
    TBitmap FBitmap;
};

// The class record of a format graphic G, with G::CanLoad as its content test.
template <class G>
TGraphicClass MakeFormatGraphicClass(std::string className)
{
    return MakeGraphicClass<G>(std::move(className), [](TStream& s) { return G::CanLoad(s); });
}
